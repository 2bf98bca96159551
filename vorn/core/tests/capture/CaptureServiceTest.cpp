#include "vorn/core/capture/CaptureService.h"

#include "scene/Renderer.h"
#include "scene/SceneRoot.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using Sorvex::M3d;

namespace {

/// A coloured square facing +z, of side 2 * half, centred at x.
class Square : public SceneObj {
public:
    Square(double x, double half) : m_x(x), m_half(half) {}
    void renderSelf(Renderer* r) override {
        r->beginPolygon();
        r->color(1, 0, 0);
        r->vertex(M3d(m_x - m_half, -m_half, 0));
        r->vertex(M3d(m_x + m_half, -m_half, 0));
        r->vertex(M3d(m_x + m_half, m_half, 0));
        r->vertex(M3d(m_x - m_half, m_half, 0));
        r->end();
    }
    double m_x, m_half;
};

std::string boundingBoxLine(const std::string& path) {
    std::istringstream in(ReadFileText(path));
    std::string line;
    while (std::getline(in, line))
        if (line.rfind("%%BoundingBox:", 0) == 0)
            return line;
    return {};
}

class CaptureServiceTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_square = new Square(0, 1);
        m_square->setParent(&m_root);
        Camera camera;
        camera.setLookAt(M3d(0, 0, 10), M3d(0, 0, 0), M3d(0, 1, 0));
        m_capture.setCamera(camera);
    }
    std::string file(const std::string& name) const { return (m_dir / name).string(); }

    TempDir m_tmp;
    std::filesystem::path m_dir{m_tmp.path()};
    SceneRoot m_root;
    Square* m_square = nullptr;
    CaptureService m_capture;
};

TEST_F(CaptureServiceTest, ExtensionsAreTheLastFourCharactersInAnyCase) {
    for (const char* name : {"a.png", "b.PNG", "c.Pdf", "d.EPS", "e.svg"}) {
        EXPECT_TRUE(m_capture.capture(&m_root, file(name), 64, 48, false)) << name;
        EXPECT_TRUE(std::filesystem::exists(file(name))) << name;
        EXPECT_EQ("", m_capture.getErrorText());
    }
    for (const char* name : {"movie.mov", "picture.bmp", "x.jpeg", "png"}) {
        EXPECT_FALSE(m_capture.capture(&m_root, file(name), 64, 48, false)) << name;
        EXPECT_EQ("CaptureScreen error : Unrecognized filetype requested",
                  m_capture.getErrorText());
        EXPECT_FALSE(std::filesystem::exists(file(name)));
    }
}

TEST_F(CaptureServiceTest, ARendererThatCannotStartGivesItsMessageQuoted) {
    EXPECT_FALSE(m_capture.capture(&m_root, file("z.png"), 0, 48, false));
    EXPECT_EQ("CaptureScreen error : 'cannot draw a picture of 0 x 48 pixels'",
              m_capture.getErrorText());
    // A good capture clears the text again.
    EXPECT_TRUE(m_capture.capture(&m_root, file("z.png"), 10, 10, false));
    EXPECT_EQ("", m_capture.getErrorText());
}

TEST_F(CaptureServiceTest, NumberingGoesBeforeTheExtensionAndCounts) {
    EXPECT_EQ("C:/x/Capture007.pdf", CaptureService::NumberedPath("C:/x/Capture.pdf", 7));
    EXPECT_EQ("Capture1234.png", CaptureService::NumberedPath("Capture.png", 1234));
    m_capture.setCounter(0);
    const std::string path = file("Shot.png");
    ASSERT_TRUE(m_capture.capture(&m_root, path, 32, 32, false));
    ASSERT_TRUE(m_capture.capture(&m_root, path, 32, 32, false));
    EXPECT_EQ(2, m_capture.getCounter());
    EXPECT_TRUE(std::filesystem::exists(file("Shot000.png")));
    EXPECT_TRUE(std::filesystem::exists(file("Shot001.png")));
    EXPECT_FALSE(std::filesystem::exists(path));
    // With a selection a companion name is prepared beside the numbered file.
    m_root.select(m_square);
    ASSERT_TRUE(m_capture.capture(&m_root, path, 32, 32, true));
    EXPECT_EQ(file("Shot002a.png"), m_capture.getCompanionPath());
}

TEST_F(CaptureServiceTest, ASlideshowStartsAtTheFirstFreeNumber) {
    const std::string path = file("Capture.pdf");
    std::ofstream(file("Capture000.pdf")) << "x";
    std::ofstream(file("Capture001.pdf")) << "x";
    EXPECT_EQ(2, CaptureService::FirstFreeNumber(path));
    m_capture.startSlideshow(path, 40, 30, false);
    EXPECT_TRUE(m_capture.isRecording());
    EXPECT_EQ(2, m_capture.getCounter());
    ASSERT_TRUE(m_capture.captureFrame(&m_root));
    EXPECT_TRUE(std::filesystem::exists(file("Capture002.pdf")));
    EXPECT_EQ("x", ReadFileText(file("Capture001.pdf")));
    EXPECT_TRUE(m_capture.stopRecording());
    EXPECT_FALSE(m_capture.isRecording());
    EXPECT_EQ(-1, m_capture.getCounter());
}

TEST_F(CaptureServiceTest, EndingAnEpsSeriesGivesEveryFileTheSharedBox) {
    const std::string path = file("Slide.eps");
    m_capture.startSlideshow(path, 200, 100, false);
    ASSERT_TRUE(m_capture.captureFrame(&m_root));
    m_square->m_x = 3; // the second slide reaches further right
    ASSERT_TRUE(m_capture.captureFrame(&m_root));
    const std::string first = boundingBoxLine(file("Slide000.eps"));
    const std::string second = boundingBoxLine(file("Slide001.eps"));
    EXPECT_NE(first, second);
    // An empty path (no scene needed) ends the recording.
    EXPECT_TRUE(m_capture.capture(nullptr, "", -1, -1, false));
    EXPECT_EQ(second, boundingBoxLine(file("Slide000.eps")));
    EXPECT_EQ(second, boundingBoxLine(file("Slide001.eps")));
}

} // namespace
