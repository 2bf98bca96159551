#include "unfolders/engine/Unfolder.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "common/IdleSlice.h"
#include "common/Registry.h"
#include "common/RegistryFlags.h"
#include "common/StatusLine.h"
#include "unfolders/engine/UnfolderColoriser.h"
#include "unfolders/engine/UnfoldingAnimation.h"

using Sorvex::M3d;

VORN_DEFINE_FACTORY(Unfolder, "PolyMesh")

namespace {

const char* const SettingsSection = "Settings";

/// What one net face costs the heap, about: the face with its rings, a new corner with
/// its face list, its box in the overlap index with the nodes that came with it, its
/// place in the lists and a strategy's own index (the transforms are sized apart, in
/// setParent). Measured on the 327,680-face sphere: 520 bytes (Breadth First) to 580
/// (Curvature Ordering). The reserved pages are faulted in ahead of use, so reserving
/// far more than is used costs time as well as memory.
constexpr std::size_t NetBytesPerFace = 600;

} // namespace

Unfolder::Unfolder()
    : drawLines(false), drawBSP(false), drawHull(false), drawCutGraph(true), drawConflict(true),
      drawArcs(false), drawLocalConvexity(false), drawHeightBands(false),
      showUnfoldingInScene(true), faceBoxTree(std::make_unique<FaceBSP>()) {
    // The defaults above, unless the settings say otherwise; read at once, since a batch
    // makes an unfolder per test.
    GetRegistryFlags(SettingsSection, {{"ShowLinesInNewUnfolders", &drawLines},
                                       {"ShowBSPInNewUnfolders", &drawBSP},
                                       {"ShowHullInNewUnfolders", &drawHull},
                                       {"ShowCutGraphInNewUnfolders", &drawCutGraph},
                                       {"ShowConflictInNewUnfolders", &drawConflict},
                                       {"ShowArcsInNewUnfolders", &drawArcs},
                                       {"ShowLocalConvexityInNewUnfolders", &drawLocalConvexity},
                                       {"ShowHeightBandsInNewUnfolders", &drawHeightBands},
                                       {"ShowUnfoldingInSceneInNewUnfolders",
                                        &showUnfoldingInScene}});
    setTrackMouse(drawLines);
    setRenderFaceEdges(true);
    setRenderBackFaces(true);
    pushColoriser(&UnfolderColoriser::Shared());
    RegisterSystemIdleHandler(this);
}

Unfolder::~Unfolder() {
    UnregisterSystemIdleHandler(this);
    growthHeap.reset();
    faceBoxTree.reset();
    if (source) {
        source->setRenderTwinnedInBlue(false);
        if (getTrackMouse())
            source->setTrackMouse(false);
    }
    if (animation)
        animation->onSelectionRequest(animation);
    StatusMessage("Ready");
}

// ----- Binding and lifecycle -----

bool Unfolder::setParent(SceneObj* parent) {
    if (parent && isAncestorOf(parent))
        return false;
    if (source) {
        source->setRenderTwinnedInBlue(false);
        if (drawLines)
            source->setTrackMouse(false);
    }
    if (!SceneObj::setParent(parent))
        return false;
    source = dynamic_cast<PolyMesh*>(parent);
    growthHeap.reset();
    growthHeapTaken = false;
    unfoldingRoot = nullptr;
    cutGraphValid = false;
    conflictsValid = false;
    heightBands.clear();
    if (source) {
        // A net left from an earlier binding would be twinned with faces of
        // the old source (or duplicate this one's): start from an empty net.
        if (getPolyCount() > 0) {
            clear();
            hull().reset();
        }
        source->setRenderTwinnedInBlue(
            GetRegistryString(SettingsSection, "ShowTwinsInNewUnfolders", "true") == "true");
        if (drawLines)
            source->setTrackMouse(true);
        // One transform per source face: sized once, the store never grows while a
        // huge net does.
        faceTransforms.reserve(source->getPolyCount());
        chooseStartingFace();
    }
    return true;
}

Poly* Unfolder::chooseStartingFace() {
    if (!source)
        return nullptr;
    idleCount = 0;
    ++conflictsRevision;
    conflicts.clear();
    Poly* lowest = nullptr;
    double lowestY = 0;
    for (Poly* f : source->getPolys()) {
        // A zero face scalar (area) marks a degenerate face, never a start.
        if (f->getTwin() || f->getScalar() == 0)
            continue;
        const double y = f->getCenter().y();
        if (!lowest || y < lowestY) {
            lowest = f;
            lowestY = y;
        }
    }
    return setStartingFace(lowest);
}

