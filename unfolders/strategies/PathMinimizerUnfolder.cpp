#include "unfolders/strategies/PathMinimizerUnfolder.h"

#include "common/StatusLine.h"

VORN_DEFINE_OFFERED_FACTORY(PathMinimizerUnfolder, "Unfolder")

void PathMinimizerUnfolder::clear() {
    done = false;
    pathValues.clear();
    queue = {};
    queued = 0;
    lastQueued = nullptr;
    Unfolder::clear();
}

double PathMinimizerUnfolder::getPathValue(Poly* f) const {
    auto it = pathValues.find(f);
    return it == pathValues.end() ? 0.0 : it->second;
}

bool PathMinimizerUnfolder::hasUnplacedNeighbor(const Poly& t) {
    for (int i = 0; i < t.getVertexCount(); ++i)
        if (Poly* n = t.getNeighbor(i); n && !n->getTwin())
            return true;
    return false;
}

void PathMinimizerUnfolder::syncQueue() {
    const std::size_t count = getPolyCount();
    if (count < queued || (queued > 0 && getPoly(queued - 1) != lastQueued)) {
        queue = {};
        queued = 0;
    }
    for (std::size_t i = queued; i < count; ++i) {
        Poly* g = getPoly(i);
        if (Poly* t = g->getTwin())
            queue.emplace(getPathValue(t), i, g);
    }
    queued = count;
    lastQueued = count > 0 ? getPoly(count - 1) : nullptr;
}

void PathMinimizerUnfolder::unfold() {
    if (done)
        return;
    syncQueue();
    // The queue's front is the face the scan over the net would choose; faces that
    // can no longer be chosen (no unplaced neighbour, or -1) never can again.
    Poly* t = nullptr;
    while (!queue.empty()) {
        auto [value, position, g] = queue.top();
        Poly* candidate = g->getTwin();
        if (candidate && getPathValue(candidate) != -1 && hasUnplacedNeighbor(*candidate)) {
            t = candidate;
            break;
        }
        queue.pop();
    }
    if (!t) {
        done = true;
        StatusMessage("Ready");
        return;
    }
    const double base = getPathValue(t);
    bool attached = false;
    for (int i = 0; i < t->getVertexCount(); ++i) {
        Poly* n = t->getNeighbor(i);
        if (!n || n->getTwin())
            continue;
        if (unfoldToEdge(*n, n->getNeighborIndex(t))) {
            pathValues[n] = base + (n->getCenter() - t->getCenter()).length();
            attached = true;
        }
    }
    // Still the front of the queue: chosen again next call while it has
    // unplaced neighbours, and given up once none of them can be attached.
    if (!attached)
        pathValues[t] = -1;
}
