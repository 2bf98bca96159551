#include "scene/render/CollectingRenderer.h"

#include <algorithm>
#include <cmath>

using Sorvex::M3d;
using Sorvex::M4x4;

namespace {

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
    m_assembler.reset();
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

void CollectingRenderer::beginLines() {
    m_assembler.begin(PrimitiveAssembler::Mode::Lines, *this);
}
void CollectingRenderer::beginLineLoop() {
    m_assembler.begin(PrimitiveAssembler::Mode::LineLoop, *this);
}
void CollectingRenderer::beginTriangles() {
    m_assembler.begin(PrimitiveAssembler::Mode::Triangles, *this);
}
void CollectingRenderer::beginPolygon() {
    m_assembler.begin(PrimitiveAssembler::Mode::Polygon, *this);
}

void CollectingRenderer::vertex(const M3d& p) {
    if (!m_assembler.isOpen())
        return;
    m_pendingColors.push_back(currentColor());
    m_assembler.vertex(toWorld(p), *this);
}

void CollectingRenderer::onFace(const std::vector<M3d>& points) {
    addFace(points, averageColor(m_pendingColors));
}

void CollectingRenderer::onSegment(size_t from, size_t to, size_t provoking) {
    const std::vector<M3d>& points = m_assembler.getPending();
    addLine(points[from], points[to], m_pendingColors[provoking]);
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
    m_assembler.end(*this);
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
        if (!IsFinitePoint(p) || !inWindow(p))
            return;
    m_faces.push_back({std::move(points), c, currentOwner()});
}

void CollectingRenderer::addLine(const M3d& a, const M3d& b, const RGBAColor& c) {
    addStroke({a, b, c, getLineWidth(), 0.0, currentOwner()});
}

void CollectingRenderer::addStroke(const DrawnStroke& stroke) {
    if (IsFinitePoint(stroke.a) && IsFinitePoint(stroke.b) && inWindow(stroke.a) &&
        inWindow(stroke.b))
        m_strokes.push_back(stroke);
}

void CollectingRenderer::dropStrokes(const std::function<bool(const DrawnStroke&)>& drop) {
    m_strokes.erase(std::remove_if(m_strokes.begin(), m_strokes.end(), drop), m_strokes.end());
}

void CollectingRenderer::renderTube(const M3d& a, const M3d& b, double radius) {
    // The radius is scaled like a length along the tube's first axis of the transform.
    const double scale = LengthScaleOf(m_stack.back());
    addStroke({toWorld(a), toWorld(b), currentColor(), getLineWidth(), std::fabs(radius * scale),
               currentOwner()});
}

void CollectingRenderer::renderSpline(const M3d& a, const M3d& ta, const M3d& b, const M3d& tb,
                                      double radius) {
    RenderSplineAsTubes(*this, a, ta, b, tb, radius);
}

void CollectingRenderer::renderSphere(const M3d& centre, double radius) {
    const M3d c = toWorld(centre);
    if (!IsFinitePoint(c) || !inWindow(c))
        return;
    const double scale = LengthScaleOf(m_stack.back());
    m_spheres.push_back({c, std::fabs(radius * scale), currentColor(), currentOwner()});
}

void CollectingRenderer::renderText(const M3d& at, const std::string& text) {
    const M3d p = toWorld(at);
    if (IsFinitePoint(p) && inWindow(p))
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
