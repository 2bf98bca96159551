#include "vorn/core/shapes/RandomConvex.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include "common/Random.h"
#include "scene/mesh/CanonicalHull.h"
#include "scene/mesh/MeshData.h"
#include "scene/mesh/PolyMesh.h"

using Sorvex::M3d;

namespace {

/// Faces with a smaller area or a shorter edge are collapsed.
constexpr double MinSize = 0.0001;
/// New point sets drawn before giving up; a sound radius needs one or two.
constexpr int MaxAttempts = 1000;

/// Whether a face is too small to keep: an area or an edge below MinSize, or no
/// normal at all. The area is half the length of the face's Newell sum, taken
/// relative to its first corner.
bool isDegenerate(const PackedMeshData& hull, std::span<const int> ring) {
    const M3d origin = hull.vertices[std::size_t(ring.front())];
    M3d sum;
    for (std::size_t k = 0; k < ring.size(); ++k) {
        const M3d& a = hull.vertices[std::size_t(ring[k])];
        const M3d& b = hull.vertices[std::size_t(ring[k + 1 == ring.size() ? 0 : k + 1])];
        M3d c;
        c.cross(a - origin, b - origin);
        sum += c;
        // A square of four times MinSize's square or more has a root of at least twice
        // MinSize: only shorter edges need the root the rule is stated with.
        const double squared = (b - a).squared();
        if (squared < 4 * MinSize * MinSize && std::sqrt(squared) < MinSize)
            return true;
    }
    const double twiceAreaSquared = sum.squared();
    if (twiceAreaSquared >= 16 * MinSize * MinSize)
        return false; // half the root is at least twice MinSize
    const double twiceArea = std::sqrt(twiceAreaSquared);
    return twiceArea == 0 || 0.5 * twiceArea < MinSize;
}

/// One attempt on fresh points; true when the hull has no degenerate face (the
/// canonical hull is closed). `points` is scratch space.
bool tryOnce(PackedMeshData& hull, std::vector<M3d>& points, int count, double radius) {
    points.clear();
    for (int i = 0; i < count; ++i) {
        // Three separate statements: the draws must happen in x, y, z order.
        const double x = vornRand() - 16383;
        const double y = vornRand() - 16383;
        const double z = vornRand() - 16383;
        points.push_back(M3d(x, y, z).normalized() * radius);
    }
    if (!CanonicalConvexHullOf(points, hull))
        return false;
    // Each collapse merges a face's corners into one point, so the hull
    // loses vertices every round: at most `count` rounds are needed.
    for (int round = 0; round <= count; ++round) {
        std::size_t f = 0;
        while (f < hull.faceCount() && !isDegenerate(hull, hull.face(f)))
            ++f;
        if (f == hull.faceCount())
            return true;
        const std::span<const int> degenerate = hull.face(f);
        M3d centre;
        for (int v : degenerate)
            centre += hull.vertices[std::size_t(v)];
        centre = centre / double(degenerate.size());
        for (int v : degenerate)
            hull.vertices[std::size_t(v)] = centre;
        points = hull.vertices;
        if (!CanonicalConvexHullOf(points, hull))
            return false;
    }
    return false;
}

struct Scratch {
    PackedMeshData hull;
    std::vector<M3d> points;
};

/// Kept out of line, so that the thread-local's address, which costs a lookup in a shared
/// library each time it is taken, is taken once per polyhedron.
[[gnu::noipa]] Scratch& threadScratch() {
    thread_local Scratch s;
    return s;
}

} // namespace

bool BuildRandomConvex(PolyMesh& mesh, int count, double radius) {
    if (!std::isfinite(radius) || radius <= 0)
        return false;
    count = std::max(count, 4);
    // Built as data, so that a failure leaves the caller's mesh untouched and the
    // mesh is made only once. The arrays are kept per thread: a batch builds thousands.
    Scratch& scratch = threadScratch();
    PackedMeshData& hull = scratch.hull;
    std::vector<M3d>& points = scratch.points;
    for (int attempt = 0; attempt < MaxAttempts; ++attempt)
        if (tryOnce(hull, points, count, radius))
            return mesh.fromMeshData(hull);
    return false;
}
