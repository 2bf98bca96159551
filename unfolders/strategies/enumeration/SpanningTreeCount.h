#pragma once

#include <string>
#include <utility>
#include <vector>

/// The number of spanning trees of an undirected graph by the matrix-tree theorem: the
/// determinant of the graph's Laplacian with one row and column removed. It is computed as
/// a logarithm (a Cholesky factorisation sums the logarithms of its pivots), so counts far
/// beyond any integer type are estimated without overflow. O(vertices^3).
struct SpanningTreeCount {
    /// Natural logarithm of the count; meaningless when `count` is 0.
    double logCount = 0;
    /// The count, rounded to the nearest whole number while it is below 2^53 (exact there
    /// up to rounding in the factorisation); infinity when it is too large for a double.
    double count = 0;
    /// The true count may be larger (see AtLeast).
    bool lowerBound = false;

    /// Vertices are 0 .. vertexCount - 1; parallel edges count separately, self-loops not
    /// at all. A graph with one vertex has one tree; an empty or disconnected one none.
    static SpanningTreeCount Of(int vertexCount, const std::vector<std::pair<int, int>>& edges);
    /// `Of` for graphs of up to `maxVertices` vertices. A larger graph is counted on the
    /// part of at most `maxVertices` vertices that a breadth-first search from vertex 0
    /// reaches first: every spanning tree of that part extends to its own spanning tree of
    /// the whole, so its count is a lower bound (`lowerBound` set). When that bound does
    /// not exceed `enough`, the whole graph is counted after all. Keeps the cost of an
    /// estimate for a large mesh at a few milliseconds.
    static SpanningTreeCount AtLeast(int vertexCount,
                                     const std::vector<std::pair<int, int>>& edges,
                                     double enough, int maxVertices = 400);
    /// The count of a product of choices (each factor >= 1), kept as a logarithm too.
    static SpanningTreeCount OfProduct(const std::vector<int>& factors);

    /// The count in words for messages: the whole number when it is below a billion, else
    /// "about 1.23e+15"; a lower bound reads "at least 1.23e+15".
    std::string describe() const;
};
