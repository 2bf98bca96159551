// What collision repair asks of the net: crossings of cut edges, border
// walks, the net's tree of parents and paths through the source.
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <deque>
#include <unordered_set>

#include "sorvex/MLine.h"
#include "unfolders/strategies/CollisionRepairUnfolder.h"

using Sorvex::M3d;
using Sorvex::MLine;

namespace {

M3d flat(const M3d& p) {
    return M3d(p.x(), 0, p.z());
}

using Edge = CollisionRepairUnfolder::Edge;

bool hasCutEdge(Graph<Vertex*>& cut, const Poly& source, int i) {
    return cut.hasEdge(source.getVertex(i), source.getVertex(i + 1));
}

bool samePair(const CollisionRepairUnfolder::Crossing& c, const Edge& a, const Edge& b) {
    return (c.first == a && c.second == b) || (c.first == b && c.second == a);
}

} // namespace

double CollisionRepairUnfolder::radius(Vertex* v) {
    double best = FLT_MAX;
    if (!unfoldingRoot)
        return best;
    const M3d centre = unfoldingRoot->getCenter();
    for (Poly* f : v->getPolys()) {
        Poly* net = f->getTwin();
        if (!net)
            continue;
        const Vertex* image = net->getVertex(f->getVertexIndex(v));
        best = std::min(best, (*image - centre).length());
    }
    return best;
}

double CollisionRepairUnfolder::radius(const Crossing& c) {
    const Poly* n1 = c.first.first->getTwin();
    const Poly* n2 = c.second.first->getTwin();
    if (!n1 || !n2 || !unfoldingRoot)
        return FLT_MAX;
    const M3d a1 = *n1->getVertex(c.first.second), b1 = *n1->getVertex(c.first.second + 1);
    const M3d a2 = *n2->getVertex(c.second.second), b2 = *n2->getVertex(c.second.second + 1);
    const double t = MLine::Intersect(flat(a1), flat(b1), flat(a2), flat(b2));
    return (a1 + (b1 - a1) * t - unfoldingRoot->getCenter()).length();
}

bool CollisionRepairUnfolder::crossed(const M3d& a, const M3d& b, const M3d& c, const M3d& d) {
    return MLine::Intersect(flat(a), flat(b), flat(c), flat(d)) != -1;
}

Edge CollisionRepairUnfolder::getDual(const Edge& e) {
    Poly* f = e.first;
    if (!f)
        return {nullptr, -1};
    if (Poly* g = f->getNeighbor(e.second))
        return {g, g->getNeighborIndex(f)};
    // A net edge on a cut: the other side is the twin of the source neighbour.
    Poly* src = f->getTwin();
    Poly* other = src ? src->getNeighbor(e.second) : nullptr;
    if (!other || !other->getTwin())
        return {nullptr, -1};
    return {other->getTwin(), other->getNeighborIndex(src)};
}

bool CollisionRepairUnfolder::isConflicted(const Edge& e) const {
    for (const auto* list : {&crossings, &twinCrossings}) {
        for (const Crossing& c : *list) {
            if (c.first == e || c.second == e)
                return true;
        }
    }
    return false;
}

Edge CollisionRepairUnfolder::findNextBorderEdge(const Edge& e) {
    if (!e.first)
        return {nullptr, -1};
    Vertex* w = e.first->getVertex(e.second + 1);
    for (Poly* g : w->getPolys()) {
        const int j = g->getVertexIndex(w);
        if (!g->getNeighbor(j))
            return {g, j};
    }
    return {nullptr, -1};
}

void CollisionRepairUnfolder::collectHull() {
    hullVertices.clear();
    const PlanarConvexHull::Node* head = hull().getHead();
    const PlanarConvexHull::Node* node = head;
    for (int k = 0; node && k < hull().getLength(); ++k, node = node->next)
        hullVertices.push_back(static_cast<const Vertex*>(node->data));
}

bool CollisionRepairUnfolder::onHull(const Vertex* w) const {
    // Net vertices at one point may be distinct objects, so positions count.
    for (const Vertex* h : hullVertices) {
        if (h == w || (h && std::fabs(h->x() - w->x()) < 1e-9 && std::fabs(h->z() - w->z()) < 1e-9))
            return true;
    }
    return false;
}

bool CollisionRepairUnfolder::innerPath(const Edge& from, const Edge& to) {
    // The border has fewer edges than the net has corners, so a longer walk
    // has gone round without meeting `to`.
    size_t corners = 0;
    for (Poly* f : getPolys())
        corners += size_t(f->getVertexCount());
    Edge at = from;
    for (size_t step = 0; step <= corners; ++step) {
        if (onHull(at.first->getVertex(at.second + 1)))
            return false;
        at = findNextBorderEdge(at);
        if (!at.first)
            return false;
        if (at == to)
            return true;
        if (isConflicted({at.first->getTwin(), at.second}))
            return false;
    }
    return false;
}

