#include "scene/loaders/OffParser.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct Parsed {
    bool ok;
    MeshData mesh;
    MeshParseError error;
};

Parsed parse(const std::string& text) {
    Parsed p;
    p.ok = ParseOff(text, p.mesh, p.error);
    return p;
}

const char* kSquarePyramid = "OFF\n"
                             "# apex last\n"
                             "5 5 8\n"
                             "0 0 0\n1 0 0\n1 1 0\n0 1 0\n0.5 0.5 1\n"
                             "4 0 3 2 1\n"
                             "3 0 1 4\n3 1 2 4\n3 2 3 4\n3 3 0 4\n";

TEST(OffParser, KeepsPolygonsAndVertexOrder) {
    Parsed p = parse(kSquarePyramid);
    ASSERT_TRUE(p.ok) << p.error.message;
    ASSERT_EQ(5u, p.mesh.vertices.size());
    ASSERT_EQ(5u, p.mesh.faces.size());
    EXPECT_EQ((std::vector<int>{0, 3, 2, 1}), p.mesh.faces[0]);
    EXPECT_EQ((std::vector<int>{3, 0, 4}), p.mesh.faces[4]);
    EXPECT_DOUBLE_EQ(0.5, p.mesh.vertices[4].x());
    EXPECT_DOUBLE_EQ(1.0, p.mesh.vertices[4].z());
}

TEST(OffParser, AcceptsCommentsColoursVariantsAndLayouts) {
    // Counts on the keyword line, vertex colours after COFF, face colours,
    // comments at line ends, blank lines, DOS line ends, exponent notation.
    Parsed p = parse("COFF 3 1 0 # counts here\r\n"
                     "\r\n"
                     "0 0 0 255 0 0 255\r\n"
                     "1e0 0 0 0 255 0 255  # second\r\n"
                     "+0 1 -0.0 0 0 255 255\r\n"
                     "3 0 1 2 0.2 0.3 0.4\r\n");
    ASSERT_TRUE(p.ok) << p.error.message;
    EXPECT_EQ(3u, p.mesh.vertices.size());
    EXPECT_EQ((std::vector<int>{0, 1, 2}), p.mesh.faces[0]);

    Parsed noKeyword = parse("3 1 3\n0 0 0\n1 0 0\n0 1 0\n3 2 1 0\n");
    ASSERT_TRUE(noKeyword.ok) << noKeyword.error.message;
    EXPECT_EQ((std::vector<int>{2, 1, 0}), noKeyword.mesh.faces[0]);

    // What our own export writes for a mesh without faces reads back.
    Parsed pointsOnly = parse("OFF\n2 0 0\n0.00000000 0.00000000 0.00000000\n"
                              "1.00000000 2.00000000 3.00000000\n");
    ASSERT_TRUE(pointsOnly.ok) << pointsOnly.error.message;
    EXPECT_EQ(2u, pointsOnly.mesh.vertices.size());
    EXPECT_TRUE(pointsOnly.mesh.faces.empty());
}

TEST(OffParser, ReportsTheLineAndLeavesTheOutputAlone) {
    struct Case {
        const char* text;
        int line;
        const char* message;
    };
    const Case cases[] = {
        {"", 0, "file is empty"},
        {"# only a comment\n", 0, "file is empty"},
        {"OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 9\n", 6,
         "face 0: vertex index 9 out of range (0..2)"},
        {"OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 -1 2\n", 6,
         "face 0: vertex index -1 out of range (0..2)"},
        {"OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 1\n", 6, "face 0: vertex index 1 repeated"},
        {"OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n2 0 1\n", 6, "face 0: has 2 vertices, needs at least 3"},
        {"OFF\n3 1 0\n0 0 0\n1 0 0\n0 1 0\n4 0 1 2\n", 6,
         "face 0: expected 4 vertex indices, found 3"},
        {"OFF\n3 1 0\n0 0 0\nnan 0 0\n0 1 0\n3 0 1 2\n", 4, "vertex 1: coordinate is not finite"},
        {"OFF\n3 1 0\n0 0 0\n1 inf 0\n0 1 0\n3 0 1 2\n", 4, "vertex 1: coordinate is not finite"},
        {"OFF\n3 1 0\n0 0 0\n1 0\n0 1 0\n3 0 1 2\n", 4,
         "vertex 1: expected 3 coordinates, found 2"},
        {"OFF\n3 1 0\n0 0 0\n1 x 0\n0 1 0\n3 0 1 2\n", 4, "vertex 1: 'x' is not a number"},
        {"OFF\n3 1 0\n0 0 0\n1e999 0 0\n0 1 0\n3 0 1 2\n", 4, "vertex 1: '1e999' is not a number"},
        {"OFF\n3 2 0\n0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n", 0,
         "unexpected end of file: 1 of 2 faces read"},
        {"OFF\n-3 1 0\n", 2, "negative vertex or face count"},
        {"OFF\n99999999999 1 0\n", 2,
         "count '99999999999' is too large (at most 2147483647)"},
        {"OFF BINARY\n", 1, "binary OFF is not supported"},
        {"4OFF\n", 1, "unsupported OFF variant '4OFF' (only 3D meshes are read)"},
        {"\x7f"
         "ELF\x02\x01\x01\n",
         1,
         "expected 'OFF' or the vertex, face and edge counts, found '?ELF?"
         "?"
         "?'"},
    };
    for (const Case& c : cases) {
        MeshData mesh;
        mesh.vertices.emplace_back(7, 7, 7);
        MeshParseError error;
        EXPECT_FALSE(ParseOff(c.text, mesh, error)) << c.text;
        EXPECT_EQ(c.line, error.line) << c.text;
        EXPECT_EQ(c.message, error.message) << c.text;
        EXPECT_EQ(1u, mesh.vertices.size()) << "output changed by: " << c.text;
    }
}

TEST(OffParser, BinaryGarbageAndHugeCountsFailWithoutHarm) {
    std::string garbage;
    for (int i = 0; i < 4096; ++i)
        garbage.push_back(static_cast<char>((i * 7919) % 256));
    EXPECT_FALSE(parse(garbage).ok);

    // A count far beyond what the text holds is a clean error, not a huge allocation.
    Parsed huge = parse("OFF\n2000000000 2000000000 0\n0 0 0\n");
    EXPECT_FALSE(huge.ok);
    EXPECT_EQ("unexpected end of file: 1 of 2000000000 vertices read", huge.error.message);
}

TEST(OffParser, ReadsAByteOrderMarkAndLongFacesInLinearTime) {
    // One face with 100,000 corners: the repeated-index check must not be quadratic.
    const int n = 100000;
    std::string text = "\xEF\xBB\xBFOFF\n" + std::to_string(n) + " 1 0\n";
    for (int i = 0; i < n; ++i)
        text += std::to_string(i) + " " + std::to_string(i % 7) + " 0\n";
    std::string ring = std::to_string(n);
    for (int i = 0; i < n; ++i)
        ring += " " + std::to_string(i);
    Parsed p = parse(text + ring + "\n");
    ASSERT_TRUE(p.ok) << p.error.message;
    EXPECT_EQ(size_t(n), p.mesh.faces[0].size());
    std::string error;
    EXPECT_TRUE(p.mesh.validate(error)) << error;

    ring = ring.substr(0, ring.rfind(' ')) + " 5";
    p = parse(text + ring + "\n");
    EXPECT_FALSE(p.ok);
    EXPECT_EQ("face 0: vertex index 5 repeated", p.error.message);
}

} // namespace

