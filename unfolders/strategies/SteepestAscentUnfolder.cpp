#include "unfolders/strategies/SteepestAscentUnfolder.h"

#include <algorithm>
#include <vector>

VORN_DEFINE_OFFERED_FACTORY(SteepestAscentUnfolder, "Unfolder")

bool SteepestAscentUnfolder::setParent(SceneObj* parent) {
    const bool bound = Unfolder::setParent(parent);
    laidOut = false;
    sortVertices();
    return bound;
}

std::list<Vertex*>& SteepestAscentUnfolder::getSortTarget() {
    sortTarget.clear();
    if (source) {
        for (Vertex* v : source->getVertices())
            sortTarget.push_back(v);
    }
    return sortTarget;
}

bool SteepestAscentUnfolder::isLess(Vertex* a, Vertex* b) {
    if (a->y() != b->y())
        return a->y() < b->y();
    if (a->x() != b->x())
        return a->x() < b->x();
    return a->z() < b->z();
}

void SteepestAscentUnfolder::sortVertices() {
    // Inserting each vertex before the first one it is less than is a stable
    // sort; stable_sort gives the same order without the quadratic scan.
    std::vector<Vertex*> order(getSortTarget().begin(), getSortTarget().end());
    std::stable_sort(order.begin(), order.end(),
                     [this](Vertex* a, Vertex* b) { return isLess(a, b); });
    sortedVertices.assign(order.begin(), order.end());
    scores.clear();
    int next = 1;
    for (Vertex* v : sortedVertices)
        scores[v] = next++;
}

int SteepestAscentUnfolder::score(Vertex* v) const {
    const auto it = scores.find(v);
    return it == scores.end() ? 0 : it->second;
}

Vertex* SteepestAscentUnfolder::findHighestNeighbor(Vertex* v) const {
    std::vector<Vertex*> neighbours;
    v->collectOtherVertices(neighbours);
    Vertex* best = v;
    int bestScore = score(v);
    for (Vertex* w : neighbours) {
        const int s = score(w);
        if (s > bestScore) {
            best = w;
            bestScore = s;
        }
    }
    return best == v ? nullptr : best;
}

void SteepestAscentUnfolder::unfold() {
    if (!source)
        return;
    Graph<Vertex*>& cut = getCutGraph();
    cut.clear();
    for (Vertex* v : sortedVertices) {
        if (Vertex* up = findHighestNeighbor(v))
            cut.addEdge(v, up);
    }
    unfoldToCutGraph(cut, 0);
    laidOut = true;
    onChanged(false);
}

bool SteepestAscentUnfolder::isDone() {
    return source && (laidOut || getPolyCount() >= source->getPolyCount());
}
