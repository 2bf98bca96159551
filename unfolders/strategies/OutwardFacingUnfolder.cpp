#include "unfolders/strategies/OutwardFacingUnfolder.h"

#include <unordered_set>
#include <vector>

#include "common/StatusLine.h"

VORN_DEFINE_OFFERED_FACTORY(OutwardFacingUnfolder, "Unfolder")

bool OutwardFacingUnfolder::setParent(SceneObj* parent) {
    visited.clear();
    stuck = false;
    return FanCutUnfolder::setParent(parent);
}

bool OutwardFacingUnfolder::isVisited(Vertex* v) const {
    const auto it = visited.find(v);
    return it != visited.end() && it->second;
}

bool OutwardFacingUnfolder::isDone() {
    return source && (stuck || getPolyCount() >= source->getPolyCount());
}

Vertex* OutwardFacingUnfolder::findNearestBorderVertex() {
    Vertex* best = nullptr;
    float bestRadius = NoImage;
    std::unordered_set<Vertex*> seen;
    for (Poly* q : getPolys()) {
        Poly* placed = q->getTwin();
        if (!placed)
            continue;
        for (int i = 0; i < placed->getVertexCount(); ++i) {
            Poly* beyond = placed->getNeighbor(i);
            if (!beyond || beyond->getTwin())
                continue;
            for (Vertex* end : {placed->getVertex(i), placed->getVertex(i + 1)}) {
                if (!seen.insert(end).second || isVisited(end))
                    continue;
                const float r = radius(end);
                if (!best || r < bestRadius) {
                    best = end;
                    bestRadius = r;
                }
            }
        }
    }
    return best;
}

Vertex* OutwardFacingUnfolder::findFurthest(Vertex* v) {
    std::vector<Vertex*> neighbours;
    v->collectOtherVertices(neighbours);
    Vertex* best = nullptr;
    float bestRadius = 0;
    trying = true;
    for (Vertex* u : neighbours) {
        if (cuts.hasEdge(v, u) || joinedByCuts(v, u))
            continue;
        std::list<Poly*> placed;
        cut(v, u, &placed);
        const float r = radius(u);
        uncut(v, u, placed);
        // A neighbour without an image lies beyond the faces the cut frees: cutting
        // there would run into faces nothing reaches.
        if (r == NoImage)
            continue;
        if (!best || r > bestRadius) {
            best = u;
            bestRadius = r;
        }
    }
    trying = false;
    return best;
}

void OutwardFacingUnfolder::unfold() {
    if (!source || isDone())
        return;
    Vertex* v = findNearestBorderVertex();
    if (!v) {
        // Every border vertex has had its cut: what is left is reached across the edges
        // that stay uncut, or not at all (another part of the mesh).
        if (floodAcrossUncut() == 0) {
            stuck = true;
            StatusMessage("%i faces cannot be reached from the starting face",
                          int(source->getPolyCount() - getPolyCount()));
        }
        onChanged(true);
        return;
    }
    Vertex* u = findFurthest(v);
    cut(v, u);
    if (u)
        commitCut(v, u);
    visited[v] = true;
    onChanged(true);
}
