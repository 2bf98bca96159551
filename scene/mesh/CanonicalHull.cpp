#include "scene/mesh/CanonicalHull.h"

#include "scene/mesh/ConvexHull.h"
#include "scene/mesh/IncrementalHull.h"

#include <algorithm>
#include <array>
#include <numeric>
#include <tuple>

using Sorvex::M3d;

namespace {

auto PositionKey(const M3d& p) { return std::make_tuple(p.x(), p.y(), p.z()); }

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

/// The hull from rings of point indices already rotated and sorted: the corners
/// numbered by increasing point index.
template <typename Rings>
PackedMeshData Numbered(const std::vector<M3d>& points, const Rings& rings) {
    std::vector<int> vertexOf(points.size(), -1);
    std::size_t corners = 0;
    for (const auto& ring : rings) {
        corners += ring.size();
        for (int p : ring)
            vertexOf[std::size_t(p)] = 0;
    }
    PackedMeshData data;
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
    return data;
}

/// Triangles rotated to start at their lowest corner, sorted: placed by that corner
/// (a counting sort over the point indices), then sorted within each corner's run, which
/// holds a handful of triangles.
std::vector<std::array<int, 3>> SortedTriangles(std::vector<std::array<int, 3>> triangles,
                                                std::size_t pointCount) {
    std::vector<int> runStart(pointCount + 1, 0);
    for (auto& t : triangles) {
        std::rotate(t.begin(), std::min_element(t.begin(), t.end()), t.end());
        ++runStart[std::size_t(t[0]) + 1];
    }
    std::partial_sum(runStart.begin(), runStart.end(), runStart.begin());
    std::vector<std::array<int, 3>> sorted(triangles.size());
    std::vector<int> next(runStart.begin(), runStart.end() - 1);
    for (const auto& t : triangles)
        sorted[std::size_t(next[std::size_t(t[0])]++)] = t;
    for (std::size_t p = 0; p < pointCount; ++p)
        std::sort(sorted.begin() + runStart[p], sorted.begin() + runStart[p + 1]);
    return sorted;
}

} // namespace

bool CanonicalConvexHullOf(const std::vector<M3d>& points, PackedMeshData& hull) {
    std::vector<std::array<int, 3>> triangles;
    if (GeneralPositionHull(points, triangles)) {
        hull = Numbered(points, SortedTriangles(std::move(triangles), points.size()));
        return true;
    }
    MeshData triangulated, merged;
    if (!ConvexHullOf(points, false, triangulated) ||
        !ConvexHullOf(triangulated.vertices, true, merged) || !merged.topology().closed)
        return false;
    hull = Numbered(points, RingsInPointIndices(points, merged));
    return true;
}
