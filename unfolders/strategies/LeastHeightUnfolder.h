#pragma once

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
    /// centre height, so low faces come first.
    virtual double scoreUnfolding(Poly& t, Poly& n);

    /// Whether each attempt scans only the net faces that can still offer a
    /// candidate (default) or the whole net. Both give the same nets; the
    /// whole-net scan is quadratic and kept for comparison.
    void setIncrementalScan(bool on) { incrementalScan = on; }
    bool getIncrementalScan() const { return incrementalScan; }

private:
    /// Scans `faces` for the best candidate; false when there is none.
    template <typename Range> bool findCandidate(const Range& faces, Poly*& g, int& edge);
    bool isOpenEdge(Poly& g, int i) const;

    /// Edges (net face, index) whose attach was refused.
    PolyEdgeSet blocked;
    bool done = false;
    bool incrementalScan = true;
    ScanFrontier frontier;
};

/// The lowest-candidate scan with the overlap check off.
class LeastHeightWithoutErrorCorrectionUnfolder : public LeastHeightUnfolder {
    VORN_DECLARE_FACTORY(LeastHeightWithoutErrorCorrectionUnfolder)

    LeastHeightWithoutErrorCorrectionUnfolder() { setCheckIntersections(false); }
};
