#pragma once

#include <cstddef>
#include <utility>
#include <vector>

/// Enumerates the spanning trees of an undirected graph one at a time, each exactly once,
/// in constant memory: the state is one decision per edge and a union-find with undo, so
/// nothing grows with the number of trees already delivered.
///
/// The search decides the edges in list order, first taking an edge into the tree, then
/// leaving it out. An edge is taken only when it joins two components of the forest built
/// so far, and left out only when the forest plus the undecided edges still connect every
/// vertex. Every branch of the search therefore ends in a spanning tree, so the cost per
/// tree is bounded by a few passes over the edges and no branch is a dead end.
///
/// Vertices are 0 .. vertexCount - 1. Parallel edges are distinct edges (two trees that
/// differ only in which of them they use are both delivered); self-loops are never used.
class SpanningTreeEnumerator {
public:
    using Edge = std::pair<int, int>;

    SpanningTreeEnumerator(int vertexCount, std::vector<Edge> edges);

    /// Advances to the next spanning tree; false when there is none left. A graph with one
    /// vertex has one tree without edges; an empty or disconnected graph has none.
    bool next();
    /// The edges of the current tree, as indices into the edge list in increasing order.
    /// Valid after `next()` returned true.
    const std::vector<int>& getTreeEdges() const { return treeEdges; }
    const std::vector<Edge>& getEdges() const { return edges; }
    int getVertexCount() const { return vertexCount; }
    /// Trees delivered so far.
    unsigned long long getTreeCount() const { return delivered; }
    /// The smallest edge index whose second choice (leaving it out) is still to come: how
    /// far the search has worked through the edge list. The edge count when none is open.
    int getOpenEdge() const;
    /// Starts again from the first tree.
    void restart();

private:
    /// One decided edge on the search path.
    struct Decision {
        int edge;
        bool taken;
        /// Leaving the taken edge out is still to be tried.
        bool alternativeOpen;
        /// The union-find undo mark from before the edge was taken.
        size_t undoMark;
    };

    int find(int v) const;
    /// Joins the components of a and b (roots); records the change for undo.
    void unite(int a, int b);
    void undoTo(size_t mark);
    /// Whether the forest plus the edges after `edge` still connect every vertex, with
    /// `edge` left out.
    bool canLeaveOut(int edge);
    /// Decides edges from `edge` on until the forest spans the graph.
    void descend(int edge);

    int vertexCount;
    std::vector<Edge> edges;
    std::vector<int> parent;
    std::vector<int> rank;
    /// Each entry: the root that was hung below another, and whether the other's rank grew.
    std::vector<std::pair<int, bool>> undo;
    std::vector<Decision> path;
    std::vector<int> treeEdges;
    /// Scratch union-find for canLeaveOut.
    std::vector<int> scratch;
    int forestEdges = 0;
    bool started = false;
    bool finished = false;
    unsigned long long delivered = 0;
};
