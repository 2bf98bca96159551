#pragma once

#include "scene/mesh/PolyMesh.h"

class Region;

/// Shows one region of the region strategy: a copy of the region's surface pushed 0.05
/// outwards, green for a region of non-negative curvature and red for a negative one. A
/// child of the region unfolder; never saved. Its panel (CRegionShellSettings) selects the
/// region's own net.
class RegionShell : public PolyMesh {
    VORN_DECLARE_FACTORY(RegionShell)

    RegionShell() = default;

    /// Copies the region's faces, each vertex moved outwards along the normalised sum of
    /// the normals of its faces, and takes the region's colour.
    void build(Region& region);
    Region* getRegion() const { return region; }

    /// With full drawing the faces are drawn, half transparent; without, only the seams
    /// (the edges on the region's rim).
    void setFullDrawing(bool on);
    bool getFullDrawing() const { return fullDrawing; }

    double getTransparency(Renderer* r) override;
    void renderSelf(Renderer* r) override;
    bool canSave() override { return false; }
    bool autoMergePolys() override { return false; }
    bool canUserUnfold() override { return false; }

    static constexpr double Offset = 0.05;

private:
    Region* region = nullptr;
    bool fullDrawing = true;
};
