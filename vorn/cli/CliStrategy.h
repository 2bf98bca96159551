#pragma once

#include <string>

class Factory;
class PolyMesh;
class SceneDocument;
class Unfolder;

/// The strategy `name` (any spelling `FindStrategy` takes), loading the unfolding
/// library first when it is not loaded yet. On failure prints why (the library is
/// missing, or the name and the strategies there are) and returns null.
Factory* CliFindStrategy(const std::string& name);

/// The unfolder that is to work on `mesh` (opened from `model`): the strategy the scene
/// stored with the mesh when `keepStored` and there is one, else a new one built by
/// `factory` and attached through the workbench's attach service. On failure prints
/// why, naming `model`, and returns null.
Unfolder* CliStrategyFor(PolyMesh& mesh, Factory& factory, bool keepStored,
                         const std::string& model);

/// Opens `model` into `document` and returns the unfolder to run on its target mesh:
/// the strategy named `chosen`, or, when `chosen` is empty, the one the scene stored
/// with the mesh, else `fallback`. `mesh` receives the target mesh. On failure prints
/// why and returns null.
Unfolder* CliOpenWithStrategy(SceneDocument& document, const std::string& model,
                              const std::string& chosen, const std::string& fallback,
                              PolyMesh*& mesh);
