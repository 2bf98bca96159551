// Inserting objects into a document: by class name (the Insert menu), from XML text and by
// attaching a strategy.
#include "vorn/core/SceneDocument.h"

#include "common/XML.h"
#include "scene/Factory.h"
#include "scene/SceneObj.h"
#include "scene/SceneRoot.h"
#include "scene/mesh/PolyMesh.h"
#include "vorn/core/AttachStrategy.h"

#include <memory>

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

bool SceneDocument::CanBuild(const std::string& className) {
    return buildSceneObj(className) != nullptr;
}

bool SceneDocument::insertObject(const std::string& className, std::string* error) {
    auto fail = [error](const std::string& why) { return failWith(error, why); };
    if (!m_root)
        return fail("There is no open document");
    std::unique_ptr<SceneObj> obj = buildSceneObj(className);
    if (!obj)
        return fail(className + " is not available in this build");
    SceneObj* parent = m_root.get();
    if (className == "ShortestPathViz") {
        parent = getTargetMesh();
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

bool SceneDocument::insertFromXml(const std::string& xmlText, std::string* error) {
    auto fail = [error](const std::string& why) { return failWith(error, why); };
    if (!m_root)
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
    if (!obj->setParent(m_root.get()))
        return fail("Cannot insert " + xml.getName() + " here");
    SceneObj::DelayedSelect(obj.release()); // owned by the root now
    return true;
}

SceneObj* SceneDocument::attachStrategy(Factory& factory, std::string* error) {
    PolyMesh* mesh = getTargetMesh();
    if (!mesh) {
        failWith(error, "There is no mesh to unfold");
        return nullptr;
    }
    SceneObj* strategy = AttachStrategy(*mesh, factory, error);
    if (strategy)
        SceneObj::DelayedSelect(strategy);
    return strategy;
}
