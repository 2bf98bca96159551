#include "vorn/app/RecentFiles.h"

#include "vorn/app/CMainFrame.h"

#include "common/Registry.h"
#include "scene/SceneObj.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

#include <fstream>

namespace {

void clearStoredList() {
    for (int i = 1; i <= 4; ++i)
        SetRegistryString("Recent File List", "File" + std::to_string(i), "");
}

TEST(RecentFilesTest, NewestFirstWithoutDuplicatesAndAtMostFour) {
    clearStoredList();
    RecentFiles list = RecentFiles::Load();
    EXPECT_TRUE(list.getPaths().empty());
    for (const char* name : {"/m/a.xml", "/m/b.ply", "/m/c.obj", "/m/d.off", "/m/e.xml"})
        ASSERT_TRUE(list.add(name));
    EXPECT_EQ((std::vector<std::string>{"/m/e.xml", "/m/d.off", "/m/c.obj", "/m/b.ply"}),
              list.getPaths());
    list.add("/m/c.obj");
    EXPECT_EQ("/m/c.obj", list.getPaths().front()) << "reopening moves a file to the front";
    EXPECT_EQ(4u, list.getPaths().size());

    // Another run reads the same list.
    ReloadRegistry();
    EXPECT_EQ(list.getPaths(), RecentFiles::Load().getPaths());
    list.remove("/m/e.xml");
    EXPECT_EQ(3u, RecentFiles::Load().getPaths().size());

    // Relative names are stored absolute; menu texts number the entries and show the path
    // only where two entries share a file name; "&" is not taken as a shortcut.
    list.add("x&y.xml");
    EXPECT_TRUE(list.getPaths().front().starts_with("/"));
    EXPECT_EQ("&1 x&&y.xml", list.menuText(0));
    list.add("/n/c.obj");
    EXPECT_EQ("&1 /n/c.obj", list.menuText(0));
}

TEST(RecentFilesTest, BothFileMenusListOpenedFilesAndDropMissingOnes) {
    clearStoredList();
    TempDir dir;
    const std::string model = dir.file("tetra.off");
    std::ofstream(model) << "OFF\n4 4 0\n0 0 0\n1 0 0\n0 1 0\n0 0 1\n"
                            "3 0 2 1\n3 0 1 3\n3 0 3 2\n3 1 2 3\n";
    {
        CMainFrame frame;
        std::vector<std::string> messages;
        frame.setMessageFn([&](const std::string& text) { messages.push_back(text); });
        std::string error;
        ASSERT_NE(nullptr, frame.openDocument(model, error)) << error;
        ASSERT_EQ(1u, frame.getRecentFiles().getPaths().size());

        QMenuBar bar;
        for (bool withDocument : {false, true}) {
            frame.getMenus().install(bar, withDocument);
            QStringList shown;
            for (QAction* a : bar.actions().front()->menu()->actions())
                if (a->isVisible() && a->objectName().startsWith("FileRecent"))
                    shown << a->text();
            EXPECT_EQ(QStringList{"&1 tetra.off"}, shown) << withDocument;
        }
        frame.getMenus().install(*frame.menuBar(), frame.activeChild() != nullptr);

        // A file gone since is reported and leaves the list.
        std::filesystem::remove(model);
        EXPECT_EQ(nullptr, frame.openRecentFile(0));
        EXPECT_EQ(1u, messages.size());
        EXPECT_TRUE(frame.getRecentFiles().getPaths().empty());
        EXPECT_FALSE(frame.getMenus().action("FileRecent1")->isVisible());
        SceneObj::ProcessDelayedOperations();
    }
}

} // namespace
