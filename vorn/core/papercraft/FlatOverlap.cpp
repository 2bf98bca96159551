#include "vorn/core/papercraft/FlatOverlap.h"

#include <algorithm>
#include <cmath>

using Sorvex::M2d;

namespace {

double cross(const M2d& o, const M2d& a, const M2d& b) {
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
}

double signedArea(const std::vector<M2d>& poly) {
    double s = 0.0;
    for (size_t i = 0; i < poly.size(); ++i)
        s += poly[i].x() * poly[(i + 1) % poly.size()].y() -
             poly[(i + 1) % poly.size()].x() * poly[i].y();
    return 0.5 * s;
}

bool insideTriangle(const M2d& p, const M2d& a, const M2d& b, const M2d& c) {
    return cross(a, b, p) > 0.0 && cross(b, c, p) > 0.0 && cross(c, a, p) > 0.0;
}

int64_t cellIndex(double v, double cell) {
    return int64_t(std::floor(v / cell));
}

uint64_t cellKey(int64_t x, int64_t y) {
    return (uint64_t(uint32_t(int32_t(x))) << 32) | uint32_t(int32_t(y));
}

} // namespace

bool MakeFlatTriangle(const M2d& a, const M2d& b, const M2d& c, int owner, FlatTriangle& out) {
    const double area2 = std::fabs(cross(a, b, c));
    const double scale = std::max({(b - a).squared(), (c - b).squared(), (a - c).squared()});
    if (!(area2 > 1e-12 * scale) || scale == 0.0)
        return false;
    out.p = {a, b, c};
    for (int i = 0; i < 3; ++i) {
        const M2d d = out.p[size_t((i + 1) % 3)] - out.p[size_t(i)];
        out.axis[size_t(i)] = M2d(-d.y(), d.x());
        out.axis[size_t(i)].normalize();
    }
    out.minX = std::min({a.x(), b.x(), c.x()});
    out.maxX = std::max({a.x(), b.x(), c.x()});
    out.minY = std::min({a.y(), b.y(), c.y()});
    out.maxY = std::max({a.y(), b.y(), c.y()});
    out.owner = owner;
    return true;
}

