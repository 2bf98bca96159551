#pragma once

#include <vector>

#include "sorvex/M3d.h"
#include "unfolders/engine/Unfolder.h"

class MeshShortestPaths;

/// Cuts along the shortest edge paths from every vertex towards one source point and
/// lays the whole net out from that cut graph.
///
/// The source point is the point of the mesh's first ShortestPathViz child, reached from
/// the vertex nearest to it, so the cuts are the tree that object draws; without one it
/// is the centre of the face with the highest centre, reached from that face's corners.
/// The paths come from the mesh's shared all-pairs state (PolyMesh::getShortestPaths),
/// advanced a few pivots per step with the progress in the status line; a state that is
/// already complete (a path display finished it) is used at once. The last hop of every
/// path, from a corner to the point itself, is not an edge and is never cut, so the cut
/// graph is a forest with one tree per corner used.
class StarUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(StarUnfolder)

    StarUnfolder() = default;

    /// Binds as the base does, then finds the source point and prepares the paths.
    bool setParent(SceneObj* parent) override;
    /// Advances the shortest paths by up to PivotsPerStep pivots; once they are complete,
    /// builds the cut graph and lays the net out from it.
    void unfold() override;
    /// The net was laid, or there was nothing to lay (no starting face, no memory).
    bool isDone() override;

    /// Pivot steps of the all-pairs computation per call of unfold().
    static constexpr int PivotsPerStep = 5;

    /// The point the cuts lead to, in the source's coordinates.
    const Sorvex::M3d& getSourcePoint() const { return sourcePoint; }
    /// The vertices next to the source point: the last vertex of every path.
    const std::vector<Vertex*>& getAnchors() const { return anchors; }
    /// Whether the point was taken from a ShortestPathViz child.
    bool isSourceFromViz() const { return sourceFromViz; }
    /// Whether the paths could be prepared (false: no starting face, or no memory).
    bool isInitialised() const { return initialised; }
    /// Fraction of the shortest-path computation done (1 when it is complete).
    float getPathProgress();

    /// The shortest edge path from `v` to the anchor nearest to the source point along
    /// the edges plus the last hop, both ends included; empty while no path is known.
    std::vector<Vertex*> getPathToSource(Vertex* v);
    /// The union of the paths: each vertex in list order follows its path until it
    /// meets a vertex already in the graph, so the result is a forest.
    void buildStarCutGraph(Graph<Vertex*>& cut);

protected:
    bool initialised = false;
    /// The paths are complete and the net has been laid from them.
    bool laidOut = false;
    bool sourceFromViz = false;
    Sorvex::M3d sourcePoint;
    std::vector<Vertex*> anchors;

private:
    /// The source's shortest-path state; null without a source.
    MeshShortestPaths* paths();
    void chooseSourcePoint();
};
