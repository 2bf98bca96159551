#include "scene/mesh/CanonicalHull.h"

#include "scene/mesh/ConvexHull.h"
#include "scene/mesh/IncrementalHull.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <tuple>

using Sorvex::M3d;

namespace {

auto PositionKey(const M3d& p) {
    return std::make_tuple(p.x(), p.y(), p.z());
}

/// Rings of `data` in the point indices of `points` (the first index of each position).
std::vector<std::vector<int>> RingsInPointIndices(const std::vector<M3d>& points,
                                                  const MeshData& data) {
    std::vector<int> byPosition(points.size());
    std::iota(byPosition.begin(), byPosition.end(), 0);
    // Stable, so that among equal positions the lowest index comes first.
    std::stable_sort(byPosition.begin(), byPosition.end(), [&](int a, int b) {
        return PositionKey(points[std::size_t(a)]) < PositionKey(points[std::size_t(b)]);
    });
    std::vector<int> pointOf(data.vertices.size());
    for (std::size_t v = 0; v < data.vertices.size(); ++v) {
        const auto found = std::lower_bound(
            byPosition.begin(), byPosition.end(), data.vertices[v], [&](int i, const M3d& p) {
                return PositionKey(points[std::size_t(i)]) < PositionKey(p);
            });
        // The hull's corners are input points, copied unchanged.
        pointOf[v] = *found;
    }
    std::vector<std::vector<int>> rings;
    rings.reserve(data.faces.size());
    for (const std::vector<int>& face : data.faces) {
        std::vector<int> ring;
        ring.reserve(face.size());
        for (int v : face)
            ring.push_back(pointOf[std::size_t(v)]);
        std::rotate(ring.begin(), std::min_element(ring.begin(), ring.end()), ring.end());
        rings.push_back(std::move(ring));
    }
    std::sort(rings.begin(), rings.end());
    return rings;
}

/// Arrays a hull is put in order with, kept per thread: a batch orders thousands of
/// hulls in a row, and allocating them anew per hull cost more than the ordering.
struct Scratch {
    std::vector<int> vertexOf;
    std::vector<int> runStart;
    std::vector<int> next;
    std::vector<std::array<int, 3>> triangles;
    std::vector<std::array<int, 3>> sorted;
};

/// Kept out of line, so that the thread-local's address, which costs a lookup in a shared
/// library each time it is taken, is taken once per hull.
[[gnu::noipa]] Scratch& scratch() {
    thread_local Scratch s;
    return s;
}

/// Puts into `data` (replacing what it held, keeping its capacity) the hull from rings
/// of point indices already rotated and sorted: the corners numbered by increasing
/// point index. `vertexOf` is scratch space.
template <typename Rings>
void Numbered(const std::vector<M3d>& points, const Rings& rings, std::vector<int>& vertexOf,
              PackedMeshData& data) {
    vertexOf.assign(points.size(), -1);
    std::size_t corners = 0;
    for (const auto& ring : rings) {
        corners += ring.size();
        for (int p : ring)
            vertexOf[std::size_t(p)] = 0;
    }
    data.vertices.clear();
    data.corners.clear();
    data.faceStarts.assign(1, 0);
    for (std::size_t p = 0; p < points.size(); ++p) {
        if (vertexOf[p] < 0)
            continue;
        vertexOf[p] = int(data.vertices.size());
        data.vertices.push_back(points[p]);
    }
    data.corners.reserve(corners);
    data.faceStarts.reserve(rings.size() + 1);
    for (const auto& ring : rings) {
        for (int p : ring)
            data.corners.push_back(vertexOf[std::size_t(p)]);
        data.endFace();
    }
}

/// Puts into `sorted` the triangles rotated to start at their lowest corner, sorted:
/// placed by that corner (a counting sort over the point indices), then sorted within
/// each corner's run, which holds a handful of triangles. Rotates `triangles` in place.
void SortTriangles(std::vector<std::array<int, 3>>& triangles, std::size_t pointCount, Scratch& s,
                   std::vector<std::array<int, 3>>& sorted) {
    std::vector<int>& runStart = s.runStart;
    runStart.assign(pointCount + 1, 0);
    for (auto& t : triangles) {
        std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
        ++runStart[std::size_t(t[0]) + 1];
    }
    std::partial_sum(runStart.begin(), runStart.end(), runStart.begin());
    sorted.resize(triangles.size());
    std::vector<int>& next = s.next;
    next.assign(runStart.begin(), runStart.end() - 1);
    for (const auto& t : triangles)
        sorted[std::size_t(next[std::size_t(t[0])]++)] = t;
    for (std::size_t p = 0; p < pointCount; ++p)
        std::sort(sorted.begin() + runStart[p], sorted.begin() + runStart[p + 1]);
}

} // namespace

bool CanonicalConvexHullOf(const std::vector<M3d>& points, PackedMeshData& hull) {
    // The hull is written in place: points that are its own vertices are read from a copy.
    if (&points == &hull.vertices)
        return CanonicalConvexHullOf(std::vector<M3d>(points), hull);
    Scratch& s = scratch();
    if (GeneralPositionHull(points, s.triangles)) {
        SortTriangles(s.triangles, points.size(), s, s.sorted);
        Numbered(points, s.sorted, s.vertexOf, hull);
        return true;
    }
    MeshData triangulated, merged;
    if (!ConvexHullOf(points, false, triangulated) ||
        !ConvexHullOf(triangulated.vertices, true, merged) || !merged.topology().closed)
        return false;
    Numbered(points, RingsInPointIndices(points, merged), s.vertexOf, hull);
    return true;
}
