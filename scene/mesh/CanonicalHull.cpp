#include "scene/mesh/CanonicalHull.h"

#include "scene/mesh/ConvexHull.h"
#include "scene/mesh/IncrementalHull.h"

#include <algorithm>
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
        rings.push_back(std::move(ring));
    }
    return rings;
}

/// Puts rings of point indices in the documented order and numbers the corners.
MeshData Canonical(const std::vector<M3d>& points, std::vector<std::vector<int>> rings) {
    std::vector<int> vertexOf(points.size(), -1);
    for (std::vector<int>& ring : rings) {
        std::rotate(ring.begin(), std::min_element(ring.begin(), ring.end()), ring.end());
        for (int p : ring)
            vertexOf[std::size_t(p)] = 0;
    }
    std::sort(rings.begin(), rings.end());
    MeshData data;
    for (std::size_t p = 0; p < points.size(); ++p) {
        if (vertexOf[p] < 0)
            continue;
        vertexOf[p] = int(data.vertices.size());
        data.vertices.push_back(points[p]);
    }
    for (std::vector<int>& ring : rings)
        for (int& p : ring)
            p = vertexOf[std::size_t(p)];
    data.faces = std::move(rings);
    return data;
}

} // namespace

bool CanonicalConvexHullOf(const std::vector<M3d>& points, MeshData& hull) {
    std::vector<std::array<int, 3>> triangles;
    if (GeneralPositionHull(points, triangles)) {
        std::vector<std::vector<int>> rings;
        rings.reserve(triangles.size());
        for (const auto& t : triangles)
            rings.push_back({t[0], t[1], t[2]});
        hull = Canonical(points, std::move(rings));
        return true;
    }
    MeshData triangulated, merged;
    if (!ConvexHullOf(points, false, triangulated) ||
        !ConvexHullOf(triangulated.vertices, true, merged))
        return false;
    hull = Canonical(points, RingsInPointIndices(points, merged));
    return true;
}
