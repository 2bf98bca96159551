#include "scene/render/CairoRenderer.h"
#include "scene/tests/render/RenderTestScene.h"

#include "common/XML.h"
#include "sorvex/MRect.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using Sorvex::M3d;

namespace {

const RGBAColor kRed{1, 0, 0, 1};
const RGBAColor kBlue{0, 0, 1, 1};

struct Pixel {
    int r, g, b;
};

/// Decodes a PNG file and reads pixels from it.
class Png {
public:
    explicit Png(const std::string& path)
        : m_surface(cairo_image_surface_create_from_png(path.c_str())) {}
    ~Png() { cairo_surface_destroy(m_surface); }
    bool ok() const { return cairo_surface_status(m_surface) == CAIRO_STATUS_SUCCESS; }
    int width() const { return cairo_image_surface_get_width(m_surface); }
    int height() const { return cairo_image_surface_get_height(m_surface); }
    Pixel at(int x, int y) const {
        cairo_surface_flush(m_surface);
        const unsigned char* row = cairo_image_surface_get_data(m_surface) +
                                   size_t(y) * cairo_image_surface_get_stride(m_surface);
        const uint32_t v = reinterpret_cast<const uint32_t*>(row)[x];
        return {int(v >> 16 & 0xff), int(v >> 8 & 0xff), int(v & 0xff)};
    }

private:
    cairo_surface_t* m_surface;
};

bool isRedish(Pixel p) {
    return p.r > 150 && p.g < 40 && p.b < 40;
}
bool isBluish(Pixel p) {
    return p.b > 150 && p.r < 40 && p.g < 40;
}
bool isWhite(Pixel p) {
    return p.r == 255 && p.g == 255 && p.b == 255;
}

int run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

class CairoRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_renderer.initialise(200, 100));
        Camera camera;
        camera.setViewport(200, 100);
        camera.setLookAt(M3d(0, 0, 10), M3d(0, 0, 0), M3d(0, 1, 0));
        m_renderer.setCamera(camera);
    }
    std::string file(const std::string& name) const { return (m_dir / name).string(); }

    /// A red triangle on the left half of the picture, facing the camera.
    void addRedTriangle() {
        m_scene.polygons.push_back({{{-3, -1, 0}, {-1, -1, 0}, {-2, 1, 0}}, kRed});
    }
    /// The pixel of the picture where world point (x, y, 0) lands.
    std::pair<int, int> pixelOf(double x, double y) {
        const ScreenPoint s = m_renderer.getCamera().project(M3d(x, y, 0));
        return {int(s.x), int(s.y)};
    }

    TempDir m_tmp;
    std::filesystem::path m_dir{m_tmp.path()};
    CairoRenderer m_renderer;
    ShapeObj m_scene;
};

TEST_F(CairoRendererTest, PngShowsTheTriangleWhereItIsAndWhiteElsewhere) {
    addRedTriangle();
    ASSERT_TRUE(m_renderer.render_png(m_scene, file("t.png"))) << m_renderer.getLastError();
    Png png(file("t.png"));
    ASSERT_TRUE(png.ok());
    EXPECT_EQ(200, png.width());
    EXPECT_EQ(100, png.height());
    auto [x, y] = pixelOf(-2, -0.5);
    EXPECT_TRUE(isRedish(png.at(x, y)));
    auto [rx, ry] = pixelOf(2, 0);
    EXPECT_TRUE(isWhite(png.at(rx, ry)));
    EXPECT_TRUE(isWhite(png.at(0, 0)));
    EXPECT_TRUE(isWhite(png.at(199, 99)));
}

