#include "vorn/app/CChildFrame.h"
#include "vorn/app/CMainFrame.h"
#include "vorn/app/CVornDoc.h"
#include "vorn/app/CVornView.h"

#include "scene/Factory.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/SceneRoot.h"

#include <QAction>
#include <QMdiArea>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

fs::path freshDir(const std::string& name) {
    const fs::path dir = fs::path(VORN_BINARY_DIR) / "test-home" / "app-capture" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

/// A main frame whose messages are collected and whose capture dialog answers with
/// `answer` (remembering what it was offered), with pictures never opened in a viewer.
class CaptureCommandsTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("VORN_NO_OPEN", "1", 1);
        frame.setMessageFn([this](const std::string& text) { messages.push_back(text); });
        frame.setCaptureDetailsFn([this](std::string& path, int& width, int& height, bool&) {
            offeredPath = path;
            offeredWidth = width;
            offeredHeight = height;
            if (answer.empty())
                return false;
            path = answer;
            width = 64;
            height = 48;
            return true;
        });
    }
    void TearDown() override { SceneObj::ProcessDelayedOperations(); }

    /// A document holding one mesh, made the active window.
    CVornView& documentWithMesh() {
        CChildFrame* child = frame.newDocument();
        frame.getMdiArea().setActiveSubWindow(child);
        EXPECT_TRUE(child->getDocument().insertObject("PolyMesh"));
        SceneObj::ProcessDelayedOperations();
        return child->getView();
    }

    CMainFrame frame;
    std::vector<std::string> messages;
    std::string answer;
    std::string offeredPath;
    int offeredWidth = 0, offeredHeight = 0;
};

TEST_F(CaptureCommandsTest, ScreenshotWritesThePictureOrShowsTheError) {
    CVornView& view = documentWithMesh();
    const fs::path dir = freshDir("screenshot");

    answer = (dir / "shot.bmp").string();
    frame.saveScreenshot();
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("CaptureScreen error : Unrecognized filetype requested", messages.front());
    EXPECT_FALSE(fs::exists(dir / "shot.bmp"));
    EXPECT_EQ("Ready", frame.statusBar()->currentMessage().toStdString());
    // An unsaved scene proposes a picture in the per-user folder at the view's size.
    EXPECT_EQ("Screenshot.png", fs::path(offeredPath).filename().string());
    EXPECT_EQ(view.width(), offeredWidth);
    EXPECT_EQ(view.height(), offeredHeight);

    answer = (dir / "shot.png").string();
    frame.saveScreenshot();
    EXPECT_EQ(1u, messages.size()) << "no message on success";
    EXPECT_TRUE(fs::exists(dir / "shot.png"));

    // Cancelling the dialog writes nothing.
    answer.clear();
    fs::remove(dir / "shot.png");
    frame.saveScreenshot();
    EXPECT_FALSE(fs::exists(dir / "shot.png"));
}

TEST_F(CaptureCommandsTest, SlideshowNumbersFromTheFirstFreeFileAndRecordsEachRedraw) {
    CVornView& view = documentWithMesh();
    const fs::path dir = freshDir("slides");
    std::ofstream(dir / "Capture000.pdf") << "x";
    std::ofstream(dir / "Capture001.pdf") << "x";
    QAction* command = frame.getMenus().action("FileRecordSlideshow");

    answer = (dir / "Capture.pdf").string();
    frame.toggleSlideshow();
    ASSERT_TRUE(view.isRecording());
    EXPECT_TRUE(command->isChecked());
    EXPECT_EQ(2, view.getRecordingCounter());
    EXPECT_TRUE(view.recordFrame());
    EXPECT_TRUE(view.recordFrame());
    EXPECT_TRUE(fs::exists(dir / "Capture002.pdf"));
    EXPECT_TRUE(fs::exists(dir / "Capture003.pdf"));
    EXPECT_FALSE(fs::exists(dir / "Capture004.pdf"));

    // A screenshot taken meanwhile is a single picture and leaves the numbering alone.
    ASSERT_TRUE(view.captureScreenshot((dir / "single.png").string(), 32, 32, false));
    EXPECT_TRUE(fs::exists(dir / "single.png"));
    EXPECT_TRUE(view.recordFrame());
    EXPECT_TRUE(fs::exists(dir / "Capture004.pdf"));

    frame.toggleSlideshow();
    EXPECT_FALSE(view.isRecording());
    EXPECT_FALSE(command->isChecked());
    EXPECT_TRUE(view.recordFrame()) << "no recording: nothing to add";
    EXPECT_FALSE(fs::exists(dir / "Capture005.pdf"));

    // Cancelling the dialog starts nothing.
    answer.clear();
    frame.toggleSlideshow();
    EXPECT_FALSE(view.isRecording());
    EXPECT_FALSE(command->isChecked());
}