Poly* Unfolder::setStartingFace(Poly* f) {
    if (!f || !source)
        return nullptr;
    double low = 0, high = 0;
    source->getHeightRange(low, high);
    const M3d centre = f->getCenter();
    Poly* copy = copyToCenter(*f, M3d(centre.x(), low - (high - low) / 10, centre.z()));
    addTwin(*f, *copy);
    if (!unfoldingRoot)
        unfoldingRoot = copy;
    return f;
}

void Unfolder::onSystemIdle() {
    if (!source || isDone())
        return;
    const size_t facesBefore = getPolyCount();
    if (idleCount++ > 3) {
        // A huge net is hundreds of megabytes of small blocks: readied once, the heap
        // spares the growth a page fault every few faces.
        if (!growthHeapTaken) {
            growthHeapTaken = true;
            const std::size_t toPlace = source->getPolyCount() - std::min(source->getPolyCount(), getPolyCount());
            growthHeap = std::make_unique<HeapReserve>(toPlace * NetBytesPerFace);
            // The transforms' store is sized for the whole net and too large for the heap:
            // its pages are faulted in ahead the same way.
            if (toPlace * NetBytesPerFace >= HeapReserve::kThreshold) {
                const auto [block, bytes] = faceTransforms.valueRoom();
                HeapReserve::PopulateAhead(block, bytes);
            }
        }
        const auto start = std::chrono::steady_clock::now();
        const auto slice = std::chrono::milliseconds(GetIdleSliceMs());
        do
            unfold();
        while (slice.count() > 0 && !isDone() && std::chrono::steady_clock::now() - start < slice);
    }
    if (getPolyCount() != facesBefore)
        onChanged(true);
    if (isDone())
        onDone();
}

void Unfolder::onDone() {
    if (source && getPolyCount() < source->getPolyCount() && allowAutoComplete())
        fillGaps();
    if (drawHeightBands)
        findHeightBands();
    findConflicts();
    growthHeap.reset();
    if (autoAnimate)
        convertToAnimation(false);
}

void Unfolder::fillGaps() {
    const bool wasChecking = checkIntersections;
    checkIntersections = false;
    while (getPolyCount() < source->getPolyCount()) {
        StatusMessage("Filling in the gaps - %i polys to go...",
                      int(source->getPolyCount() - getPolyCount()));
        std::vector<std::pair<Poly*, int>> open;
        for (Poly* q : getPolys()) {
            Poly* placed = q->getTwin();
            if (!placed)
                continue;
            for (int i = 0; i < q->getVertexCount(); ++i) {
                if (q->getNeighbor(i))
                    continue;
                Poly* next = placed->getNeighbor(i);
                if (next && !next->getTwin())
                    open.emplace_back(placed, i);
            }
        }
        bool added = false;
        for (auto [placed, i] : open) {
            Poly* next = placed->getNeighbor(i);
            if (next->getTwin())
                continue;
            const int k = next->getNeighborIndex(placed);
            if (k < 0)
                continue;
            if (Poly* copy = copyAndFlatten(*next, k, nullptr)) {
                addTwin(*next, *copy);
                added = true;
            }
        }
        if (!added)
            break;
    }
    StatusMessage("Ready");
    checkIntersections = wasChecking;
    onChanged(true);
}

void Unfolder::onTargetChanged(SceneObj* target, bool structural) {
    PolyMesh::onTargetChanged(target, structural);
    if (structural)
        clear();
}

void Unfolder::clear() {
    // The hull stays (see the declaration), so it takes its waiting faces before their
    // vertices go.
    hull();
    resetFaceBoxTree();
    unfoldingRoot = nullptr;
    PolyMesh::clear();
}

void Unfolder::onChanged(bool structural) {
    PolyMesh::onChanged(structural);
    if (structural && isDone() && drawHeightBands)
        findHeightBands();
}

// ----- Net faces -----

void Unfolder::addPoly(Poly* f) {
    cutGraphValid = false;
    conflictsValid = false;
    f->setNormal(M3d(0, -1, 0));
    if (!PolyMesh::addPoly(f, false))
        return;
    addToFaceBoxTree(f);
    // The hull takes the face when it is next used (feedHull).
    if (autoUpdateHull())
        hullPending.push_back(f);
}

