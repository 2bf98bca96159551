#include "vorn/app/render/GLCoarseMesh.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>

namespace {

/// The cell a point falls in, as three integer coordinates.
struct Cell {
    std::int32_t i, j, k;
    bool operator==(const Cell& o) const { return i == o.i && j == o.j && k == o.k; }
};

/// Marks an empty slot: no cell has it, as cells stay within ±kFarCells (below 2^30).
constexpr std::int32_t kEmpty = INT32_MIN;
constexpr double kFarCells = 1.0e9;

std::size_t hashOf(const Cell& c) {
    std::uint64_t h = std::uint64_t(std::uint32_t(c.i)) * 0x9E3779B97F4A7C15ull;
    h ^= (h >> 29) + std::uint64_t(std::uint32_t(c.j)) * 0xBF58476D1CE4E5B9ull;
    h ^= (h >> 31) + std::uint64_t(std::uint32_t(c.k)) * 0x94D049BB133111EBull;
    return std::size_t(h ^ (h >> 32));
}

/// Cells met so far and the point every corner in each one moves to, in an open-addressed
/// table, behind a small direct-mapped cache: a mesh recorded in strips meets the same few
/// cells corner after corner, and the cache spares most lookups a miss in the big table.
class CellTable {
public:
    explicit CellTable(std::size_t expected) {
        std::size_t slots = 1024;
        while (slots < 2 * expected)
            slots *= 2;
        m_slots.assign(slots, Slot{});
        m_mask = slots - 1;
        m_recent.assign(kRecent, Slot{});
    }

    /// The point of `cell`, which becomes `position` when the cell is new.
    const float* pointOf(const Cell& cell, const float* position) {
        const std::size_t h = hashOf(cell);
        Slot& recent = m_recent[(h >> 20) & (kRecent - 1)];
        if (recent.cell == cell)
            return recent.point;
        recent = find(cell, h, position);
        return recent.point;
    }

private:
    struct Slot {
        Cell cell{kEmpty, 0, 0};
        float point[3] = {0, 0, 0};
    };
    static constexpr std::size_t kRecent = 4096;

    const Slot& find(const Cell& cell, std::size_t h, const float* position) {
        std::size_t s = h & m_mask;
        while (m_slots[s].cell.i != kEmpty) {
            if (m_slots[s].cell == cell)
                return m_slots[s];
            s = (s + 1) & m_mask;
        }
        if (2 * (m_count + 1) > m_slots.size()) {
            grow();
            return find(cell, h, position);
        }
        Slot& slot = m_slots[s];
        slot.cell = cell;
        std::memcpy(slot.point, position, sizeof(slot.point));
        ++m_count;
        return slot;
    }

    void grow() {
        std::vector<Slot> old;
        old.swap(m_slots);
        m_slots.assign(old.size() * 2, Slot{});
        m_mask = m_slots.size() - 1;
        for (const Slot& slot : old) {
            if (slot.cell.i == kEmpty)
                continue;
            std::size_t s = hashOf(slot.cell) & m_mask;
            while (m_slots[s].cell.i != kEmpty)
                s = (s + 1) & m_mask;
            m_slots[s] = slot;
        }
    }

    std::vector<Slot> m_slots;
    std::vector<Slot> m_recent;
    std::size_t m_mask = 0;
    std::size_t m_count = 0;
};

bool isEligible(const GLBatch& batch) {
    return batch.kind == GLBatch::Kind::Triangles && batch.uniform &&
           batch.count >= 3 * GLCoarseMesh::kMinTriangles;
}

} // namespace

void GLCoarseMesh::clear() {
    vertices.clear();
    batches.clear();
    sourceBatch.clear();
    trianglesBefore = trianglesAfter = 0;
}

void GLCoarseMesh::build(const std::vector<GLVertex>& recorded,
                         const std::vector<GLBatch>& recordedBatches, double cell) {
    clear();
    if (!(cell > 0.0) || !std::isfinite(cell))
        return;
    std::size_t corners = 0;
    for (const GLBatch& batch : recordedBatches)
        if (isEligible(batch))
            corners += std::size_t(batch.count);
    if (corners == 0)
        return;
    // A closed mesh has about half as many points as triangles, each met by six corners;
    // a stand-in worth drawing has several points in most cells.
    CellTable table(corners / 24);
    const double perCell = 1.0 / cell;
    // Cell indices must fit: a mesh reaching further out in cells is drawn as recorded.
    for (const GLBatch& batch : recordedBatches)
        for (int a = 0; a < 3 && isEligible(batch); ++a)
            if (!(std::max(std::fabs(batch.lo[a]), std::fabs(batch.hi[a])) * perCell < kFarCells))
                return;
    // Shifted to positive before truncating, a coordinate rounds down: cheaper than a call
    // to floor per coordinate, which dominated the time for a million faces.
    constexpr double kShift = 1 << 30;
    auto cellOf = [&](const GLVertex& v) {
        std::int32_t c[3];
        for (int a = 0; a < 3; ++a)
            c[a] = std::int32_t(std::int64_t(double(v.position[a]) * perCell + kShift) -
                                std::int64_t(kShift));
        return Cell{c[0], c[1], c[2]};
    };
    vertices.reserve(corners / 2);
    for (std::size_t b = 0; b < recordedBatches.size(); ++b) {
        const GLBatch& source = recordedBatches[b];
        if (!isEligible(source))
            continue;
        GLBatch coarse = source;
        coarse.first = int(vertices.size());
        const int end = source.first + source.count;
        for (int t = source.first; t + 2 < end; t += 3) {
            const GLVertex* corner = &recorded[std::size_t(t)];
            const Cell a = cellOf(corner[0]);
            const Cell b1 = cellOf(corner[1]);
            const Cell c = cellOf(corner[2]);
            if (a == b1 || b1 == c || a == c)
                continue;
            const Cell cells[3] = {a, b1, c};
            for (int k = 0; k < 3; ++k) {
                // Drawn flat from the first corner: every corner takes its look.
                GLVertex v = corner[0];
                std::memcpy(v.position, table.pointOf(cells[k], corner[k].position),
                            sizeof(v.position));
                vertices.push_back(v);
            }
        }
        coarse.count = int(vertices.size()) - coarse.first;
        trianglesBefore += std::size_t(source.count / 3);
        trianglesAfter += std::size_t(coarse.count / 3);
        // Kept even when nothing is left of it: the batch is then not drawn at all.
        batches.push_back(coarse);
        sourceBatch.push_back(int(b));
    }
}

bool GLCoarseMesh::isWorthDrawing() const {
    // Under two thirds of the triangles: less than that saves little and moves corners.
    return trianglesBefore > 0 && 3 * trianglesAfter < 2 * trianglesBefore;
}
