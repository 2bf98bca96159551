#include "vorn/app/CVornDoc.h"

#include "common/XML.h"
#include "scene/Factory.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/SceneObj.h"
#include "scene/SceneRoot.h"
#include "vorn/core/AttachStrategy.h"

#include <algorithm>
#include <memory>

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

namespace {

// Shapes are inserted light grey so the net's colours stand out against them.
constexpr double kShapeGrey = 0.75;

bool isShape(const std::string& className) {
    return className == "MathFn" || className == "Coolinoid" || className == "WitchHat" ||
           className == "BinTree";
}

// Refusals report why through `error` when the caller asked.
bool failWith(std::string* error, const std::string& why) {
    if (error)
        *error = why;
    return false;
}

std::unique_ptr<SceneObj> buildSceneObj(const std::string& className) {
    std::unique_ptr<Factorable> built(Factory::BuildObj(className));
    if (!dynamic_cast<SceneObj*>(built.get()))
        return nullptr;
    return std::unique_ptr<SceneObj>(static_cast<SceneObj*>(built.release()));
}

/// A new surface gets its bounding cube (control moved to the corner) and one line source
/// of strength 1, set through the values the classes read from documents.
bool prepareMetaSurface(SceneObj& surface) {
    XML values("MetaSurface");
    values["Extents"] = Sorvex::M3d(3, 3, 3).toString();
    std::unique_ptr<SceneObj> line = buildSceneObj("MetaLine");
    if (!line)
        return false;
    XML lineValues("MetaLine");
    lineValues["Strength"] = 1.0;
    try {
        surface.read(values);
        line->read(lineValues);
    } catch (const SceneReadError&) {
        return false;
    }
    if (!line->setParent(&surface))
        return false;
    line.release(); // owned by the surface now
    return true;
}

} // namespace

bool CVornDoc::CanBuild(const std::string& className) {
    return buildSceneObj(className) != nullptr;
}

bool CVornDoc::insertObject(const std::string& className, std::string* error) {
    auto fail = [error](const std::string& why) { return failWith(error, why); };
    SceneRoot* root = m_document.getRoot();
    if (!root)
        return fail("There is no open document");
    std::unique_ptr<SceneObj> obj = buildSceneObj(className);
    if (!obj)
        return fail(className + " is not available in this build");
    SceneObj* parent = root;
    if (className == "ShortestPathViz") {
        parent = m_document.getTargetMesh();
        if (!parent)
            return fail("There is no mesh to show shortest paths on");
    }
    if (isShape(className)) {
        if (auto* mesh = dynamic_cast<PolyMesh*>(obj.get()))
            mesh->setColor(kShapeGrey, kShapeGrey, kShapeGrey);
    }
    if (className == "MetaSurface" && !prepareMetaSurface(*obj))
        return fail("MetaLine is not available in this build");
    if (!obj->setParent(parent))
        return fail("Cannot insert " + className + " here");
    SceneObj::DelayedSelect(obj.release()); // owned by its parent now
    return true;
}

bool CVornDoc::insertFromXml(const std::string& xmlText, std::string* error) {
    auto fail = [error](const std::string& why) { return failWith(error, why); };
    SceneRoot* root = m_document.getRoot();
    if (!root)
        return fail("There is no open document");
    XML xml;
    if (!xml.parse(xmlText))
        return fail("The scene object text does not parse: " + xml.getError());
    std::unique_ptr<SceneObj> obj = buildSceneObj(xml.getName());
    if (!obj)
        return fail(xml.getName() + " is not available in this build");
    try {
        obj->read(xml);
    } catch (const SceneReadError& e) {
        return fail(e.what());
    }
    if (!obj->setParent(root))
        return fail("Cannot insert " + xml.getName() + " here");
    SceneObj::DelayedSelect(obj.release()); // owned by the root now
    return true;
}

SceneObj* CVornDoc::attachStrategy(Factory& factory, std::string* error) {
    PolyMesh* mesh = m_document.getTargetMesh();
    if (!mesh) {
        failWith(error, "There is no mesh to unfold");
        return nullptr;
    }
    SceneObj* strategy = AttachStrategy(*mesh, factory, error);
    if (strategy)
        SceneObj::DelayedSelect(strategy);
    return strategy;
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
