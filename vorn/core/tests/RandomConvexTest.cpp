#include <gtest/gtest.h>

#include <cmath>

#include "common/Random.h"
#include "scene/mesh/PolyMesh.h"
#include "vorn/core/shapes/RandomConvex.h"

using Sorvex::M3d;

TEST(RandomConvex, SameSeedSameClosedConvexPolyhedron) {
    // On the small sphere most hulls have edges or faces below the size limit, to collapse.
    for (const double radius : {2.0, 0.05})
        for (int count : {4, 12, 100}) {
            PolyMesh a, b;
            vornSrand(17);
            ASSERT_TRUE(BuildRandomConvex(a, count, radius)) << count;
            vornSrand(17);
            ASSERT_TRUE(BuildRandomConvex(b, count, radius)) << count;
            const MeshData da = a.toMeshData(), db = b.toMeshData();
            EXPECT_EQ(da.faces, db.faces) << count;
            ASSERT_EQ(da.vertices.size(), db.vertices.size());
            for (size_t i = 0; i < da.vertices.size(); ++i)
                EXPECT_EQ(da.vertices[i], db.vertices[i]);

            EXPECT_TRUE(a.getTopology().closed) << count;
            EXPECT_LE(a.getVertexCount(), size_t(count));
            if (radius < 1 && count == 100) {
                EXPECT_LT(a.getVertexCount(), size_t(count)) << "small faces were collapsed";
            }
            EXPECT_GE(a.getPolyCount(), size_t(4));
            // The mean of the vertices lies inside a convex hull (the box centre may not).
            M3d centre;
            for (Vertex* v : a.getVertices())
                centre = centre + *v * (1.0 / double(a.getVertexCount()));
            for (Poly* f : a.getPolys()) {
                EXPECT_GE(f->getArea(), 0.0001);
                EXPECT_GT(f->getNormal().dot(f->getCenter() - centre), 0) << "outward faces";
                for (int i = 0; i < f->getVertexCount(); ++i) {
                    EXPECT_GE((*f->getVertex(i + 1) - *f->getVertex(i)).length(), 0.0001);
                    EXPECT_TRUE(a.hasNeighbor(*f, i));
                }
            }
            for (Vertex* v : a.getVertices())
                EXPECT_LE(v->length(), radius * (1 + 1e-9)) << "points lie on or inside the sphere";
        }
}

TEST(RandomConvex, DrawsThreeNumbersPerPointAndAtLeastFourPoints) {
    PolyMesh mesh;
    vornSrand(5);
    ASSERT_TRUE(BuildRandomConvex(mesh, 1, 1.0));
    EXPECT_EQ(size_t(4), mesh.getVertexCount()) << "fewer than four points ask for four";
    // The first point is the normalised first three draws.
    vornSrand(5);
    const double x = vornRand() - 16383, y = vornRand() - 16383, z = vornRand() - 16383;
    const M3d first = M3d(x, y, z).normalized();
    bool found = false;
    for (Vertex* v : mesh.getVertices())
        found = found || v->cmp(first, 1e-12);
    EXPECT_TRUE(found);
}

TEST(RandomConvex, BadRadiusFailsAndKeepsTheMesh) {
    PolyMesh mesh;
    ASSERT_TRUE(BuildRandomConvex(mesh, 10, 1.0));
    const MeshData before = mesh.toMeshData();
    for (double radius : {0.0, -1.0, std::nan(""), double(INFINITY), 1e-9}) {
        EXPECT_FALSE(BuildRandomConvex(mesh, 10, radius)) << radius;
        EXPECT_EQ(before.faces, mesh.toMeshData().faces);
        EXPECT_EQ(before.vertices.size(), mesh.getVertexCount());
    }
}
