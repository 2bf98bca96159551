#pragma once

#include "vorn/app/render/GLBatchRecorder.h"

#include <array>
#include <cstdint>
#include <vector>

/// Index lists that let OpenGL shade each flat-shaded primitive about once instead of once
/// per corner.
///
/// A flat-shaded primitive takes its colour from its last corner alone (OpenGL's default
/// provoking vertex); its other corners only place it. So the last corner of every
/// primitive keeps its own vertex, with the primitive's normal and colour, while each other
/// corner may point to an earlier vertex at the same position, already shaded. A mesh
/// drawn in a coherent order then runs the vertex shader one and a half times per triangle
/// or less (three times unindexed), and the picture stays the same to the bit: every corner
/// keeps its exact position and every primitive its colour.
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
    /// recorder's batches in vertex order.
    void extend(const std::vector<GLVertex>& vertices, const std::vector<GLBatch>& batches);
    /// One index per vertex.
    const std::vector<std::uint32_t>& indices() const { return m_indices; }
    int indexedCount() const { return int(m_indices.size()); }
    /// Vertices that indexed drawing of every uniform batch shades: a figure for tests and
    /// benchmarks.
    int shadedCount(const std::vector<GLBatch>& batches) const;

private:
    void indexBatch(const std::vector<GLVertex>& vertices, const GLBatch& batch, int from);
    /// Remembers `index` as the latest vertex at its position.
    void remember(const std::vector<GLVertex>& vertices, std::uint32_t index);
    /// An earlier vertex of batch `batch` at vertex `index`'s position, or `index`.
    std::uint32_t shared(const std::vector<GLVertex>& vertices, const GLBatch& batch,
                         std::uint32_t index) const;

    /// Recent vertices by a hash of their position (vertex index + 1; 0 is empty). A
    /// small table holds what the renderer's vertex cache still holds: an older corner is
    /// shaded again anyway, so forgetting it costs nothing.
    static constexpr std::size_t kSlots = 4096;
    std::array<std::uint32_t, kSlots> m_recent{};
    std::vector<std::uint32_t> m_indices;
};
