#include <gtest/gtest.h>

#include "scene/mesh/PolyMesh.h"
#include "tests/support/TestShapes.h"

#include <map>

using Sorvex::M3d;

namespace {

/// Every edge is used once in each direction: the mesh is closed and its faces agree
/// on their orientation. Counted from the rings, independently of the mesh's links.
bool closedAndConsistent(const MeshData& data) {
    std::map<std::pair<int, int>, int> uses;
    for (const auto& ring : data.faces)
        for (std::size_t k = 0; k < ring.size(); ++k)
            ++uses[{ring[k], ring[(k + 1) % ring.size()]}];
    for (const auto& [edge, count] : uses)
        if (count != 1 || uses.count({edge.second, edge.first}) != 1)
            return false;
    return true;
}

double totalArea(const PolyMesh& mesh) {
    double sum = 0;
    for (Poly* f : mesh.getPolys())
        sum += f->getArea();
    return sum;
}

void expectOutward(const PolyMesh& mesh, const M3d& centre) {
    for (Poly* f : mesh.getPolys())
        EXPECT_GT(f->getNormal().dot(f->getCenter() - centre), 0) << "a face points inwards";
}

} // namespace

TEST(PolyMeshRefine, SubdivisionSplitsTrianglesInFourAndPolygonsIntoQuads) {
    auto tetra = testshapes::meshOf(testshapes::tetrahedron());
    const double tetraArea = totalArea(*tetra);
    tetra->subdivide();
    EXPECT_EQ(10u, tetra->getVertexCount()); // 4 corners and 6 shared midpoints
    EXPECT_EQ(16u, tetra->getPolyCount());
    EXPECT_TRUE(closedAndConsistent(tetra->toMeshData()));
    EXPECT_NEAR(tetraArea, totalArea(*tetra), 1e-12);

    auto cube = testshapes::meshOf(testshapes::cube());
    cube->subdivide();
    EXPECT_EQ(26u, cube->getVertexCount()); // 8 corners, 12 midpoints, 6 centres
    EXPECT_EQ(24u, cube->getPolyCount());
    for (Poly* f : cube->getPolys())
        EXPECT_NEAR(0.25, f->getArea(), 1e-12);
    EXPECT_TRUE(closedAndConsistent(cube->toMeshData()));
    expectOutward(*cube, M3d(0.5, 0.5, 0.5));
}

TEST(PolyMeshRefine, BandingGivesAFacePerFaceEdgeAndVertex) {
    auto cube = testshapes::meshOf(testshapes::cube());
    cube->bandify(0.5);
    // 6 shrunk squares, 12 bands, 8 corner triangles; every corner copied once per face.
    EXPECT_EQ(24u, cube->getVertexCount());
    EXPECT_EQ(26u, cube->getPolyCount());
    EXPECT_TRUE(closedAndConsistent(cube->toMeshData()));
    expectOutward(*cube, M3d(0.5, 0.5, 0.5));
    int triangles = 0, quads = 0;
    for (Poly* f : cube->getPolys()) {
        (f->getVertexCount() == 3 ? triangles : quads) += 1;
        EXPECT_GT(f->getArea(), 1e-3);
    }
    EXPECT_EQ(8, triangles);
    EXPECT_EQ(18, quads);

    // On an icosahedron the default share makes the bands square.
    auto ico = testshapes::meshOf(testshapes::icosahedron());
    ico->bandify();
    EXPECT_EQ(62u, ico->getPolyCount());
    EXPECT_TRUE(closedAndConsistent(ico->toMeshData()));
    for (Poly* f : ico->getPolys()) {
        if (f->getVertexCount() != 4)
            continue;
        const double side = (*f->getVertex(0) - *f->getVertex(1)).length();
        const double across = (*f->getVertex(1) - *f->getVertex(2)).length();
        EXPECT_NEAR(side, across, 0.01 * side);
    }
}

TEST(PolyMeshRefine, BandingAnOpenMeshLeavesItsBorderOpenAndBadSharesAlone) {
    // Two triangles sharing one edge: one band, no vertex closes round its faces.
    auto square = testshapes::flatSquare();
    square->bandify(0.5);
    EXPECT_EQ(3u, square->getPolyCount());
    EXPECT_EQ(6u, square->getVertexCount());

    auto cube = testshapes::meshOf(testshapes::cube());
    for (double keep : {0.0, 1.0, -0.5, std::nan("")})
        cube->bandify(keep);
    EXPECT_EQ(6u, cube->getPolyCount());
    EXPECT_EQ(8u, cube->getVertexCount());
}
