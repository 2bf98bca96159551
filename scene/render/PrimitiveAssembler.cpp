#include "scene/render/PrimitiveAssembler.h"

#include "scene/Renderer.h"

#include <cmath>

using Sorvex::M3d;
using Sorvex::M4x4;

void PrimitiveAssembler::begin(Mode mode, PrimitiveSink& sink) {
    m_mode = mode;
    clearPending(sink);
}

void PrimitiveAssembler::reset() {
    m_mode = Mode::None;
    m_pending.clear();
}

void PrimitiveAssembler::clearPending(PrimitiveSink& sink) {
    m_pending.clear();
    sink.onPendingCleared();
}

void PrimitiveAssembler::vertex(const M3d& p, PrimitiveSink& sink) {
    if (m_mode == Mode::None)
        return;
    m_pending.push_back(p);
    if (m_mode == Mode::Triangles && m_pending.size() == 3) {
        sink.onFace(m_pending);
        clearPending(sink);
    } else if (m_mode == Mode::Lines && m_pending.size() == 2) {
        sink.onSegment(0, 1, 1);
        clearPending(sink);
    }
}

void PrimitiveAssembler::end(PrimitiveSink& sink) {
    const size_t n = m_pending.size();
    if (m_mode == Mode::Polygon && n >= 3)
        sink.onFace(m_pending);
    if (m_mode == Mode::LineLoop && n >= 2)
        for (size_t i = 0; i < n; ++i)
            sink.onSegment(i, (i + 1) % n, i);
    begin(Mode::None, sink);
}

bool IsFinitePoint(const M3d& p) {
    return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z());
}

double LengthScaleOf(const M4x4& m) {
    return (m * M3d(1, 0, 0) - m * M3d(0, 0, 0)).length();
}

void RenderSplineAsTubes(Renderer& r, const M3d& a, const M3d& ta, const M3d& b, const M3d& tb,
                         double radius) {
    constexpr int kSegments = 16;
    M3d previous = a;
    for (int i = 1; i <= kSegments; ++i) {
        const double t = double(i) / kSegments;
        const double u = 1.0 - t;
        // Cubic Bezier with control points a + ta and b + tb.
        const M3d p = a * (u * u * u) + (a + ta) * (3 * u * u * t) + (b + tb) * (3 * u * t * t) +
                      b * (t * t * t);
        r.renderTube(previous, p, radius);
        previous = p;
    }
}
