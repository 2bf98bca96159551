#include "scene/loaders/ObjParser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(ObjParser, MergesCornersAtOnePlaceAndFollowsRelativeIndices) {
    // A square split into two triangles whose shared corners are written twice, with a
    // byte-order mark, normals, texture indices, a group and a relative face.
    const std::string text = "\xEF\xBB\xBFo square\nv 0 0 0\nv 1 0 0\nv 1 1 0\n"
                             "v -0 0 0\nv 1 1 0\nv 0 1 0\nvn 0 0 1\nvt 0 0\n"
                             "g half\nf 1/1/1 2/1/1 3/1/1\nf -3//1 -2//1 -1//1\nv 5 5 5\n";
    MeshData mesh;
    MeshParseError error;
    ASSERT_TRUE(ParseObj(text, mesh, error)) << error.message;
    ASSERT_EQ(4u, mesh.vertices.size()); // the unused (5,5,5) is dropped
    ASSERT_EQ(2u, mesh.faces.size());
    EXPECT_EQ((std::vector<int>{0, 1, 2}), mesh.faces[0]);
    EXPECT_EQ((std::vector<int>{0, 2, 3}), mesh.faces[1]);
    EXPECT_DOUBLE_EQ(1.0, mesh.vertices[3].y());
    std::string why;
    EXPECT_TRUE(mesh.validate(why)) << why;
}

TEST(ObjParser, FailuresNameTheLineAndLeaveTheOutputAlone) {
    const struct {
        std::string text;
        int line;
        std::string message;
    } cases[] = {
        {"v 0 0\n", 1, "vertex has 2 coordinates, 3 are needed"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2\n", 4, "face has 2 corners, at least 3 are needed"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 -4\n", 4,
         "face corner '-4': vertex index out of range (3 vertices read so far)"},
        {"v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\n", 4, "face corner '0' is not a vertex index"},
        {"v 1e999 0 0\n", 1, "vertex coordinate '1e999' is not a number"},
    };
    for (const auto& c : cases) {
        MeshData mesh;
        mesh.vertices.emplace_back(7, 7, 7);
        MeshParseError error;
        EXPECT_FALSE(ParseObj(c.text, mesh, error)) << c.text;
        EXPECT_EQ(c.line, error.line) << c.text;
        EXPECT_EQ(c.message, error.message) << c.text;
        EXPECT_EQ(1u, mesh.vertices.size()) << c.text;
    }
}

} // namespace
