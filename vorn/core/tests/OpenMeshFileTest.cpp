// Opening a mesh file reads it straight into the mesh, without the XML form a loader
// also offers. The mesh must be exactly what that XML form gives when read, and what a
// plain reading of the file says.
#include "common/XML.h"
#include "scene/SceneRoot.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestShapes.h"
#include "vorn/core/LoaderList.h"
#include "vorn/core/SceneDocument.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

/// An OFF file as plain stream reading sees it: comments dropped, then whitespace-separated
/// tokens (well-formed files only).
MeshData readOffPlainly(const std::string& path) {
    std::ifstream in(path);
    std::string line, text;
    while (std::getline(in, line))
        text += line.substr(0, line.find('#')) + "\n";
    std::istringstream tokens(text);
    std::string keyword;
    std::size_t vertices = 0, faces = 0, edges = 0;
    tokens >> keyword >> vertices >> faces >> edges;
    MeshData mesh;
    for (std::size_t i = 0; i < vertices; ++i) {
        double x = 0, y = 0, z = 0;
        tokens >> x >> y >> z;
        mesh.vertices.emplace_back(x, y, z);
    }
    for (std::size_t f = 0; f < faces; ++f) {
        std::size_t sides = 0;
        tokens >> sides;
        std::vector<int> ring(sides);
        for (int& v : ring)
            tokens >> v;
        mesh.faces.push_back(ring);
    }
    return mesh;
}

void writeOff(const MeshData& mesh, const std::string& path) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    ASSERT_TRUE(out);
    std::fprintf(out, "OFF\n# written by the test\n%zu %zu 0\n", mesh.vertices.size(),
                 mesh.faces.size());
    for (const Sorvex::M3d& p : mesh.vertices)
        std::fprintf(out, "%.17g %.17g %.17g\n", p.x(), p.y(), p.z());
    for (const std::vector<int>& face : mesh.faces) {
        std::fprintf(out, "%zu", face.size());
        for (int v : face)
            std::fprintf(out, " %d", v);
        std::fputc('\n', out);
    }
    std::fclose(out);
}

bool sameBits(const Sorvex::M3d& a, const Sorvex::M3d& b) {
    const double pa[3] = {a.x(), a.y(), a.z()};
    const double pb[3] = {b.x(), b.y(), b.z()};
    return std::memcmp(pa, pb, sizeof pa) == 0;
}

PolyMesh& onlyMesh(const SceneDocument& document) {
    const auto& children = document.getRoot()->getChildren();
    EXPECT_EQ(1u, children.size());
    auto* mesh = dynamic_cast<PolyMesh*>(children.front());
    EXPECT_TRUE(mesh);
    return *mesh;
}

/// Opens `path` directly and through its XML form and checks that both give the same mesh
/// (positions to the bit, rings, neighbours and normals) and the same scene text.
void expectSameMeshBothWays(const std::string& path) {
    SCOPED_TRACE(path);
    SceneDocument direct;
    std::string error;
    ASSERT_TRUE(direct.open(path, error)) << error;
    XML node("SceneRoot");
    ASSERT_TRUE(LoadWithLoaders(path, node, error)) << error;
    SceneDocument viaXml;
    ASSERT_TRUE(viaXml.openNode(node, path, error)) << error;

    const PolyMesh& a = onlyMesh(direct);
    const PolyMesh& b = onlyMesh(viaXml);
    ASSERT_EQ(b.getVertexCount(), a.getVertexCount());
    ASSERT_EQ(b.getPolyCount(), a.getPolyCount());
    for (std::size_t i = 0; i < a.getVertexCount(); ++i)
        ASSERT_TRUE(sameBits(*b.getVertex(i), *a.getVertex(i))) << "vertex " << i;
    for (std::size_t f = 0; f < a.getPolyCount(); ++f) {
        const Poly& fa = *a.getPoly(f);
        const Poly& fb = *b.getPoly(f);
        ASSERT_EQ(fb.getVertexCount(), fa.getVertexCount()) << "face " << f;
        EXPECT_TRUE(sameBits(fb.getNormal(), fa.getNormal())) << "face " << f;
        for (int k = 0; k < fa.getVertexCount(); ++k) {
            EXPECT_EQ(b.getIOIndex(fb.getVertex(k)), a.getIOIndex(fa.getVertex(k)));
            const Poly* na = fa.getNeighbor(k);
            const Poly* nb = fb.getNeighbor(k);
            EXPECT_EQ(nb ? b.getPolyIndex(nb) : -1, na ? a.getPolyIndex(na) : -1)
                << "face " << f << " edge " << k;
        }
    }
    EXPECT_EQ(viaXml.toText(), direct.toText());
}

/// The mesh opened from the OFF file `path` holds exactly what a plain reading finds.
void expectPlainOffContent(const std::string& path) {
    SCOPED_TRACE(path);
    const MeshData plain = readOffPlainly(path);
    SceneDocument document;
    std::string error;
    ASSERT_TRUE(document.open(path, error)) << error;
    const PolyMesh& mesh = onlyMesh(document);
    ASSERT_EQ(plain.vertices.size(), mesh.getVertexCount());
    ASSERT_EQ(plain.faces.size(), mesh.getPolyCount());
    for (std::size_t i = 0; i < plain.vertices.size(); ++i)
        ASSERT_TRUE(sameBits(plain.vertices[i], *mesh.getVertex(i))) << "vertex " << i;
    for (std::size_t f = 0; f < plain.faces.size(); ++f) {
        std::vector<int> ring;
        for (const Vertex* v : mesh.getPoly(f)->getVertices())
            ring.push_back(mesh.getIOIndex(v));
        EXPECT_EQ(plain.faces[f], ring) << "face " << f;
    }
}

} // namespace

TEST(OpenMeshFile, DirectReadingGivesTheMeshOfTheXmlForm) {
    std::vector<std::string> files;
    for (const char* folder : {"/tests/data", "/examples"})
        for (const auto& entry : fs::directory_iterator(std::string(VORN_SOURCE_DIR) + folder)) {
            const std::string ext = entry.path().extension().string();
            if (ext == ".off" || ext == ".obj" || ext == ".ply" || ext == ".stl")
                files.push_back(entry.path().string());
        }
    ASSERT_GE(files.size(), 7u);

    TempDir tmp;
    // A sphere of 5,120 triangles with coordinates that need all 17 digits, and a torus of
    // quadrilaterals (polygons are kept).
    const std::string sphere = (fs::path(tmp.path()) / "sphere.off").string();
    writeOff(testshapes::icosphere(4), sphere);
    MeshData quads = testshapes::torus(24, 16);
    MeshData merged;
    merged.vertices = quads.vertices;
    for (std::size_t f = 0; f + 1 < quads.faces.size(); f += 2) {
        // torus() gives each quad as two triangles (a, b, c) and (a, c, d).
        const auto& t1 = quads.faces[f];
        const auto& t2 = quads.faces[f + 1];
        merged.faces.push_back({t1[0], t1[1], t1[2], t2[2]});
    }
    const std::string torus = (fs::path(tmp.path()) / "torus.off").string();
    writeOff(merged, torus);
    files.push_back(sphere);
    files.push_back(torus);

    for (const std::string& path : files) {
        expectSameMeshBothWays(path);
        if (fs::path(path).extension() == ".off")
            expectPlainOffContent(path);
    }
}
