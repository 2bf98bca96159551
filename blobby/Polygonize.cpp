#include "blobby/Polygonize.h"

#include "blobby/Force.h"
#include "blobby/MetaSurface.h"
#include "scene/mesh/PolyMesh.h"

namespace {

bool hasSource(SceneObj& obj) {
    for (SceneObj* child : obj.getChildren())
        if (dynamic_cast<Force*>(child) || hasSource(*child))
            return true;
    return false;
}

} // namespace

MetaSurface* FindMetaSurface(SceneObj& root) {
    if (auto* surface = dynamic_cast<MetaSurface*>(&root))
        return surface;
    for (SceneObj* child : root.getChildren())
        if (MetaSurface* found = FindMetaSurface(*child))
            return found;
    return nullptr;
}

std::unique_ptr<PolyMesh> PolygonizeToEnd(MetaSurface& surface, int maxLevel,
                                          const std::function<void(int, size_t)>& progress,
                                          std::string& error) {
    if (maxLevel > MetaSurface::MaxAllowedLevel) {
        error = "max level " + std::to_string(maxLevel) + " is above " +
                std::to_string(MetaSurface::MaxAllowedLevel) +
                ": each level needs up to eight times the memory";
        return nullptr;
    }
    if (!hasSource(surface)) {
        error = "the MetaSurface has no field sources (MetaBall or MetaLine)";
        return nullptr;
    }
    const Sorvex::M3d& e = surface.getExtents();
    if (!(e.x() > 0 && e.y() > 0 && e.z() > 0)) {
        error = "the MetaSurface has empty extents";
        return nullptr;
    }
    if (maxLevel > 0)
        surface.setMaxLevel(maxLevel);
    surface.setPaused(false);
    do {
        surface.refine(1000);
        if (surface.getPaused()) {
            error = "refinement is paused by the file PauseRefine.txt in the data folder";
            return nullptr;
        }
        if (progress)
            progress(surface.getLatestLevel(), surface.getOctreesInProgress().size());
    } while (!surface.isDone());
    std::unique_ptr<PolyMesh> mesh(surface.generatePolyMesh());
    if (!mesh) {
        error = "the field has no 0.5 level inside the bounding cube";
        return nullptr;
    }
    mesh->setParent(nullptr); // the caller owns it
    return mesh;
}