TEST_F(CairoRendererTest, PngHidesWhatLiesBehindWhateverTheDrawingOrder) {
    // Two squares that cut through each other along x = 0: red is nearer on the right,
    // blue on the left. Painting either one last would cover the other everywhere.
    m_scene.polygons.push_back({{{-1, -1, -0.5}, {1, -1, 0.5}, {1, 1, 0.5}, {-1, 1, -0.5}}, kRed});
    m_scene.polygons.push_back({{{-1, -1, 0.5}, {1, -1, -0.5}, {1, 1, -0.5}, {-1, 1, 0.5}}, kBlue});
    ASSERT_TRUE(m_renderer.render_png(m_scene, file("x.png")));
    Png png(file("x.png"));
    auto [lx, ly] = pixelOf(-0.6, 0);
    auto [rx, ry] = pixelOf(0.6, 0);
    EXPECT_TRUE(isBluish(png.at(lx, ly)));
    EXPECT_TRUE(isRedish(png.at(rx, ry)));
}

TEST_F(CairoRendererTest, PngLeavesTheNotchOfANonConvexFaceOpen) {
    // A U listed from a corner whose fan would cover the notch.
    m_scene.polygons.push_back({{{-2, -1, 0},
                                 {2, -1, 0},
                                 {2, 1, 0},
                                 {1, 1, 0},
                                 {1, -0.5, 0},
                                 {-1, -0.5, 0},
                                 {-1, 1, 0},
                                 {-2, 1, 0}},
                                kRed});
    ASSERT_TRUE(m_renderer.render_png(m_scene, file("u.png")));
    Png png(file("u.png"));
    for (auto [wx, wy] : {std::pair{0.5, 0.0}, std::pair{0.0, 0.6}}) {
        auto [x, y] = pixelOf(wx, wy);
        EXPECT_TRUE(isWhite(png.at(x, y))) << wx << ", " << wy;
    }
    for (auto [wx, wy] : {std::pair{1.5, 0.5}, std::pair{-1.5, 0.5}, std::pair{0.0, -0.8}}) {
        auto [x, y] = pixelOf(wx, wy);
        EXPECT_TRUE(isRedish(png.at(x, y))) << wx << ", " << wy;
    }
}

TEST_F(CairoRendererTest, PdfIsReadByPopplerAndShowsTheNearerFace) {
    // Drawn far square last: the depth sort must still put the near one on top.
    m_scene.polygons.push_back({squareAt(1.0), kRed});
    m_scene.polygons.push_back({squareAt(-1.0, 3.0), kBlue});
    ASSERT_TRUE(m_renderer.render_pdf(m_scene, file("s.pdf"))) << m_renderer.getLastError();
    EXPECT_EQ(0, run("pdfinfo '" + file("s.pdf") + "'"));
    ASSERT_EQ(
        0, run("pdftoppm -png -r 72 -singlefile '" + file("s.pdf") + "' '" + file("page") + "'"));
    Png png(file("page.png"));
    ASSERT_TRUE(png.ok());
    EXPECT_EQ(200, png.width());
    EXPECT_TRUE(isRedish(png.at(100, 50)));
    auto [bx, by] = pixelOf(-2.5, 0);
    EXPECT_TRUE(isBluish(png.at(bx, by)));
    EXPECT_TRUE(isWhite(png.at(2, 2)));
}

TEST_F(CairoRendererTest, PdfDateFollowsSourceDateEpochSoFilesRepeat) {
    addRedTriangle();
    setenv("SOURCE_DATE_EPOCH", "946684800", 1);
    ASSERT_TRUE(m_renderer.render_pdf(m_scene, file("a.pdf")));
    ASSERT_TRUE(m_renderer.render_pdf(m_scene, file("b.pdf")));
    unsetenv("SOURCE_DATE_EPOCH");
    EXPECT_EQ(ReadFileText(file("a.pdf")), ReadFileText(file("b.pdf")));
    EXPECT_NE(std::string::npos, ReadFileText(file("a.pdf")).find("20000101"));
}

