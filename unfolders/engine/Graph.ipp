#pragma once

#include <algorithm>
#include <set>
#include <utility>
#include <vector>

template <typename T> void Graph<T>::addEdge(const T& a, const T& b) {
    if (a == b)
        return;
    NeighborList& aList = vertices[a];
    if (std::find(aList.begin(), aList.end(), b) == aList.end())
        aList.push_back(b);
    NeighborList& bList = vertices[b];
    if (std::find(bList.begin(), bList.end(), a) == bList.end())
        bList.push_back(a);
}

template <typename T> bool Graph<T>::hasEdge(const T& a, const T& b) const {
    auto aIt = vertices.find(a);
    if (aIt == vertices.end() || vertices.count(b) == 0)
        return false;
    return std::find(aIt->second.begin(), aIt->second.end(), b) != aIt->second.end();
}

template <typename T> bool Graph<T>::removeEdge(const T& a, const T& b) {
    auto aIt = vertices.find(a);
    auto bIt = vertices.find(b);
    if (aIt == vertices.end() || bIt == vertices.end())
        return false;
    auto bInA = std::find(aIt->second.begin(), aIt->second.end(), b);
    if (bInA == aIt->second.end())
        return false;
    aIt->second.erase(bInA);
    bIt->second.remove(a);
    if (aIt->second.empty())
        vertices.erase(aIt);
    if (bIt->second.empty())
        vertices.erase(bIt);
    return true;
}

template <typename T> void Graph<T>::removeVertex(const T& v) {
    auto vIt = vertices.find(v);
    if (vIt == vertices.end())
        return;
    for (const T& w : vIt->second) {
        auto wIt = vertices.find(w);
        if (wIt == vertices.end())
            continue;
        wIt->second.remove(v);
        if (wIt->second.empty())
            vertices.erase(wIt);
    }
    vertices.erase(v);
}

template <typename T>
const typename Graph<T>::NeighborList* Graph<T>::findNeighbors(const T& v) const {
    auto it = vertices.find(v);
    return it == vertices.end() ? nullptr : &it->second;
}

template <typename T> size_t Graph<T>::getDegree(const T& v) const {
    auto it = vertices.find(v);
    return it == vertices.end() ? 0 : it->second.size();
}

template <typename T> size_t Graph<T>::getEdgeCount() const {
    size_t ends = 0;
    for (const auto& entry : vertices)
        ends += entry.second.size();
    return ends / 2;
}

template <typename T> bool Graph<T>::hasCycle() const {
    // Iterative search: cut graphs and face graphs can have paths far longer
    // than the call stack allows. Vertices are marked when first reached, so
    // meeting a marked vertex other than the one we came from closes a cycle.
    std::set<T> visited;
    std::vector<std::pair<T, T>> stack; // (vertex, the vertex it was reached from)
    for (const auto& entry : vertices) {
        if (visited.count(entry.first))
            continue;
        visited.insert(entry.first);
        stack.clear();
        stack.emplace_back(entry.first, entry.first);
        while (!stack.empty()) {
            auto [v, from] = stack.back();
            stack.pop_back();
            bool skippedFrom = v == from; // the start vertex came from nowhere
            for (const T& w : vertices.at(v)) {
                if (!skippedFrom && w == from) {
                    skippedFrom = true;
                    continue;
                }
                if (visited.count(w))
                    return true;
                visited.insert(w);
                stack.emplace_back(w, v);
            }
        }
    }
    return false;
}
