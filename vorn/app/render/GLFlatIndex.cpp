#include "vorn/app/render/GLFlatIndex.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace {

constexpr std::uint32_t kNone = 0xffffffffu;

int cornersOf(const GLBatch& batch) {
    return batch.kind == GLBatch::Kind::Triangles ? 3 : 2;
}

std::size_t slotOf(const GLVertex& v, std::size_t slots) {
    std::uint32_t bits[3];
    std::memcpy(bits, v.position, sizeof(bits));
    std::uint64_t h = bits[0] * 0x9E3779B97F4A7C15ull;
    h ^= (h >> 29) + bits[1] * 0xBF58476D1CE4E5B9ull;
    h ^= (h >> 31) + bits[2] * 0x94D049BB133111EBull;
    h ^= h >> 32;
    return std::size_t(h) & (slots - 1);
}

bool samePosition(const GLVertex& a, const GLVertex& b) {
    return std::memcmp(a.position, b.position, sizeof(a.position)) == 0;
}

/// The vertex a table slot holds, if it is within reach of `k` and at its position.
std::uint32_t candidate(std::uint32_t slot, const std::vector<GLVertex>& vertices, int k) {
    if (slot == 0)
        return kNone;
    const std::uint32_t c = slot - 1;
    if (std::abs(int(c) - k) > GLFlatIndex::kReach ||
        !samePosition(vertices[c], vertices[std::size_t(k)]))
        return kNone;
    return c;
}

} // namespace

void GLFlatIndex::clear() {
    m_indices.clear();
    m_firstChanged = 0;
}

void GLFlatIndex::extend(const std::vector<GLVertex>& vertices,
                         const std::vector<GLBatch>& batches) {
    const int from = indexedCount();
    const int end = int(vertices.size());
    m_firstChanged = from;
    if (end <= from)
        return;
    // One index per vertex: room for as many as the vertices have, so that indices grow
    // into storage reserved once, as the vertices do.
    m_indices.reserve(vertices.capacity());
    m_indices.resize(std::size_t(end));
    // Vertices outside every batch (none are recorded so) point to themselves.
    for (int k = from; k < end; ++k)
        m_indices[std::size_t(k)] = std::uint32_t(k);
    // Batches are in vertex order: start at the last one that begins at or before `from`.
    auto it = std::upper_bound(batches.begin(), batches.end(), from,
                               [](int i, const GLBatch& b) { return i < b.first; });
    if (it != batches.begin())
        --it;
    for (; it != batches.end(); ++it)
        if (it->first + it->count > from)
            indexBatch(vertices, *it, from);
}

void GLFlatIndex::indexBatch(const std::vector<GLVertex>& vertices, const GLBatch& batch,
                             int from) {
    if (!batch.uniform)
        return; // drawn from the vertices themselves
    const int corners = cornersOf(batch);
    const int end = batch.first + batch.count;
    // Corners within reach of the old end may find a first corner among the new vertices:
    // they are indexed again, from tables filled from a reach before them. What lies
    // further back cannot be within reach of them, so the indices come out as if the whole
    // batch were indexed in one go.
    const int redo = std::max(batch.first, from - kReach);
    const int scan = std::max(batch.first, redo - kReach);
    m_firstChanged = std::min(m_firstChanged, redo);
    auto isFirst = [&](int k) { return (k - batch.first) % corners == 0; };
    auto at = [&](int k) { return slotOf(vertices[std::size_t(k)], kSlots); };
    // Empties the slots the corners [a, b) use: a net growing a few faces at a time in
    // many small batches must not pay for the whole table on each of them.
    auto clear = [&](Table& table, int a, int b) {
        if (b - a >= int(kSlots) / 4)
            table.fill(0);
        else
            for (int k = a; k < b; ++k)
                table[at(k)] = 0;
    };

    // In drawing order: every corner but the first notes the nearest earlier first corner
    // at its position. First corners keep their own vertices: one shared by two faces that
    // look alike now would show the wrong colour once one of them is recoloured.
    clear(m_shaded, scan, end);
    clear(m_loose, scan, end);
    m_before.assign(std::size_t(end - redo), kNone);
    for (int k = scan; k < end; ++k) {
        const std::size_t slot = at(k);
        if (isFirst(k))
            m_shaded[slot] = std::uint32_t(k) + 1;
        else if (k >= redo)
            m_before[std::size_t(k - redo)] = candidate(m_shaded[slot], vertices, k);
        else if (m_indices[std::size_t(k)] == std::uint32_t(k))
            m_loose[slot] = std::uint32_t(k) + 1; // a corner shaded on its own, see below
    }
    // Against drawing order: the nearest later first corner, if nearer than the earlier one.
    clear(m_shaded, redo, end);
    for (int k = end - 1; k >= redo; --k) {
        const std::size_t slot = at(k);
        if (isFirst(k)) {
            m_shaded[slot] = std::uint32_t(k) + 1;
            continue;
        }
        std::uint32_t& before = m_before[std::size_t(k - redo)];
        const std::uint32_t after = candidate(m_shaded[slot], vertices, k);
        if (after != kNone &&
            (before == kNone || after - std::uint32_t(k) < std::uint32_t(k) - before))
            before = after;
    }
    // A corner with neither takes an earlier corner that had neither, or is shaded on its
    // own for those that follow.
    for (int k = redo; k < end; ++k) {
        if (isFirst(k))
            continue;
        std::uint32_t use = m_before[std::size_t(k - redo)];
        if (use == kNone) {
            const std::size_t slot = at(k);
            use = candidate(m_loose[slot], vertices, k);
            if (use == kNone) {
                use = std::uint32_t(k);
                m_loose[slot] = use + 1;
            }
        }
        m_indices[std::size_t(k)] = use;
    }
}

int GLFlatIndex::shadedCount(const std::vector<GLBatch>& batches) const {
    std::vector<bool> used(m_indices.size(), false);
    int shaded = 0;
    for (const GLBatch& batch : batches) {
        const int end = std::min(batch.first + batch.count, indexedCount());
        for (int k = batch.first; k < end; ++k) {
            const std::uint32_t index =
                batch.uniform ? m_indices[std::size_t(k)] : std::uint32_t(k);
            if (!used[index]) {
                used[index] = true;
                ++shaded;
            }
        }
    }
    return shaded;
}
