#pragma once

class PolyMesh;
class SceneObj;
class SceneRoot;

/// The mesh that export and the mesh tools work on: when `selection` is a
/// `PolyMesh`, the outermost `PolyMesh` among it and its ancestors (a chain of
/// meshes ends at the first non-mesh parent); otherwise the first child of
/// `root` that is a `PolyMesh`; otherwise null.
PolyMesh* FindTargetMesh(SceneRoot* root, SceneObj* selection);
