#include "unfolders/strategies/LeastHeightUnfolder.h"

#include <algorithm>
#include <cmath>

VORN_DEFINE_OFFERED_FACTORY(LeastHeightUnfolder, "Unfolder")
VORN_DEFINE_OFFERED_FACTORY(LeastHeightWithoutErrorCorrectionUnfolder, "Unfolder")

namespace {

/// Attach attempts per call of unfold().
constexpr int AttemptBudget = 25;

} // namespace

void LeastHeightUnfolder::clear() {
    done = false;
    blocked.clear();
    frontier.reset();
    queue = {};
    queuedFaces = 0;
    lastQueuedFace = nullptr;
    queueUsable = true;
    Unfolder::clear();
}

double LeastHeightUnfolder::scoreUnfolding(Poly& t, Poly& n) {
    const int e = t.getNeighborIndex(&n);
    const double h = std::min(t.getVertex(e)->y(), t.getVertex(e + 1)->y());
    return (h + n.getCenter().y()) / 2;
}

bool LeastHeightUnfolder::isOpenEdge(Poly& g, int i) const {
    Poly* t = g.getTwin();
    if (!t)
        return false;
    // The faces first, the set of refused edges last: most queued edges that are no longer
    // open lead to a face placed since, which the faces tell without a lookup.
    Poly* n = t->getNeighbor(i);
    return n && !n->getTwin() && !blocked.count({&g, i});
}

template <typename Range>
bool LeastHeightUnfolder::findCandidate(const Range& faces, Poly*& bestFace, int& bestEdge) {
    bool found = false;
    double bestScore = 0;
    for (Poly* g : faces) {
        for (int i = 0; i < g->getVertexCount(); ++i) {
            if (!isOpenEdge(*g, i))
                continue;
            Poly* t = g->getTwin();
            const double score = scoreUnfolding(*t, *t->getNeighbor(i));
            // Only a strictly smaller score wins: ties keep the first in scan order.
            if (!found || score < bestScore) {
                found = true;
                bestScore = score;
                bestFace = g;
                bestEdge = i;
            }
        }
    }
    return found;
}

void LeastHeightUnfolder::syncQueue() {
    const std::size_t count = getPolyCount();
    if (count < queuedFaces || (queuedFaces > 0 && getPoly(queuedFaces - 1) != lastQueuedFace)) {
        queue = {};
        queuedFaces = 0;
    }
    for (std::size_t j = queuedFaces; j < count && queueUsable; ++j) {
        Poly* g = getPoly(j);
        for (int i = 0; i < g->getVertexCount(); ++i) {
            if (!isOpenEdge(*g, i))
                continue;
            Poly* t = g->getTwin();
            const double score = scoreUnfolding(*t, *t->getNeighbor(i));
            if (std::isnan(score))
                queueUsable = false;
            queue.push({score, j, i, g});
        }
    }
    queuedFaces = count;
    lastQueuedFace = count > 0 ? getPoly(count - 1) : nullptr;
}

bool LeastHeightUnfolder::takeFromQueue(Poly*& g, int& edge) {
    syncQueue();
    while (queueUsable && !queue.empty()) {
        const QueuedEdge& top = queue.top();
        if (isOpenEdge(*top.face, top.edge)) {
            g = top.face;
            edge = top.edge;
            return true;
        }
        queue.pop();
    }
    return false;
}

void LeastHeightUnfolder::unfold() {
    for (int attempt = 0; attempt < AttemptBudget && !done; ++attempt) {
        Poly* g = nullptr;
        int i = 0;
        bool found = false;
        if (!incrementalScan) {
            found = findCandidate(getPolys(), g, i);
        } else if (queueUsable && takeFromQueue(g, i)) {
            found = true;
        } else if (!queueUsable) {
            // A NaN score has no place in the queue's order: the scan decides.
            frontier.sync(*this);
            frontier.prune([this](Poly* f) {
                for (int e = 0; e < f->getVertexCount(); ++e)
                    if (isOpenEdge(*f, e))
                        return true;
                return false;
            });
            found = findCandidate(frontier.faces(), g, i);
        }
        if (!found) {
            done = true;
            break;
        }
        Poly* t = g->getTwin();
        Poly* n = t->getNeighbor(i);
        if (!unfoldToEdge(*n, n->getNeighborIndex(t)))
            blocked.insert({g, i});
    }
}
