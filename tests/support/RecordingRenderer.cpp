#include "tests/support/RecordingRenderer.h"

#include "scene/SceneObj.h"

#include <algorithm>

RecordingRenderer::RecordingRenderer() : m_stack(1) {}

RecordedCall& RecordingRenderer::record(const char* name, std::initializer_list<double> args) {
    m_calls.push_back(RecordedCall{name, args, {}, {}});
    return m_calls.back();
}

void RecordingRenderer::beginLines() {
    record("beginLines");
}
void RecordingRenderer::beginLineLoop() {
    record("beginLineLoop");
}
void RecordingRenderer::beginTriangles() {
    record("beginTriangles");
}
void RecordingRenderer::beginPolygon() {
    record("beginPolygon");
}

void RecordingRenderer::vertex(const Sorvex::M3d& p) {
    record("vertex", {p.x(), p.y(), p.z()}).world = m_stack.back() * p;
}

void RecordingRenderer::normal(const Sorvex::M3d& n) {
    record("normal", {n.x(), n.y(), n.z()});
}

void RecordingRenderer::color(double r, double g, double b, double a) {
    record("color", {r, g, b, a});
}

void RecordingRenderer::end() {
    record("end");
}

void RecordingRenderer::pushTransform(const Sorvex::M4x4& m) {
    RecordedCall& call = record("pushTransform");
    call.args.assign(m.data(), m.data() + 16);
    m_stack.push_back(m_stack.back() * m);
}

void RecordingRenderer::popTransform() {
    record("popTransform");
    // An unbalanced pop is a fault of the drawing code; the record shows it, the stack
    // keeps its base so later calls still have a transform.
    if (m_stack.size() > 1)
        m_stack.pop_back();
}

void RecordingRenderer::renderTube(const Sorvex::M3d& a, const Sorvex::M3d& b, double radius) {
    record("renderTube", {a.x(), a.y(), a.z(), b.x(), b.y(), b.z(), radius});
}

void RecordingRenderer::renderSpline(const Sorvex::M3d& a, const Sorvex::M3d& ta,
                                     const Sorvex::M3d& b, const Sorvex::M3d& tb, double radius) {
    record("renderSpline", {a.x(), a.y(), a.z(), ta.x(), ta.y(), ta.z(), b.x(), b.y(), b.z(),
                            tb.x(), tb.y(), tb.z(), radius});
}

void RecordingRenderer::renderSphere(const Sorvex::M3d& centre, double radius) {
    record("renderSphere", {centre.x(), centre.y(), centre.z(), radius});
}

void RecordingRenderer::renderText(const Sorvex::M3d& at, const std::string& text) {
    record("renderText", {at.x(), at.y(), at.z()}).text = text;
}

void RecordingRenderer::setLineWidth(double width) {
    Renderer::setLineWidth(width);
    record("setLineWidth", {width});
}

void RecordingRenderer::setFlag(RenderFlag flag, bool on) {
    Renderer::setFlag(flag, on);
    record("setFlag", {static_cast<double>(flag), on ? 1.0 : 0.0});
}

void RecordingRenderer::beginObject(SceneObj* obj) {
    record("beginObject").text = obj ? std::string(obj->getClassName()) : std::string();
}

void RecordingRenderer::endObject(SceneObj* obj) {
    record("endObject").text = obj ? std::string(obj->getClassName()) : std::string();
}

std::string RecordingRenderer::getCallNames() const {
    std::string names;
    for (const RecordedCall& call : m_calls)
        names += call.name + '\n';
    return names;
}

size_t RecordingRenderer::count(const std::string& name) const {
    return std::count_if(m_calls.begin(), m_calls.end(),
                         [&](const RecordedCall& call) { return call.name == name; });
}

void RecordingRenderer::clear() {
    m_calls.clear();
    m_stack.assign(1, Sorvex::M4x4());
}
