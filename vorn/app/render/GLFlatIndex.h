#pragma once

#include "vorn/app/render/GLBatchRecorder.h"

#include <array>
#include <cstdint>
#include <vector>

/// Index lists that let OpenGL shade each flat-shaded primitive about once instead of once
/// per corner.
///
/// Drawn with the first-vertex convention (glProvokingVertex), a flat-shaded primitive
/// takes its colour from its first corner alone; its other corners only place it. So the
/// first corner of every primitive keeps its own vertex, with the primitive's normal and
/// colour, while each other corner points to a vertex at the same position that is shaded
/// anyway: the nearest first corner there, before or after it. A
/// mesh drawn in a coherent order (strips of triangles, rows of polygons) then runs the
/// vertex shader about once per triangle or less (three times unindexed), and the picture
/// stays the same to the bit: every corner keeps its exact position and every primitive
/// its colour.
///
/// Only batches whose primitives are uniform (GLBatch::uniform, drawn flat) may be drawn
/// with these indices; the index of a vertex in any other batch is the vertex itself. The
/// vertices are never changed, so glDrawArrays over them draws the same picture.
class GLFlatIndex {
public:
    /// Forgets every index (the vertices were recorded again).
    void clear();
    /// Indexes vertices from `indexedCount()` to the end of `vertices`, which may only have
    /// grown since the last call (their earlier vertices unchanged). `batches` are the
    /// recorder's batches in vertex order. Corners a little before the old end may now
    /// point to a new vertex: `firstChanged` says from where the indices are new.
    void extend(const std::vector<GLVertex>& vertices, const std::vector<GLBatch>& batches);
    /// One index per vertex.
    const std::vector<std::uint32_t>& indices() const { return m_indices; }
    int indexedCount() const { return int(m_indices.size()); }
    /// The first index the last `extend` set (what must be copied again).
    int firstChanged() const { return m_firstChanged; }
    /// Vertices that indexed drawing of every uniform batch shades: a figure for tests and
    /// benchmarks.
    int shadedCount(const std::vector<GLBatch>& batches) const;

    /// How far apart (in vertices) a corner and the vertex it points to may be: about
    /// what a software renderer's vertex cache keeps of a draw call (a few hundred
    /// primitives). Pointing further saves no shading.
    static constexpr int kReach = 3 * 256;

private:
    void indexBatch(const std::vector<GLVertex>& vertices, const GLBatch& batch, int from);

    /// Vertices by a hash of their position (vertex index + 1; 0 is empty), for the passes
    /// of indexBatch. Small tables suffice for what is within reach; a vertex lost to a
    /// collision is shaded once more, nothing worse.
    static constexpr std::size_t kSlots = 4096;
    using Table = std::array<std::uint32_t, kSlots>;
    Table m_shaded{};
    Table m_loose{};
    /// For the corners being indexed: the nearest earlier first corner at its position.
    std::vector<std::uint32_t> m_before;
    std::vector<std::uint32_t> m_indices;
    int m_firstChanged = 0;
};
