#include "scene/mesh/PolyMesh.h"

#include "sorvex/PointSorter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using Sorvex::M3d;

TEST(PolyMeshFindBestVertex, MergesPositionsWithinTheTolerance) {
    PolyMesh mesh;
    Sorvex::PointSorter sorter(0.0001);
    Vertex* a = mesh.findBestVertex(M3d(1, 2, 3), sorter);
    ASSERT_NE(nullptr, a);
    EXPECT_EQ(1u, mesh.getVertexCount());
    EXPECT_EQ(a, mesh.findBestVertex(M3d(1, 2, 3 + 5e-5), sorter));
    Vertex* b = mesh.findBestVertex(M3d(1, 2, 3.0002), sorter);
    EXPECT_NE(a, b);
    EXPECT_EQ(2u, mesh.getVertexCount());
    EXPECT_EQ(M3d(1, 2, 3), *a);
    EXPECT_EQ(1, mesh.getIOIndex(b));
}

TEST(PolyMeshFindBestVertex, TrianglesFromRecomputedCornersShareVertices) {
    // An octahedron whose corners are computed again for every face, as a polygoniser
    // produces them, comes out closed with 6 shared vertices.
    PolyMesh mesh;
    Sorvex::PointSorter sorter(0.0001);
    const M3d axes[6] = {M3d(1, 0, 0),  M3d(0, 1, 0), M3d(-1, 0, 0),
                         M3d(0, -1, 0), M3d(0, 0, 1), M3d(0, 0, -1)};
    for (int pole : {4, 5}) {
        for (int i = 0; i < 4; ++i) {
            const int j = (i + 1) % 4;
            std::vector<Vertex*> ring;
            // The same corner reached through a rotation differs in its last bits.
            const double angle = M_PI / 2 * i;
            const M3d turned(std::cos(angle), std::sin(angle), 0);
            ring.push_back(mesh.findBestVertex(turned, sorter));
            ring.push_back(mesh.findBestVertex(axes[j], sorter));
            ring.push_back(mesh.findBestVertex(axes[pole], sorter));
            if (pole == 5)
                std::swap(ring[0], ring[1]);
            ASSERT_TRUE(mesh.addPoly(new Poly(ring)));
        }
    }
    EXPECT_EQ(6u, mesh.getVertexCount());
    EXPECT_EQ(8u, mesh.getPolyCount());
    for (const Poly* f : mesh.getPolys())
        for (int e = 0; e < 3; ++e)
            EXPECT_NE(nullptr, f->getNeighbor(e));
}
