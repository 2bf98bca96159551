#include "vorn/core/TargetMesh.h"

#include "scene/mesh/PolyMesh.h"
#include "scene/SceneRoot.h"

PolyMesh* FindTargetMesh(SceneRoot* root, SceneObj* selection) {
    if (auto* mesh = dynamic_cast<PolyMesh*>(selection)) {
        while (auto* parent = dynamic_cast<PolyMesh*>(mesh->getParent()))
            mesh = parent;
        return mesh;
    }
    if (!root)
        return nullptr;
    for (SceneObj* child : root->getChildren())
        if (auto* mesh = dynamic_cast<PolyMesh*>(child))
            return mesh;
    return nullptr;
}
