#include "scene/ShortestPathViz.h"

#include "scene/Renderer.h"
#include "scene/mesh/MeshShortestPaths.h"
#include "scene/mesh/PolyMesh.h"
#include "sorvex/M4x4.h"

#include <algorithm>
#include <cmath>

using Sorvex::M3d;

VORN_DEFINE_FACTORY(ShortestPathViz, "SceneObj")

namespace {

constexpr double kMarkerRadius = 0.04;

} // namespace

ShortestPathViz::ShortestPathViz() {
    RegisterSystemIdleHandler(this);
}

ShortestPathViz::~ShortestPathViz() {
    UnregisterSystemIdleHandler(this);
}

PolyMesh* ShortestPathViz::getMesh() {
    return dynamic_cast<PolyMesh*>(getParent());
}

Vertex* ShortestPathViz::getSourceVertex() {
    PolyMesh* mesh = getMesh();
    if (!mesh)
        return nullptr;
    const M3d point = getPoint();
    Vertex* nearest = nullptr;
    double best = 0;
    for (Vertex* v : mesh->getVertices()) {
        const double d = (*v - point).squared();
        if (!nearest || d < best) {
            nearest = v;
            best = d;
        }
    }
    return nearest;
}

bool ShortestPathViz::setParent(SceneObj* parent) {
    const bool placed = getTranslation() != M3d(0, 0, 0);
    if (!SceneObj::setParent(parent))
        return false;
    PolyMesh* mesh = getMesh();
    if (mesh && !placed) {
        const Vertex* top = nullptr;
        for (const Vertex* v : mesh->getVertices())
            if (!top || v->y() > top->y())
                top = v;
        if (top)
            translate(*top);
    }
    return true;
}

void ShortestPathViz::onSystemIdle() {
    PolyMesh* mesh = getMesh();
    if (!mesh)
        return;
    MeshShortestPaths& paths = mesh->getShortestPaths();
    if (paths.isDone())
        return;
    const double n = std::max(1, paths.getVertexCount());
    const int pivots = int(std::max(1.0, kWorkPerTick / (n * n)));
    paths.advance(pivots);
    requestSceneRedraw();
}

void ShortestPathViz::renderSelf(Renderer* r) {
    r->color(1.0, 0.85, 0.2);
    r->renderSphere(M3d(0, 0, 0), kMarkerRadius);
    PolyMesh* mesh = getMesh();
    Vertex* source = getSourceVertex();
    if (!mesh || !source)
        return;
    const MeshShortestPaths& paths = mesh->getShortestPaths();
    float farthest = 0;
    for (const Vertex* v : mesh->getVertices()) {
        const float d = paths.getDistance(source, v);
        if (d != Sorvex::DjikstraDistance::NoPath)
            farthest = std::max(farthest, d);
    }
    // Paths are in the mesh's coordinates: undo this object's own transform.
    Sorvex::M4x4 toMesh = getTransform();
    if (!toMesh.inv())
        return;
    r->pushTransform(toMesh);
    // The last step of every path is an edge of the shortest-path tree: drawing those
    // draws every path once.
    r->beginLines();
    for (const Vertex* v : mesh->getVertices()) {
        const std::vector<Vertex*> path = paths.getPath(source, v);
        if (path.size() < 2)
            continue;
        const double t = farthest > 0 ? paths.getDistance(source, v) / farthest : 0;
        r->color(t, 0.2, 1 - t);
        r->vertex(*path[path.size() - 2]);
        r->vertex(*v);
    }
    r->end();
    r->popTransform();
}
