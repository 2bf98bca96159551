#pragma once

#include <cstddef>
#include <functional>
#include <unordered_set>
#include <utility>

class Poly;

/// An edge named from one face's side: (face, edge index).
using PolyEdge = std::pair<Poly*, int>;

struct PolyEdgeHash {
    std::size_t operator()(const PolyEdge& e) const {
        return std::hash<const void*>()(e.first) * 31 + std::hash<int>()(e.second);
    }
};

/// A set of face edges; lookups are O(1), iteration order is never used.
using PolyEdgeSet = std::unordered_set<PolyEdge, PolyEdgeHash>;
