#pragma once

#include "vorn/app/render/GLCoarseMesh.h"
#include "vorn/app/render/GLRun.h"

#include <cstdint>
#include <vector>

class Camera;

/// The coarser stand-in (see GLCoarseMesh) for one run with a buffer of its own, in buffers
/// of its own, kept for as long as the run does not change and the camera stays about as
/// far away: orbiting keeps it, zooming remakes it once per halving or doubling of the
/// size of a pixel at the mesh.
class GLCoarseRun {
public:
    /// Cells are this many pixels wide where the run comes nearest to the eye (rounded down
    /// to a power of two in world units, so between half and the whole of it).
    static constexpr double kCellPixels = 8.0;
    /// Frames a run must be drawn unchanged (while the camera moves) before its stand-in is
    /// made.
    static constexpr int kSteadyFrames = 3;

    /// Brings the stand-in up to date with `run` as `camera` sees it (current context).
    /// False when the run is to be drawn as recorded: nothing in it to coarsen, too little
    /// to gain at this distance, or no buffer.
    bool prepare(GLRun& run, const Camera& camera, bool indexed);
    /// What stands in for batch `index` of the run (after a successful `prepare`): null
    /// when that batch is drawn as recorded; a batch of no vertices draws nothing.
    const GLBatch* standInFor(int index) const;
    GLRun& drawing() { return m_drawing; }
    /// Frees the buffers (current context) and forgets the stand-in.
    void release();

    /// The cell width (world units) for a mesh within `lo`..`hi` seen by `camera`; zero
    /// when the eye is inside its box.
    static double CellFor(const Camera& camera, const Sorvex::M3d& lo, const Sorvex::M3d& hi);

private:
    GLCoarseMesh m_mesh;
    GLRun m_drawing;
    /// For each batch of the run, the index of its stand-in in m_drawing's batches, or -1.
    std::vector<int> m_standIn;
    /// What the stand-in was made from.
    std::uint64_t m_changes = 0;
    int m_vertices = -1;
    double m_cell = 0.0;
    bool m_indexed = false;
    bool m_worth = false;
    /// The run's change count when last seen, and frames seen since it changed.
    std::uint64_t m_seenChanges = ~std::uint64_t(0);
    int m_steadyFrames = 0;
};
