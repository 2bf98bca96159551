#include "unfolders/strategies/RadiusMinimizerUnfolder.h"

#include "unfolders/strategies/support/TrialCopy.h"

#include "common/StatusLine.h"

VORN_DEFINE_OFFERED_FACTORY(RadiusMinimizerUnfolder, "Unfolder")

namespace {

/// Passes per call of unfold().
constexpr int PassBudget = 10;

} // namespace

void RadiusMinimizerUnfolder::clear() {
    progress = true;
    queue = {};
    queued = 0;
    lastQueued = nullptr;
    Unfolder::clear();
}

float RadiusMinimizerUnfolder::Score(double cx, double cz, double x, double z) {
    // Single precision on purpose: the order of near-equal candidates depends on it.
    const float dx = float(cx) - float(x);
    const float dz = float(cz) - float(z);
    return dx * dx + dz * dz;
}

bool RadiusMinimizerUnfolder::scoreCopy(Poly& n, int k, float& score) {
    Poly* copy = copyAndFlatten(n, k, nullptr);
    if (!copy)
        return false;
    const Sorvex::M3d c = copy->getCenter();
    score = Score(c.x(), c.z(), refX, refZ);
    DiscardTrialCopy(*this, copy);
    return true;
}

void RadiusMinimizerUnfolder::syncQueue() {
    double x = 0, z = 0;
    hull().getOriginalCenter(&x, &z);
    const std::size_t count = getPolyCount();
    if (count < queued || (queued > 0 && getPoly(queued - 1) != lastQueued) || x != refX ||
        z != refZ) {
        queue = {};
        queued = 0;
        refX = x;
        refZ = z;
    }
    for (std::size_t position = queued; position < count; ++position) {
        Poly* t = getPoly(position)->getTwin();
        if (!t)
            continue;
        for (int i = 0; i < t->getVertexCount(); ++i) {
            Poly* n = t->getNeighbor(i);
            if (!n || n->getTwin())
                continue;
            const int k = n->getNeighborIndex(t);
            float score = 0;
            // A copy refused now stays refused: the net only grows.
            if (k >= 0 && scoreCopy(*n, k, score))
                queue.push({score, position, i, n, k});
        }
    }
    queued = count;
    lastQueued = count > 0 ? getPoly(count - 1) : nullptr;
}

void RadiusMinimizerUnfolder::unfold() {
    for (int pass = 0; pass < PassBudget && progress; ++pass) {
        syncQueue();
        progress = false;
        while (!queue.empty()) {
            const Candidate best = queue.top();
            queue.pop();
            if (best.face->getTwin())
                continue; // placed meanwhile through another edge
            if (unfoldToEdge(*best.face, best.hinge)) {
                progress = true;
                break;
            }
        }
    }
    if (!progress)
        StatusMessage("Ready");
}
