#pragma once

#include <deque>
#include <set>

#include "scene/mesh/Poly.h"
#include "unfolders/engine/Graph.h"

namespace testmeshes {

/// The breadth-first face tree of a mesh from `start`, as a graph.
inline Graph<Poly*> breadthFirstTree(PolyMesh& mesh, Poly* start) {
    Graph<Poly*> tree;
    std::set<Poly*> seen{start};
    std::deque<Poly*> queue{start};
    while (!queue.empty()) {
        Poly* f = queue.front();
        queue.pop_front();
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Poly* g = f->getNeighbor(i);
            if (g && seen.insert(g).second) {
                tree.addEdge(f, g);
                queue.push_back(g);
            }
        }
    }
    (void)mesh;
    return tree;
}

/// The normal of the face's ring as it lies now (not the stored one).
inline Sorvex::M3d ringNormal(const Poly& f) {
    Poly probe(f.getVertices());
    return probe.getNormal();
}

/// Whether two graphs have the same vertices and edges, whatever the order
/// of their neighbour lists.
template <typename T> bool sameEdges(const Graph<T>& a, const Graph<T>& b) {
    if (a.getVertexCount() != b.getVertexCount() || a.getEdgeCount() != b.getEdgeCount())
        return false;
    for (const auto& [v, around] : a)
        for (const T& w : around)
            if (!b.hasEdge(v, w))
                return false;
    return true;
}

} // namespace testmeshes
