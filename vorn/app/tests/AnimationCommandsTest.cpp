// The workbench's movie and print commands: Record AVI, the animation panel's Movie button
// recording through the view, and its Print button through the print dialog.
#include "vorn/app/CChildFrame.h"
#include "vorn/app/CMainFrame.h"
#include "vorn/app/CVornDoc.h"
#include "vorn/app/CVornView.h"

#include "common/UserPaths.h"
#include "scene/SceneRoot.h"
#include "tests/support/MovieProbe.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/engine/CUnfoldingAnimationSettings.h"
#include "unfolders/engine/UnfoldingAnimation.h"
#include "unfolders/strategies/BreadthFirstUnfolder.h"
#include "vorn/core/movie/MovieFormat.h"

#include <QAction>
#include <QMdiArea>
#include <QPrinter>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class AnimationCommandsTest : public testing::Test {
protected:
    void SetUp() override {
        fs::remove(AviCodecSettingsPath());
        fs::remove(moviePath());
        frame.setMessageFn([this](const std::string& text) { messages.push_back(text); });
        frame.setCodecChoiceFn([this]() -> std::optional<MovieCodec> {
            ++codecQuestions;
            return codecAnswer;
        });
        frame.setPrintDialogFn([this](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdfPath.string()));
            return !pdfPath.empty();
        });
    }
    void TearDown() override {
        SceneObj::ProcessDelayedOperations();
        fs::remove(AviCodecSettingsPath());
    }
    static fs::path moviePath() { return fs::path(GetUserDataDir()) / "Capture.avi"; }

    /// A document holding a cube, made the active window.
    CChildFrame& documentWithCube() {
        CChildFrame* child = frame.newDocument();
        frame.getMdiArea().setActiveSubWindow(child);
        auto* mesh = new PolyMesh;
        mesh->fromMeshData(testshapes::cube());
        mesh->setParent(child->getDocument().getRoot());
        return *child;
    }

    /// The cube's net turned into an animation in the document.
    UnfoldingAnimation& animationIn(CChildFrame& child) {
        auto* mesh = static_cast<PolyMesh*>(child.getDocument().getRoot()->getChildren().front());
        auto* u = testshapes::bind<BreadthFirstUnfolder>(*mesh);
        EXPECT_TRUE(testshapes::runToEnd(*u));
        auto* anim = static_cast<UnfoldingAnimation*>(u->convertToAnimation(false));
        SceneObj::ProcessDelayedOperations();
        return *anim;
    }

    CMainFrame frame;
    std::vector<std::string> messages;
    std::optional<MovieCodec> codecAnswer = MovieCodec::Mjpeg;
    int codecQuestions = 0;
    fs::path pdfPath;
};

} // namespace

TEST_F(AnimationCommandsTest, RecordAviRecordsEveryRedrawIntoTheDataFolder) {
    CVornView& view = documentWithCube().getView();
    QAction* command = frame.getMenus().action("FileRecordAvi");
    ASSERT_TRUE(command->isEnabled());
    command->trigger();
    ASSERT_TRUE(view.isRecordingMovie());
    EXPECT_TRUE(command->isChecked());
    for (int i = 0; i < 4; ++i)
        ASSERT_TRUE(view.recordFrame()) << view.getCaptureError();
    command->trigger();
    EXPECT_FALSE(view.isRecording());
    EXPECT_FALSE(command->isChecked());
    EXPECT_TRUE(messages.empty());
    const MovieProbe probe = ProbeMovie(moviePath().string());
    EXPECT_EQ(4, probe.frames);
    EXPECT_EQ(640, probe.width);
    EXPECT_EQ(480, probe.height);
    EXPECT_EQ("mjpeg", probe.codec);
    EXPECT_EQ(1, codecQuestions);
    EXPECT_EQ(MovieCodec::Mjpeg, LoadStoredAviCodec()) << "the choice is kept";

    // Cancelling the codec choice records nothing and says so.
    fs::remove(AviCodecSettingsPath());
    fs::remove(moviePath());
    codecAnswer.reset();
    command->trigger();
    EXPECT_FALSE(view.recordFrame());
    EXPECT_NE(std::string::npos, view.getCaptureError().find("Unable to extend AVI"));
    EXPECT_FALSE(view.isRecording());
    EXPECT_FALSE(fs::exists(moviePath()));
}

TEST_F(AnimationCommandsTest, PanelMovieRecordsOneRunThroughTheView) {
    CChildFrame& child = documentWithCube();
    UnfoldingAnimation& anim = animationIn(child);
    CUnfoldingAnimationSettings panel;
    ASSERT_TRUE(panel.create(&anim));
    ASSERT_TRUE(panel.click("Movie"));
    ASSERT_TRUE(anim.getScreenCap());
    for (int i = 0; i < 120; ++i)
        anim.onSystemIdle();
    EXPECT_FALSE(anim.getScreenCap()) << "the run ends the movie";
    EXPECT_TRUE(anim.getCaptureFailure().empty()) << anim.getCaptureFailure();
    const MovieProbe probe = ProbeMovie(moviePath().string());
    EXPECT_EQ(91, probe.frames);
    EXPECT_EQ(640, probe.width);

    // A movie that cannot be written stops; the animation plays on.
    fs::remove(moviePath());
    fs::create_directories(moviePath()); // a folder where the movie would go
    ASSERT_TRUE(panel.click("Movie"));
    anim.onSystemIdle();
    EXPECT_FALSE(anim.getScreenCap());
    EXPECT_TRUE(anim.isPlayingOnce());
    fs::remove(moviePath());
}

TEST_F(AnimationCommandsTest, PanelPrintsTheNetPreview) {
    CChildFrame& child = documentWithCube();
    UnfoldingAnimation& anim = animationIn(child);
    CUnfoldingAnimationSettings panel;
    ASSERT_TRUE(panel.create(&anim));
    const fs::path dir = fs::path(VORN_BINARY_DIR) / "test-home" / "app-animation";
    fs::remove_all(dir);
    fs::create_directories(dir);
    pdfPath = dir / "net.pdf";
    ASSERT_TRUE(panel.click("Print"));
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(fs::exists(pdfPath));

    pdfPath = dir / "missing" / "net.pdf";
    ASSERT_TRUE(panel.click("Print"));
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ(0u, messages.front().find("Printer error encountered."));
    EXPECT_FALSE(fs::exists(pdfPath));
}
