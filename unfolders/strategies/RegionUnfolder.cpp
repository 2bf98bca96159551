#include "unfolders/strategies/RegionUnfolder.h"

#include "common/StatusLine.h"
#include "scene/mesh/CurvatureArmature.h"
#include "unfolders/strategies/BorderAvoiderUnfolder.h"
#include "unfolders/strategies/regions/Region.h"
#include "unfolders/strategies/regions/RegionShell.h"

VORN_DEFINE_OFFERED_FACTORY(RegionUnfolder, "Unfolder")

namespace {

/// An angle deficit above this counts as not negative: a flat corner's deficit is zero up
/// to rounding, whose sign must not decide its region.
constexpr double FlatDeficit = 1e-9;

} // namespace

RegionUnfolder::RegionUnfolder() = default;

RegionUnfolder::~RegionUnfolder() {
    deleteRegions();
}

Region* RegionUnfolder::getRegionOf(Poly* sourceFace) const {
    auto it = regionOf.find(sourceFace);
    return it == regionOf.end() ? nullptr : it->second;
}

Poly* RegionUnfolder::getSourceOf(Poly* copy) const {
    auto it = sourceOf.find(copy);
    return it == sourceOf.end() ? nullptr : it->second;
}

Poly* RegionUnfolder::getCopyOf(Poly* sourceFace) const {
    auto it = copyOf.find(sourceFace);
    return it == copyOf.end() ? nullptr : it->second;
}

void RegionUnfolder::recordCopy(Poly* sourceFace, Poly* copy, Region* region) {
    regionOf[sourceFace] = region;
    copyOf[sourceFace] = copy;
    sourceOf[copy] = sourceFace;
}

void RegionUnfolder::deleteRegions() {
    for (Region* region : regions) {
        delete region->getShell();
        delete region; // its own net goes with it
    }
    regions.clear();
    regionOf.clear();
    copyOf.clear();
    sourceOf.clear();
    nonNegative.clear();
}

bool RegionUnfolder::setParent(SceneObj* parent) {
    if (!Unfolder::setParent(parent))
        return false;
    deleteRegions();
    joined = false;
    cutGraph.clear();
    if (source)
        makeRegions();
    return true;
}

void RegionUnfolder::makeRegions() {
    CurvatureArmature& curvature = source->getCurvature(true);
    for (Vertex* v : source->getVertices())
        if (curvature.getCurvature(v) >= 0 || curvature.getAngleDeficit(v) > -FlatDeficit)
            nonNegative.insert(v);

    for (Poly* f : source->getPolys()) {
        if (getRegionOf(f))
            continue;
        bool flagged = false;
        for (Vertex* v : f->getVertices())
            flagged = flagged || isNonNegative(v);
        if (!flagged)
            continue;
        auto* region = new PositiveRegion(*this);
        region->gather(f);
        regions.push_back(region);
    }
    for (Poly* f : source->getPolys()) {
        if (getRegionOf(f))
            continue;
        auto* region = new NegativeRegion(*this);
        region->gather(f);
        regions.push_back(region);
    }
    for (Region* region : regions) {
        region->setParent(this);
        auto* shell = new RegionShell;
        shell->build(*region);
        shell->setParent(this);
        region->setShell(shell);
    }
    for (Region* region : regions)
        if (region->isPositive())
            static_cast<PositiveRegion*>(region)->start();
}

void RegionUnfolder::unfold() {
    if (!source)
        return;
    // Waiting: every region's own net must be finished first. They are stepped from here,
    // once per call each, as the idle loop would step them.
    bool waiting = false;
    for (Region* region : regions)
        if (!region->isReady()) {
            if (Unfolder* own = region->getUnfolder())
                own->onSystemIdle();
            waiting = true;
        }
    if (waiting)
        return;
    if (!joined) {
        joinRegions();
        joined = true;
    }
    for (Region* region : regions)
        if (region->isPositive())
            grow(*static_cast<PositiveRegion*>(region));
}

bool RegionUnfolder::isDone() {
    if (!source)
        return true;
    if (!joined)
        return false;
    if (getPolyCount() == source->getPolyCount())
        return true;
    for (Region* region : regions)
        if (!region->isFinished())
            return false;
    return true;
}

void RegionUnfolder::onDone() {
    Unfolder::onDone();
    cutGraphValid = false;
    Unfolder::getCutGraph();
    // The region nets are joined into this one; only the shells stay on show.
    for (Region* region : regions)
        if (Unfolder* own = region->getUnfolder())
            own->setShowUnfoldingInScene(false);
    if (source && getPolyCount() < source->getPolyCount())
        StatusMessage("Region unfolding placed %i of %i faces: no path of faces leads to the "
                      "rest (the mesh has several separate parts)",
                      int(getPolyCount()), int(source->getPolyCount()));
}
