#include "unfolders/strategies/ConvexHullUnfolder.h"

#include <vector>

#include "common/StatusLine.h"
#include "unfolders/strategies/support/TrialCopy.h"

VORN_DEFINE_OFFERED_FACTORY(ConvexHullUnfolder, "Unfolder")
VORN_DEFINE_OFFERED_FACTORY(SpaceFillerUnfolder, "ConvexHullUnfolder")

namespace {

/// Passes per call of unfold().
constexpr int PassBudget = 50;
/// The start of every pass's best score: the largest single-precision value.
constexpr double NoScore = 3.4028234663852886e38;
/// Scores closer than this share of the hull's area are a tie: summed in another order
/// the same area differs in its last bits, which must not decide between candidates.
constexpr double TieShare = 1e-9;

/// The area of the hull of `hull` and the corners of `copy`, taken in the net plane.
double hullAreaWith(const PlanarConvexHull& hull, const Poly& copy) {
    // Faces are mostly triangles and quads: their corners fit on the stack.
    constexpr int OnStack = 8;
    const int n = copy.getVertexCount();
    double xsSmall[OnStack], zsSmall[OnStack];
    std::vector<double> xsLarge, zsLarge;
    double* xs = xsSmall;
    double* zs = zsSmall;
    if (n > OnStack) {
        xsLarge.resize(static_cast<std::size_t>(n));
        zsLarge.resize(static_cast<std::size_t>(n));
        xs = xsLarge.data();
        zs = zsLarge.data();
    }
    for (int i = 0; i < n; ++i) {
        xs[i] = copy.getVertex(i)->x();
        zs[i] = copy.getVertex(i)->z();
    }
    return hull.getAreaWith(xs, zs, n);
}

} // namespace

void ConvexHullUnfolder::clear() {
    done = false;
    refused.clear();
    frontier.reset();
    Unfolder::clear();
}

bool ConvexHullUnfolder::isDone() {
    return done || (source && getPolyCount() >= source->getPolyCount());
}

double ConvexHullUnfolder::getRegion() {
    return hull().getArea();
}

double ConvexHullUnfolder::getRegionWith(const Poly& copy) {
    return hullAreaWith(hull(), copy);
}

bool ConvexHullUnfolder::attachBestCandidate() {
    frontier.sync(*this);
    frontier.prune([](Poly* g) {
        Poly* t = g->getTwin();
        for (int i = 0; t && i < t->getVertexCount(); ++i)
            if (Poly* n = t->getNeighbor(i); n && !n->getTwin())
                return true;
        return false;
    });
    const double tie = TieShare * hull().getArea();
    double best = NoScore;
    Poly* bestFace = nullptr;
    int bestEdge = -1;
    bool placedAny = false;
    // Copies are scored without being attached, so the net stays as it is while the
    // frontier is walked.
    for (Poly* g : frontier.faces()) {
        Poly* t = g->getTwin();
        for (int i = 0; i < t->getVertexCount(); ++i) {
            Poly* n = t->getNeighbor(i);
            if (!n || n->getTwin())
                continue;
            const int k = n->getNeighborIndex(t);
            if (k < 0 || refused.count({n, k}))
                continue;
            Poly* trial = copyAndFlatten(*n, k, nullptr);
            if (!trial) {
                refused.insert({n, k}); // the net only grows: refused for good
                continue;
            }
            placedAny = true;
            ++trialCount;
            const double r = getRegionWith(*trial);
            DiscardTrialCopy(*this, trial);
            // Only a clearly smaller score wins: ties keep the first candidate.
            if (r < best - tie) {
                best = r;
                bestFace = n;
                bestEdge = k;
            }
        }
    }
    if (!placedAny)
        return false;
    // Flattened afresh, so that the transform the base keeps for the face is this copy's.
    unfoldToEdge(*bestFace, bestEdge);
    return true;
}

void ConvexHullUnfolder::unfold() {
    for (int pass = 0; pass < PassBudget && !isDone(); ++pass)
        if (!attachBestCandidate())
            done = true;
    if (isDone())
        StatusMessage("Ready");
}

double SpaceFillerUnfolder::netFaceArea() {
    const std::size_t count = getPolyCount();
    // Keep the sums of leading faces that are still where they were; the last face is
    // never kept, as a face added on trial comes and goes there.
    std::size_t keep = std::min(summedFaces.size(), count > 0 ? count - 1 : 0);
    while (keep > 0 && getPoly(keep - 1) != summedFaces[keep - 1])
        --keep;
    summedFaces.resize(keep);
    prefixSums.resize(keep);
    double sum = keep > 0 ? prefixSums.back() : 0.0;
    for (std::size_t i = keep; i < count; ++i) {
        Poly* f = getPoly(i);
        sum += f->getArea();
        if (i + 1 < count) {
            summedFaces.push_back(f);
            prefixSums.push_back(sum);
        }
    }
    return sum;
}

double SpaceFillerUnfolder::getRegion() {
    return hull().getArea() - netFaceArea();
}

double SpaceFillerUnfolder::getRegionWith(const Poly& copy) {
    return hullAreaWith(hull(), copy) - (netFaceArea() + copy.getArea());
}
