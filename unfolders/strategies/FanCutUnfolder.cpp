#include "unfolders/strategies/FanCutUnfolder.h"

#include <algorithm>
#include <deque>

bool FanCutUnfolder::setParent(SceneObj* parent) {
    cuts.clear();
    cutComponent.clear();
    return Unfolder::setParent(parent);
}

void FanCutUnfolder::netImages(Vertex* v, std::vector<Vertex*>& images) {
    images.clear();
    for (Poly* f : v->getPolys()) {
        Poly* placed = f->getTwin();
        const int k = f->getVertexIndex(v);
        if (placed && k >= 0)
            images.push_back(placed->getVertex(k));
    }
}

float FanCutUnfolder::radius(Vertex* v) {
    if (!unfoldingRoot)
        return NoImage;
    const Sorvex::M3d centre = unfoldingRoot->getCenter();
    std::vector<Vertex*> images;
    netImages(v, images);
    float nearest = NoImage;
    for (const Vertex* image : images)
        nearest = std::min(nearest, float((*image - centre).length()));
    return nearest;
}

std::vector<Poly*> FanCutUnfolder::placedFacesAround(Vertex* v) const {
    std::vector<Poly*> faces;
    for (Poly* f : v->getPolys())
        if (f->getTwin())
            faces.push_back(f);
    return faces;
}

namespace {

/// The index of the edge of `f` at `v` that leads to a vertex other than `from` (the
/// edge leaving v when `from` is null and `leaving`, else the one arriving at v).
int otherEdgeAt(const Poly& f, int k, const Vertex* from, bool leaving) {
    const int n = f.getVertexCount();
    const int out = k, in = (k + n - 1) % n;
    if (!from)
        return leaving ? out : in;
    return f.getVertex(out + 1) == from ? in : out;
}

/// The end of edge `e` of `f` that is not `v`.
Vertex* farEnd(const Poly& f, int e, const Vertex* v) {
    Vertex* a = f.getVertex(e);
    return a == v ? f.getVertex(e + 1) : a;
}

} // namespace

int FanCutUnfolder::unfoldFan(Vertex* v, Vertex* /*u*/, int direction, std::list<Poly*>* placed) {
    int count = 0;
    for (Poly* start : placedFacesAround(v)) {
        Poly* f = start;
        int e = otherEdgeAt(*f, f->getVertexIndex(v), nullptr, direction == 0);
        // A vertex has as many faces round it as steps a full turn takes.
        for (size_t steps = 0; steps < v->getPolyCount(); ++steps) {
            Vertex* across = farEnd(*f, e, v);
            if (cuts.hasEdge(v, across))
                break;
            Poly* g = f->getNeighbor(e);
            if (!g || g == start)
                break;
            if (!g->getTwin()) {
                Poly* copy = copyAndFlatten(*g, g->getNeighborIndex(f), nullptr);
                if (!copy)
                    break; // refused by the overlap check: the fan ends here
                addTwin(*g, *copy);
                ++count;
                if (placed)
                    placed->push_back(copy);
            }
            const int k = g->getVertexIndex(v);
            if (k < 0)
                break;
            e = otherEdgeAt(*g, k, across, direction == 0);
            f = g;
        }
    }
    return count;
}

void FanCutUnfolder::cut(Vertex* v, Vertex* u, std::list<Poly*>* placed) {
    if (u)
        cuts.addEdge(v, u);
    unfoldFan(v, u, 0, placed);
    unfoldFan(v, u, -1, placed);
}

void FanCutUnfolder::uncut(Vertex* v, Vertex* u, std::list<Poly*>& placed) {
    if (u)
        cuts.removeEdge(v, u);
    for (auto it = placed.rbegin(); it != placed.rend(); ++it) {
        Poly* net = *it;
        const std::vector<Vertex*> corners(net->getVertices().begin(), net->getVertices().end());
        remPoly(net);
        delete net;
        for (Vertex* corner : corners)
            if (corner->getPolys().empty() && remVertex(corner))
                delete corner;
    }
    placed.clear();
}

Vertex* FanCutUnfolder::findRoot(Vertex* v) {
    auto it = cutComponent.find(v);
    if (it == cutComponent.end())
        return v;
    Vertex* root = findRoot(it->second);
    it->second = root;
    return root;
}

bool FanCutUnfolder::joinedByCuts(Vertex* v, Vertex* u) {
    return findRoot(v) == findRoot(u);
}

void FanCutUnfolder::commitCut(Vertex* v, Vertex* u) {
    Vertex* a = findRoot(v);
    Vertex* b = findRoot(u);
    if (a != b)
        cutComponent[a] = b;
}

int FanCutUnfolder::floodAcrossUncut() {
    std::deque<Poly*> queue;
    for (Poly* q : getPolys())
        if (q->getTwin())
            queue.push_back(q->getTwin());
    int count = 0;
    while (!queue.empty()) {
        Poly* f = queue.front();
        queue.pop_front();
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Poly* g = f->getNeighbor(i);
            if (!g || g->getTwin() || cuts.hasEdge(f->getVertex(i), f->getVertex(i + 1)))
                continue;
            Poly* copy = copyAndFlatten(*g, g->getNeighborIndex(f), nullptr);
            if (!copy)
                continue;
            addTwin(*g, *copy);
            queue.push_back(g);
            ++count;
        }
    }
    return count;
}
