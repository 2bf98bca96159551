#include "unfolders/strategies/enumeration/SpanningTreeEnumerator.h"

#include <algorithm>

namespace {

int scratchFind(std::vector<int>& p, int v) {
    while (p[size_t(v)] != v) {
        p[size_t(v)] = p[size_t(p[size_t(v)])];
        v = p[size_t(v)];
    }
    return v;
}

} // namespace

SpanningTreeEnumerator::SpanningTreeEnumerator(int vertexCount, std::vector<Edge> edges)
    : vertexCount(std::max(vertexCount, 0)), edges(std::move(edges)) {
    parent.resize(size_t(this->vertexCount));
    rank.resize(size_t(this->vertexCount));
    scratch.resize(size_t(this->vertexCount));
    path.reserve(this->edges.size());
    undo.reserve(size_t(this->vertexCount));
    treeEdges.reserve(size_t(this->vertexCount));
    restart();
}

void SpanningTreeEnumerator::restart() {
    for (int v = 0; v < vertexCount; ++v) {
        parent[size_t(v)] = v;
        rank[size_t(v)] = 0;
    }
    undo.clear();
    path.clear();
    treeEdges.clear();
    forestEdges = 0;
    started = false;
    finished = false;
    delivered = 0;
}

int SpanningTreeEnumerator::find(int v) const {
    // No path compression: it could not be undone cheaply. Union by rank keeps paths short.
    while (parent[size_t(v)] != v)
        v = parent[size_t(v)];
    return v;
}

void SpanningTreeEnumerator::unite(int a, int b) {
    if (rank[size_t(a)] < rank[size_t(b)])
        std::swap(a, b);
    parent[size_t(b)] = a;
    const bool grows = rank[size_t(a)] == rank[size_t(b)];
    if (grows)
        ++rank[size_t(a)];
    undo.emplace_back(b, grows);
    ++forestEdges;
}

void SpanningTreeEnumerator::undoTo(size_t mark) {
    while (undo.size() > mark) {
        const auto [child, grew] = undo.back();
        undo.pop_back();
        const int root = parent[size_t(child)];
        if (grew)
            --rank[size_t(root)];
        parent[size_t(child)] = child;
        --forestEdges;
    }
}

bool SpanningTreeEnumerator::canLeaveOut(int edge) {
    // The forest's components, joined by every later edge: one component is needed.
    int components = vertexCount - forestEdges;
    for (int v = 0; v < vertexCount; ++v)
        scratch[size_t(v)] = find(v);
    for (size_t e = size_t(edge) + 1; e < edges.size() && components > 1; ++e) {
        const int a = scratchFind(scratch, edges[e].first);
        const int b = scratchFind(scratch, edges[e].second);
        if (a != b) {
            scratch[size_t(a)] = b;
            --components;
        }
    }
    return components == 1;
}

void SpanningTreeEnumerator::descend(int edge) {
    // Each step keeps the invariant that the forest plus the undecided edges span the
    // graph, so edges never run out before the forest is a tree.
    for (size_t e = size_t(edge); forestEdges < vertexCount - 1 && e < edges.size(); ++e) {
        const int a = find(edges[e].first);
        const int b = find(edges[e].second);
        if (a == b) {
            path.push_back({int(e), false, false, undo.size()});
            continue;
        }
        const size_t mark = undo.size();
        const bool open = canLeaveOut(int(e));
        unite(a, b);
        path.push_back({int(e), true, open, mark});
    }
}

bool SpanningTreeEnumerator::next() {
    if (finished)
        return false;
    if (!started) {
        started = true;
        if (vertexCount == 0) {
            finished = true;
            return false;
        }
        // Connected exactly when all edges together join every vertex.
        forestEdges = 0;
        if (!canLeaveOut(-1)) {
            finished = true;
            return false;
        }
        descend(0);
    } else {
        // Back to the deepest edge whose leaving out is still open.
        while (!path.empty() && !path.back().alternativeOpen) {
            if (path.back().taken)
                undoTo(path.back().undoMark);
            path.pop_back();
        }
        if (path.empty()) {
            finished = true;
            treeEdges.clear();
            return false;
        }
        Decision& d = path.back();
        undoTo(d.undoMark);
        d.taken = false;
        d.alternativeOpen = false;
        descend(d.edge + 1);
    }
    treeEdges.clear();
    for (const Decision& d : path)
        if (d.taken)
            treeEdges.push_back(d.edge);
    ++delivered;
    return true;
}

int SpanningTreeEnumerator::getOpenEdge() const {
    for (const Decision& d : path)
        if (d.alternativeOpen)
            return d.edge;
    return int(edges.size());
}