std::vector<std::array<int, 3>> TriangulatePolygon(const std::vector<M2d>& polygon) {
    std::vector<std::array<int, 3>> out;
    const int n = int(polygon.size());
    if (n < 3)
        return out;
    const double orient = signedArea(polygon) >= 0.0 ? 1.0 : -1.0;
    bool convex = true;
    for (int i = 0; i < n && convex; ++i)
        convex = orient * cross(polygon[size_t(i)], polygon[size_t((i + 1) % n)],
                                polygon[size_t((i + 2) % n)]) >= 0.0;
    if (convex) {
        for (int i = 1; i + 1 < n; ++i)
            out.push_back({0, i, i + 1});
        return out;
    }
    // Ear clipping on a counter-clockwise copy of the ring.
    std::vector<int> ring(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        ring[size_t(i)] = orient > 0 ? i : n - 1 - i;
    const auto at = [&](int k) { return polygon[size_t(ring[size_t(k)])]; };
    int guard = 0;
    while (ring.size() > 3 && guard < 4 * n * n) {
        const int m = int(ring.size());
        bool clipped = false;
        for (int k = 0; k < m; ++k) {
            const int kp = (k + m - 1) % m, kn = (k + 1) % m;
            const M2d a = at(kp), b = at(k), c = at(kn);
            if (cross(a, b, c) <= 0.0)
                continue;
            bool ear = true;
            for (int j = 0; j < m && ear; ++j)
                if (j != kp && j != k && j != kn)
                    ear = !insideTriangle(at(j), a, b, c);
            if (!ear)
                continue;
            out.push_back({ring[size_t(kp)], ring[size_t(k)], ring[size_t(kn)]});
            ring.erase(ring.begin() + k);
            clipped = true;
            break;
        }
        ++guard;
        if (!clipped) {
            // A ring that rounding left without an ear: fan what is left.
            for (size_t k = 1; k + 1 < ring.size(); ++k)
                out.push_back({ring[0], ring[k], ring[k + 1]});
            return out;
        }
    }
    if (ring.size() == 3)
        out.push_back({ring[0], ring[1], ring[2]});
    return out;
}

void AppendFlatTriangles(const std::vector<M2d>& polygon, int owner,
                         std::vector<FlatTriangle>& out) {
    for (const auto& t : TriangulatePolygon(polygon)) {
        FlatTriangle tri;
        if (MakeFlatTriangle(polygon[size_t(t[0])], polygon[size_t(t[1])], polygon[size_t(t[2])],
                             owner, tri))
            out.push_back(tri);
    }
}

bool FlatTrianglesOverlap(const FlatTriangle& s, const FlatTriangle& t, double tolerance) {
    if (s.maxX <= t.minX + tolerance || t.maxX <= s.minX + tolerance ||
        s.maxY <= t.minY + tolerance || t.maxY <= s.minY + tolerance)
        return false;
    for (const FlatTriangle* tri : {&s, &t}) {
        for (const M2d& axis : tri->axis) {
            double sMin = s.p[0].dot(axis), sMax = sMin;
            double tMin = t.p[0].dot(axis), tMax = tMin;
            for (int i = 1; i < 3; ++i) {
                const double a = s.p[size_t(i)].dot(axis), b = t.p[size_t(i)].dot(axis);
                sMin = std::min(sMin, a), sMax = std::max(sMax, a);
                tMin = std::min(tMin, b), tMax = std::max(tMax, b);
            }
            if (sMax <= tMin + tolerance || tMax <= sMin + tolerance)
                return false;
        }
    }
    return true;
}

FlatOverlapGrid::FlatOverlapGrid(double cell, double tolerance)
    : cell(cell > 0.0 && std::isfinite(cell) ? cell : 1.0), tolerance(tolerance) {}

template <typename Visit> void FlatOverlapGrid::forCells(const FlatTriangle& t, Visit visit) const {
    const int64_t x0 = cellIndex(t.minX, cell), x1 = cellIndex(t.maxX, cell);
    const int64_t y0 = cellIndex(t.minY, cell), y1 = cellIndex(t.maxY, cell);
    for (int64_t x = x0; x <= x1; ++x)
        for (int64_t y = y0; y <= y1; ++y)
            if (!visit(cellKey(x, y)))
                return;
}

bool FlatOverlapGrid::isLarge(const FlatTriangle& t) const {
    const double cx = (t.maxX - t.minX) / cell, cy = (t.maxY - t.minY) / cell;
    return (cx + 1.0) * (cy + 1.0) > double(kMaxCells);
}

void FlatOverlapGrid::add(const FlatTriangle& t) {
    const int index = int(triangles.size());
    triangles.push_back(t);
    if (isLarge(t)) {
        large.push_back(index);
        return;
    }
    forCells(t, [&](uint64_t key) {
        cells[key].push_back(index);
        return true;
    });
}

int FlatOverlapGrid::findOverlap(const FlatTriangle& t, int ignoreOwner) const {
    const auto hits = [&](const FlatTriangle& other) {
        return other.owner != ignoreOwner && FlatTrianglesOverlap(t, other, tolerance);
    };
    if (isLarge(t)) {
        for (const FlatTriangle& other : triangles)
            if (hits(other))
                return other.owner;
        return -1;
    }
    for (int i : large)
        if (hits(triangles[size_t(i)]))
            return triangles[size_t(i)].owner;
    int found = -1;
    forCells(t, [&](uint64_t key) {
        const auto it = cells.find(key);
        if (it == cells.end())
            return true;
        for (int i : it->second) {
            const FlatTriangle& other = triangles[size_t(i)];
            if (hits(other)) {
                found = other.owner;
                return false;
            }
        }
        return true;
    });
    return found;
}
