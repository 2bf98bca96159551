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
    if (count < 1e9)
        std::snprintf(text, sizeof text, "%.0f", count);
    else
        std::snprintf(text, sizeof text, "about %.3g", count);
    return text;
}
