#include "blobby/MeshFragments.h"
#include "scene/mesh/PolyMesh.h"

#include <gtest/gtest.h>

using Sorvex::M3d;

namespace {

// A tetrahedron of edge length about `size` at `at`, outward faces.
void addTetrahedron(PolyMesh& mesh, M3d at, double size) {
    Vertex* v[4] = {mesh.addVertexAt(at), mesh.addVertexAt(at + M3d(size, 0, 0)),
                    mesh.addVertexAt(at + M3d(0, size, 0)), mesh.addVertexAt(at + M3d(0, 0, size))};
    const int faces[4][3] = {{0, 2, 1}, {0, 1, 3}, {0, 3, 2}, {1, 2, 3}};
    for (const auto& f : faces)
        ASSERT_TRUE(mesh.addPoly(new Poly{v[f[0]], v[f[1]], v[f[2]]}));
}

} // namespace

TEST(MeshFragmentsTest, SpecksGoAndClosedPiecesStayWhole) {
    PolyMesh mesh;
    addTetrahedron(mesh, M3d(0, 0, 0), 1.0);
    addTetrahedron(mesh, M3d(5, 0, 0), 0.001); // total area about 2.4e-6
    addTetrahedron(mesh, M3d(9, 0, 0), 0.01);  // total area about 2.4e-4
    ASSERT_EQ(12u, mesh.getPolyCount());
    EXPECT_EQ(4, filterFragments(mesh, 0.00001));
    EXPECT_EQ(8u, mesh.getPolyCount());
    EXPECT_EQ(8u, mesh.getVertexCount()) << "the speck's vertices go with it";
    EXPECT_EQ(0, filterFragments(mesh, 0.00001));
}
