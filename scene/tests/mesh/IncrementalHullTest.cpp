// The incremental hull against qhull's (ConvexHullOf) on many random point sets, its
// refusals on degenerate input, and the canonical order CanonicalConvexHullOf gives
// whichever hull built it.
#include <gtest/gtest.h>

#include "scene/mesh/CanonicalHull.h"
#include "scene/mesh/ConvexHull.h"
#include "scene/mesh/IncrementalHull.h"

#include <algorithm>
#include <map>
#include <random>
#include <set>

using Sorvex::M3d;

namespace {

/// Points on the unit sphere, drawn as the batch's random polyhedra draw them: integer
/// directions normalised.
std::vector<M3d> SpherePoints(unsigned seed, int count) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> coordinate(-16383, 16384);
    std::vector<M3d> points;
    for (int i = 0; i < count; ++i) {
        const M3d p(coordinate(random), coordinate(random), coordinate(random));
        points.push_back(p.normalized());
    }
    return points;
}

using FaceSet = std::set<std::vector<int>>;

/// A face as the sorted set of its point indices.
std::vector<int> AsSet(std::vector<int> ring) {
    std::sort(ring.begin(), ring.end());
    return ring;
}

/// The faces of a hull built on `points`, in point indices: every hull corner is one
/// of the points, copied unchanged, so it is found by position (lowest index first).
FaceSet FacesInPointIndices(const std::vector<M3d>& points, const MeshData& hull) {
    FaceSet faces;
    for (const auto& ring : hull.faces) {
        std::vector<int> ids;
        for (int v : ring) {
            const auto found =
                std::find(points.begin(), points.end(), hull.vertices[std::size_t(v)]);
            EXPECT_NE(found, points.end());
            ids.push_back(int(found - points.begin()));
        }
        faces.insert(AsSet(ids));
    }
    return faces;
}

/// Brute force: the mesh is closed (each directed edge has its reverse exactly once),
/// has Euler characteristic 2, and every point lies on or below every face's plane.
void ExpectClosedConvexHull(const std::vector<M3d>& points, const MeshData& hull) {
    std::map<std::pair<int, int>, int> edges;
    for (const auto& ring : hull.faces)
        for (std::size_t k = 0; k < ring.size(); ++k)
            ++edges[{ring[k], ring[(k + 1) % ring.size()]}];
    for (const auto& [edge, count] : edges) {
        EXPECT_EQ(1, count);
        EXPECT_EQ(1u, edges.count({edge.second, edge.first})) << "open edge";
    }
    const int euler = int(hull.vertices.size()) - int(edges.size() / 2) + int(hull.faces.size());
    EXPECT_EQ(2, euler);
    for (const auto& ring : hull.faces) {
        const M3d& a = hull.vertices[std::size_t(ring[0])];
        M3d normal;
        normal.cross(hull.vertices[std::size_t(ring[1])] - a,
                     hull.vertices[std::size_t(ring[2])] - a);
        normal.normalize();
        for (const M3d& p : points)
            EXPECT_LE(normal.dot(p - a), 1e-12) << "a point lies outside a face";
    }
}

MeshData QhullMerged(const std::vector<M3d>& points) {
    MeshData triangulated, merged;
    EXPECT_TRUE(ConvexHullOf(points, false, triangulated));
    EXPECT_TRUE(ConvexHullOf(triangulated.vertices, true, merged));
    return merged;
}

} // namespace

TEST(IncrementalHull, SameFacesAsQhullOnRandomSpheres) {
    int compared = 0;
    for (unsigned seed = 1; seed <= 300; ++seed) {
        const int count = 4 + int(seed % 140);
        const std::vector<M3d> points = SpherePoints(seed, count);
        std::vector<std::array<int, 3>> triangles;
        ASSERT_TRUE(GeneralPositionHull(points, triangles)) << "seed " << seed;
        FaceSet ours;
        for (const auto& t : triangles)
            ours.insert(AsSet({t[0], t[1], t[2]}));
        EXPECT_EQ(FacesInPointIndices(points, QhullMerged(points)), ours) << "seed " << seed;
        PackedMeshData canonical;
        ASSERT_TRUE(CanonicalConvexHullOf(points, canonical));
        ExpectClosedConvexHull(points, canonical.unpack());
        ++compared;
    }
    EXPECT_EQ(300, compared);
}

TEST(IncrementalHull, PointsInsideAndRepeatedAreLeftOut) {
    std::vector<M3d> points = SpherePoints(7, 40);
    const std::vector<M3d> sphere = points;
    points.push_back(M3d(0.1, -0.2, 0.05)); // inside
    points.push_back(points[3]);            // a repeat: index 3 stays
    points.insert(points.begin(), M3d(0, 0, 0));
    std::vector<std::array<int, 3>> triangles;
    ASSERT_TRUE(GeneralPositionHull(points, triangles));
    std::set<int> corners;
    for (const auto& t : triangles)
        corners.insert(t.begin(), t.end());
    EXPECT_EQ(0u, corners.count(0));
    EXPECT_EQ(0u, corners.count(41));
    EXPECT_EQ(0u, corners.count(42));
    EXPECT_EQ(1u, corners.count(4)) << "the first of the repeated points is the corner";
    EXPECT_EQ(2 * corners.size() - 4, triangles.size());
}

