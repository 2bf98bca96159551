#include "common/XML.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/TestShapes.h"

#include <gtest/gtest.h>

#include <cmath>

using Sorvex::M3d;

namespace {

std::unique_ptr<XML> written(PolyMesh& mesh) {
    auto xml = std::make_unique<XML>("PolyMesh");
    mesh.write(*xml);
    return xml;
}

/// An element with the given vertex texts and face texts.
XML element(const std::vector<std::string>& vertices, const std::vector<std::string>& faces) {
    XML xml("PolyMesh");
    XML* vs = xml.add("Vertices");
    for (const auto& v : vertices)
        vs->add("Vertex", v);
    XML* fs = xml.add("Faces");
    for (const auto& f : faces)
        fs->add("Face", f);
    return xml;
}

std::string readError(PolyMesh& mesh, XML& xml) {
    try {
        mesh.read(xml);
    } catch (const SceneReadError& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(PolyMeshIOTest, FacesAreWrittenAsRightAlignedIndexLists) {
    PolyMesh mesh;
    ASSERT_TRUE(mesh.fromMeshData(testshapes::icosahedron()));
    mesh.setRenderFaceEdges(true);
    auto xml = written(mesh);
    const XML* faces = xml->child("Faces");
    ASSERT_NE(nullptr, faces);
    ASSERT_EQ(20u, faces->getChildCount());
    EXPECT_EQ("Face", faces->getChild(0).getName());
    EXPECT_EQ("    0,     1,     2", faces->getChild(0).getText());
    EXPECT_EQ("    9,    11,    10", faces->getChild(19).getText());
    ASSERT_EQ(12u, xml->child("Vertices")->getChildCount());
    EXPECT_EQ(M3d(0, 0, 1.175571).toString(), xml->child("Vertices")->getChild(0).getText());
    EXPECT_EQ("true", xml->child("DrawEdges")->getText());

    MeshData wide;
    wide.vertices.assign(12346, M3d());
    wide.faces = {{0, 999, 12345}};
    ASSERT_TRUE(mesh.fromMeshData(wide));
    EXPECT_EQ("    0,   999, 12345", written(mesh)->child("Faces")->getChild(0).getText());
}

TEST(PolyMeshIOTest, WriteThenReadGivesTheSameMesh) {
    PolyMesh original;
    MeshData d = testshapes::torus(6, 5);
    d.vertices[3] = M3d(0.1, -1e-300, 12345.678901234567); // needs the exact binary form
    ASSERT_TRUE(original.fromMeshData(d));
    original.setColor(0.25, 0.5, 1.0);
    original.setRenderFaceEdges(true);
    auto xml = written(original);

    // Through the document text as well, as a saved file would go.
    XML parsed;
    ASSERT_TRUE(parsed.parse(xml->toString())) << parsed.getError();
    PolyMesh copy;
    copy.read(parsed);
    const MeshData back = copy.toMeshData();
    EXPECT_EQ(d.faces, back.faces);
    ASSERT_EQ(d.vertices.size(), back.vertices.size());
    for (std::size_t i = 0; i < d.vertices.size(); ++i) {
        for (int c = 0; c < 3; ++c)
            EXPECT_EQ(d.vertices[i][c], back.vertices[i][c]) << "vertex " << i;
    }
    EXPECT_TRUE(copy.getRenderFaceEdges());
    EXPECT_EQ(0.25, copy.getColor().r);
    EXPECT_EQ(1.0, copy.getColor().b);
    EXPECT_NE(nullptr, copy.getPoly(0)->getNeighbor(0)) << "read faces are linked";
}

TEST(PolyMeshIOTest, ReadingAcceptsDecimalVerticesAndKeepsMissingValues) {
    PolyMesh mesh;
    mesh.setRenderFaceEdges(true);
    XML xml = element({"0 0 0", "1.5 0 0", " 0 2 0"}, {"0,1,2"});
    mesh.read(xml);
    ASSERT_EQ(1u, mesh.getPolyCount());
    EXPECT_EQ(M3d(1.5, 0, 0), *mesh.getVertex(1));
    EXPECT_TRUE(mesh.getRenderFaceEdges()) << "no DrawEdges element: the switch stays";
    EXPECT_EQ(0.75, mesh.getColor().g);

    XML switchesOnly("PolyMesh");
    switchesOnly.add("DrawEdges", false);
    mesh.read(switchesOnly);
    EXPECT_FALSE(mesh.getRenderFaceEdges());
    EXPECT_EQ(1u, mesh.getPolyCount()) << "no geometry elements: the geometry stays";
}

TEST(PolyMeshIOTest, BadDataIsRefusedWithAMessageAndChangesNothing) {
    PolyMesh mesh;
    ASSERT_TRUE(mesh.fromMeshData(testshapes::cube()));
    mesh.setRenderFaceEdges(true);
    const MeshData before = mesh.toMeshData();
    Poly* firstFace = mesh.getPoly(0);

    const std::vector<std::string> three{"0 0 0", "1 0 0", "0 1 0"};
    struct Case {
        XML xml;
        std::string message;
    };
    Case cases[] = {
        {element({"0 0 0", "not a vector", "0 1 0"}, {"0, 1, 2"}),
         "vertex 1: \"not a vector\" is not a vector"},
        {element({"0 0 0", "[bin]00FF[/bin]", "0 1 0"}, {"0, 1, 2"}),
         "vertex 1: \"[bin]00FF[/bin]\" is not a vector"},
        {element({"0 0 0", "1 0 0", "0 nan 0"}, {"0, 1, 2"}), "vertex 2: coordinate is not finite"},
        {element({"0 0 0", "1 inf 0", "0 1 0"}, {"0, 1, 2"}), "vertex 1: coordinate is not finite"},
        {element(three, {"0, 1, 2", "2, 1, 3"}), "face 1: vertex index 3 out of range (0..2)"},
        {element(three, {"0, 1, 1"}), "face 0: vertex index 1 is repeated"},
        {element(three, {"0, 1"}), "face 0: has 2 vertices, at least 3 are needed"},
        {element(three, {"0, one, 2"}), "face 0: \"0, one, 2\" is not a list of vertex indices"},
        {element(three, {"0, 1, 99999999999"}),
         "face 0: \"0, 1, 99999999999\" is not a list of vertex indices"},
        {element({"0 0 0", "1 0 0", "0 1 0", "0 0 1", "0 0 -1"}, {"0,1,2", "1,0,3", "0,1,4"}),
         "edge 0-1 is used by 3 faces (non-manifold)"},
    };
    for (Case& c : cases) {
        c.xml.add("DrawEdges", false);
        EXPECT_EQ(c.message, readError(mesh, c.xml));
        EXPECT_EQ(before.faces, mesh.toMeshData().faces) << c.message;
        EXPECT_EQ(before.vertices.size(), mesh.getVertexCount()) << c.message;
        EXPECT_EQ(firstFace, mesh.getPoly(0)) << c.message;
        EXPECT_TRUE(mesh.getRenderFaceEdges()) << c.message;
    }
}

TEST(PolyMeshIOTest, FromMeshDataValidatesFirst) {
    PolyMesh mesh;
    ASSERT_TRUE(mesh.fromMeshData(testshapes::tetrahedron()));
    MeshData bad = testshapes::cube();
    bad.faces[1] = {4, 5, 6, 70};
    std::string error;
    EXPECT_FALSE(mesh.fromMeshData(bad, &error));
    EXPECT_EQ("face 1: vertex index 70 out of range (0..7)", error);
    EXPECT_EQ(4u, mesh.getPolyCount());
    EXPECT_EQ(testshapes::tetrahedron().faces, mesh.toMeshData().faces);
    const MeshTopology t = mesh.getTopology();
    EXPECT_TRUE(t.closed);
    EXPECT_EQ(6, t.edges);
}

TEST(PolyMeshIOTest, AFailureInTheBaseElementsRestoresTheOldMesh) {
    PolyMesh mesh;
    ASSERT_TRUE(mesh.fromMeshData(testshapes::cube()));
    Poly* firstFace = mesh.getPoly(0);
    XML xml = element({"0 0 0", "1 0 0", "0 1 0"}, {"0, 1, 2"});
    xml.add("DrawEdges", true);
    xml.add("Transform", "1 2 3"); // too few numbers: the base refuses it
    EXPECT_NE("no error", readError(mesh, xml));
    EXPECT_EQ(6u, mesh.getPolyCount());
    EXPECT_EQ(firstFace, mesh.getPoly(0)) << "the very same faces are back";
    EXPECT_NE(nullptr, firstFace->getNeighbor(0));
    EXPECT_FALSE(mesh.getRenderFaceEdges());
}

TEST(PolyMeshIOTest, MeshDataLinksFacesAsAddingThemOneByOneDoes) {
    // A cube, an open fan whose faces share edges running both ways, and two triangles
    // sharing an edge that runs the same way in both (a non-orientable join).
    MeshData data;
    for (int i = 0; i < 8; ++i)
        data.vertices.push_back(M3d(i & 1, (i >> 1) & 1, (i >> 2) & 1));
    data.faces = {{0, 2, 3, 1}, {4, 5, 7, 6}, {0, 1, 5, 4},
                  {2, 6, 7, 3}, {0, 4, 6, 2}, {1, 3, 7, 5}};
    for (int i = 0; i < 7; ++i)
        data.vertices.push_back(M3d(3 + std::cos(i), 0.1 * i, std::sin(i)));
    data.faces.insert(
        data.faces.end(),
        {{8, 9, 10}, {8, 10, 11}, {11, 10, 12}, {8, 12, 13}, {8, 9, 14}, {12, 11, 8}});
    PolyMesh bulk;
    ASSERT_TRUE(bulk.fromMeshData(data));

    PolyMesh oneByOne;
    for (const M3d& p : data.vertices)
        oneByOne.addVertexAt(p);
    for (const std::vector<int>& face : data.faces) {
        std::vector<Vertex*> ring;
        for (int v : face)
            ring.push_back(oneByOne.getVertex(std::size_t(v)));
        ASSERT_TRUE(oneByOne.addPoly(new Poly(std::move(ring))));
    }

    int links = 0;
    for (std::size_t f = 0; f < data.faces.size(); ++f) {
        for (int k = 0; k < int(data.faces[f].size()); ++k) {
            const int expected = oneByOne.getPolyIndex(oneByOne.getPoly(f)->getNeighbor(k));
            EXPECT_EQ(expected, bulk.getPolyIndex(bulk.getPoly(f)->getNeighbor(k)))
                << "face " << f << " edge " << k;
            links += expected >= 0 ? 1 : 0;
        }
    }
    EXPECT_EQ(24 + 12, links) << "the cube's edges twice, the fan's six inner edges twice";
    for (std::size_t v = 0; v < data.vertices.size(); ++v) {
        std::vector<int> expected, got;
        for (const Poly* f : oneByOne.getVertex(v)->getPolys())
            expected.push_back(oneByOne.getPolyIndex(f));
        for (const Poly* f : bulk.getVertex(v)->getPolys())
            got.push_back(bulk.getPolyIndex(f));
        EXPECT_EQ(expected, got) << "faces of vertex " << v << " in incidence order";
    }
}
