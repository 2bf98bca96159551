#include "vorn/core/OffExport.h"

#include "scene/mesh/PolyMesh.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestShapes.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

TEST(OffExport, ExactTextOfHeaderVerticesAndFaceLines) {
    MeshData points;
    points.vertices = {{0, 0, 0}, {1.5, -2.25, 1e-9}, {-10, 123.456789012, 0.5}};
    EXPECT_EQ("OFF\n3 0 0\n"
              "0.00000000 0.00000000 0.00000000\n"
              "1.50000000 -2.25000000 0.00000000\n"
              "-10.00000000 123.45678901 0.50000000\n",
              FormatOff(points));

    MeshData triangle;
    triangle.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    triangle.faces = {{0, 1, 2}};
    std::string text = FormatOff(triangle);
    EXPECT_EQ("OFF\n3 1 0\n", text.substr(0, 10));
    EXPECT_EQ("3 0 1 2 \n", text.substr(text.size() - 9));

    MeshData mixed;
    for (int i = 0; i < 12; ++i)
        mixed.vertices.emplace_back(i, 0, 0);
    mixed.faces = {{11, 10, 9, 8}, {0, 1, 2, 3, 4, 5}};
    std::string faces = FormatOff(mixed);
    EXPECT_EQ("4 11 10 9 8 \n6 0 1 2 3 4 5 \n", faces.substr(faces.find("\n4 ") + 1));

    EXPECT_EQ("OFF\n0 0 0\n", FormatOff(MeshData{}));
}

TEST(OffExport, WritesTheMeshInListOrderAndKeepsOldFileOnFailure) {
    PolyMesh mesh;
    const MeshData cube = testshapes::cube();
    ASSERT_TRUE(mesh.fromMeshData(cube));

    namespace fs = std::filesystem;
    const TempDir tmp;
    const fs::path dir = tmp.path();
    std::string path = (dir / "cube.off").string();
    std::string error;
    ASSERT_TRUE(ExportOff(mesh, path, error)) << error;
    EXPECT_EQ(FormatOff(cube), ReadFileText(path));

    EXPECT_FALSE(ExportOff(mesh, (dir / "missing" / "cube.off").string(), error));
    EXPECT_NE(std::string::npos, error.find("cube.off")) << error;
}

TEST(OffExport, ProposedNameReplacesTheSceneExtension) {
    EXPECT_EQ("model.off", ProposeOffName("model.xml"));
    EXPECT_EQ("a.off.off", ProposeOffName("a.xml.xml"));
    EXPECT_EQ("model.off", ProposeOffName("model.ply")) << "never the model's own name";
    EXPECT_EQ("model.tar.off", ProposeOffName("model.tar.obj"));
    EXPECT_EQ("model.off", ProposeOffName("model"));
    EXPECT_EQ("model.off", ProposeOffName("model.off"));
    EXPECT_EQ("dir.v2/model.off", ProposeOffName("dir.v2/model"));
    EXPECT_EQ(".hidden.off", ProposeOffName(".hidden"));
    EXPECT_EQ("", ProposeOffName(""));
}

} // namespace
