#include "scene/mesh/MeshData.h"
#include "tests/support/TestShapes.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

/// The reason `d` is refused; the packed form of `d` must be refused for the same reason.
std::string validationError(const MeshData& d) {
    std::string error, packedError;
    EXPECT_FALSE(d.validate(error));
    EXPECT_FALSE(PackedMeshData::pack(d).validate(packedError));
    EXPECT_EQ(error, packedError);
    return error;
}

} // namespace

TEST(MeshDataTest, StandardShapesAreValidAndClosed) {
    for (const MeshData& d : {testshapes::cube(), testshapes::tetrahedron(),
                              testshapes::icosahedron(), testshapes::torus(5, 4)}) {
        std::string error;
        EXPECT_TRUE(d.validate(error)) << error;
        const MeshTopology t = d.topology();
        EXPECT_TRUE(t.closed);
        EXPECT_EQ(0, t.boundaryEdges);
        EXPECT_EQ(0, t.nonManifoldEdges);
    }
    const MeshTopology cube = testshapes::cube().topology();
    EXPECT_EQ(8, cube.vertices);
    EXPECT_EQ(6, cube.faces);
    EXPECT_EQ(12, cube.edges);
    EXPECT_EQ(2, cube.eulerCharacteristic);
    EXPECT_EQ(30, testshapes::icosahedron().topology().edges);
    EXPECT_EQ(0, testshapes::torus(6, 5).topology().eulerCharacteristic);
}

TEST(MeshDataTest, TopologyCountsBoundaryAndNonManifoldEdges) {
    MeshData open = testshapes::cube();
    open.faces.erase(open.faces.begin());
    MeshTopology t = open.topology();
    EXPECT_FALSE(t.closed);
    EXPECT_EQ(4, t.boundaryEdges);
    EXPECT_EQ(12, t.edges);
    EXPECT_EQ(1, t.eulerCharacteristic);

    // Three triangles sharing the edge 0-1 form a fin.
    MeshData fin;
    fin.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}};
    fin.faces = {{0, 1, 2}, {1, 0, 3}, {0, 1, 4}};
    t = fin.topology();
    EXPECT_EQ(1, t.nonManifoldEdges);
    EXPECT_EQ(6, t.boundaryEdges);
    EXPECT_FALSE(t.closed);

    EXPECT_FALSE(MeshData().topology().closed);
}

TEST(MeshDataTest, ValidationNamesTheFirstProblem) {
    MeshData d = testshapes::cube();
    d.vertices[3].y() = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ("vertex 3: coordinate is not finite", validationError(d));
    d.vertices[3].y() = std::numeric_limits<double>::infinity();
    EXPECT_EQ("vertex 3: coordinate is not finite", validationError(d));
    // Finite but so large that squared lengths overflow: refused, saying what to do.
    d = testshapes::cube();
    d.vertices[2] = Sorvex::M3d(0, -1e155, 0);
    EXPECT_EQ("vertex 2: coordinate 1e+155 is too large (at most 1e+50, or lengths and areas "
              "overflow); scale the model down",
              validationError(d));

    d = testshapes::cube();
    d.faces[5] = {1, 2, 40};
    EXPECT_EQ("face 5: vertex index 40 out of range (0..7)", validationError(d));
    d.faces[5] = {1, -1, 2};
    EXPECT_EQ("face 5: vertex index -1 out of range (0..7)", validationError(d));

    d = testshapes::cube();
    d.faces[2] = {0, 1, 0, 5};
    EXPECT_EQ("face 2: vertex index 0 is repeated", validationError(d));

    d = testshapes::cube();
    d.faces[4] = {0, 4};
    EXPECT_EQ("face 4: has 2 vertices, at least 3 are needed", validationError(d));

    MeshData empty;
    empty.faces = {{0, 1, 2}};
    EXPECT_EQ("face 0: vertex index 0 out of range (the mesh has no vertices)",
              validationError(empty));

    d = testshapes::cube();
    d.vertices.push_back({2, 2, 2});
    d.faces.push_back({4, 7, 8});
    EXPECT_EQ("edge 4-7 is used by 3 faces (non-manifold)", validationError(d));
}

