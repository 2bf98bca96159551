#include "vorn/core/shapes/MeshTruncate.h"
#include "vorn/core/tests/shapes/MeshChecks.h"

#include "common/Random.h"
#include "tests/support/TestShapes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <vector>

using Sorvex::M3d;
using Sorvex::MPlane;

namespace {

using Point = std::vector<long long>;

/// A position rounded to 1e-9, so that points computed two ways compare equal.
Point key(const M3d& p) {
    return {std::llround(p.x() * 1e9), std::llround(p.y() * 1e9), std::llround(p.z() * 1e9)};
}

/// What a plane cut must leave, worked out from the mesh before the cut: the corners on or
/// below the plane and one point on every edge that crosses it.
std::multiset<Point> expectedCorners(const PolyMesh& mesh, const MPlane& plane) {
    auto side = [&](const M3d& p) { return plane.getNormal() * p - plane.getDist(); };
    std::multiset<Point> points;
    for (const Vertex* v : mesh.getVertices())
        if (side(*v) <= 1e-9)
            points.insert(key(*v));
    std::set<std::pair<const Vertex*, const Vertex*>> edges;
    for (const Poly* f : mesh.getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i) {
            const Vertex* a = f->getVertex(i);
            const Vertex* b = f->getVertex(i + 1);
            const bool offPlane = std::fabs(side(*a)) > 1e-9 && std::fabs(side(*b)) > 1e-9;
            if (offPlane && side(*a) * side(*b) < 0 && edges.insert({std::min(a, b), std::max(a, b)}).second)
                points.insert(key(*a + (*b - *a) * (side(*a) / (side(*a) - side(*b)))));
        }
    return points;
}

std::multiset<Point> cornersOf(const PolyMesh& mesh) {
    std::multiset<Point> points;
    for (const Vertex* v : mesh.getVertices())
        points.insert(key(*v));
    return points;
}

double totalArea(const PolyMesh& mesh) {
    double sum = 0;
    for (const Poly* f : mesh.getPolys()) {
        const double stored = f->getArea();
        sum += stored;
    }
    return sum;
}

} // namespace

TEST(TruncateMesh, CutsConvexSolidsAsABruteForceCountSays) {
    vornSrand(7);
    int cuts = 0;
    for (const char* name : {"cube", "icosphere"}) {
        for (int trial = 0; trial < 40; ++trial) {
            auto mesh = testshapes::meshOf(std::string(name) == "cube" ? testshapes::cube()
                                                                        : testshapes::icosphere(2));
            const M3d centre = mesh->getCenter();
            // A plane through a random point near the centre with a random normal.
            auto draw = [] { return double(vornRand() % 2001) / 1000 - 1; };
            M3d normal(draw(), draw(), draw());
            if (normal.length() < 0.1)
                continue;
            normal.normalize();
            const MPlane plane(centre + M3d(draw(), draw(), draw()) * 0.3, normal);
            const std::multiset<Point> expected = expectedCorners(*mesh, plane);
            std::size_t facesKept = 0;
            for (const Poly* f : mesh->getPolys()) {
                int below = 0;
                for (const Vertex* v : f->getVertices())
                    below += plane.getNormal() * *v - plane.getDist() < -1e-9;
                facesKept += below > 0;
            }
            // The seed variant starts from the highest corner, which is always above.
            Vertex* seed = nullptr;
            if (trial % 2)
                for (Vertex* v : mesh->getVertices())
                    if (!seed || normal * *v > normal * *seed)
                        seed = v;

            Poly* cap = TruncateMesh(*mesh, plane, seed);
            const std::string label = std::string(name) + " trial " + std::to_string(trial);
            ASSERT_NE(nullptr, cap) << label;
            ++cuts;
            EXPECT_EQ(expected, cornersOf(*mesh)) << label;
            EXPECT_EQ(facesKept + 1, mesh->getPolyCount()) << label;
            EXPECT_TRUE(mesh->getTopology().closed) << label;
            EXPECT_TRUE(consistentlyOriented(*mesh)) << label;
            EXPECT_GT(cap->getNormal() * normal, 0.999) << label << ": the cap faces out";
            // Stored areas (updated as faces are cut) agree with areas computed afresh.
            const double stored = totalArea(*mesh);
            for (Poly* f : mesh->getPolys())
                f->computeNormal();
            EXPECT_NEAR(totalArea(*mesh), stored, 1e-9) << label;
        }
    }
    EXPECT_GT(cuts, 60);
}

TEST(TruncateMesh, NothingAboveOrASeedBelowCutsNothing) {
    auto cube = testshapes::meshOf(testshapes::cube());
    EXPECT_EQ(nullptr, TruncateMesh(*cube, MPlane(M3d(0, 0, 2), M3d(0, 0, 1))));
    // The cube's top lies in the plane: vertices within the tolerance stay.
    EXPECT_EQ(nullptr, TruncateMesh(*cube, MPlane(M3d(0, 0, 1), M3d(0, 0, 1))));
    EXPECT_EQ(nullptr,
              TruncateMesh(*cube, MPlane(M3d(0, 0, 0.5), M3d(0, 0, 1)), cube->getVertex(0)));
    EXPECT_EQ(6u, cube->getPolyCount());
    EXPECT_EQ(8u, cube->getVertexCount());
    // Through two face diagonals: four corners lie in the plane and stay unsplit, the two
    // faces beyond it vanish whole, and their edges in the plane border the cap.
    Poly* cap = TruncateMesh(*cube, MPlane(M3d(0.5, 0.5, 0.5), M3d(1, 1, 0).normalized()));
    ASSERT_NE(nullptr, cap);
    EXPECT_EQ(4, cap->getVertexCount());
    EXPECT_TRUE(cube->getTopology().closed);
    EXPECT_TRUE(consistentlyOriented(*cube));
    EXPECT_EQ(6u, cube->getVertexCount());
    EXPECT_EQ(5u, cube->getPolyCount());

    // Corners a rounding error below the plane are on it too: the edges from them up to the
    // apex are not split there, which would put a second vertex on each corner.
    auto octahedron = testshapes::meshOf(testshapes::octahedron());
    Poly* square = TruncateMesh(*octahedron, MPlane(M3d(0, 1, 0), 1e-17));
    ASSERT_NE(nullptr, square);
    EXPECT_EQ(4, square->getVertexCount());
    EXPECT_EQ(5u, octahedron->getVertexCount());
    EXPECT_EQ(5u, octahedron->getPolyCount());
    EXPECT_TRUE(octahedron->getTopology().closed);
}
