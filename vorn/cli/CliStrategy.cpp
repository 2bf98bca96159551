#include "vorn/cli/CliStrategy.h"

#include "scene/Factory.h"
#include "scene/mesh/PolyMesh.h"
#include "unfolders/engine/Unfolder.h"
#include "vorn/cli/CliCommand.h"
#include "vorn/cli/CliDocument.h"
#include "vorn/core/AttachStrategy.h"
#include "vorn/core/StrategyCatalogue.h"
#include "vorn/core/UnfoldingLibrary.h"

Factory* CliFindStrategy(const std::string& name) {
    std::string error;
    if (!Factory::GetFactory("Unfolder") && !LoadUnfoldingLibrary(&error)) {
        CliFail("the unfolding library is not available: " + error);
        return nullptr;
    }
    Factory* factory = FindStrategy(name);
    if (!factory)
        CliFail(UnknownStrategyMessage(name));
    return factory;
}

Unfolder* CliStrategyFor(PolyMesh& mesh, Factory& factory, bool keepStored,
                         const std::string& model) {
    // The library is loaded by name, not linked: the object is known to be an unfolder
    // by the factory that built it, so no dynamic_cast.
    if (keepStored)
        if (SceneObj* stored = AttachedStrategy(mesh))
            return static_cast<Unfolder*>(stored);
    // A strategy already unfolding the mesh is replaced, not joined, and a net given as
    // the model is refused.
    std::string error;
    SceneObj* attached = AttachStrategy(mesh, factory, &error);
    if (!attached) {
        CliFail(model + ": " + error);
        return nullptr;
    }
    return static_cast<Unfolder*>(attached);
}

Unfolder* CliOpenWithStrategy(SceneDocument& document, const std::string& model,
                              const std::string& chosen, const std::string& fallback,
                              PolyMesh*& mesh) {
    Factory* factory = CliFindStrategy(chosen.empty() ? fallback : chosen);
    if (!factory)
        return nullptr;
    mesh = CliOpenMeshToUnfold(document, model);
    if (!mesh)
        return nullptr;
    // Without a chosen strategy, a scene that holds one runs it.
    return CliStrategyFor(*mesh, *factory, chosen.empty(), model);
}
