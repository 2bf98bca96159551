#pragma once

#include "vorn/app/render/GLBatchRecorder.h"

#include <cstdint>
#include <vector>

/// A coarser stand-in for the big flat-shaded triangle batches of a recording, drawn while
/// the camera moves.
///
/// A software renderer spends its time per triangle, not per pixel: a mesh of a million
/// faces whose triangles are a pixel or two on the screen costs as much to orbit as it
/// would at any size. Snapping every corner to a grid of cells a few pixels wide and
/// dropping the triangles whose corners fall in fewer than three cells keeps the picture
/// to within a cell while sending a fraction of the triangles. Every corner in one cell
/// moves to the same point (the first corner met there), so faces that shared an edge
/// still share one and no cracks open. Each triangle that stays keeps its own normal and
/// colour, so colours are where they were, to within a cell.
///
/// Only batches of triangles drawn flat (GLBatch::uniform) with at least `kMinTriangles`
/// triangles are coarsened; everything else is drawn as it was recorded.
struct GLCoarseMesh {
    static constexpr int kMinTriangles = 4096;

    /// The kept triangles, three vertices each, batch after batch.
    std::vector<GLVertex> vertices;
    /// One per coarsened batch, in the order of the recording's batches; `first` and
    /// `count` refer to `vertices`, everything else is the recorded batch's.
    std::vector<GLBatch> batches;
    /// For each of `batches`, the index of the recorded batch it stands in for.
    std::vector<int> sourceBatch;
    /// Triangles of the coarsened batches before and after.
    std::size_t trianglesBefore = 0;
    std::size_t trianglesAfter = 0;

    void clear();
    /// Coarsens the eligible batches of `batches` (over `recorded`) on cells `cell` world
    /// units wide. A cell of zero or less, or one that is not finite, coarsens nothing.
    void build(const std::vector<GLVertex>& recorded, const std::vector<GLBatch>& batches,
               double cell);
    /// Whether the stand-in sends markedly fewer triangles than the recording: when it does
    /// not, the faces are already large on the screen and the recording is drawn instead.
    bool isWorthDrawing() const;
};
