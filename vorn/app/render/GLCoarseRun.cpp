#include "vorn/app/render/GLCoarseRun.h"

#include "scene/render/Camera.h"

#include <algorithm>
#include <cmath>

using Sorvex::M3d;

double GLCoarseRun::CellFor(const Camera& camera, const M3d& lo, const M3d& hi) {
    double depth = camera.getDistance();
    if (!camera.isOrthographic()) {
        // Distance from the eye to the nearest point of the box: pixels are smallest there.
        const M3d& eye = camera.getEye();
        double squared = 0.0;
        for (int i = 0; i < 3; ++i) {
            const double out = std::max({lo[i] - eye[i], 0.0, eye[i] - hi[i]});
            squared += out * out;
        }
        depth = std::sqrt(squared);
        if (!(depth > 0.0))
            return 0.0;
    }
    const double width = kCellPixels * camera.pixelSizeAt(depth);
    if (!(width > 0.0) || !std::isfinite(width))
        return 0.0;
    return std::exp2(std::floor(std::log2(width)));
}

bool GLCoarseRun::prepare(GLRun& run, const Camera& camera, bool indexed) {
    const auto& batches = run.recorder.getBatches();
    if (batches.empty())
        return false;
    M3d lo = batches.front().lo;
    M3d hi = batches.front().hi;
    for (const GLBatch& batch : batches)
        for (int i = 0; i < 3; ++i) {
            lo[i] = std::min(lo[i], batch.lo[i]);
            hi[i] = std::max(hi[i], batch.hi[i]);
        }
    const double cell = CellFor(camera, lo, hi);
    if (run.changeCount() == m_changes && run.vertexCount() == m_vertices && cell == m_cell &&
        indexed == m_indexed)
        return m_worth;
    // A run that keeps changing (a net growing while the user orbits) would be remade on
    // every frame, at a cost above what it saves: it is drawn as recorded until it held
    // still for a few frames.
    if (run.changeCount() != m_seenChanges) {
        m_seenChanges = run.changeCount();
        m_steadyFrames = 0;
    }
    if (++m_steadyFrames < kSteadyFrames)
        return false;
    m_changes = run.changeCount();
    m_vertices = run.vertexCount();
    m_cell = cell;
    m_indexed = indexed;
    m_mesh.build(run.recorder.getVertices(), batches, cell);
    m_worth = m_mesh.isWorthDrawing();
    m_standIn.assign(batches.size(), -1);
    if (!m_worth) {
        m_mesh.clear();
        m_drawing.restart();
        return false;
    }
    for (std::size_t k = 0; k < m_mesh.sourceBatch.size(); ++k)
        m_standIn[std::size_t(m_mesh.sourceBatch[k])] = int(k);
    m_drawing.restart();
    m_drawing.recorder.assign(std::move(m_mesh.vertices), std::move(m_mesh.batches));
    m_mesh.clear();
    m_drawing.markAllDirty();
    m_worth = m_drawing.uploadOwn(indexed);
    return m_worth;
}

const GLBatch* GLCoarseRun::standInFor(int index) const {
    if (!m_worth || index < 0 || std::size_t(index) >= m_standIn.size() ||
        m_standIn[std::size_t(index)] < 0)
        return nullptr;
    return &m_drawing.recorder.getBatches()[std::size_t(m_standIn[std::size_t(index)])];
}

void GLCoarseRun::release() {
    m_drawing.releaseOwnBuffer();
    m_drawing.restart();
    m_standIn.clear();
    m_vertices = -1;
    m_worth = false;
}
