#pragma once

#include <unordered_map>
#include <utility>
#include <vector>

#include "unfolders/engine/Unfolder.h"
#include "unfolders/strategies/support/PolyEdgeSet.h"
#include "unfolders/strategies/support/ScanFrontier.h"
#include "unfolders/strategies/support/SlotMaxTree.h"

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
///
/// A candidate's score depends on the net only through the source vertices its
/// measurement looked at (its corners and the outline it walked) and on whether
/// its copy overlaps the net. Scores are therefore kept between attempts: a face
/// joining the net rescores only the candidates that looked at one of its
/// corners, and the best kept score is measured afresh before it is taken (an
/// overlap can only raise a score), so each attempt chooses exactly what scoring
/// every candidate would choose, in time that does not grow with the net.
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
    /// Whether scores are kept between attempts (the default) or every candidate is
    /// scored at every attempt; both choose alike (for tests and benchmarks).
    void setKeptScores(bool on) { keptScores = on; }

private:
    /// The source vertex a net vertex is the image of, or null.
    static Vertex* sourceOf(Vertex* image);
    /// The outline vertex after (forward) or before `image`; null off the outline.
    static Vertex* outlineStep(Vertex* image, bool forward);
    /// Whether a source vertex is an open corner of the outline.
    bool isOpenCorner(Vertex* v);
    /// From `image`, the nearest open corner along the outline in one direction.
    Vertex* nearestOpenCorner(Vertex* image, bool forward);

    /// findLeastCavity by scoring every candidate.
    std::pair<Poly*, int> scanLeastCavity();
    /// findLeastCavity from the kept scores.
    std::pair<Poly*, int> keptLeastCavity();
    /// Takes in the net faces added since the last call: the scores that looked at
    /// their corners are marked for measuring again, their candidacies end, and their
    /// own candidates get slots.
    void syncScores();
    /// Measures slot `slot` again and records what the measurement looked at.
    double rescore(std::size_t slot);
    void forgetScores();

    bool done = false;
    bool keptScores = true;
    /// Candidates (unplaced face, its edge index) whose copy was refused.
    PolyEdgeSet refused;
    /// The kept scores, one slot per edge of every net face in net order (so that
    /// the first best slot is the first best candidate in scan order), holding the
    /// negated score, -infinity where no candidate is offered.
    SlotMaxTree scores;
    std::vector<std::pair<Poly*, int>> slotEdges; // (placed source face, its edge)
    std::size_t scoredFaces = 0;                  // net faces whose slots exist
    Poly* lastScoredFace = nullptr;
    std::vector<std::size_t> stale; // slots to measure again
    /// Source vertices a measurement looked at, and the slots whose measurement did.
    std::unordered_map<Vertex*, std::vector<std::size_t>> lookedAt;
    std::unordered_map<Poly*, std::vector<std::size_t>> slotsOffering;
    /// Where isOpenCorner records the vertices it is asked about, while measuring.
    std::vector<Vertex*>* looking = nullptr;
    ScanFrontier frontier;
    std::size_t trialCount = 0;
};
