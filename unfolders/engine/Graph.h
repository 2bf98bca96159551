#pragma once

#include <cstddef>
#include <list>
#include <map>

#include "unfolders/engine/GraphOrder.h"

/// Undirected graph over values (faces, vertices, trees), without weights.
///
/// Vertices iterate in ascending value order (faces in their mesh's face order,
/// see GraphOrder.h) and each neighbour list keeps insertion order. Both orders
/// are relied on by the layouts built from these graphs, so the representation
/// is an ordered map of lists rather than a hash table.
template <typename T> class Graph {
public:
    using NeighborList = std::list<T>;
    using VertexMap = std::map<T, NeighborList, GraphOrder<T>>;
    using const_iterator = typename VertexMap::const_iterator;

    /// Inserts a and b when absent and links them both ways, once.
    /// A self-loop (a == b) is ignored.
    void addEdge(const T& a, const T& b);
    /// True when a and b are both vertices and b is among a's neighbours.
    bool hasEdge(const T& a, const T& b) const;
    /// Unlinks a and b; a vertex left without neighbours is removed.
    /// False (and nothing changed) when there was no such edge.
    bool removeEdge(const T& a, const T& b);
    /// Removes v and its edges; neighbours left without edges go too.
    void removeVertex(const T& v);

    /// v's neighbour list, inserting v with an empty list when absent.
    NeighborList& getNeighbors(const T& v) { return vertices[v]; }
    /// v's neighbour list, or null when v is not a vertex.
    const NeighborList* findNeighbors(const T& v) const;
    /// Number of v's neighbours (0 when v is not a vertex).
    size_t getDegree(const T& v) const;

    bool hasVertex(const T& v) const { return vertices.count(v) != 0; }
    size_t getVertexCount() const { return vertices.size(); }
    /// Number of undirected edges. Warning: O(vertices).
    size_t getEdgeCount() const;
    bool isEmpty() const { return vertices.empty(); }

    /// Depth-first search over every component; true when some vertex is
    /// reached a second time other than through the edge it was reached by.
    bool hasCycle() const;

    void clear() { vertices.clear(); }

    const_iterator begin() const { return vertices.begin(); }
    const_iterator end() const { return vertices.end(); }

    bool operator==(const Graph& other) const = default;

private:
    VertexMap vertices;
};

#include "unfolders/engine/Graph.ipp"
