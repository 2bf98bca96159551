#include "scene/render/PolygonTriangles.h"

#include <cmath>
#include <cstddef>

using Sorvex::M3d;

namespace {

/// Corners beyond this many are fanned: cutting ears costs a pass over the corners per
/// ear, and faces that long are almost always convex caps.
constexpr std::size_t kMaxEarCorners = 1024;

struct Point2 {
    double x, y;
};

double cross(const Point2& a, const Point2& b, const Point2& c) {
    return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
}

/// Whether `p` lies in triangle abc (wound counter-clockwise) or on its border.
bool inTriangle(const Point2& p, const Point2& a, const Point2& b, const Point2& c) {
    return cross(a, b, p) >= 0 && cross(b, c, p) >= 0 && cross(c, a, p) >= 0;
}

void appendFan(std::span<const int> ring, std::vector<int>& triangles) {
    for (std::size_t i = 1; i + 1 < ring.size(); ++i)
        triangles.insert(triangles.end(), {ring[0], ring[i], ring[i + 1]});
}

/// Newell's sums: twice the polygon's area vector, whatever its shape.
M3d areaVector(std::span<const M3d> corners) {
    double nx = 0, ny = 0, nz = 0;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const M3d& a = corners[i];
        const M3d& b = corners[(i + 1) % corners.size()];
        nx += (a.y() - b.y()) * (a.z() + b.z());
        ny += (a.z() - b.z()) * (a.x() + b.x());
        nz += (a.x() - b.x()) * (a.y() + b.y());
    }
    return M3d(nx, ny, nz);
}

/// Whether no corner turns against the polygon's area vector `n`.
bool isConvex(std::span<const M3d> corners, const M3d& n) {
    const std::size_t m = corners.size();
    for (std::size_t i = 0; i < m; ++i) {
        M3d turn;
        turn.cross(corners[i] - corners[(i + m - 1) % m], corners[(i + 1) % m] - corners[i]);
        if (turn.dot(n) < 0)
            return false;
    }
    return true;
}

/// The corners projected onto the coordinate plane `n` faces most, mirrored where needed
/// so that the polygon winds counter-clockwise there.
void projectCounterClockwise(std::span<const M3d> corners, const M3d& n, std::vector<Point2>& out) {
    const double ax = std::abs(n.x()), ay = std::abs(n.y()), az = std::abs(n.z());
    out.clear();
    out.reserve(corners.size());
    for (const M3d& c : corners) {
        if (az >= ax && az >= ay)
            out.push_back(n.z() > 0 ? Point2{c.x(), c.y()} : Point2{c.y(), c.x()});
        else if (ax >= ay)
            out.push_back(n.x() > 0 ? Point2{c.y(), c.z()} : Point2{c.z(), c.y()});
        else
            out.push_back(n.y() > 0 ? Point2{c.z(), c.x()} : Point2{c.x(), c.z()});
    }
}

} // namespace

void TriangulatePolygon(std::span<const M3d> corners, std::vector<int>& triangles) {
    const std::size_t n = corners.size();
    if (n < 3)
        return;
    const M3d normal = areaVector(corners);
    const bool flat = !(normal.length() > 0);
    if (n == 3 || n > kMaxEarCorners || flat || isConvex(corners, normal)) {
        for (std::size_t i = 1; i + 1 < n; ++i)
            triangles.insert(triangles.end(), {0, int(i), int(i + 1)});
        return;
    }
    std::vector<Point2> p;
    projectCounterClockwise(corners, normal, p);
    std::vector<int> ring(n);
    for (std::size_t i = 0; i < n; ++i)
        ring[i] = int(i);
    // Cut ears: a corner whose triangle with its two neighbours turns left and holds no
    // other remaining corner. A simple polygon always has one.
    std::size_t at = 0;
    std::size_t sinceCut = 0;
    while (ring.size() > 3 && sinceCut < ring.size()) {
        const std::size_t m = ring.size();
        const int a = ring[(at + m - 1) % m], b = ring[at], c = ring[(at + 1) % m];
        bool ear = cross(p[a], p[b], p[c]) > 0;
        for (std::size_t k = 0; ear && k < m; ++k) {
            const int q = ring[k];
            // Corners at the same place as the ear's own (a polygon touching itself) do
            // not block it.
            const bool corner = (p[q].x == p[a].x && p[q].y == p[a].y) ||
                                (p[q].x == p[b].x && p[q].y == p[b].y) ||
                                (p[q].x == p[c].x && p[q].y == p[c].y);
            ear = corner || !inTriangle(p[q], p[a], p[b], p[c]);
        }
        if (ear) {
            triangles.insert(triangles.end(), {a, b, c});
            ring.erase(ring.begin() + std::ptrdiff_t(at));
            at %= ring.size();
            sinceCut = 0;
        } else {
            at = (at + 1) % m;
            ++sinceCut;
        }
    }
    appendFan(ring, triangles);
}
