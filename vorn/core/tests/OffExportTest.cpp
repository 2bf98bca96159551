#include "vorn/core/OffExport.h"

#include "scene/mesh/PolyMesh.h"
#include "tests/support/FileText.h"

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
    MeshData cube;
    cube.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0},
                     {0, 0, 1}, {1, 0, 1}, {1, 1, 1}, {0, 1, 1}};
    cube.faces = {{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                  {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
    ASSERT_TRUE(mesh.fromMeshData(cube));

    namespace fs = std::filesystem;
    fs::path dir = fs::temp_directory_path() / ("vorn-off-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    std::string path = (dir / "cube.off").string();
    std::string error;
    ASSERT_TRUE(ExportOff(mesh, path, error)) << error;
    EXPECT_EQ(FormatOff(cube), ReadFileText(path));

    EXPECT_FALSE(ExportOff(mesh, (dir / "missing" / "cube.off").string(), error));
    EXPECT_NE(std::string::npos, error.find("cube.off")) << error;
    fs::remove_all(dir);
}

TEST(OffExport, ProposedNameReplacesTheSceneExtension) {
    EXPECT_EQ("model.off", ProposeOffName("model.xml"));
    EXPECT_EQ("a.off.off", ProposeOffName("a.xml.xml"));
    EXPECT_EQ("model.obj", ProposeOffName("model.obj"));
    EXPECT_EQ("", ProposeOffName(""));
}

} // namespace
