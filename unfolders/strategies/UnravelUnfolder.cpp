#include "unfolders/strategies/UnravelUnfolder.h"

#include <utility>
#include <vector>

#include "unfolders/strategies/support/UnravelDirection.h"

VORN_DEFINE_OFFERED_FACTORY(UnravelUnfolder, "Unfolder")

Poly* UnravelUnfolder::setStartingFace(Poly* f) {
    Poly* placed = Unfolder::setStartingFace(f);
    queue.clear();
    if (placed)
        queue.push_back(placed);
    return placed;
}

bool UnravelUnfolder::isDone() {
    return queue.empty() || (source && queue.size() == source->getPolyCount());
}

void UnravelUnfolder::unfold() {
    if (queue.empty())
        return;
    Poly* f = queue.front();
    const Sorvex::M3d d = UnravelDirection(*f);
    // Best first; a neighbour goes before the first entry of smaller preference,
    // so equal preferences keep edge order.
    std::vector<std::pair<double, Poly*>> candidates;
    for (int i = 0; i < f->getVertexCount(); ++i) {
        Poly* n = f->getNeighbor(i);
        if (!n || n->getTwin())
            continue;
        const double preference = UnravelPreference(*f, *n, d);
        auto at = candidates.begin();
        while (at != candidates.end() && at->first >= preference)
            ++at;
        candidates.insert(at, {preference, n});
    }
    Poly* placed = nullptr;
    for (const auto& candidate : candidates) {
        Poly* n = candidate.second;
        if (unfoldToEdge(*n, n->getNeighborIndex(f))) {
            placed = n;
            break;
        }
    }
    if (!placed || candidates.size() == 1)
        queue.pop_front();
    if (placed)
        queue.push_front(placed);
}
