#pragma once

#include <algorithm>
#include <limits>
#include <map>
#include <utility>
#include <vector>

#include "common/StatusLine.h"
#include "unfolders/engine/Graph.h"
#include "unfolders/engine/GraphReceiver.h"
#include "unfolders/engine/Tree.h"
#include "unfolders/strategies/enumeration/SpanningTreeCount.h"
#include "unfolders/strategies/enumeration/SpanningTreeEnumerator.h"

/// A `Graph<T>` numbered for the spanning-tree enumerator: vertices in the graph's
/// order (faces in mesh order), each undirected edge once, from the lower-numbered end.
template <typename T> class NumberedGraph {
public:
    explicit NumberedGraph(const Graph<T>& graph);

    const std::vector<T>& getVertices() const { return vertices; }
    const std::vector<SpanningTreeEnumerator::Edge>& getEdges() const { return edges; }
    SpanningTreeEnumerator makeEnumerator() const {
        return SpanningTreeEnumerator(int(vertices.size()), edges);
    }
    /// The matrix-tree count of the graph's spanning trees; for a large graph perhaps only
    /// a lower bound above `enough` (see SpanningTreeCount::AtLeast).
    SpanningTreeCount countTrees(double enough = std::numeric_limits<double>::infinity()) const {
        return SpanningTreeCount::AtLeast(int(vertices.size()), edges, enough);
    }
    /// The tree made of the given edges (indices into getEdges()), rooted at the first
    /// vertex, children in edge order.
    void buildTree(const std::vector<int>& treeEdges, Tree<T>& tree) const;

private:
    std::vector<T> vertices;
    std::vector<SpanningTreeEnumerator::Edge> edges;
};

/// Hands every spanning tree of `graph` to `receiver`, once each, while posting the
/// progress "Enumerating spanning trees: edge %i / %i (%4.2f%% complete)" now and then
/// (the edge the search has worked through, and the trees delivered against the
/// matrix-tree count). Trees are made one at a time; returns how many were delivered.
template <typename T>
unsigned long long EnumerateSpanningTrees(const Graph<T>& graph, GraphReceiver<T>& receiver);

#include "unfolders/strategies/enumeration/GraphSpanningTrees.ipp"
