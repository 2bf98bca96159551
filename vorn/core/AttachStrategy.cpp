#include "vorn/core/AttachStrategy.h"

#include "scene/Factory.h"
#include "scene/mesh/PolyMesh.h"
#include "vorn/core/StrategyCatalogue.h"

#include <memory>
#include <vector>

bool IsUnfoldingStrategy(const SceneObj* obj) {
    if (!obj)
        return false;
    Factory* factory = const_cast<SceneObj*>(obj)->getClassFactory();
    return factory && IsStrategy(*factory);
}

SceneObj* AttachStrategy(PolyMesh& mesh, Factory& factory, std::string* error) {
    auto fail = [error](const std::string& why) -> SceneObj* {
        if (error)
            *error = why;
        return nullptr;
    };
    const std::string name(factory.getClassName());
    if (!IsStrategy(factory))
        return fail(name + " is not an unfolding strategy");
    if (IsUnfoldingStrategy(&mesh))
        return fail("A net cannot be unfolded again; choose the mesh it was made from");
    std::unique_ptr<Factorable> built(factory.newInstance());
    auto* strategy = dynamic_cast<SceneObj*>(built.get());
    if (!strategy)
        return fail(name + " builds no scene object");

    std::vector<SceneObj*> previous;
    for (SceneObj* child : mesh.getChildren())
        if (IsUnfoldingStrategy(child))
            previous.push_back(child);
    for (SceneObj* old : previous)
        delete old; // detaches itself from the mesh and unlinks its net's twins
    try {
        if (!strategy->setParent(&mesh))
            return fail("Cannot attach " + name + " to this mesh");
    } catch (const char* text) {
        // Strategies refuse meshes they cannot use by throwing a text out of setParent;
        // the strategy is dropped and the text is the message.
        return fail(text);
    }
    built.release(); // owned by the mesh now
    return strategy;
}

SceneObj* AttachedStrategy(const PolyMesh& mesh) {
    for (SceneObj* child : mesh.getChildren())
        if (IsUnfoldingStrategy(child))
            return child;
    return nullptr;
}
