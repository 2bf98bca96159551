#include "scene/mesh/CurvatureArmature.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/TestShapes.h"

#include <gtest/gtest.h>

#include <numbers>

using Sorvex::M3d;
constexpr double pi = std::numbers::pi;

TEST(CurvatureArmatureTest, CubeCornersEachLackAQuarterTurn) {
    PolyMesh cube;
    ASSERT_TRUE(cube.fromMeshData(testshapes::cube()));
    CurvatureArmature& armature = cube.getCurvature(true);
    double total = 0;
    for (const Vertex* v : cube.getVertices()) {
        EXPECT_NEAR(pi / 2, CurvatureArmature::AngleDeficit(v), 1e-12);
        EXPECT_NEAR(pi / 2, armature.getAngleDeficit(v), 1e-12);
        // Three quarter-unit shares of face area around each corner.
        EXPECT_NEAR((pi / 2) / 0.75, armature.getCurvature(v), 1e-12);
        EXPECT_EQ(M3d(0, 0, 0), armature.getCurvatureFlow(v)) << "uniform curvature has no flow";
        total += armature.getAngleDeficit(v);
    }
    EXPECT_NEAR(4 * pi, total, 1e-12); // Gauss-Bonnet for a sphere-like surface
    EXPECT_NEAR(pi / 2, CurvatureArmature::MinAngleDeficit(cube), 1e-12);
}

TEST(CurvatureArmatureTest, DeficitsFollowGaussBonnetAndSign) {
    PolyMesh ico;
    ASSERT_TRUE(ico.fromMeshData(testshapes::icosahedron()));
    double total = 0;
    for (const Vertex* v : ico.getVertices())
        total += CurvatureArmature::AngleDeficit(v);
    EXPECT_NEAR(4 * pi, total, 1e-9);

    // A torus has total deficit 0: positive outside, negative inside.
    PolyMesh torus;
    ASSERT_TRUE(torus.fromMeshData(testshapes::torus(12, 8)));
    CurvatureArmature& armature = torus.getCurvature(true);
    total = 0;
    for (const Vertex* v : torus.getVertices()) {
        total += armature.getAngleDeficit(v);
        const double distanceFromAxis = std::hypot(v->x(), v->z());
        if (distanceFromAxis > 2.3) {
            EXPECT_GT(armature.getCurvature(v), 0.0);
        }
        if (distanceFromAxis < 1.7) {
            EXPECT_LT(armature.getCurvature(v), 0.0);
        }
    }
    EXPECT_NEAR(0.0, total, 1e-9);
    EXPECT_LT(CurvatureArmature::MinAngleDeficit(torus), 0.0);

    // Curvature grows towards the outer rim, so the flow runs along the tube
    // towards it, and it lies in the tangent plane.
    for (const Vertex* v : torus.getVertices()) {
        const double u = std::atan2(v->z(), v->x());
        const double t = std::atan2(v->y(), std::hypot(v->x(), v->z()) - 2.0);
        const M3d flow = armature.getCurvatureFlow(v);
        const M3d normal(std::cos(t) * std::cos(u), std::sin(t), std::cos(t) * std::sin(u));
        EXPECT_NEAR(0.0, flow.dot(normal), 1e-9 + 0.2 * flow.length());
        if (std::fabs(v->y()) < 0.1)
            continue;
        const double side = std::sin(t) > 0 ? 1.0 : -1.0;
        const M3d towardsRim(side * std::sin(t) * std::cos(u), -side * std::cos(t),
                             side * std::sin(t) * std::sin(u));
        EXPECT_GT(flow.dot(towardsRim), 0.0) << "vertex at angle " << t;
    }
}

TEST(CurvatureArmatureTest, FlatAndMissingVertices) {
    // A flat fan around a hub: no deficit at the hub.
    MeshData fan;
    fan.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}, {0, -1, 0}};
    fan.faces = {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 1}};
    PolyMesh mesh;
    ASSERT_TRUE(mesh.fromMeshData(fan));
    EXPECT_NEAR(0.0, CurvatureArmature::AngleDeficit(mesh.getVertex(0)), 1e-12);
    EXPECT_NEAR(0.0, CurvatureArmature::MinAngleDeficit(mesh), 1e-12);

    Vertex alone;
    EXPECT_NEAR(2 * pi, CurvatureArmature::AngleDeficit(&alone), 1e-12);
    EXPECT_EQ(0.0, mesh.getCurvature(true).getCurvature(&alone));
    EXPECT_EQ(0.0, CurvatureArmature::MinAngleDeficit(*std::make_unique<PolyMesh>()));
}

