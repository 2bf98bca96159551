#pragma once

#include "unfolders/strategies/DepthFirstUnfolder.h"

/// Walks first around the ring of faces cut by the horizontal plane through
/// the source's centre, one face per call, then completes the net depth
/// first from the faces of that ring.
class CrossSectionUnfolder : public DepthFirstUnfolder {
    VORN_DECLARE_FACTORY(CrossSectionUnfolder)

    CrossSectionUnfolder() = default;

    void unfold() override;

    /// True when some edge of `f` has one end strictly below the plane
    /// ((v - point)·normal < 0) and the other on or above it.
    static bool testPolyPlane(Poly& f, const Sorvex::M3d& point, const Sorvex::M3d& normal);

    /// The face the ring walk continues from; null once the walk has ended.
    Poly* getCurrentFace() const { return currentFace; }

protected:
    /// The lowest face cut by the plane; the base's choice when none is cut.
    Poly* chooseStartingFace() override;

private:
    Poly* currentFace = nullptr;
    Sorvex::M3d planePoint;
    Sorvex::M3d planeNormal;
};