TEST(MeshDataTest, PackedRingsKeepEveryFaceInOrder) {
    MeshData d = testshapes::cube();
    d.faces[1] = {0, 4, 5, 6, 7, 3}; // rings of different lengths, one long
    d.faces.push_back({2, 6, 1});
    const PackedMeshData packed = PackedMeshData::pack(d);
    ASSERT_EQ(d.faces.size(), packed.faceCount());
    ASSERT_EQ(d.faces.size() + 1, packed.faceStarts.size());
    for (std::size_t f = 0; f < d.faces.size(); ++f) {
        const std::span<const int> ring = packed.face(f);
        EXPECT_EQ(d.faces[f], std::vector<int>(ring.begin(), ring.end())) << "face " << f;
    }
    const MeshData back = packed.unpack();
    EXPECT_EQ(d.faces, back.faces);
    EXPECT_EQ(d.vertices, back.vertices);

    std::string error;
    EXPECT_TRUE(PackedMeshData::pack(testshapes::torus(6, 5)).validate(error)) << error;
    EXPECT_TRUE(PackedMeshData().validate(error)) << error;
}

TEST(MeshDataTest, EmptyDataAndOpenSurfacesAreValid) {
    std::string error;
    EXPECT_TRUE(MeshData().validate(error));
    MeshData open = testshapes::cube();
    open.faces.pop_back();
    EXPECT_TRUE(open.validate(error)) << error;
}

namespace {

/// `b`'s faces added to `a`, their indices shifted; `shared` of `b`'s first vertices are
/// taken to be `a`'s first ones (so the shapes touch there).
MeshData joined(MeshData a, const MeshData& b, int shared) {
    const int offset = int(a.vertices.size()) - shared;
    for (std::size_t v = std::size_t(shared); v < b.vertices.size(); ++v)
        a.vertices.push_back(b.vertices[v] + Sorvex::M3d(5, 0, 0));
    for (std::vector<int> face : b.faces) {
        for (int& v : face)
            v = v < shared ? v : v + offset;
        a.faces.push_back(face);
    }
    return a;
}

} // namespace

TEST(MeshDataTest, ComponentsAndPinchedVertices) {
    for (const MeshData& d :
         {testshapes::cube(), testshapes::icosahedron(), testshapes::torus(5, 4)}) {
        EXPECT_EQ(1, d.countComponents());
        EXPECT_EQ(0, d.countNonManifoldVertices());
    }
    EXPECT_EQ(0, MeshData().countComponents());

    const MeshData apart = joined(testshapes::cube(), testshapes::tetrahedron(), 0);
    EXPECT_EQ(2, apart.countComponents());
    EXPECT_EQ(0, apart.countNonManifoldVertices());
    // Sharing one vertex only: still two pieces to unfold, and the vertex pinches.
    const MeshData bowtie = joined(testshapes::cube(), testshapes::tetrahedron(), 1);
    EXPECT_EQ(2, bowtie.countComponents());
    EXPECT_EQ(1, bowtie.countNonManifoldVertices());
    // An open fan (one face removed around a vertex) is one fan, not pinched.
    MeshData open = testshapes::cube();
    open.faces.pop_back();
    EXPECT_EQ(1, open.countComponents());
    EXPECT_EQ(0, open.countNonManifoldVertices());
}

TEST(MeshDataTest, FacesWithoutAreaAndBentFacesAreCounted) {
    EXPECT_EQ(0, testshapes::cube().faceShapes().zeroArea);
    EXPECT_EQ(0, testshapes::cube().faceShapes().nonPlanar);
    const MeshData slivered = testshapes::sliveredCube();
    std::string error;
    EXPECT_TRUE(slivered.validate(error)) << error;
    EXPECT_EQ(1, slivered.faceShapes().zeroArea);
    EXPECT_EQ(0, slivered.faceShapes().nonPlanar) << "a face without area is not also bent";

    MeshData bent = testshapes::cube();
    bent.vertices[6] = Sorvex::M3d(1.001, 1.001, 1.001); // the top face and two walls bend
    EXPECT_EQ(3, bent.faceShapes().nonPlanar);
    bent.vertices[6] = Sorvex::M3d(1 + 1e-9, 1 + 1e-9, 1 + 1e-9); // rounding, not a bend
    EXPECT_EQ(0, bent.faceShapes().nonPlanar);
}
