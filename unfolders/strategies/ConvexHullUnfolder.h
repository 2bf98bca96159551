#pragma once

#include <cstddef>
#include <vector>

#include "unfolders/engine/Unfolder.h"
#include "unfolders/strategies/support/PolyEdgeSet.h"
#include "unfolders/strategies/support/ScanFrontier.h"

/// Grows the net by the candidate that keeps its region smallest: each pass
/// attaches every candidate (an unplaced face beside the net) on trial, scores
/// the net with `getRegion()` (here the area of its convex hull), takes it back
/// and finally attaches the best for good (the first in net-face and edge order
/// on ties). 50 passes per call; done when a pass can place nothing or every
/// face is placed.
///
/// A candidate is scored by what the net would be with its flattened copy, without
/// attaching it: the hull answers the area it would have with the copy's corners
/// (PlanarConvexHull::getAreaWith) from running sums, so the cost per candidate is a
/// flatten, an overlap query and O(log h) in the hull's size h. Scores within a
/// billionth of the hull's area count as equal, so that geometric ties go to the first
/// candidate whatever the rounding. A copy refused for overlapping stays refused as
/// the net grows, so it is not flattened again; only the net faces that still have an
/// unplaced neighbour are scanned.
class ConvexHullUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(ConvexHullUnfolder)

    ConvexHullUnfolder() = default;

    void unfold() override;
    bool isDone() override;
    void clear() override;

    /// The score of the net as it stands; smaller is better.
    virtual double getRegion();
    /// The score the net would have with `copy` (a flattened copy, not attached) added.
    virtual double getRegionWith(const Poly& copy);

    /// Counts every candidate scored since binding (for measurements).
    std::size_t getTrialCount() const { return trialCount; }

protected:
    bool done = false;

private:
    /// One pass: the best candidate attached for good; false when none could be placed.
    bool attachBestCandidate();

    /// Candidates (unplaced face, its edge index) whose copy was refused.
    PolyEdgeSet refused;
    ScanFrontier frontier;
    std::size_t trialCount = 0;
};

/// The convex-hull strategy scoring the empty room inside the hull: the hull's
/// area minus the area of the net's faces, so 0 for a convex net.
class SpaceFillerUnfolder : public ConvexHullUnfolder {
    VORN_DECLARE_FACTORY(SpaceFillerUnfolder)

    SpaceFillerUnfolder() = default;

    double getRegion() override;
    double getRegionWith(const Poly& copy) override;

private:
    /// The area of the net's faces summed in list order, as PolyMesh::getPolyListArea
    /// sums it. The sums of the leading faces are kept, so adding or taking back the
    /// last face costs O(1) instead of a walk over the net.
    double netFaceArea();

    std::vector<Poly*> summedFaces;
    std::vector<double> prefixSums; // prefixSums[i]: the faces before position i + 1
};
