#include "vorn/core/capture/CaptureService.h"

#include "scene/Renderer.h"
#include "scene/SceneRoot.h"
#include "tests/support/MovieProbe.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using Sorvex::M3d;

namespace {

/// A red triangle that moves along x.
class Marker : public SceneObj {
public:
    double x = 0;
    void renderSelf(Renderer* r) override {
        r->beginPolygon();
        r->color(1, 0, 0);
        r->vertex(M3d(x, 0, 0));
        r->vertex(M3d(x + 1, 0, 0));
        r->vertex(M3d(x, 1, 0));
        r->end();
    }
};

struct Scene {
    SceneRoot root;
    Marker* marker = new Marker;
    Scene() { marker->setParent(&root); }
};

} // namespace

TEST(MovieCapture, EveryCaptureAddsAFrameAndTheEndCompletesTheMovie) {
    TempDir dir;
    Scene scene;
    CaptureService capture;
    int asked = 0;
    capture.setCodecChooser([&asked]() -> std::optional<MovieCodec> {
        ++asked;
        return MovieCodec::Mjpeg;
    });
    for (const char* name : {"Capture.avi", "fold.mp4", "fold.gif"}) {
        SCOPED_TRACE(name);
        const std::string path = dir.file(name);
        capture.startMovie(path, 96, 64, false);
        for (int i = 0; i < 12; ++i) {
            scene.marker->x = i * 0.1;
            ASSERT_TRUE(capture.captureFrame(&scene.root)) << capture.getErrorDetail();
        }
        EXPECT_EQ(12, capture.getMovieFrameCount(path));
        EXPECT_FALSE(std::filesystem::exists(path)) << "complete only at the end";
        EXPECT_TRUE(capture.stopRecording());
        const MovieProbe probe = ProbeMovie(path);
        EXPECT_EQ(12, probe.frames);
        EXPECT_EQ(96, probe.width);
        EXPECT_EQ(64, probe.height);
    }
    EXPECT_EQ(1, asked) << "only AVI asks, once; the choice is stored";
    EXPECT_EQ("mjpeg", ProbeMovie(dir.file("Capture.avi")).codec);
    EXPECT_EQ(MovieCodec::Mjpeg, LoadStoredAviCodec());

    // A stored choice is used without asking.
    capture.startMovie(dir.file("again.avi"), 32, 32, false);
    ASSERT_TRUE(capture.captureFrame(&scene.root));
    capture.stopRecording();
    EXPECT_EQ(1, asked);
    std::filesystem::remove(AviCodecSettingsPath());
}

TEST(MovieCapture, FailedFramesEndTheRecordingAndLeaveNoFile) {
    TempDir dir;
    Scene scene;
    CaptureService capture;
    // Cancelling the codec choice starts no movie.
    capture.setCodecChooser([]() -> std::optional<MovieCodec> { return std::nullopt; });
    capture.startMovie(dir.file("Capture.avi"), 64, 48, false);
    EXPECT_FALSE(capture.captureFrame(&scene.root));
    EXPECT_EQ("Unable to extend AVI", capture.getErrorText());
    EXPECT_FALSE(capture.isRecording());
    EXPECT_FALSE(LoadStoredAviCodec()) << "a cancelled choice is not stored";

    // An unwritable folder, then a movie too large to draw: a reason beside the message.
    capture.setCodecChooser(nullptr);
    capture.startMovie(dir.path() + "/missing/Capture.avi", 64, 48, false);
    EXPECT_FALSE(capture.captureFrame(&scene.root));
    EXPECT_EQ("Unable to extend AVI", capture.getErrorText());
    EXPECT_NE(std::string::npos, capture.getErrorDetail().find("cannot write"));
    EXPECT_FALSE(capture.capture(&scene.root, dir.file("big.gif"), 20000, 10, false));
    EXPECT_EQ("Unable to extend the movie", capture.getErrorText());
    EXPECT_FALSE(capture.isRecording());
    EXPECT_EQ(0, dir.entryCount());
    // Other types are still refused as before.
    EXPECT_FALSE(capture.capture(&scene.root, dir.file("fold.mov"), 64, 48, false));
    EXPECT_EQ("CaptureScreen error : Unrecognized filetype requested", capture.getErrorText());
}
