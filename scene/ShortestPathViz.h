#pragma once

#include "common/IdleLoop.h"
#include "scene/SceneObj.h"

class PolyMesh;
class Vertex;

/// Shows the shortest edge paths over its parent mesh from a source point: the point is
/// the object's own position in the mesh's coordinates (drag it to move the source), the
/// paths run from the mesh vertex nearest to it to every other vertex, coloured from blue
/// (near) to red (far). The mesh's shortest-path state (PolyMesh::getShortestPaths) is
/// advanced on idle ticks within a fixed budget, and the paths found so far are drawn.
/// Nothing beyond the base's transform is saved.
class ShortestPathViz : public SceneObj, public SystemIdleHandler {
    VORN_DECLARE_FACTORY(ShortestPathViz)

    ShortestPathViz();
    ~ShortestPathViz() override;

    /// The source point in the parent's coordinates.
    Sorvex::M3d getPoint() const { return getTranslation(); }
    /// The parent mesh, or null when the parent is no mesh.
    PolyMesh* getMesh();
    /// The mesh vertex nearest to the point (first on ties); null without a mesh vertex.
    Vertex* getSourceVertex();

    /// A mesh parent gets the viz placed at its highest vertex when it has not been placed
    /// yet (a viz read from a file keeps its position).
    bool setParent(SceneObj* parent) override;
    /// Advances the parent's shortest paths by at most about kWorkPerTick table entries.
    void onSystemIdle() override;
    void renderSelf(Renderer* r) override;

    /// Table entries (n² per pivot for n vertices) worked through per idle tick.
    static constexpr double kWorkPerTick = 4e6;
};