bool CollisionRepairUnfolder::dualInside(const Edge& e) {
    if (!e.first || !e.first->getTwin())
        return false;
    const Edge a{e.first->getTwin(), e.second};
    const Edge d = getDual(a);
    if (!d.first)
        return false;
    return innerPath(a, d) || innerPath(d, a);
}

void CollisionRepairUnfolder::findParents() {
    parentEdge.clear();
    if (!unfoldingRoot)
        return;
    std::unordered_set<Poly*> seen{unfoldingRoot};
    std::deque<Poly*> queue{unfoldingRoot};
    while (!queue.empty()) {
        Poly* f = queue.front();
        queue.pop_front();
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Poly* g = f->getNeighbor(i);
            if (!g || !seen.insert(g).second)
                continue;
            if (Poly* src = g->getTwin())
                parentEdge[src] = g->getNeighborIndex(f);
            queue.push_back(g);
        }
    }
}

Edge CollisionRepairUnfolder::findParent(Poly* f) {
    const auto it = f ? parentEdge.find(f) : parentEdge.end();
    if (it == parentEdge.end())
        return {nullptr, -1};
    return {f, it->second};
}

bool CollisionRepairUnfolder::isAncestor(Poly* x, Poly* y) {
    if (!x || !y)
        return false;
    // A tree has fewer edges than faces; the bound guards a stale map.
    for (size_t step = 0; x && step <= parentEdge.size(); ++step) {
        if (x == y)
            return true;
        const Edge up = findParent(x);
        x = up.first ? up.first->getNeighbor(up.second) : nullptr;
    }
    return false;
}

bool CollisionRepairUnfolder::findPath(Poly* from, Poly* to, std::list<Poly*>& path) {
    path.clear();
    if (!from || !to)
        return false;
    const Edge up = findParent(to);
    Poly* parent = up.first ? to->getNeighbor(up.second) : nullptr;
    std::unordered_map<Poly*, Poly*> cameFrom{{from, nullptr}};
    std::deque<Poly*> queue{from};
    while (!queue.empty()) {
        Poly* f = queue.front();
        queue.pop_front();
        if (f == to) {
            for (Poly* at = to; at; at = cameFrom[at])
                path.push_front(at);
            return true;
        }
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Poly* g = f->getNeighbor(i);
            if (!g || (f == parent && g == to && f->getNeighborIndex(to) == i))
                continue;
            if (cameFrom.emplace(g, f).second)
                queue.push_back(g);
        }
    }
    return false;
}

void CollisionRepairUnfolder::applyPath(const std::list<Poly*>& path, Graph<Vertex*>& cut) {
    for (auto prev = path.begin(), cur = std::next(prev); prev != path.end() && cur != path.end();
         ++prev, ++cur) {
        const int shared = (*cur)->getNeighborIndex(*prev);
        const Edge up = findParent(*cur);
        if (shared < 0 || !up.first)
            continue;
        Vertex* s1 = (*cur)->getVertex(shared);
        Vertex* s2 = (*cur)->getVertex(shared + 1);
        if (!cut.hasEdge(s1, s2))
            continue;
        cut.removeEdge(s1, s2);
        cut.addEdge((*cur)->getVertex(up.second), (*cur)->getVertex(up.second + 1));
    }
}

bool CollisionRepairUnfolder::findConflicts() {
    crossings.clear();
    twinCrossings.clear();
    return Unfolder::findConflicts();
}

void CollisionRepairUnfolder::onConflict(Poly* a, Poly* b) {
    Poly* sa = a->getTwin();
    Poly* sb = b->getTwin();
    Graph<Vertex*>& cut = getCutGraph();
    for (int i = 0; sa && sb && i < a->getVertexCount(); ++i) {
        if (!hasCutEdge(cut, *sa, i))
            continue;
        for (int j = 0; j < b->getVertexCount(); ++j) {
            if (!hasCutEdge(cut, *sb, j) || !crossed(*a->getVertex(i), *a->getVertex(i + 1),
                                                     *b->getVertex(j), *b->getVertex(j + 1)))
                continue;
            const Edge ea{sa, i}, eb{sb, j};
            bool known = false;
            for (const auto* list : {&crossings, &twinCrossings}) {
                for (const Crossing& c : *list)
                    known = known || samePair(c, ea, eb);
            }
            if (known)
                continue;
            const bool twins = sa->getNeighbor(i) == sb && sb->getNeighbor(j) == sa;
            (twins ? twinCrossings : crossings).push_back({ea, eb});
        }
    }
    Unfolder::onConflict(a, b);
}
