#pragma once

// What the planar hull's sources share and its users never see: the geometry helpers of
// insertion and the lookup structures over the vertices.

#include "sorvex/PlanarConvexHull.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <map>
#include <unordered_map>
#include <vector>

namespace hulldetail {

constexpr double TwoPi = 6.283185307179586;
constexpr double Pi = 3.141592653589793;
constexpr double Tolerance = 1e-5;
/// Grid cells twice the duplicate tolerance: a duplicate lies in the point's cell or in
/// one of its eight neighbours.
constexpr double CellSize = 2e-5;
/// Below this many vertices a list scan is cheaper than the grid.
constexpr int ScanLimit = 16;

inline double polarAngle(double dx, double dy) {
    double a = std::atan2(dy, dx);
    if (a < 0.0)
        a += TwoPi;
    return a;
}

inline double direction(double fromX, double fromY, double toX, double toY) {
    return polarAngle(toX - fromX, toY - fromY);
}

/// True when direction b lies to the left of direction a.
inline bool leftOf(double b, double a) {
    double d = b - a;
    while (d < 0.0)
        d += TwoPi;
    return d < Pi;
}

inline std::int64_t cellOf(double v) {
    const double c = std::floor(v / CellSize);
    return static_cast<std::int64_t>(std::clamp(c, -1e18, 1e18));
}

inline std::uint64_t cellKey(std::int64_t cx, std::int64_t cy) {
    // Distinct cells may share a key; candidates are always checked exactly.
    std::uint64_t h = static_cast<std::uint64_t>(cx) * 0x9E3779B97F4A7C15ull;
    h ^= static_cast<std::uint64_t>(cy) + 0x7F4A7C159E3779B9ull + (h << 6) + (h >> 2);
    return h;
}

/// Twice the area of the triangle (centre, a, b), as getArea sums it.
inline double doubleTriangle(double ax, double ay, double bx, double by, double cx, double cy) {
    return std::fabs((ax - cx) * (by - cy) - (ay - cy) * (bx - cx));
}

} // namespace hulldetail

struct PlanarConvexHull::Index {
    using Node = PlanarConvexHull::Node;

    std::multimap<double, Node*> byAngle;
    std::unordered_multimap<std::uint64_t, Node*> grid;
    /// Number of consecutive pairs (excluding tail to head) whose angles decrease; while 0
    /// the list is sorted and the angle map answers the search from the head.
    int inversions = 0;

    static std::uint64_t cellOfNode(const Node* node) {
        return hulldetail::cellKey(hulldetail::cellOf(node->x), hulldetail::cellOf(node->y));
    }

    void add(Node* node) {
        byAngle.emplace(node->angle, node);
        grid.emplace(cellOfNode(node), node);
    }
    void remove(Node* node) {
        auto range = byAngle.equal_range(node->angle);
        for (auto it = range.first; it != range.second; ++it) {
            if (it->second == node) {
                byAngle.erase(it);
                break;
            }
        }
        auto cells = grid.equal_range(cellOfNode(node));
        for (auto it = cells.first; it != cells.second; ++it) {
            if (it->second == node) {
                grid.erase(it);
                break;
            }
        }
    }
    void clear() {
        byAngle.clear();
        grid.clear();
        inversions = 0;
    }

    /// The vertices in list order from the head with the running sums of getArea's
    /// triangles, for the area queries that leave the hull alone; rebuilt when the hull's
    /// revision moved on since.
    struct Order {
        unsigned long long revision = ~0ull;
        std::vector<const Node*> nodes;
        std::vector<double> angles;
        /// prefix[i]: twice the area of the triangles (centre, v[j], v[j + 1]) for j < i.
        std::vector<double> prefix;
        std::unordered_map<const Node*, int> position;
    } order;

    /// The journal of mark()/rollBack(): what the hull was at the mark, and every vertex
    /// inserted or taken out since, in order. Vertices taken out are kept (not freed) with
    /// their links of that moment, so that undoing in reverse order puts each one back
    /// between the very vertices it left.
    struct Edit {
        Node* node;
        bool inserted;
    };
    struct Journal {
        bool open = false;
        Node* head = nullptr;
        int length = 0;
        int inversions = 0;
        int pointsSeen = 0;
        double centerX = 0.0, centerY = 0.0;
        double pendingX[2] = {0.0, 0.0}, pendingY[2] = {0.0, 0.0};
        void* pendingData[2] = {nullptr, nullptr};
        std::vector<Edit> edits;
    } journal;

    /// Frees the vertices the journal kept and closes it.
    void dropJournal() {
        for (const Edit& e : journal.edits)
            if (!e.inserted)
                delete e.node;
        journal.edits.clear();
        journal.open = false;
    }
};
