#include "scene/render/CollectingRenderer.h"

#include <algorithm>
#include <cmath>

using Sorvex::M3d;
using Sorvex::M4x4;

namespace {

constexpr int kSplineSegments = 16;

bool isFinite(const M3d& p) {
    return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z());
}

/// The average of the colours given to a face's vertices: vector output fills each face
/// with one colour.
RGBAColor averageColor(const std::vector<RGBAColor>& colors) {
    RGBAColor sum{0, 0, 0, 0};
    for (const RGBAColor& c : colors) {
        sum.r += c.r;
        sum.g += c.g;
        sum.b += c.b;
        sum.a += c.a;
    }
    const double n = double(std::max<size_t>(1, colors.size()));
    return {sum.r / n, sum.g / n, sum.b / n, sum.a / n};
}

} // namespace

CollectingRenderer::CollectingRenderer() {
    reset();
}

void CollectingRenderer::reset(const M4x4& base) {
    m_stack.assign(1, base);
    m_owners.clear();
    m_mode = Mode::None;
    m_pending.clear();
    m_pendingColors.clear();
    m_faces.clear();
    m_strokes.clear();
    m_spheres.clear();
    m_texts.clear();
}

void CollectingRenderer::setHeightWindow(double yLow, double yHigh) {
    m_windowed = true;
    m_yLow = yLow;
    m_yHigh = yHigh;
}

bool CollectingRenderer::inWindow(const M3d& p) const {
    return !m_windowed || (p.y() >= m_yLow && p.y() <= m_yHigh);
}

void CollectingRenderer::begin(Mode mode) {
    m_mode = mode;
    m_pending.clear();
    m_pendingColors.clear();
}

void CollectingRenderer::beginLines() {
    begin(Mode::Lines);
}
void CollectingRenderer::beginLineLoop() {
    begin(Mode::LineLoop);
}
void CollectingRenderer::beginTriangles() {
    begin(Mode::Triangles);
}
void CollectingRenderer::beginPolygon() {
    begin(Mode::Polygon);
}

void CollectingRenderer::vertex(const M3d& p) {
    if (m_mode == Mode::None)
        return;
    m_pending.push_back(toWorld(p));
    m_pendingColors.push_back(currentColor());
    if (m_mode == Mode::Triangles && m_pending.size() == 3) {
        addFace(m_pending, averageColor(m_pendingColors));
        m_pending.clear();
        m_pendingColors.clear();
    } else if (m_mode == Mode::Lines && m_pending.size() == 2) {
        addLine(m_pending[0], m_pending[1], m_pendingColors[1]);
        m_pending.clear();
        m_pendingColors.clear();
    }
}

void CollectingRenderer::normal(const M3d& /*n*/) {
    // Faces are shaded from the normal of their world points, which a transform cannot
    // leave inconsistent with the geometry.
}

void CollectingRenderer::color(double r, double g, double b, double a) {
    m_color = {r, g, b, a};
}

RGBAColor CollectingRenderer::currentColor() const {
    RGBAColor c = m_color;
    c.a *= getTransparency();
    return c;
}

void CollectingRenderer::end() {
    if (m_mode == Mode::Polygon && m_pending.size() >= 3)
        addFace(m_pending, averageColor(m_pendingColors));
    if (m_mode == Mode::LineLoop && m_pending.size() >= 2)
        for (size_t i = 0; i < m_pending.size(); ++i)
            addLine(m_pending[i], m_pending[(i + 1) % m_pending.size()], m_pendingColors[i]);
    begin(Mode::None);
}

void CollectingRenderer::pushTransform(const M4x4& m) {
    m_stack.push_back(m_stack.back() * m);
}

void CollectingRenderer::popTransform() {
    if (m_stack.size() > 1)
        m_stack.pop_back();
}

M3d CollectingRenderer::toWorld(const M3d& p) const {
    return m_stack.back() * p;
}

SceneObj* CollectingRenderer::currentOwner() const {
    return m_owners.empty() ? nullptr : m_owners.back();
}

void CollectingRenderer::addFace(std::vector<M3d> points, const RGBAColor& c) {
    for (const M3d& p : points)
        if (!isFinite(p) || !inWindow(p))
            return;
    m_faces.push_back({std::move(points), c, currentOwner()});
}

void CollectingRenderer::addLine(const M3d& a, const M3d& b, const RGBAColor& c) {
    addStroke({a, b, c, getLineWidth(), 0.0, currentOwner()});
}

void CollectingRenderer::addStroke(const DrawnStroke& stroke) {
    if (isFinite(stroke.a) && isFinite(stroke.b) && inWindow(stroke.a) && inWindow(stroke.b))
        m_strokes.push_back(stroke);
}

void CollectingRenderer::dropStrokes(const std::function<bool(const DrawnStroke&)>& drop) {
    m_strokes.erase(std::remove_if(m_strokes.begin(), m_strokes.end(), drop), m_strokes.end());
}

void CollectingRenderer::renderTube(const M3d& a, const M3d& b, double radius) {
    // The radius is scaled like a length along the tube's first axis of the transform.
    const double scale = (m_stack.back() * M3d(1, 0, 0) - m_stack.back() * M3d(0, 0, 0)).length();
    addStroke({toWorld(a), toWorld(b), currentColor(), getLineWidth(), std::fabs(radius * scale),
               currentOwner()});
}

void CollectingRenderer::renderSpline(const M3d& a, const M3d& ta, const M3d& b, const M3d& tb,
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

void CollectingRenderer::renderSphere(const M3d& centre, double radius) {
    const M3d c = toWorld(centre);
    if (!isFinite(c) || !inWindow(c))
        return;
    const double scale = (m_stack.back() * M3d(1, 0, 0) - m_stack.back() * M3d(0, 0, 0)).length();
    m_spheres.push_back({c, std::fabs(radius * scale), currentColor(), currentOwner()});
}

void CollectingRenderer::renderText(const M3d& at, const std::string& text) {
    const M3d p = toWorld(at);
    if (isFinite(p) && inWindow(p))
        m_texts.push_back({p, text, currentColor()});
}

void CollectingRenderer::beginObject(SceneObj* obj) {
    m_owners.push_back(obj);
}

void CollectingRenderer::endObject(SceneObj* /*obj*/) {
    if (!m_owners.empty())
        m_owners.pop_back();
}

bool CollectingRenderer::getBounds(M3d& lo, M3d& hi) const {
    bool any = false;
    auto grow = [&](const M3d& p, double r) {
        const M3d e(r, r, r);
        if (!any) {
            lo = p - e;
            hi = p + e;
            any = true;
            return;
        }
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], p[k] - r);
            hi[k] = std::max(hi[k], p[k] + r);
        }
    };
    for (const DrawnFace& f : m_faces)
        for (const M3d& p : f.points)
            grow(p, 0.0);
    for (const DrawnStroke& s : m_strokes) {
        grow(s.a, s.radius);
        grow(s.b, s.radius);
    }
    for (const DrawnSphere& s : m_spheres)
        grow(s.centre, s.radius);
    for (const DrawnText& t : m_texts)
        grow(t.at, 0.0);
    return any;
}
