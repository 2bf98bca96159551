#pragma once

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

class Poly;

/// An edge named from one face's side: (face, edge index).
using PolyEdge = std::pair<Poly*, int>;

/// A set of face edges (the edges a strategy refused, say). Lookups are O(1); iteration
/// is not offered, as no answer may depend on an order. The edges lie in one flat
/// open-addressing table, so asking about an edge costs one probe into one array, not a
/// walk through a bucket's nodes; strategies ask about every candidate edge of a huge net.
class PolyEdgeSet {
public:
    /// True when the edge was not in the set yet.
    bool insert(const PolyEdge& edge);
    /// 1 when the edge is in the set, else 0.
    std::size_t count(const PolyEdge& edge) const;
    std::size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    void clear();

private:
    struct Slot {
        Poly* face = nullptr; // null: free
        int edge = 0;
    };
    /// The slot holding the edge, or the free slot where it would go.
    std::size_t probe(const PolyEdge& edge) const;
    void rehash(std::size_t capacity);

    std::vector<Slot> m_slots; // empty, or a power of two at most half full
    /// Edges of a null face, which the table cannot hold (null marks a free slot).
    std::vector<int> m_nullFaceEdges;
    std::size_t m_size = 0;
};
