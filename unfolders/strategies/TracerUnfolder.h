#pragma once

#include <unordered_map>
#include <vector>

#include "unfolders/strategies/CurvatureOrderingUnfolder.h"

/// The curvature ordering grown from the tips of traces: each step extends the
/// trace whose next face lies furthest along the trace direction of its tip, the
/// direction across the curvature flow (the face normal crossed with the summed
/// flow of the face's corners). When no tip offers a candidate with a direction,
/// the step is the curvature ordering's own, and the face it places starts a new
/// trace.
class TracerUnfolder : public CurvatureOrderingUnfolder {
    VORN_DECLARE_FACTORY(TracerUnfolder)

    TracerUnfolder() = default;

    /// The best-aligned candidate of the trace tips; else the curvature ordering's.
    bool findNext(Candidate& next) override;
    /// The placed face takes over the tip of the face it was laid against.
    void onPolyAdded(Candidate& c) override;

    /// The trace direction of source face `f`: a unit vector in the face's plane,
    /// or zero where the curvature flow vanishes.
    Sorvex::M3d getTraceDirection(Poly* f) const;
    /// The source faces at the tips of the traces, oldest first.
    const std::vector<Poly*>& getTips() const { return tips; }

protected:
    /// The base placement, then the trace directions of every source face; the
    /// starting face is the only tip.
    Poly* setStartingFace(Poly* f) override;
    /// Judge and findBest are the curvature ordering's, so its index may answer.
    bool canUseIndexedSearch() const override { return true; }

    std::unordered_map<Poly*, Sorvex::M3d> flow;
    std::vector<Poly*> tips;
};
