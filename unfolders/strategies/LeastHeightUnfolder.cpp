#include "unfolders/strategies/LeastHeightUnfolder.h"

#include <algorithm>

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
    Unfolder::clear();
}

double LeastHeightUnfolder::scoreUnfolding(Poly& t, Poly& n) {
    const int e = t.getNeighborIndex(&n);
    const double h = std::min(t.getVertex(e)->y(), t.getVertex(e + 1)->y());
    return (h + n.getCenter().y()) / 2;
}

bool LeastHeightUnfolder::isOpenEdge(Poly& g, int i) const {
    Poly* t = g.getTwin();
    if (!t || blocked.count({&g, i}))
        return false;
    Poly* n = t->getNeighbor(i);
    return n && !n->getTwin();
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

void LeastHeightUnfolder::unfold() {
    for (int attempt = 0; attempt < AttemptBudget && !done; ++attempt) {
        Poly* g = nullptr;
        int i = 0;
        bool found = false;
        if (incrementalScan) {
            frontier.sync(*this);
            frontier.prune([this](Poly* f) {
                for (int e = 0; e < f->getVertexCount(); ++e)
                    if (isOpenEdge(*f, e))
                        return true;
                return false;
            });
            found = findCandidate(frontier.faces(), g, i);
        } else {
            found = findCandidate(getPolys(), g, i);
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
