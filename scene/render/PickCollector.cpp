#include "scene/render/PickCollector.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using Sorvex::M3d;
using Sorvex::M4x4;

namespace {

constexpr int kSplineSegments = 16;

bool isFinite(const M3d& p) {
    return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z());
}

/// How much a transform stretches lengths, measured along its first axis (tubes and
/// spheres are scaled by it).
double scaleOf(const M4x4& m) {
    return (m * M3d(1, 0, 0) - m * M3d(0, 0, 0)).length();
}

} // namespace

PickCollector::PickCollector() {
    reset();
}

void PickCollector::reset(const M4x4& base) {
    m_stack.assign(1, base);
    m_owners.clear();
    m_mode = Mode::None;
    m_pending.clear();
    m_triangles.clear();
    m_strokes.clear();
    m_spheres.clear();
    m_hasBounds = false;
}

void PickCollector::begin(Mode mode) {
    m_mode = mode;
    m_pending.clear();
}

void PickCollector::beginLines() {
    begin(Mode::Lines);
}
void PickCollector::beginLineLoop() {
    begin(Mode::LineLoop);
}
void PickCollector::beginTriangles() {
    begin(Mode::Triangles);
}
void PickCollector::beginPolygon() {
    begin(Mode::Polygon);
}

void PickCollector::vertex(const M3d& p) {
    if (m_mode == Mode::None)
        return;
    m_pending.push_back(toWorld(p));
    if (m_mode == Mode::Triangles && m_pending.size() == 3) {
        addFace();
        m_pending.clear();
    } else if (m_mode == Mode::Lines && m_pending.size() == 2) {
        addStroke(m_pending[0], m_pending[1], 0.0);
        m_pending.clear();
    }
}

void PickCollector::end() {
    if (m_mode == Mode::Polygon && m_pending.size() >= 3)
        addFace();
    if (m_mode == Mode::LineLoop && m_pending.size() >= 2)
        for (size_t i = 0; i < m_pending.size(); ++i)
            addStroke(m_pending[i], m_pending[(i + 1) % m_pending.size()], 0.0);
    begin(Mode::None);
}

void PickCollector::pushTransform(const M4x4& m) {
    // Most objects have no transform of their own: their frame is their parent's, and
    // the product (thousands a collection) is skipped.
    static const M4x4 identity;
    if (std::memcmp(m.data(), identity.data(), sizeof(double) * 16) == 0)
        m_stack.push_back(m_stack.back());
    else
        m_stack.push_back(m_stack.back() * m);
}

void PickCollector::popTransform() {
    if (m_stack.size() > 1)
        m_stack.pop_back();
}

void PickCollector::addFace() {
    for (const M3d& p : m_pending)
        if (!isFinite(p))
            return;
    const M3d& first = m_pending[0];
    for (size_t k = 1; k + 1 < m_pending.size(); ++k)
        m_triangles.push_back(
            {first, m_pending[k] - first, m_pending[k + 1] - first, currentOwner()});
    for (const M3d& p : m_pending)
        grow(p, 0.0);
}

void PickCollector::addStroke(const M3d& a, const M3d& b, double radius) {
    if (!isFinite(a) || !isFinite(b))
        return;
    m_strokes.push_back({a, b, radius, currentOwner()});
    grow(a, radius);
    grow(b, radius);
}

void PickCollector::renderTube(const M3d& a, const M3d& b, double radius) {
    addStroke(toWorld(a), toWorld(b), std::fabs(radius * scaleOf(m_stack.back())));
}

void PickCollector::renderSpline(const M3d& a, const M3d& ta, const M3d& b, const M3d& tb,
                                 double radius) {
    M3d previous = a;
    for (int i = 1; i <= kSplineSegments; ++i) {
        const double t = double(i) / kSplineSegments;
        const double u = 1.0 - t;
        // Cubic Bezier with control points a + ta and b + tb.
        const M3d p = a * (u * u * u) + (a + ta) * (3 * u * u * t) + (b + tb) * (3 * u * t * t) +
                      b * (t * t * t);
        renderTube(previous, p, radius);
        previous = p;
    }
}

void PickCollector::renderSphere(const M3d& centre, double radius) {
    const M3d c = toWorld(centre);
    if (!isFinite(c))
        return;
    const double r = std::fabs(radius * scaleOf(m_stack.back()));
    m_spheres.push_back({c, r, currentOwner()});
    grow(c, r);
}

void PickCollector::renderText(const M3d& at, const std::string& /*text*/) {
    // Texts are never hit, but they are part of what the scene shows (for its bounds).
    const M3d p = toWorld(at);
    if (isFinite(p))
        grow(p, 0.0);
}

void PickCollector::beginObject(SceneObj* obj) {
    m_owners.push_back(obj);
}

void PickCollector::endObject(SceneObj* /*obj*/) {
    if (!m_owners.empty())
        m_owners.pop_back();
}

void PickCollector::grow(const M3d& p, double radius) {
    const M3d e(radius, radius, radius);
    if (!m_hasBounds) {
        m_lo = p - e;
        m_hi = p + e;
        m_hasBounds = true;
        return;
    }
    for (int k = 0; k < 3; ++k) {
        m_lo[k] = std::min(m_lo[k], p[k] - radius);
        m_hi[k] = std::max(m_hi[k], p[k] + radius);
    }
}

bool PickCollector::getBounds(M3d& lo, M3d& hi) const {
    if (!m_hasBounds)
        return false;
    lo = m_lo;
    hi = m_hi;
    return true;
}
