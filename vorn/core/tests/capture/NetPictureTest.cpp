#include "vorn/core/capture/NetPicture.h"

#include "scene/mesh/Poly.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/mesh/Vertex.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

using Sorvex::M3d;

namespace {

/// A flat net of two unit right triangles sharing the diagonal of the square [0,2] x [0,1]
/// in the plane y = -1, with a small triangle above it standing for the folded source.
void buildNet(PolyMesh& mesh) {
    auto face = [&](M3d a, M3d b, M3d c) {
        mesh.addPoly(new Poly{mesh.addVertexAt(a), mesh.addVertexAt(b), mesh.addVertexAt(c)});
    };
    face({0, -1, 0}, {2, -1, 0}, {2, -1, 1});
    face({0, -1, 0}, {2, -1, 1}, {0, -1, 1});
    face({0, 1, 0}, {1, 1, 0}, {0, 2, 0});
}

std::string runText(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[256];
        while (std::fgets(buffer, sizeof buffer, pipe))
            out += buffer;
        pclose(pipe);
    }
    return out;
}

class NetPictureTest : public ::testing::Test {
protected:
    void SetUp() override { buildNet(m_net); }
    std::string file(const std::string& name) const { return (m_dir / name).string(); }

    TempDir m_tmp;
    std::filesystem::path m_dir{m_tmp.path()};
    PolyMesh m_net;
};

TEST_F(NetPictureTest, TrueScalePagesFitTheNetAndItsMargin) {
    NetPictureOptions options;
    options.scale = NetPictureOptions::Scale::LongestEdge;
    options.value = 50.0; // the diagonal, sqrt(5) units, becomes 50 mm
    options.marginMm = 10.0;
    std::string error;
    ASSERT_TRUE(WriteNetPicture(m_net, file("net.pdf"), options, error)) << error;
    const double mmPerUnit = 50.0 / std::sqrt(5.0);
    const double widthPt = std::ceil((2 * mmPerUnit + 20) * 72 / 25.4);
    const double heightPt = std::ceil((1 * mmPerUnit + 20) * 72 / 25.4);
    char expected[64];
    std::snprintf(expected, sizeof expected, "Page size:       %g x %g pts", widthPt, heightPt);
    EXPECT_NE(std::string::npos, runText("pdfinfo '" + file("net.pdf") + "'").find(expected))
        << runText("pdfinfo '" + file("net.pdf") + "'");
}

TEST_F(NetPictureTest, CutLinesAreSolidAndFoldLinesDashed) {
    std::string error;
    NetPictureOptions options;
    ASSERT_TRUE(WriteNetPicture(m_net, file("net.svg"), options, error)) << error;
    // Only the net plane is drawn: two triangles, not the one above it.
    const std::string svg = ReadFileText(file("net.svg"));
    size_t fills = 0;
    for (size_t at = svg.find("fill-rule"); at != std::string::npos;
         at = svg.find("fill-rule", at + 1))
        ++fills;
    EXPECT_EQ(2u, fills);
    // Four outer edges in black; the shared diagonal in grey dashes. Strokes of one style
    // may share a path, so count the pieces ("M" moves) of each colour's paths.
    size_t black = 0, grey = 0;
    for (size_t at = svg.find("<path"); at != std::string::npos; at = svg.find("<path", at + 1)) {
        const std::string element = svg.substr(at, svg.find("/>", at) - at);
        const size_t d = element.find(" d=\"");
        if (d == std::string::npos)
            continue;
        const std::string path = element.substr(d + 4, element.find('"', d + 4) - d - 4);
        const size_t moves = std::count(path.begin(), path.end(), 'M');
        if (element.find("stroke:rgb(0%,0%,0%)") != std::string::npos)
            black += moves;
        else if (element.find("stroke:rgb(35%,35%,35%)") != std::string::npos)
            grey += moves;
    }
    EXPECT_EQ(4u, black);
    EXPECT_GT(grey, 4u);
}

TEST_F(NetPictureTest, BadRequestsFailWithAReason) {
    std::string error;
    NetPictureOptions options;
    EXPECT_FALSE(WriteNetPicture(m_net, file("net.gif"), options, error));
    EXPECT_NE(std::string::npos, error.find("unknown picture type"));
    options.scale = NetPictureOptions::Scale::Factor;
    options.value = -1;
    EXPECT_FALSE(WriteNetPicture(m_net, file("net.pdf"), options, error));
    PolyMesh empty;
    EXPECT_FALSE(WriteNetPicture(empty, file("empty.pdf"), NetPictureOptions(), error));
    EXPECT_FALSE(std::filesystem::exists(file("empty.pdf")));
    EXPECT_TRUE(WriteUnfoldingPdf(m_net, file("batch.pdf"), error)) << error;
}

} // namespace
