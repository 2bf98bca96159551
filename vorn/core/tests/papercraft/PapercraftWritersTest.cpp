#include "vorn/core/papercraft/PaperSurface.h"
#include "vorn/core/papercraft/PapercraftExport.h"
#include "vorn/core/papercraft/PapercraftOptions.h"

#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestShapes.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>

namespace {

/// What a program prints, or "" when it could not run.
std::string run(const std::string& command) {
    std::string out;
    FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
    if (!pipe)
        return out;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        out.append(buffer, n);
    pclose(pipe);
    return out;
}

/// The layout of `mesh` split from scratch (every face its own piece at first).
PaperLayout layoutOf(PolyMesh& mesh, const PapercraftOptions& options) {
    PaperSurface surface;
    std::string error;
    EXPECT_TRUE(surface.build(mesh, error)) << error;
    PaperLayout layout;
    EXPECT_TRUE(BuildPapercraft(surface, options, layout, error)) << error;
    return layout;
}

struct Segment {
    double x0, y0, x1, y1;
    double length() const { return std::hypot(x1 - x0, y1 - y0); }
};

/// The page content streams of a PDF, inflated.
std::vector<std::string> contentStreams(const std::string& pdf) {
    std::vector<std::string> out;
    for (size_t at = pdf.find("stream"); at != std::string::npos; at = pdf.find("stream", at + 1)) {
        if (at >= 3 && pdf.compare(at - 3, 3, "end") == 0)
            continue;
        size_t begin = at + 6;
        if (pdf[begin] == '\r')
            ++begin;
        ++begin; // the line break after "stream"
        const size_t end = pdf.find("endstream", begin);
        if (end == std::string::npos)
            break;
        std::string text(64 * (end - begin) + 1024, '\0');
        uLongf size = uLongf(text.size());
        if (uncompress(reinterpret_cast<Bytef*>(text.data()), &size,
                       reinterpret_cast<const Bytef*>(pdf.data() + begin),
                       uLong(end - begin)) == Z_OK) {
            text.resize(size);
            out.push_back(text);
        }
    }
    return out;
}

/// Every straight segment the content stream strokes, in page points (y up), following
/// the graphics state's matrix through q, Q and cm.
std::vector<Segment> strokedSegments(const std::string& content) {
    using Matrix = std::array<double, 6>; // a b c d e f
    Matrix ctm{1, 0, 0, 1, 0, 0};
    std::vector<Matrix> saved;
    std::vector<double> operands;
    std::vector<Segment> path, out;
    double px = 0, py = 0;
    const auto apply = [&](double x, double y, double& ox, double& oy) {
        ox = ctm[0] * x + ctm[2] * y + ctm[4];
        oy = ctm[1] * x + ctm[3] * y + ctm[5];
    };
    std::istringstream in(content);
    std::string token;
    bool inText = false;
    while (in >> token) {
        char* end = nullptr;
        const double v = std::strtod(token.c_str(), &end);
        if (*end == '\0' && end != token.c_str()) {
            operands.push_back(v);
            continue;
        }
        if (token == "BT")
            inText = true;
        else if (token == "ET")
            inText = false;
        else if (inText) {
        } else if (token == "q") {
            saved.push_back(ctm);
        } else if (token == "Q" && !saved.empty()) {
            ctm = saved.back();
            saved.pop_back();
        } else if (token == "cm" && operands.size() >= 6) {
            const double* m = &operands[operands.size() - 6];
            const Matrix c = ctm;
            ctm = {m[0] * c[0] + m[1] * c[2], m[0] * c[1] + m[1] * c[3],
                   m[2] * c[0] + m[3] * c[2], m[2] * c[1] + m[3] * c[3],
                   m[4] * c[0] + m[5] * c[2] + c[4], m[4] * c[1] + m[5] * c[3] + c[5]};
        } else if (token == "m" && operands.size() >= 2) {
            apply(operands[operands.size() - 2], operands.back(), px, py);
        } else if (token == "l" && operands.size() >= 2) {
            double x, y;
            apply(operands[operands.size() - 2], operands.back(), x, y);
            path.push_back({px, py, x, y});
            px = x, py = y;
        } else if (token == "S") {
            out.insert(out.end(), path.begin(), path.end());
            path.clear();
        } else if (token == "f" || token == "f*" || token == "n" || token == "B") {
            path.clear();
        }
        operands.clear();
    }
    return out;
}

} // namespace

