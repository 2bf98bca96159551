#include "unfolders/strategies/enumeration/SpanningTreeCount.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace {

/// Below this the rounded count is a whole number a double holds exactly.
constexpr double ExactLimit = 9007199254740992.0; // 2^53

SpanningTreeCount fromLog(double logCount) {
    SpanningTreeCount c;
    c.logCount = logCount;
    const double value = std::exp(logCount);
    c.count = value < ExactLimit ? std::round(value) : value;
    return c;
}

} // namespace

SpanningTreeCount SpanningTreeCount::Of(int vertexCount,
                                        const std::vector<std::pair<int, int>>& edges) {
    SpanningTreeCount none;
    if (vertexCount <= 0)
        return none;
    // The reduced Laplacian drops the last vertex; it is symmetric positive definite
    // exactly when the graph is connected.
    const int n = vertexCount - 1;
    std::vector<double> a(size_t(n) * size_t(n), 0.0);
    auto at = [&](int r, int c) -> double& { return a[size_t(r) * size_t(n) + size_t(c)]; };
    for (const auto& [u, v] : edges) {
        if (u == v || u < 0 || v < 0 || u > n || v > n)
            continue;
        if (u < n)
            at(u, u) += 1;
        if (v < n)
            at(v, v) += 1;
        if (u < n && v < n) {
            at(u, v) -= 1;
            at(v, u) -= 1;
        }
    }
    double logDet = 0;
    for (int j = 0; j < n; ++j) {
        double d = at(j, j);
        for (int k = 0; k < j; ++k)
            d -= at(j, k) * at(j, k);
        // A pivot near zero means a component without the dropped vertex: no tree. The
        // pivots of a connected graph's Laplacian are at least about 1/vertices.
        if (!(d > 1e-9))
            return none;
        const double l = std::sqrt(d);
        at(j, j) = l;
        logDet += 2 * std::log(l);
        for (int i = j + 1; i < n; ++i) {
            double s = at(i, j);
            for (int k = 0; k < j; ++k)
                s -= at(i, k) * at(j, k);
            at(i, j) = s / l;
        }
    }
    return fromLog(logDet);
}

SpanningTreeCount SpanningTreeCount::AtLeast(int vertexCount,
                                             const std::vector<std::pair<int, int>>& edges,
                                             double enough, int maxVertices) {
    if (vertexCount <= maxVertices)
        return Of(vertexCount, edges);
    std::vector<std::vector<int>> adjacent{size_t(vertexCount)};
    for (const auto& [u, v] : edges) {
        if (u < 0 || v < 0 || u >= vertexCount || v >= vertexCount || u == v)
            continue;
        adjacent[size_t(u)].push_back(v);
        adjacent[size_t(v)].push_back(u);
    }
    std::vector<int> number(size_t(vertexCount), -1);
    std::vector<int> order{0};
    number[0] = 0;
    for (size_t i = 0; i < order.size() && int(order.size()) < maxVertices; ++i)
        for (int w : adjacent[size_t(order[i])])
            if (number[size_t(w)] < 0 && int(order.size()) < maxVertices) {
                number[size_t(w)] = int(order.size());
                order.push_back(w);
            }
    std::vector<std::pair<int, int>> part;
    for (const auto& [u, v] : edges)
        if (u >= 0 && v >= 0 && u < vertexCount && v < vertexCount && number[size_t(u)] >= 0 &&
            number[size_t(v)] >= 0)
            part.emplace_back(number[size_t(u)], number[size_t(v)]);
    SpanningTreeCount bound = Of(int(order.size()), part);
    if (bound.count <= enough)
        return Of(vertexCount, edges);
    bound.lowerBound = true;
    return bound;
}

SpanningTreeCount SpanningTreeCount::OfProduct(const std::vector<int>& factors) {
    double logCount = 0;
    for (int f : factors) {
        if (f <= 0)
            return SpanningTreeCount{};
        logCount += std::log(double(f));
    }
    return fromLog(logCount);
}

std::string SpanningTreeCount::describe() const {
    char text[64];
    // Counts beyond a double are shown by their power of ten.
    const double power = logCount / std::log(10.0);
    if (lowerBound)
        std::snprintf(text, sizeof text,
                      std::isfinite(count) ? "at least %.3g" : "at least 10^%.0f",
                      std::isfinite(count) ? count : power);
    else if (!std::isfinite(count))
        std::snprintf(text, sizeof text, "about 10^%.0f", power);
    else if (count < 1e9)
        std::snprintf(text, sizeof text, "%.0f", count);
    else
        std::snprintf(text, sizeof text, "about %.3g", count);
    return text;
}
