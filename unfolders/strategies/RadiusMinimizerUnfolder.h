#pragma once

#include <cstddef>
#include <queue>
#include <tuple>
#include <vector>

#include "unfolders/engine/Unfolder.h"

/// Grows the net around its first face: each pass flattens every candidate
/// (an unplaced face beside the net) and attaches the one whose flat centre
/// lands nearest the centre of the first face (squared distance in single
/// precision; the first in net-face and edge order on ties). Ten passes per
/// call; done when a pass finds nothing it can place.
///
/// A candidate's flat copy depends only on the placed face it hinges on, and a
/// copy refused for overlapping stays refused as the net grows, so each
/// candidate is flattened and scored once, kept in a queue by (score, net
/// position, edge), and flattened again only when it comes to the front: the
/// same nets as scanning every candidate on every pass, in O(log n) per
/// candidate instead of a scan of the whole frontier per face.
class RadiusMinimizerUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(RadiusMinimizerUnfolder)

    RadiusMinimizerUnfolder() = default;

    void unfold() override;
    bool isDone() override { return !progress; }
    void clear() override;

    /// The score of a flat copy centred at (cx, cz) about the reference point (x, z).
    static float Score(double cx, double cz, double x, double z);

private:
    struct Candidate {
        float score;
        std::size_t position; // of the placed net face in the net
        int edge;             // of the placed face
        Poly* face;           // the unplaced source face
        int hinge;            // its edge index of the placed face
        bool operator>(const Candidate& o) const {
            return std::tie(score, position, edge) > std::tie(o.score, o.position, o.edge);
        }
    };
    /// Scores the candidates of the net faces added since the last call.
    void syncQueue();
    /// Flattens `n` against its placed neighbour across its edge `k` and returns the
    /// copy's score; false when the copy is refused. The copy is discarded.
    bool scoreCopy(Poly& n, int k, float& score);

    bool progress = true;
    std::priority_queue<Candidate, std::vector<Candidate>, std::greater<Candidate>> queue;
    std::size_t queued = 0;     // net faces whose candidates are queued
    Poly* lastQueued = nullptr; // the last of them, to notice a net laid afresh
    double refX = 0, refZ = 0;  // the reference point the queued scores are about
};
