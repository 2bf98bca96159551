#pragma once

#include <unordered_map>

#include "unfolders/strategies/LeastHeightUnfolder.h"

/// Starts at the face farthest from the mesh's border and unfolds faces far
/// from the border first; on a closed mesh, starts low and unfolds low faces
/// first.
class BorderAvoiderUnfolder : public LeastHeightUnfolder {
    VORN_DECLARE_FACTORY(BorderAvoiderUnfolder)

    BorderAvoiderUnfolder() = default;

    double scoreUnfolding(Poly& t, Poly& n) override;
    double getLargestBorderDistance() const { return largestBorderDistance; }

protected:
    Poly* chooseStartingFace() override;

private:
    double largestBorderDistance = 0;
    /// Per source face: distance from its centre to the nearest border
    /// vertex, or minus its centre height on a closed mesh.
    std::unordered_map<Poly*, double> distances;
};
