// A document's unsaved changes: the "*" in its title, the Save / Discard / Cancel question
// before it or the workbench closes, and a command-line file that cannot be read.
#include "vorn/app/CChildFrame.h"
#include "vorn/app/CMainFrame.h"
#include "vorn/app/CVornDoc.h"

#include "scene/SceneObj.h"
#include "scene/SceneRoot.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestShapes.h"
#include "vorn/core/OffExport.h"

#include <QMdiArea>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

namespace fs = std::filesystem;
using SaveChoice = CMainFrame::SaveChoice;

class UnsavedChangesTest : public testing::Test {
protected:
    void SetUp() override {
        frame.setMessageFn([this](const std::string& text) { messages.push_back(text); });
        frame.setSaveQuestionFn([this](const std::string& title) {
            asked.push_back(title);
            return answer;
        });
    }
    void TearDown() override { SceneObj::ProcessDelayedOperations(); }

    /// Inserts a mesh into `child`'s document and lets the delayed selection run.
    static void modify(CChildFrame& child) {
        ASSERT_TRUE(child.getDocument().insertObject("PolyMesh"));
        SceneObj::ProcessDelayedOperations();
        child.updateTitle();
    }

    TempDir dir;
    CMainFrame frame;
    std::vector<std::string> messages;
    std::vector<std::string> asked;
    SaveChoice answer = SaveChoice::Cancel;
};

TEST_F(UnsavedChangesTest, TitleShowsChangesUntilSaved) {
    CChildFrame* child = frame.newDocument();
    child->updateTitle();
    EXPECT_EQ("Untitled", child->windowTitle().toStdString());
    modify(*child);
    EXPECT_EQ("Untitled*", child->windowTitle().toStdString());

    const fs::path path = fs::path(dir.path()) / "scene.xml";
    std::string error;
    ASSERT_TRUE(child->getDocument().onSaveDocument(path.string(), error)) << error;
    child->updateTitle();
    EXPECT_EQ("scene.xml", child->windowTitle().toStdString());

    // Selecting asks for a redraw but changes nothing that is saved.
    SceneObj::ProcessDelayedOperations();
    child->updateTitle();
    EXPECT_FALSE(child->getDocument().isModified());
}

TEST_F(UnsavedChangesTest, ClosingAsksOnlyWhenThereAreChanges) {
    CChildFrame* unchanged = frame.newDocument();
    EXPECT_TRUE(unchanged->close());
    EXPECT_TRUE(asked.empty()) << "an unchanged document closes without a question";

    CChildFrame* child = frame.newDocument();
    modify(*child);
    answer = SaveChoice::Cancel;
    EXPECT_FALSE(child->close());
    EXPECT_EQ(std::vector<std::string>{"Untitled"}, asked);
    EXPECT_FALSE(frame.close()) << "exiting is cancelled with the document";
    EXPECT_EQ(child, frame.getMdiArea().subWindowList().back());

    answer = SaveChoice::Discard;
    EXPECT_TRUE(frame.close());
}

TEST_F(UnsavedChangesTest, ALargeScenesPacedMarkCatchesUpAndClosingStillAsks) {
    // Writing a 20,480-face scene to compare it takes milliseconds: enough for the title's
    // check to be paced.
    const fs::path path = fs::path(dir.path()) / "sphere.off";
    std::string error;
    ASSERT_TRUE(ExportOff(*testshapes::meshOf(testshapes::icosphere(5)), path.string(), error));
    CChildFrame* child = frame.openDocument(path.string(), error);
    ASSERT_NE(nullptr, child) << error;
    // A redraw that changes nothing saved: the check runs, finds no change and sets the pace.
    child->getDocument().getRoot()->requestSceneRedraw();
    child->updateTitle();
    EXPECT_EQ("sphere.off", child->windowTitle().toStdString());

    modify(*child);
    // Whether or not the mark has caught up yet, the question before closing never waits.
    answer = SaveChoice::Cancel;
    EXPECT_FALSE(child->close());
    EXPECT_EQ(std::vector<std::string>{"sphere.off"}, asked);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (child->windowTitle().toStdString() != "sphere.off*" &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        child->updateTitle();
    }
    EXPECT_EQ("sphere.off*", child->windowTitle().toStdString());
}

TEST_F(UnsavedChangesTest, SaveAnswerWritesTheSceneBeforeClosing) {
    const fs::path path = fs::path(dir.path()) / "kept.xml";
    CChildFrame* child = frame.newDocument();
    std::string error;
    ASSERT_TRUE(child->getDocument().onSaveDocument(path.string(), error)) << error;
    const std::string before = ReadFileText(path);
    modify(*child);

    answer = SaveChoice::Save;
    EXPECT_TRUE(child->close());
    EXPECT_NE(before, ReadFileText(path)) << "the change reached the file";
    EXPECT_NE(std::string::npos, ReadFileText(path).find("PolyMesh"));

    // A save that fails keeps the window (and the changes) open.
    CChildFrame* other = frame.newDocument();
    fs::create_directories(fs::path(dir.path()) / "gone");
    ASSERT_TRUE(other->getDocument().onSaveDocument(
        (fs::path(dir.path()) / "gone" / "a.xml").string(), error))
        << error;
    modify(*other);
    fs::remove_all(fs::path(dir.path()) / "gone");
    EXPECT_FALSE(other->close());
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::string::npos, messages.front().find("a.xml")) << messages.front();
}

TEST_F(UnsavedChangesTest, UnreadableStartupFileIsReportedAndTheWorkbenchStays) {
    EXPECT_FALSE(frame.openStartupFile((fs::path(dir.path()) / "missing.ply").string()));
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::string::npos, messages.front().find("missing.ply")) << messages.front();
    EXPECT_TRUE(frame.getMdiArea().subWindowList().isEmpty());
    EXPECT_EQ(nullptr, frame.activeChild());
}

} // namespace
