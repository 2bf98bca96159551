// A click toggles one requested cut. Laying the whole net out again is what defines the
// result; many clicks provably leave that result as it is, and those skip the layout.

#include <cstdint>
#include <vector>

#include "unfolders/automation/ManualUnfolder.h"

namespace {

/// One side of a mesh edge: the face and the index of the edge in its ring.
struct EdgeSide {
    Poly* face;
    int index;
};

/// Every face side of the source edge between a and b.
std::vector<EdgeSide> sidesOf(Vertex* a, Vertex* b) {
    std::vector<EdgeSide> sides;
    for (Poly* f : a->getPolys()) {
        const int n = f->getVertexCount();
        for (int i = 0; i < n; ++i) {
            const Vertex* from = f->getVertex(i);
            const Vertex* to = f->getVertex(i + 1);
            if ((from == a && to == b) || (from == b && to == a))
                sides.push_back({f, i});
        }
    }
    return sides;
}

int sharedEdges(const Poly& f, const Poly& g) {
    int count = 0;
    for (int k = 0; k < f.getVertexCount(); ++k)
        count += f.getNeighbor(k) == &g;
    return count;
}

std::uint64_t mixed(std::uint64_t x) {
    x ^= x >> 33;
    x *= 0xff51afd7ed558ccdull;
    x ^= x >> 33;
    x *= 0xc4ceb9fe1a85ec53ull;
    return x ^ (x >> 33);
}

} // namespace

std::uint64_t ManualUnfolder::requestsStamp() const {
    // Order-independent, so that equal graphs built in any order stamp alike.
    std::uint64_t sum = 0, count = 0;
    for (const auto& [v, around] : requested) {
        for (Vertex* w : around) {
            sum += mixed(reinterpret_cast<std::uintptr_t>(v) * 0x9e3779b97f4a7c15ull +
                         reinterpret_cast<std::uintptr_t>(w));
            ++count;
        }
    }
    return sum ^ mixed(count);
}

void ManualUnfolder::toggleRequestedEdge(Vertex* a, Vertex* b) {
    const bool cutting = !requested.hasEdge(a, b);
    const bool keepsNet = toggleKeepsNet(a, b, cutting);
    if (!requested.removeEdge(a, b))
        requested.addEdge(a, b);
    if (!keepsNet) {
        onUpdated();
        return;
    }
    // The net, its overlaps and its own cut graph are those a new layout would give;
    // only the requests changed, and those are drawn.
    laidRequests = requestsStamp();
    onChanged(true);
}

bool ManualUnfolder::toggleKeepsNet(Vertex* a, Vertex* b, bool cutting) {
    // The full-mesh flood only: the other layouts choose their faces by the requests.
    if (!a || !b || !source || onlyKnown || !netFollowsRequests ||
        laidRequests != requestsStamp())
        return false;
    if (getPolyCount() != source->getPolyCount())
        return false;
    const std::vector<EdgeSide> sides = sidesOf(a, b);
    // The flood reads the requests only at mesh edges.
    if (sides.empty())
        return true;
    if (sides.size() != 2 || sides[0].face == sides[1].face)
        return false;
    Poly* f = sides[0].face;
    Poly* g = sides[1].face;
    const int i = sides[0].index, j = sides[1].index;
    if (f->getNeighbor(i) != g || g->getNeighbor(j) != f || !f->getTwin() || !g->getTwin())
        return false;
    // Faces meeting along several edges are laid across the first of them whichever
    // edge the flood came by; the rules below hold for faces meeting once.
    if (sharedEdges(*f, *g) != 1 || sharedEdges(*g, *f) != 1)
        return false;
    Poly* fNet = f->getTwin();
    Poly* gNet = g->getTwin();

    if (cutting) {
        // The flood tests whether a face is placed before it tests the cut, so an edge
        // it did not fold across was passed over with both faces placed: cutting it
        // changes nothing. Net copies keep their source's ring order.
        return fNet->getNeighbor(i) != gNet;
    }

    // Joining: the flood would fold across the edge the first time it met it with one
    // face unplaced. With one piece, the net's list order is the order faces were
    // placed and dequeued, and each face hangs from the one neighbour placed before it.
    size_t folds = 0;
    for (Poly* q : getPolys())
        for (int k = 0; k < q->getVertexCount(); ++k)
            folds += q->getNeighbor(k) != nullptr;
    if (folds / 2 + 1 != getPolyCount())
        return false;
    const auto place = [this](Poly* q) { return getPolyIndex(q); };
    const auto parentPlace = [&place](Poly* q) {
        // The root hangs from nothing: it is placed before anything is dequeued.
        int parent = -1;
        for (int k = 0; k < q->getVertexCount(); ++k)
            if (Poly* n = q->getNeighbor(k); n && place(n) < place(q))
                parent = place(n);
        return parent;
    };
    // Each face must have been placed by a face dequeued before the other one, never
    // by the other one itself (which would be the edge met with its face unplaced).
    return parentPlace(gNet) < place(fNet) && parentPlace(fNet) < place(gNet);
}
