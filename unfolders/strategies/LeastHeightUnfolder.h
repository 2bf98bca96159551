#pragma once

#include <cstddef>
#include <queue>
#include <vector>

#include "unfolders/engine/Unfolder.h"
#include "unfolders/strategies/support/PolyEdgeSet.h"
#include "unfolders/strategies/support/ScanFrontier.h"

/// Attaches, on each attempt, the unplaced face with the smallest score
/// among all faces touching the net (the first in net order on ties). A
/// refused edge is blocked and never tried again. 25 attempts per call.
class LeastHeightUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(LeastHeightUnfolder)

    LeastHeightUnfolder() = default;

    void clear() override;
    void unfold() override;
    bool isDone() override { return done; }

    /// The score of attaching unplaced face `n` to placed face `t`; smaller
    /// is better. Here the mean of the shared edge's lower end and n's
    /// centre height, so low faces come first. It must depend on the two faces
    /// only: a candidate is scored once, when its net face is placed.
    virtual double scoreUnfolding(Poly& t, Poly& n);

    /// Whether each attempt takes the best candidate from a queue of the net's open
    /// edges (default) or scans the whole net. Both give the same nets; the
    /// whole-net scan is quadratic and kept for comparison.
    void setIncrementalScan(bool on) { incrementalScan = on; }
    bool getIncrementalScan() const { return incrementalScan; }

private:
    /// An edge of a net face waiting in the candidate queue.
    struct QueuedEdge {
        double score;
        std::size_t netIndex; // the face's place in the net, which breaks ties
        int edge;
        Poly* face;
    };
    /// Puts the edge that a scan of the net would meet later (or that scores
    /// higher) below the other, so that the top is the scan's choice.
    struct ComesLater {
        bool operator()(const QueuedEdge& a, const QueuedEdge& b) const {
            if (a.score < b.score || b.score < a.score)
                return b.score < a.score;
            return a.netIndex != b.netIndex ? a.netIndex > b.netIndex : a.edge > b.edge;
        }
    };

    /// Scans `faces` for the best candidate; false when there is none.
    template <typename Range> bool findCandidate(const Range& faces, Poly*& g, int& edge);
    /// The best candidate from the queue; false when there is none or a score
    /// that cannot be ordered (NaN) turned the queue off for this run.
    bool takeFromQueue(Poly*& g, int& edge);
    /// Queues the open edges of the net faces placed since the last call; starts
    /// over from the whole net when faces were removed or replaced.
    void syncQueue();
    bool isOpenEdge(Poly& g, int i) const;

    /// Edges (net face, index) whose attach was refused.
    PolyEdgeSet blocked;
    bool done = false;
    bool incrementalScan = true;
    /// Open edges, best on top. An edge closed since it was queued (its face across
    /// placed, or the edge blocked) never opens again while the net only grows, so
    /// closed edges are dropped when they reach the top.
    std::priority_queue<QueuedEdge, std::vector<QueuedEdge>, ComesLater> queue;
    std::size_t queuedFaces = 0;   // net faces whose edges were queued
    Poly* lastQueuedFace = nullptr; // the last of them, to notice replaced faces
    bool queueUsable = true;        // false once a score was NaN: the scan decides
    /// The faces that may still offer a candidate, for the scan after a NaN score.
    ScanFrontier frontier;
};

/// The lowest-candidate scan with the overlap check off.
class LeastHeightWithoutErrorCorrectionUnfolder : public LeastHeightUnfolder {
    VORN_DECLARE_FACTORY(LeastHeightWithoutErrorCorrectionUnfolder)

    LeastHeightWithoutErrorCorrectionUnfolder() { setCheckIntersections(false); }
};
