#pragma once

#include <utility>
#include <vector>

#include "unfolders/engine/Unfolder.h"
#include "unfolders/strategies/support/PolyEdgeSet.h"
#include "unfolders/strategies/support/ScanFrontier.h"

/// Grows the net by the candidate whose worst corner would turn the net's
/// outline inward least: each attempt attaches every candidate on trial,
/// measures the concavity of the outline at the new face's open corners, takes
/// it back and attaches the best (the first in net-face and edge order on
/// ties). The run ends at the first candidate that cannot be placed: it is
/// placed with the overlap check off and reported as a conflict. 50 attempts
/// per call; gaps are never filled.
///
/// Cost per candidate: a trial attach and removal (see Unfolder::remPoly) and,
/// per corner of the candidate, a walk along the outline to the nearest open
/// corners on either side, usually one step each way. Only getCoast and the
/// drawing walk the whole outline, which is linear in the net's size.
class CrestUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(CrestUnfolder)

    CrestUnfolder() = default;

    void unfold() override;
    /// Done when the run ended or every face is placed.
    bool isDone() override;
    void clear() override;
    /// The net, then its outline in orange.
    void renderSelf(Renderer* r) override;
    bool allowAutoComplete() override { return false; }

    /// True when every face at source vertex `v` is placed.
    bool isDeveloped(Vertex* v);
    /// The number of distinct net vertices that are images of source vertex `v`.
    int countDevelopments(Vertex* v);
    /// The net's outline as a cyclic sequence of net vertices, following the border
    /// edges (edges of net faces without a neighbour) in the faces' own direction from
    /// the first border edge in net order. O(net). Empty without a net.
    void getCoast(std::vector<Vertex*>& out);
    /// How far the outline turns inward at the image of source vertex `v` in the net
    /// face of `n`, in radians (0 to 2π): the angle the net fills there, between the
    /// outline's directions to the nearest open corners on either side (corners whose
    /// source vertex is not fully developed or is developed more than once); 2π minus
    /// the outline's outside angle. 0 where the image is not on the outline.
    double getGlobalConcavity(Vertex* v, Poly* n);
    /// Attaches `n` along its edge `k` on trial and returns the largest concavity at
    /// its open corners (those not fully developed or developed more than once), 0 when
    /// none is open; 4π when `k` is -1 or the placement is refused.
    double findWorstCavity(Poly* n, int k);
    /// The candidate (unplaced face, its edge to the net) of the smallest worst cavity,
    /// the first in net-face and edge order on ties; (null, 0) when there is none.
    std::pair<Poly*, int> findLeastCavity();

    /// Counts every candidate scored since binding (for measurements).
    std::size_t getTrialCount() const { return trialCount; }

private:
    /// The source vertex a net vertex is the image of, or null.
    static Vertex* sourceOf(Vertex* image);
    /// The outline vertex after (forward) or before `image`; null off the outline.
    static Vertex* outlineStep(Vertex* image, bool forward);
    /// Whether a source vertex is an open corner of the outline.
    bool isOpenCorner(Vertex* v);
    /// From `image`, the nearest open corner along the outline in one direction.
    Vertex* nearestOpenCorner(Vertex* image, bool forward);

    bool done = false;
    /// Candidates (unplaced face, its edge index) whose copy was refused.
    PolyEdgeSet refused;
    ScanFrontier frontier;
    std::size_t trialCount = 0;
};
