#include "scene/render/PickCollector.h"
#include "scene/render/PolygonTriangles.h"

#include <algorithm>
#include <cmath>
#include <cstring>

using Sorvex::M3d;
using Sorvex::M4x4;

PickCollector::PickCollector() {
    reset();
}

void PickCollector::reset(const M4x4& base) {
    m_stack.assign(1, base);
    m_owners.clear();
    m_assembler.reset();
    m_triangles.clear();
    m_strokes.clear();
    m_spheres.clear();
    m_hasBounds = false;
}

void PickCollector::beginLines() {
    m_assembler.begin(PrimitiveAssembler::Mode::Lines, *this);
}
void PickCollector::beginLineLoop() {
    m_assembler.begin(PrimitiveAssembler::Mode::LineLoop, *this);
}
void PickCollector::beginTriangles() {
    m_assembler.begin(PrimitiveAssembler::Mode::Triangles, *this);
}
void PickCollector::beginPolygon() {
    m_assembler.begin(PrimitiveAssembler::Mode::Polygon, *this);
}

void PickCollector::vertex(const M3d& p) {
    if (m_assembler.isOpen())
        m_assembler.vertex(toWorld(p), *this);
}

void PickCollector::end() {
    m_assembler.end(*this);
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

void PickCollector::onFace(const std::vector<M3d>& points) {
    // Triangles covering just the face (a fan would also pick in a U-shaped face's
    // notch), when every point is finite.
    for (const M3d& p : points)
        if (!IsFinitePoint(p))
            return;
    m_cut.clear();
    TriangulatePolygon(points, m_cut);
    for (size_t k = 0; k + 2 < m_cut.size(); k += 3) {
        const M3d& a = points[size_t(m_cut[k])];
        m_triangles.push_back({a, points[size_t(m_cut[k + 1])] - a,
                               points[size_t(m_cut[k + 2])] - a, currentOwner()});
    }
    for (const M3d& p : points)
        grow(p, 0.0);
}

void PickCollector::onSegment(size_t from, size_t to, size_t /*provoking*/) {
    const std::vector<M3d>& points = m_assembler.getPending();
    addStroke(points[from], points[to], 0.0);
}

void PickCollector::addStroke(const M3d& a, const M3d& b, double radius) {
    if (!IsFinitePoint(a) || !IsFinitePoint(b))
        return;
    m_strokes.push_back({a, b, radius, currentOwner()});
    grow(a, radius);
    grow(b, radius);
}

void PickCollector::renderTube(const M3d& a, const M3d& b, double radius) {
    addStroke(toWorld(a), toWorld(b), std::fabs(radius * LengthScaleOf(m_stack.back())));
}

void PickCollector::renderSpline(const M3d& a, const M3d& ta, const M3d& b, const M3d& tb,
                                 double radius) {
    RenderSplineAsTubes(*this, a, ta, b, tb, radius);
}

void PickCollector::renderSphere(const M3d& centre, double radius) {
    const M3d c = toWorld(centre);
    if (!IsFinitePoint(c))
        return;
    const double r = std::fabs(radius * LengthScaleOf(m_stack.back()));
    m_spheres.push_back({c, r, currentOwner()});
    grow(c, r);
}

void PickCollector::renderText(const M3d& at, const std::string& /*text*/) {
    // Texts are never hit, but they are part of what the scene shows (for its bounds).
    const M3d p = toWorld(at);
    if (IsFinitePoint(p))
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