TEST_F(CaptureCommandsTest, InsertBuildsTheShapeInANewDocument) {
    ASSERT_EQ(nullptr, frame.activeChild());
    ASSERT_TRUE(frame.insertObject("WitchHat"));
    ASSERT_EQ(1, frame.getMdiArea().subWindowList().size()) << "a document is made first";
    auto* child = qobject_cast<CChildFrame*>(frame.getMdiArea().subWindowList().front());
    ASSERT_NE(nullptr, child);
    frame.getMdiArea().setActiveSubWindow(child);
    SceneRoot* root = child->getDocument().getRoot();
    ASSERT_EQ(1u, root->getChildren().size());
    auto* shape = dynamic_cast<PolyMesh*>(root->getChildren().front());
    ASSERT_NE(nullptr, shape);
    EXPECT_DOUBLE_EQ(0.75, shape->getColor().r);
    EXPECT_DOUBLE_EQ(0.75, shape->getColor().b);
    SceneObj::ProcessDelayedOperations();
    EXPECT_EQ(shape, root->getSelection());

    // A second insert goes into the same document.
    ASSERT_TRUE(frame.insertObject("WitchHat"));
    EXPECT_EQ(1, frame.getMdiArea().subWindowList().size());
    EXPECT_EQ(2u, root->getChildren().size());
    EXPECT_TRUE(messages.empty());
}

TEST_F(CaptureCommandsTest, InsertOfAMissingClassChangesNothing) {
    ASSERT_FALSE(Factory::GetFactory("NoSuchShape"));
    EXPECT_FALSE(frame.insertObject("NoSuchShape"));
    EXPECT_TRUE(frame.getMdiArea().subWindowList().empty()) << "no empty document is left";
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("NoSuchShape is not available in this build", messages.front());
    EXPECT_EQ(messages.front(), frame.statusBar()->currentMessage().toStdString());
}

TEST_F(CaptureCommandsTest, InsertAnnotationAndShortestPaths) {
    // Shortest paths need a target mesh: only the status line says so.
    EXPECT_TRUE(frame.getMenus().action("InsertShortestPathViz")->isEnabled());
    EXPECT_FALSE(frame.insertObject("ShortestPathViz"));
    EXPECT_TRUE(frame.getMdiArea().subWindowList().empty()) << "no document is made for it";
    EXPECT_TRUE(messages.empty()) << "no message box";
    EXPECT_EQ("There is no mesh to show shortest paths on",
              frame.statusBar()->currentMessage().toStdString());

    CVornView& view = documentWithMesh();
    SceneRoot* root = view.getDocument().getRoot();
    PolyMesh* mesh = dynamic_cast<PolyMesh*>(root->getChildren().front());
    ASSERT_TRUE(frame.insertObject("ShortestPathViz"));
    ASSERT_EQ(1u, mesh->getChildren().size()) << "it goes under the target mesh";
    EXPECT_EQ("ShortestPathViz", mesh->getChildren().front()->getClassName());

    // An annotation goes under the root and is selected after the event.
    EXPECT_TRUE(frame.getMenus().action("InsertAnnotation")->isEnabled());
    ASSERT_TRUE(frame.insertObject("Annotation"));
    EXPECT_EQ("Annotation", root->getChildren().back()->getClassName());
    SceneObj::ProcessDelayedOperations();
    EXPECT_EQ(root->getChildren().back(), root->getSelection());
}

} // namespace
