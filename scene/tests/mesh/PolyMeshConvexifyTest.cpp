#include <gtest/gtest.h>

#include "scene/mesh/PolyMesh.h"
#include "tests/support/TestShapes.h"

using Sorvex::M3d;

namespace {

/// A mesh holding only loose vertices at the given points.
void setPoints(PolyMesh& mesh, const std::vector<M3d>& points) {
    mesh.clear();
    for (const M3d& p : points)
        mesh.addVertexAt(p);
}

std::vector<M3d> cubeCornersAndInside() {
    std::vector<M3d> points;
    for (int i = 0; i < 8; ++i)
        points.emplace_back(i & 1, (i >> 1) & 1, (i >> 2) & 1);
    points.emplace_back(0.5, 0.5, 0.5);
    points.emplace_back(0.2, 0.7, 0.4);
    points.emplace_back(0.5, 0.5, 1.0); // on the top face: not a hull vertex
    return points;
}

/// Closed, every face flat-normal pointing away from the centre, every face
/// counter-clockwise as its stored normal says.
void expectOutwardClosedHull(PolyMesh& mesh) {
    EXPECT_TRUE(mesh.getTopology().closed);
    const M3d centre = mesh.getCenter();
    for (Poly* f : mesh.getPolys()) {
        EXPECT_GT(f->getNormal().dot(f->getCenter() - centre), 0) << "face points inwards";
        for (int i = 0; i < f->getVertexCount(); ++i)
            EXPECT_TRUE(mesh.hasNeighbor(*f, i));
    }
}

} // namespace

TEST(PolyMeshConvexify, CubeCornersWithInnerPointsGiveTheCube) {
    PolyMesh mesh;
    setPoints(mesh, cubeCornersAndInside());
    ASSERT_TRUE(mesh.convexify(false));
    EXPECT_EQ(size_t(8), mesh.getVertexCount()) << "inner and face points are dropped";
    EXPECT_EQ(size_t(12), mesh.getPolyCount()) << "false: triangulated";
    for (Poly* f : mesh.getPolys())
        EXPECT_EQ(3, f->getVertexCount());
    expectOutwardClosedHull(mesh);

    setPoints(mesh, cubeCornersAndInside());
    ASSERT_TRUE(mesh.convexify(true));
    EXPECT_EQ(size_t(8), mesh.getVertexCount());
    ASSERT_EQ(size_t(6), mesh.getPolyCount()) << "true: coplanar triangles merged";
    for (Poly* f : mesh.getPolys()) {
        EXPECT_EQ(4, f->getVertexCount());
        EXPECT_NEAR(1.0, f->getArea(), 1e-12);
    }
    expectOutwardClosedHull(mesh);
}

TEST(PolyMeshConvexify, AnExistingMeshIsReplacedByItsHull) {
    PolyMesh mesh;
    ASSERT_TRUE(mesh.fromMeshData(testshapes::icosahedron()));
    ASSERT_TRUE(mesh.convexify(true));
    EXPECT_EQ(size_t(12), mesh.getVertexCount());
    EXPECT_EQ(size_t(20), mesh.getPolyCount());
    expectOutwardClosedHull(mesh);
}

TEST(PolyMeshConvexify, DegenerateInputFailsAndLeavesTheMeshAlone) {
    PolyMesh mesh;
    ASSERT_TRUE(mesh.fromMeshData(testshapes::tetrahedron()));
    const std::vector<std::vector<M3d>> bad = {
        {},
        {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}},
        {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {1, 1, 0}, {0.5, 0.5, 0}},
        {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}},
        {{0, 0, 0}, {0, 0, 0}, {0, 0, 0}, {0, 0, 0}},
        {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, std::nan("")}},
    };
    for (const auto& points : bad) {
        setPoints(mesh, points);
        const std::uint64_t revision = mesh.getRevision();
        EXPECT_FALSE(mesh.convexify(false)) << points.size() << " points";
        EXPECT_FALSE(mesh.convexify(true)) << points.size() << " points";
        EXPECT_EQ(points.size(), mesh.getVertexCount());
        EXPECT_EQ(size_t(0), mesh.getPolyCount());
        EXPECT_EQ(revision, mesh.getRevision()) << "a failed hull changes nothing";
    }
}
