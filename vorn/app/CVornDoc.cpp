#include "vorn/app/CVornDoc.h"

#include "scene/Factory.h"
#include "scene/SceneObj.h"
#include "scene/SceneRoot.h"

#include <algorithm>

CVornDoc::CVornDoc() {
    m_document.addView(this);
}

CVornDoc::~CVornDoc() {
    m_document.removeView(this);
}

void CVornDoc::onNewDocument() {
    m_document.newDocument();
}

bool CVornDoc::onOpenDocument(const std::string& path, std::string& error) {
    return m_document.open(path, error);
}

bool CVornDoc::onSaveDocument(const std::string& path, std::string& error) {
    return m_document.save(path, error);
}

std::string CVornDoc::proposeExportName() const {
    if (!m_document.getTargetMesh())
        return {};
    return m_document.proposeOffName();
}

bool CVornDoc::exportOff(const std::string& path, std::string& error) const {
    return m_document.exportOff(path, error);
}

bool CVornDoc::insertObject(const std::string& className) {
    SceneRoot* root = m_document.getRoot();
    if (!root)
        return false;
    Factorable* built = Factory::BuildObj(className);
    auto* obj = dynamic_cast<SceneObj*>(built);
    if (!obj) {
        delete built;
        return false;
    }
    if (!obj->setParent(root)) {
        delete obj;
        return false;
    }
    SceneObj::DelayedSelect(obj);
    return true;
}

std::string CVornDoc::getTitle() const {
    const std::string& path = m_document.getPathName();
    if (path.empty())
        return "Untitled";
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

void CVornDoc::addView(SceneEventHandler* view) {
    if (view && std::find(m_views.begin(), m_views.end(), view) == m_views.end())
        m_views.push_back(view);
}

void CVornDoc::removeView(SceneEventHandler* view) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void CVornDoc::onRedrawRequest() {
    for (SceneEventHandler* view : m_views)
        view->onRedrawRequest();
}

void CVornDoc::onFocusRequest(SceneObj* obj, const Viewpoint& vp) {
    for (SceneEventHandler* view : m_views)
        view->onFocusRequest(obj, vp);
}

void CVornDoc::onSelect(SceneObj* obj) {
    for (SceneEventHandler* view : m_views)
        view->onSelect(obj);
}

bool CVornDoc::onDeselectRequest(SceneObj* obj) {
    // The answer is the last view's, as every view is asked.
    bool result = false;
    for (SceneEventHandler* view : m_views)
        result = view->onDeselectRequest(obj);
    return result;
}

bool CVornDoc::onCaptureRequest(const std::string& path, int width, int height, bool selectedOnly) {
    if (m_views.empty())
        return false;
    return m_views.front()->onCaptureRequest(path, width, height, selectedOnly);
}
