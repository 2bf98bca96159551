#pragma once

#include <unordered_map>

#include "unfolders/strategies/FanCutUnfolder.h"

/// Grows a cut tree outwards from the net's border, one edge per step: the border
/// vertex nearest to the centre of the starting face is cut towards the neighbour whose
/// net image then lies furthest out, and the faces round it are placed up to the cuts.
/// The overlap check is off: overlaps are found when the net is complete.
class OutwardFacingUnfolder : public FanCutUnfolder {
    VORN_DECLARE_FACTORY(OutwardFacingUnfolder)

    OutwardFacingUnfolder() { checkIntersections = false; }

    bool setParent(SceneObj* parent) override;
    /// One cut per call (see the class comment). With no border vertex left to cut
    /// from, the faces still reachable across uncut edges are placed and the run ends.
    void unfold() override;
    /// Every source face is placed, or nothing more can be placed.
    bool isDone() override;
    bool allowAutoComplete() override { return false; }
    void renderSelf(Renderer* r) override { Unfolder::renderSelf(r); }

    /// The neighbour of `v` to cut towards: each neighbour whose edge is not cut yet
    /// (and would close no cycle of cuts) is cut on trial, and the one whose nearest net
    /// image then lies furthest from the centre wins. Null when there is none.
    Vertex* findFurthest(Vertex* v);
    /// The unvisited border vertex nearest to the centre; null when there is none.
    Vertex* findNearestBorderVertex();

    bool isVisited(Vertex* v) const;
    /// Vertices cut from so far.
    int getVisitedCount() const { return int(visited.size()); }

protected:
    std::unordered_map<Vertex*, bool> visited;
    /// No border vertex was left while faces were still unplaced.
    bool stuck = false;
};
