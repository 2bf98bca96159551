#pragma once

#include <string>

class Factory;
class PolyMesh;
class SceneObj;

/// Attaches a new unfolding strategy built by `factory` (a factory listed under
/// "Unfolder") to `mesh`; binding starts the unfolding at once. A strategy already
/// unfolding the mesh is deleted first: two nets cannot share the source faces' twin
/// links. Returns the new strategy, or null with `error` (and the mesh as it was) when
/// the factory is not a strategy's or builds nothing. A strategy that refuses the mesh
/// by throwing a text out of binding is dropped, the text becoming `error`; the earlier
/// strategy is gone by then.
SceneObj* AttachStrategy(PolyMesh& mesh, Factory& factory, std::string* error = nullptr);

/// True when `obj` was built by a factory listed under "Unfolder" (the base included).
bool IsUnfoldingStrategy(const SceneObj* obj);

/// The first strategy among the children of `mesh` (the one a scene stores with it),
/// or null.
SceneObj* AttachedStrategy(const PolyMesh& mesh);
