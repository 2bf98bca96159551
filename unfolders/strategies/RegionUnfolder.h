#pragma once

#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "unfolders/engine/Unfolder.h"

class Region;
class PositiveRegion;

/// Divides the source into connected regions of faces by the sign of the curvature at
/// their corners, unfolds every region of non-negative curvature on its own with a
/// border-avoiding strategy, joins those nets into one along shortest face paths, and grows
/// the rest of the net outwards from each region, the candidate lowest along the region's
/// own direction first. Each region is shown by a RegionShell child.
///
/// A corner counts as of non-negative curvature when its angle deficit is above -1e-9:
/// rounding must not split a flat area into regions.
///
/// Sources: RegionUnfolder.cpp (binding, regions, stepping), RegionJoining.cpp (joining
/// the region nets and growing).
class RegionUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(RegionUnfolder)

    RegionUnfolder();
    ~RegionUnfolder() override;

    bool setParent(SceneObj* parent) override;
    /// Waits for the regions' own nets (stepping each once per call), joins them once,
    /// then places at most one face per positive region.
    void unfold() override;
    /// Every source face placed, or every region finished.
    bool isDone() override;
    void onDone() override;
    /// The cut graph stored when the unfolding ended; not recomputed on the way.
    Graph<Vertex*>& getCutGraph() override { return cutGraph; }
    bool canSave() override { return false; }

    /// The regions in creation order: the positive ones first.
    const std::vector<Region*>& getRegions() const { return regions; }
    /// The region of a source face, or null.
    Region* getRegionOf(Poly* sourceFace) const;
    /// The source face of a region's copy, or null.
    Poly* getSourceOf(Poly* copy) const;
    /// A region's copy of a source face, or null.
    Poly* getCopyOf(Poly* sourceFace) const;
    /// The corner's curvature is not negative.
    bool isNonNegative(Vertex* sourceVertex) const { return nonNegative.count(sourceVertex) > 0; }
    /// Records a face gathered into a region (called by Region::gather).
    void recordCopy(Poly* sourceFace, Poly* copy, Region* region);
    bool isJoined() const { return joined; }

protected:
    /// Nothing: the net starts in the joining phase.
    Poly* chooseStartingFace() override { return nullptr; }

private:
    void deleteRegions();
    void makeRegions();

    // RegionJoining.cpp
    void joinRegions();
    /// Reproduces a region's own net in this net, from `start` (placed already, or placed
    /// as the starting face when the net is empty).
    void joinNet(PositiveRegion& region, Poly* start);
    /// Lays the shortest face path from the net to a face of a positive region not joined
    /// yet, and joins that region; false when no such region can be reached.
    bool joinNearestRegion();
    /// Places one candidate of the region; false when it has none left.
    bool grow(PositiveRegion& region);

    std::vector<Region*> regions;
    std::unordered_map<Poly*, Region*> regionOf;
    std::unordered_map<Poly*, Poly*> copyOf;
    std::unordered_map<Poly*, Poly*> sourceOf;
    std::unordered_set<Vertex*> nonNegative;
    bool joined = false;
};