void Unfolder::feedHull() {
    for (Poly* f : hullPending) {
        // The journal lets remPoly take the last face back out of the hull in the time
        // it took to add it: strategies that attach a face on trial rely on it.
        convexHull.mark();
        addPolyToHull(f, &convexHull);
    }
    lastHullFace = hullPending.back();
    lastHullRevision = convexHull.getRevision();
    hullPending.clear();
}

bool Unfolder::remPoly(Poly* f) {
    // The hull reads the face's vertices before they go.
    PlanarConvexHull& netHull = hull();
    if (!PolyMesh::remPoly(f))
        return false;
    // The face's cut edges go with it and its neighbours' fold edges become cut.
    cutGraphValid = false;
    const FaceBox box(f);
    if (!faceBoxTree->undoLastInsert(box))
        faceBoxTree->remove(box);
    if (autoUpdateHull()) {
        // Undoing the last addition gives the hull of the remaining faces added in list
        // order, which is what a rebuild computes, without visiting them.
        const bool undone = f == lastHullFace && netHull.getRevision() == lastHullRevision &&
                            netHull.rollBack();
        if (!undone)
            rebuildHull();
    }
    lastHullFace = nullptr;
    return true;
}

void Unfolder::addToFaceBoxTree(Poly* f) {
    FaceBox box(f);
    if (!faceBoxTree->contains(box))
        faceBoxTree->grow(box);
    faceBoxTree->insert(box);
}

void Unfolder::resetFaceBoxTree() {
    faceBoxTree = std::make_unique<FaceBSP>();
}

void Unfolder::rebuildHull() {
    PlanarConvexHull& netHull = hull();
    netHull.reset();
    for (Poly* f : getPolys())
        addPolyToHull(f, &netHull);
}

void Unfolder::addTwin(Poly& src, Poly& net) {
    src.setTwin(&net);
    net.setTwin(&src);
    addPoly(&net);
}

// ----- Progress and success -----

float Unfolder::getProgress() {
    if (!source || source->getPolyCount() == 0)
        return 0;
    return float(getPolyCount()) / float(source->getPolyCount());
}

bool Unfolder::isSuccesful() {
    if (!isDone() || !source)
        return false;
    return getPolyCount() == source->getPolyCount() && conflicts.isEmpty();
}

const Sorvex::M4x4* Unfolder::getFaceTransform(Poly* sourceFace) const {
    return faceTransforms.find(sourceFace);
}

// ----- Switches -----

bool Unfolder::getDrawTwins() const {
    return source && source->getRenderTwinnedInBlue();
}

void Unfolder::setDrawLines(bool b) {
    drawLines = b;
    setTrackMouse(b);
    if (source)
        source->setTrackMouse(b);
}

void Unfolder::setDrawTwins(bool b) {
    if (source)
        source->setRenderTwinnedInBlue(b);
}

void Unfolder::setCheckIntersections(bool b) {
    checkIntersections = b;
    onChanged(false);
}

void Unfolder::setDrawHeightBands(bool b) {
    drawHeightBands = b;
    if (b && heightBands.empty() && isDone())
        findHeightBands();
    if (!b)
        heightBands.clear();
}

// ----- Conversion -----

SceneObj* Unfolder::doDefaultAction() {
    return convertToAnimation(false);
}

SceneObj* Unfolder::attachAnimation() {
    SceneObj* parent = getParent();
    SceneObj* grandparent = parent ? parent->getParent() : nullptr;
    if (!grandparent)
        return nullptr;
    auto* made = new UnfoldingAnimation(this);
    if (!made->setParent(grandparent)) {
        delete made;
        return nullptr;
    }
    return made;
}

SceneObj* Unfolder::convertToAnimation(bool deleteSource) {
    SceneObj* parent = getParent();
    SceneObj* grandparent = parent ? parent->getParent() : nullptr;
    // Converted already (an automatic conversion, then a click): the animation stands.
    if (!grandparent || animation)
        return nullptr;
    SceneObj* made = attachAnimation();
    if (!made)
        return nullptr;
    animation = made;
    SceneObj::DelayedDelete(this);
    if (deleteSource)
        SceneObj::DelayedDelete(parent);
    return made;
}