TEST(IncrementalHull, GivesUpOnDegenerateInputAndTheCanonicalHullStillAnswers) {
    std::vector<std::array<int, 3>> triangles;
    // A cube: coplanar corners on every face; the canonical hull has six quads.
    std::vector<M3d> cube;
    for (int i = 0; i < 8; ++i)
        cube.emplace_back(i & 1, (i >> 1) & 1, (i >> 2) & 1);
    EXPECT_FALSE(GeneralPositionHull(cube, triangles));
    PackedMeshData packed;
    ASSERT_TRUE(CanonicalConvexHullOf(cube, packed));
    MeshData hull = packed.unpack();
    EXPECT_EQ(6u, hull.faces.size());
    for (const auto& ring : hull.faces)
        EXPECT_EQ(4u, ring.size());
    ExpectClosedConvexHull(cube, hull);

    // A point a hair off a face of a random hull: not certain, handed to qhull.
    std::vector<M3d> points = SpherePoints(11, 30);
    ASSERT_TRUE(GeneralPositionHull(points, triangles));
    const auto& t = triangles.front();
    const M3d onFace =
        (points[std::size_t(t[0])] + points[std::size_t(t[1])] + points[std::size_t(t[2])]) *
        (1.0 / 3.0);
    points.push_back(onFace * (1 + 1e-17));
    EXPECT_FALSE(GeneralPositionHull(points, triangles));
    ASSERT_TRUE(CanonicalConvexHullOf(points, packed));
    ExpectClosedConvexHull(points, packed.unpack());

    // Too few, flat, or not finite: no hull from either.
    const std::vector<std::vector<M3d>> refused = {
        {M3d(0, 0, 0), M3d(1, 0, 0), M3d(0, 1, 0)},
        {M3d(0, 0, 0), M3d(1, 0, 0), M3d(0, 1, 0), M3d(1, 1, 0), M3d(2, 3, 0)},
        {M3d(0, 0, 0), M3d(1, 0, 0), M3d(0, 1, 0), M3d(0, 0, 1), M3d(0, 0, 0)}, // fine
        {M3d(0, 0, 0), M3d(1, 0, 0), M3d(0, 1, 0), M3d(0, 0, std::nan(""))},
        {M3d(1, 1, 1), M3d(1, 1, 1), M3d(1, 1, 1), M3d(1, 1, 1), M3d(0, 0, 0)},
    };
    for (std::size_t k = 0; k < refused.size(); ++k) {
        PackedMeshData untouched;
        untouched.vertices = {M3d(9, 9, 9)};
        const bool accepted = CanonicalConvexHullOf(refused[k], untouched);
        EXPECT_EQ(k == 2, accepted) << "set " << k;
        if (!accepted) {
            EXPECT_EQ(1u, untouched.vertices.size()) << "a refusal leaves the hull as it was";
        }
    }
}

TEST(IncrementalHull, CanonicalOrderIsTheSameWhicheverHullBuiltIt) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        const std::vector<M3d> points = SpherePoints(seed, 60);
        PackedMeshData packed;
        ASSERT_TRUE(CanonicalConvexHullOf(points, packed));
        const MeshData canonical = packed.unpack();
        // The order spelled out: corners by point index, rings from their lowest corner,
        // faces sorted.
        EXPECT_TRUE(std::is_sorted(canonical.faces.begin(), canonical.faces.end()));
        for (const auto& ring : canonical.faces)
            EXPECT_EQ(ring.front(), *std::min_element(ring.begin(), ring.end()));
        std::vector<int> firstIndexOf;
        for (const M3d& v : canonical.vertices)
            firstIndexOf.push_back(
                int(std::find(points.begin(), points.end(), v) - points.begin()));
        EXPECT_TRUE(std::is_sorted(firstIndexOf.begin(), firstIndexOf.end()));

        // qhull's faces, put in that order by hand, give the same data.
        const MeshData merged = QhullMerged(points);
        std::vector<std::vector<int>> rings;
        for (const auto& ring : merged.faces) {
            std::vector<int> ids;
            for (int v : ring) {
                const auto at = std::find(
                    firstIndexOf.begin(), firstIndexOf.end(),
                    int(std::find(points.begin(), points.end(), merged.vertices[std::size_t(v)]) -
                        points.begin()));
                ids.push_back(int(at - firstIndexOf.begin()));
            }
            std::rotate(ids.begin(), std::min_element(ids.begin(), ids.end()), ids.end());
            rings.push_back(ids);
        }
        std::sort(rings.begin(), rings.end());
        EXPECT_EQ(rings, canonical.faces) << "seed " << seed;
    }
}

TEST(IncrementalHull, AHullWrittenOverAnotherOrFromItsOwnCornersIsAFreshOne) {
    const std::vector<M3d> points = SpherePoints(3, 30);
    PackedMeshData fresh;
    ASSERT_TRUE(CanonicalConvexHullOf(points, fresh));
    auto expectSame = [&](const PackedMeshData& hull, const char* what) {
        EXPECT_EQ(fresh.vertices.size(), hull.vertices.size()) << what;
        for (std::size_t v = 0; v < std::min(fresh.vertices.size(), hull.vertices.size()); ++v)
            EXPECT_EQ(0, (fresh.vertices[v] - hull.vertices[v]).length()) << what << " " << v;
        EXPECT_EQ(fresh.corners, hull.corners) << what;
        EXPECT_EQ(fresh.faceStarts, hull.faceStarts) << what;
    };
    // Written over a bigger hull, which leaves nothing of itself behind.
    PackedMeshData reused;
    ASSERT_TRUE(CanonicalConvexHullOf(SpherePoints(5, 120), reused));
    ASSERT_TRUE(CanonicalConvexHullOf(points, reused));
    expectSame(reused, "over a bigger hull");
    // Every point is a corner, so the hull of the hull's own vertices is the same hull.
    ASSERT_TRUE(CanonicalConvexHullOf(reused.vertices, reused));
    expectSame(reused, "from its own corners");
}
