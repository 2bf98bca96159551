#include "vorn/app/render/GLFlatIndex.h"

#include <algorithm>
#include <cstring>

namespace {

/// How far back a corner may point: about what a software renderer's vertex cache keeps
/// of a draw call (a few hundred primitives). Pointing further saves no shading.
constexpr std::uint32_t kReach = 3 * 1024;

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

} // namespace

void GLFlatIndex::clear() {
    m_recent.fill(0);
    m_indices.clear();
}

void GLFlatIndex::extend(const std::vector<GLVertex>& vertices,
                         const std::vector<GLBatch>& batches) {
    const int from = indexedCount();
    const int end = int(vertices.size());
    if (end <= from)
        return;
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
    for (int k = std::max(from, batch.first); k < end; ++k) {
        const std::uint32_t index = std::uint32_t(k);
        // The last corner keeps its own vertex; another corner takes the latest vertex at
        // its position, or becomes that vertex itself for the corners that follow.
        const bool last = (k - batch.first) % corners == corners - 1;
        const std::uint32_t use = last ? index : shared(vertices, batch, index);
        m_indices[index] = use;
        if (use == index)
            remember(vertices, index);
    }
}

void GLFlatIndex::remember(const std::vector<GLVertex>& vertices, std::uint32_t index) {
    m_recent[slotOf(vertices[index], kSlots)] = index + 1;
}

std::uint32_t GLFlatIndex::shared(const std::vector<GLVertex>& vertices, const GLBatch& batch,
                                  std::uint32_t index) const {
    const std::uint32_t slot = m_recent[slotOf(vertices[index], kSlots)];
    if (slot == 0)
        return index;
    const std::uint32_t candidate = slot - 1;
    // Only within the batch (its draw call reads no other vertex) and not too far back.
    if (candidate < std::uint32_t(batch.first) || candidate >= index ||
        index - candidate > kReach || !samePosition(vertices[candidate], vertices[index]))
        return index;
    return candidate;
}

int GLFlatIndex::shadedCount(const std::vector<GLBatch>& batches) const {
    std::vector<bool> used(m_indices.size(), false);
    int shaded = 0;
    for (const GLBatch& batch : batches) {
        const int end = std::min(batch.first + batch.count, indexedCount());
        for (int k = batch.first; k < end; ++k) {
            const std::uint32_t index = batch.uniform ? m_indices[std::size_t(k)] : std::uint32_t(k);
            if (!used[index]) {
                used[index] = true;
                ++shaded;
            }
        }
    }
    return shaded;
}