TEST(PapercraftWriters, ACubeAtFiftyMillimetresPerUnitPrintsFiftyMillimetreSquares) {
    auto cube = testshapes::meshOf(testshapes::cube());
    PapercraftOptions options;
    options.size = PapercraftOptions::Size::MmPerUnit;
    options.sizeValue = 50;
    options.tabs = false;
    const PaperLayout layout = layoutOf(*cube, options);
    ASSERT_EQ(1u, layout.pages.size());
    TempDir dir;
    const std::string pdf = dir.path() + "/cube.pdf";
    std::vector<std::string> written;
    std::string error;
    ASSERT_TRUE(WritePapercraft(layout, options, pdf, written, error)) << error;
    EXPECT_NE(std::string::npos, ReadFileText(pdf).find("/MediaBox [ 0 0 595.275591 841.889764 ]"));

    const std::vector<std::string> pages = contentStreams(ReadFileText(pdf));
    std::vector<Segment> segments;
    for (const std::string& content : pages) {
        const auto more = strokedSegments(content);
        segments.insert(segments.end(), more.begin(), more.end());
    }
    // 7 cut edges drawn on both sides and 5 folds, each 50 mm long and square to the page.
    ASSERT_EQ(19u, segments.size());
    const double fiftyMm = 50.0 * 72.0 / 25.4;
    for (const Segment& s : segments) {
        EXPECT_NEAR(fiftyMm, s.length(), 0.01);
        EXPECT_TRUE(std::fabs(s.x0 - s.x1) < 0.01 || std::fabs(s.y0 - s.y1) < 0.01);
    }
}

TEST(PapercraftWriters, EveryPageIsWrittenAsPdfSvgLayersAndPng) {
    // Two cubes, each laid breadth first into a cross that fills most of an A4 page.
    MeshData two = testshapes::cube();
    const MeshData second = testshapes::cube();
    for (const auto& v : second.vertices)
        two.vertices.push_back(v + Sorvex::M3d(5, 0, 0));
    for (auto f : second.faces) {
        for (int& i : f)
            i += 8;
        two.faces.push_back(f);
    }
    auto cubes = testshapes::meshOf(two);
    PaperSurface surface;
    std::string error;
    ASSERT_TRUE(surface.build(*cubes, error)) << error;
    std::vector<std::pair<int, int>> folds;
    for (size_t f = 0; f < surface.faces.size(); ++f)
        for (int g : surface.faces[f].neighbor)
            folds.emplace_back(int(f), g);
    surface.setFolds(folds);
    PapercraftOptions options;
    options.size = PapercraftOptions::Size::MmPerUnit;
    options.sizeValue = 50;
    PaperLayout layout;
    ASSERT_TRUE(BuildPapercraft(surface, options, layout, error)) << error;
    ASSERT_EQ(2, layout.pieceCount);
    ASSERT_EQ(2u, layout.pages.size());
    const int pages = int(layout.pages.size());
    TempDir dir;

    std::vector<std::string> written;
    ASSERT_TRUE(WritePapercraft(layout, options, dir.path() + "/s.pdf", written, error)) << error;
    const std::string info = run("pdfinfo " + dir.path() + "/s.pdf");
    if (!info.empty()) {
        EXPECT_NE(std::string::npos, info.find("Pages:           " + std::to_string(pages)));
    }

    written.clear();
    ASSERT_TRUE(WritePapercraft(layout, options, dir.path() + "/s.svg", written, error)) << error;
    ASSERT_EQ(size_t(pages), written.size());
    EXPECT_EQ(dir.path() + "/s-1.svg", written.front());
    for (int p = 0; p < pages; ++p) {
        const std::string svg = ReadFileText(written[size_t(p)]);
        EXPECT_NE(std::string::npos, svg.find("width=\"210.000mm\" height=\"297.000mm\""));
        for (const char* layer : {"cut", "mountain", "valley", "tabs", "text"})
            EXPECT_NE(std::string::npos, svg.find(std::string("<g id=\"") + layer + "\""))
                << layer;
        size_t labels = 0, texts = 0;
        for (const PaperPiece& piece : layout.pages[size_t(p)].pieces)
            labels += piece.labels.size();
        for (size_t at = svg.find("<text"); at != std::string::npos; at = svg.find("<text", at + 1))
            ++texts;
        EXPECT_EQ(labels, texts);
    }

    written.clear();
    options.pngDpi = 100;
    ASSERT_TRUE(WritePapercraft(layout, options, dir.path() + "/s.png", written, error)) << error;
    ASSERT_EQ(size_t(pages), written.size());
    const std::string png = ReadFileText(written.back());
    ASSERT_GT(png.size(), 24u);
    EXPECT_EQ("\x89PNG", png.substr(0, 4));
    const auto be32 = [&](size_t at) {
        return (unsigned(uint8_t(png[at])) << 24) | (unsigned(uint8_t(png[at + 1])) << 16) |
               (unsigned(uint8_t(png[at + 2])) << 8) | unsigned(uint8_t(png[at + 3]));
    };
    EXPECT_EQ(827u, be32(16)); // 210 mm at 100 pixels to the inch
    EXPECT_EQ(1170u, be32(20)); // 297 mm, rounded

    // A file that cannot be written is reported; nothing else is touched.
    written.clear();
    EXPECT_FALSE(WritePapercraft(layout, options, dir.path() + "/no/such/s.pdf", written, error));
    EXPECT_NE(std::string::npos, error.find("no/such")) << error;
    EXPECT_FALSE(WritePapercraft(layout, options, dir.path() + "/s.eps", written, error));
    EXPECT_TRUE(written.empty());
}