TEST(CurvatureArmatureTest, StaleValuesAreRecomputed) {
    PolyMesh mesh;
    ASSERT_TRUE(mesh.fromMeshData(testshapes::cube()));
    Vertex* corner = mesh.getVertex(0);
    EXPECT_NEAR(pi / 2, mesh.getCurvature(false).getAngleDeficit(corner), 1e-12);
    std::unique_ptr<Poly> bottom(mesh.getPoly(0));
    ASSERT_TRUE(mesh.remPoly(bottom.get()));
    // The bottom face is gone: the corner keeps two right angles.
    EXPECT_NEAR(pi, mesh.getCurvature(false).getAngleDeficit(corner), 1e-12);
}

// The fast test agrees with the measured smallest deficit, right at the threshold too:
// thresholds just above and below each mesh's smallest deficit, on convex hulls of
// random points (skinny corners), a cube, an icosphere and a mesh with a saddle.
TEST(CurvatureArmatureTest, FastDeficitTestAgreesWithTheMeasuredLeast) {
    std::vector<PolyMesh*> meshes;
    PolyMesh cube, ico, torus;
    ASSERT_TRUE(cube.fromMeshData(testshapes::cube()));
    ASSERT_TRUE(ico.fromMeshData(testshapes::icosphere(2)));
    ASSERT_TRUE(torus.fromMeshData(testshapes::torus(12, 8)));
    meshes = {&cube, &ico, &torus};
    std::vector<PolyMesh> hulls(40);
    unsigned state = 12345;
    auto next = [&state] {
        state = state * 1103515245u + 12345u;
        return double((state >> 8) % 20001) / 10000.0 - 1.0;
    };
    for (PolyMesh& hull : hulls) {
        for (int i = 0; i < 30; ++i)
            hull.addVertexAt(M3d(next(), next(), next()));
        ASSERT_TRUE(hull.convexify(true));
        meshes.push_back(&hull);
    }
    for (PolyMesh* mesh : meshes) {
        const double least = CurvatureArmature::MinAngleDeficit(*mesh);
        for (double threshold : {least - 1e-3, least - 1e-9, least, least + 1e-9, least + 1e-3,
                                 1e-4, -1.0, 7.0})
            EXPECT_EQ(least >= threshold,
                      CurvatureArmature::AngleDeficitsAtLeast(*mesh, threshold))
                << "least " << least << " threshold " << threshold;
    }
    PolyMesh empty;
    EXPECT_FALSE(CurvatureArmature::AngleDeficitsAtLeast(empty, 1e-4));
}

TEST(CurvatureArmatureTest, FlowsLeftOutAreComputedWhenAskedForAndMatchAFullComputation) {
    // A torus has curvature of both signs, so its flows are not zero.
    PolyMesh full, lazy;
    ASSERT_TRUE(full.fromMeshData(testshapes::torus(8, 12)));
    ASSERT_TRUE(lazy.fromMeshData(testshapes::torus(8, 12)));
    CurvatureArmature& expected = full.getCurvature(true);
    ASSERT_TRUE(expected.hasFlow());
    CurvatureArmature& curvaturesOnly = lazy.getCurvature(true, false);
    EXPECT_FALSE(curvaturesOnly.hasFlow());
    for (std::size_t i = 0; i < full.getVertexCount(); ++i) {
        EXPECT_EQ(expected.getCurvature(full.getVertex(i)),
                  curvaturesOnly.getCurvature(lazy.getVertex(i)));
        EXPECT_EQ(expected.getAngleDeficit(full.getVertex(i)),
                  curvaturesOnly.getAngleDeficit(lazy.getVertex(i)));
    }
    // A caller that needs the flows gets them, without a recomputation being asked for.
    CurvatureArmature& withFlow = lazy.getCurvature(false);
    EXPECT_TRUE(withFlow.hasFlow());
    bool anyFlow = false;
    for (std::size_t i = 0; i < full.getVertexCount(); ++i) {
        const M3d flow = withFlow.getCurvatureFlow(lazy.getVertex(i));
        EXPECT_EQ(expected.getCurvatureFlow(full.getVertex(i)), flow) << "vertex " << i;
        anyFlow = anyFlow || flow.length() > 0;
    }
    EXPECT_TRUE(anyFlow);
}

TEST(CurvatureArmatureTest, AHugeMeshComputedInHalvesMatchesEachVertexOnItsOwn) {
    // 40,960 vertices: enough to be split between two threads. A torus of unequal
    // curvatures, so that a value stored against the wrong vertex shows.
    PolyMesh torus;
    ASSERT_TRUE(torus.fromMeshData(testshapes::torus(160, 256)));
    ASSERT_GE(torus.getVertexCount(), 1 << 15);
    const CurvatureArmature& armature = torus.getCurvature(true, false);
    for (const Vertex* v : torus.getVertices()) {
        const double deficit = CurvatureArmature::AngleDeficit(v);
        double area = 0;
        for (const Poly* f : v->getPolys())
            area += f->getArea() / f->getVertexCount();
        ASSERT_EQ(deficit, armature.getAngleDeficit(v));
        ASSERT_EQ(deficit / area, armature.getCurvature(v));
    }
}
