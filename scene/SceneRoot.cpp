#include "scene/SceneRoot.h"

#include "common/TextUtil.h"
#include "common/XML.h"
#include "scene/SceneEventHandler.h"

#include <atomic>
#include <cmath>

VORN_DEFINE_FACTORY(SceneRoot, "SceneObj")

namespace {

/// A revision no scene of the process has had yet.
std::uint64_t nextRevision() {
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

} // namespace

SceneRoot::SceneRoot() : m_revision(nextRevision()) {}

// The handler is told nothing while the tree goes: the document detaches itself first.
SceneRoot::~SceneRoot() {
    m_handler = nullptr;
    m_selection = nullptr;
}

void SceneRoot::select(SceneObj* obj) {
    if (obj && (!isAncestorOf(obj) || !obj->canSelect()))
        return;
    if (obj == m_selection)
        return;
    SceneObj* old = m_selection;
    m_selection = obj;
    m_revision = nextRevision();
    if (old)
        old->onDeselected();
    if (m_handler)
        m_handler->onSelect(obj);
}

bool SceneRoot::deselect(SceneObj* obj) {
    if (!obj || !m_selection || !obj->isAncestorOf(m_selection))
        return false;
    SceneObj* old = m_selection;
    m_selection = nullptr;
    m_revision = nextRevision();
    old->onDeselected();
    if (m_handler)
        m_handler->onDeselectRequest(old);
    return true;
}

void SceneRoot::requestRedraw() {
    m_revision = nextRevision();
    if (m_handler)
        m_handler->onRedrawRequest();
}

void SceneRoot::markChanged() {
    m_modified = true;
    requestRedraw();
}

void SceneRoot::onFocusRequest(SceneObj* obj, const Viewpoint& vp) {
    if (m_handler)
        m_handler->onFocusRequest(obj, vp);
}

void SceneRoot::onSelectionRequest(SceneObj* obj) {
    select(obj);
}

bool SceneRoot::onDeselectionRequest(SceneObj* obj) {
    if (deselect(obj))
        return true;
    return m_handler ? m_handler->onDeselectRequest(obj) : false;
}

bool SceneRoot::onCapRequest(const std::string& path, int width, int height, bool selectedOnly) {
    return m_handler ? m_handler->onCaptureRequest(path, width, height, selectedOnly) : false;
}

bool SceneRoot::setParent(SceneObj* parent) {
    return parent == nullptr;
}

void SceneRoot::onObjectDestroyed(SceneObj* obj) {
    requestRedraw();
    if (!m_selection || !obj->isAncestorOf(m_selection))
        return;
    // The object is half destroyed: only its address is passed on.
    SceneObj* old = m_selection;
    m_selection = nullptr;
    if (m_handler)
        m_handler->onDeselectRequest(old);
}

namespace {

/// A viewpoint in its text form, or as the elements "At", "From", "Up" and "Diam" (the form
/// streamed sweep surfaces are written in).
bool readViewpoint(const XML& e, Viewpoint& vp) {
    const XML* at = e.child("At");
    if (!at)
        return vp.fromText(e.getText());
    const XML* from = e.child("From");
    const XML* up = e.child("Up");
    const XML* diam = e.child("Diam");
    Sorvex::M3d target, eye, upward;
    double diameter = 0;
    if (!from || !up || !diam || !target.fromText(at->getText().c_str()) ||
        !eye.fromText(from->getText().c_str()) || !upward.fromText(up->getText().c_str()) ||
        !parseDouble(diam->getText(), diameter) || !std::isfinite(diameter))
        return false;
    vp = Viewpoint(target, eye, upward, diameter);
    return true;
}

} // namespace

void SceneRoot::read(XML& xml) {
    Viewpoint vp = m_viewpoint;
    if (const XML* e = xml.child("Viewpoint"); e && !readViewpoint(*e, vp))
        throw SceneReadError("Viewpoint: '" + e->getText() + "' is not a viewpoint");
    SceneObj::read(xml);
    m_viewpoint = vp;
}

void SceneRoot::write(XML& xml) {
    SceneObj::write(xml);
    if (m_viewpoint.isValid())
        xml.add("Viewpoint", std::string_view(m_viewpoint.toText()));
}