TEST_F(CairoRendererTest, EpsIsReadByGhostscriptAndGrowsTheSharedBox) {
    addRedTriangle();
    Sorvex::MRect shared;
    ASSERT_TRUE(m_renderer.render_eps(m_scene, file("a.eps"), &shared));
    EXPECT_EQ(0, run("gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=nullpage '" + file("a.eps") + "'"));
    // The triangle spans the left part of the page only.
    EXPECT_GT(shared.width(), 10.0);
    EXPECT_LT(shared.x2(), 100.0);
    const Sorvex::MRect first = shared;

    m_scene.polygons[0].points = {{1, -1, 0}, {3, -1, 0}, {2, 1, 0}};
    ASSERT_TRUE(m_renderer.render_eps(m_scene, file("b.eps"), &shared));
    EXPECT_DOUBLE_EQ(first.x1(), shared.x1());
    EXPECT_GT(shared.x2(), 100.0);

    std::string error;
    ASSERT_TRUE(Renderer::updateEPSBBoxes({file("a.eps"), file("b.eps")}, shared, &error)) << error;
    char expected[80];
    std::snprintf(expected, sizeof expected, "%%%%BoundingBox: %d %d %d %d", int(shared.x1()),
                  int(shared.y1()), int(shared.x2()), int(shared.y2()));
    EXPECT_NE(std::string::npos, ReadFileText(file("a.eps")).find(expected));
    EXPECT_NE(std::string::npos, ReadFileText(file("b.eps")).find(expected));
    EXPECT_EQ(0, run("gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=nullpage '" + file("a.eps") + "'"));

    // A file that is not EPS is reported and left alone.
    std::ofstream(file("plain.txt")) << "hello\n";
    EXPECT_FALSE(Renderer::updateEPSBBoxes({file("plain.txt")}, shared, &error));
    EXPECT_EQ("hello\n", ReadFileText(file("plain.txt")));
}

TEST_F(CairoRendererTest, SvgParsesAsXml) {
    addRedTriangle();
    m_scene.tubes.push_back({{1, -1, 0}, {3, 1, 0}, 0.05});
    ASSERT_TRUE(m_renderer.render_svg(m_scene, file("t.svg")));
    XML svg("none");
    ASSERT_TRUE(svg.fromFile(file("t.svg")));
    EXPECT_EQ("svg", svg.getName());
}

TEST_F(CairoRendererTest, FailuresLeaveTheOldFileAndSayWhy) {
    addRedTriangle();
    std::ofstream(file("old.png")) << "old";
    CairoRenderer unready;
    EXPECT_FALSE(unready.render_png(m_scene, file("old.png")));
    EXPECT_FALSE(unready.getLastError().empty());
    EXPECT_EQ("old", ReadFileText(file("old.png")));
    EXPECT_FALSE(m_renderer.render_pdf(m_scene, file("no-such-folder/x.pdf")));
    EXPECT_FALSE(m_renderer.getLastError().empty());
    EXPECT_FALSE(unready.initialise(0, 10));
    EXPECT_FALSE(unready.initialise(10, 100000));
}

TEST_F(CairoRendererTest, GeometryReachingFarOffThePictureIsClipped) {
    // Corners a hair in front of the eye project billions of pixels away.
    m_scene.polygons.push_back(
        {{{-1e9, -1e9, 9.999999}, {1e9, -1e9, 9.999999}, {0, 1e9, -5}}, kRed});
    m_scene.tubes.push_back({{-1e12, 0, 0}, {1e12, 0, 0}, 0.05});
    ASSERT_TRUE(m_renderer.render_png(m_scene, file("far.png")));
    ASSERT_TRUE(m_renderer.render_pdf(m_scene, file("far.pdf")));
    Png png(file("far.png"));
    ASSERT_TRUE(png.ok());
    auto [x, y] = pixelOf(0.5, 0);
    EXPECT_FALSE(isWhite(png.at(x, y)));
}

TEST_F(CairoRendererTest, NonFiniteGeometryIsLeftOut) {
    addRedTriangle();
    m_scene.polygons.push_back({{{0, 0, 0}, {NAN, 1, 0}, {1, 1, 0}}, kBlue});
    m_renderer.collectScene(m_scene);
    EXPECT_EQ(1u, m_renderer.getFaces().size());
    ASSERT_TRUE(m_renderer.render_png(m_scene, file("n.png")));
}

} // namespace
