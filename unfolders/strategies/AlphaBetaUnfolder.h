#pragma once

#include <list>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "unfolders/strategies/FanCutUnfolder.h"

/// Grows a cut tree vertex by vertex by angle criteria on the vertices' angle deficits.
///
/// Each step expands the unexpanded net vertex nearest to the centre of the starting
/// face. Its alpha is the total angle deficit of the cut subtree that hangs at it (its own
/// deficit plus its children's alphas): where that is nil the faces round it close flat
/// and it needs no cut, so it is expanded from itself and its faces are placed round it.
/// Otherwise it is cut towards the neighbour of least beta, the angle between the cut as
/// it lies in the net and the direction away from the centre (the most outward cut, where
/// the gap the deficit opens faces away from the net); ties go to the neighbour whose
/// image lies further out. The vertex is then expanded from that neighbour, which becomes
/// its parent in the cut tree. The overlap check stays on, so a face that would overlap
/// is not placed; the run fails when no vertex is left to expand.
class AlphaBetaUnfolder : public FanCutUnfolder {
    VORN_DECLARE_FACTORY(AlphaBetaUnfolder)

    AlphaBetaUnfolder() = default;

    bool setParent(SceneObj* parent) override;
    /// Draws the base, then the expansions on the source: each cut from a vertex to the
    /// vertex it was expanded from, red where the subtree's deficit is large, and a dot
    /// on every vertex that needed no cut.
    void renderSelf(Renderer* r) override;
    /// Outlines the faces the last step placed.
    void limnFace(Renderer* r, Poly& face) override;
    /// Faces carry paths and outlines that change with the search: drawn afresh.
    bool keepsFaceDrawing() override { return false; }
    /// One vertex per call (see the class comment).
    void unfold() override;
    bool allowAutoComplete() override { return false; }
    /// Not failed, done, every face placed and no overlap.
    bool isSuccesful() override;
    /// Expanded vertices over source vertices.
    float getProgress() override;
    /// Failed, or every source vertex expanded.
    bool isDone() override;

    /// Vertices with an entry in the expansion table.
    int numExpanded() const;
    /// The vertex `v` was expanded from (itself when it needed no cut); null while it
    /// is not expanded.
    Vertex* expandedFrom(Vertex* v) const;
    /// The total angle deficit of the cut subtree hanging at `v` when entered from
    /// `from`: the alphas of the vertices expanded from v other than `from`, plus v's own
    /// deficit when `from` is given.
    double alpha(Vertex* v, Vertex* from);
    /// The angle at v's net image between the cut (v, w) and the direction away from the
    /// centre of the starting face, over the placed faces along that edge (the smallest);
    /// pi when no placed face has the edge.
    double beta(Vertex* v, Vertex* w);
    /// The unexpanded net vertex nearest to the centre and the vertex to cut it towards
    /// (null when it needs no cut or none can be made); both null when every net vertex
    /// is expanded.
    std::pair<Vertex*, Vertex*> findNearest();
    /// The neighbour to cut `v` towards by the rules above; null when none.
    Vertex* findBestOutbound(Vertex* v);
    bool hasFailed() const { return failed; }

protected:
    /// Also lists the face's corners as net vertices for findNearest.
    void addPoly(Poly* f) override;
    /// Records v as expanded from w and the cut (v, w) as taken.
    void finalizeCut(Vertex* v, Vertex* w);
    /// v expanded from w: the child lists alpha sums over.
    std::unordered_map<Vertex*, Vertex*> expansion;
    std::unordered_map<Vertex*, std::list<Vertex*>> expandedChildren;
    int expandedCount = 0;
    /// Vertices that have reached the net and were not expanded when last looked at, in
    /// the order they reached it.
    std::vector<Vertex*> frontier;
    std::unordered_set<Vertex*> onFrontier;
    bool failed = false;
    /// The net faces the last step placed (drawn outlined).
    std::unordered_set<Poly*> lastPlaced;
};
