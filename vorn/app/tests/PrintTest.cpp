#include "vorn/app/CChildFrame.h"
#include "vorn/app/CMainFrame.h"
#include "vorn/app/CVornDoc.h"
#include "vorn/app/CVornView.h"
#include "vorn/app/MenuBuilder.h"
#include "vorn/app/PagePicture.h"
#include "vorn/app/PrintSupport.h"

#include "common/Registry.h"
#include "scene/SceneObj.h"
#include "scene/SceneRoot.h"

#include <QAction>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QToolBar>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <regex>

namespace {

namespace fs = std::filesystem;

fs::path freshDir(const std::string& name) {
    const fs::path dir = fs::path(VORN_BINARY_DIR) / "test-home" / "app-print" / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

/// The standard output of `command`, empty when it could not run.
std::string runCommand(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return out;
    char buffer[256];
    while (fgets(buffer, sizeof buffer, pipe))
        out += buffer;
    pclose(pipe);
    return out;
}

bool havePopplerTools() {
    return std::system("command -v pdfinfo >/dev/null 2>&1 && command -v pdftoppm >/dev/null "
                       "2>&1") == 0;
}

/// The number of pixels darker than near-white on page 1 of `pdf`, rasterised coarsely
/// in grey; -1 when it could not be rasterised.
long darkPixelsOnFirstPage(const fs::path& pdf) {
    const fs::path stem = pdf.parent_path() / "page";
    runCommand("pdftoppm -r 30 -gray -f 1 -l 1 -singlefile '" + pdf.string() + "' '" +
               stem.string() + "'");
    std::ifstream in(stem.string() + ".pgm", std::ios::binary);
    std::string magic;
    int width = 0, height = 0, maxValue = 0;
    if (!(in >> magic >> width >> height >> maxValue) || magic != "P5" || maxValue != 255)
        return -1;
    in.get();
    long dark = 0;
    for (long i = 0; i < long(width) * height; ++i)
        if (in.get() < 240)
            ++dark;
    return in ? dark : -1;
}

TEST(PagePictureTest, FillsThePageWithTheViewsAspectCentred) {
    // A wide view on a tall page fills the width and sits in the middle.
    auto wide = PagePicture::Fit(400, 200, 1000, 1500, 5000);
    ASSERT_TRUE(wide);
    EXPECT_DOUBLE_EQ(1000, wide->width);
    EXPECT_DOUBLE_EQ(500, wide->height);
    EXPECT_DOUBLE_EQ(0, wide->x);
    EXPECT_DOUBLE_EQ(500, wide->y);
    EXPECT_EQ(1000, wide->pixelWidth);
    EXPECT_EQ(500, wide->pixelHeight);

    // A tall view on a wide page fills the height.
    auto tall = PagePicture::Fit(300, 600, 2000, 1000, 5000);
    ASSERT_TRUE(tall);
    EXPECT_DOUBLE_EQ(500, tall->width);
    EXPECT_DOUBLE_EQ(1000, tall->height);
    EXPECT_DOUBLE_EQ(750, tall->x);
    EXPECT_DOUBLE_EQ(0, tall->y);
}

TEST(PagePictureTest, CapsThePixelsButNotThePlacement) {
    // A 1200 dpi page: the placement stays page-sized, the pixels stop at the cap.
    auto fine = PagePicture::Fit(800, 600, 9600, 13000, 2400);
    ASSERT_TRUE(fine);
    EXPECT_DOUBLE_EQ(9600, fine->width);
    EXPECT_DOUBLE_EQ(7200, fine->height);
    EXPECT_EQ(2400, fine->pixelWidth);
    EXPECT_EQ(1800, fine->pixelHeight);

    // A view one pixel high still gets a pixel row.
    auto thin = PagePicture::Fit(100000, 1, 9600, 13000, 2400);
    ASSERT_TRUE(thin);
    EXPECT_EQ(2400, thin->pixelWidth);
    EXPECT_EQ(1, thin->pixelHeight);
}

TEST(PagePictureTest, RefusesEmptyOrBrokenSizes) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(PagePicture::Fit(0, 100, 1000, 1000, 2400));
    EXPECT_FALSE(PagePicture::Fit(100, -5, 1000, 1000, 2400));
    EXPECT_FALSE(PagePicture::Fit(100, 100, 0, 1000, 2400));
    EXPECT_FALSE(PagePicture::Fit(nan, 100, 1000, 1000, 2400));
    EXPECT_FALSE(PagePicture::Fit(100, 100, 1000, inf, 2400));
    EXPECT_FALSE(PagePicture::Fit(100, 100, 1000, 1000, 0));
}

/// A main frame whose messages are collected and whose print dialog, when it answers,
/// points the printer at a PDF file.
class PrintCommandsTest : public testing::Test {
protected:
    void SetUp() override {
        setenv("VORN_NO_OPEN", "1", 1);
        frame.setMessageFn([this](const std::string& text) { messages.push_back(text); });
        frame.setPrintDialogFn([this](QPrinter& printer) {
            ++dialogsShown;
            if (pdfPath.empty())
                return false;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdfPath.string()));
            return true;
        });
    }
    void TearDown() override { SceneObj::ProcessDelayedOperations(); }

    CChildFrame* openIcosahedron() {
        std::string error;
        CChildFrame* child =
            frame.openDocument(std::string(VORN_SOURCE_DIR) + "/examples/icosahedron.xml", error);
        EXPECT_NE(nullptr, child) << error;
        if (child)
            frame.getMdiArea().setActiveSubWindow(child);
        return child;
    }

    CMainFrame frame;
    std::vector<std::string> messages;
    fs::path pdfPath;
    int dialogsShown = 0;
};

TEST_F(PrintCommandsTest, PrintCommandsFollowTheDocument) {
    MenuBuilder& menus = frame.getMenus();
    EXPECT_FALSE(menus.action("FilePrint")->isEnabled());
    EXPECT_FALSE(menus.action("FilePrintPreview")->isEnabled());
    EXPECT_TRUE(menus.action("FilePrintSetup")->isEnabled()) << "in the frame menu too";
    EXPECT_TRUE(menus.action("ViewToolbar")->isEnabled());
    EXPECT_EQ(QString("Ctrl+P"), menus.action("FilePrint")->shortcut().toString());
    EXPECT_FALSE(frame.printActiveView()) << "nothing to print";
    EXPECT_EQ(0, dialogsShown);

    ASSERT_TRUE(openIcosahedron());
    for (const char* id : {"FilePrint", "FilePrintPreview", "FilePrintSetup", "ViewToolbar"})
        EXPECT_TRUE(menus.action(id)->isEnabled()) << id;
    QStringList fileItems;
    for (QAction* a : frame.menuBar()->actions().front()->menu()->actions())
        fileItems << a->objectName();
    for (const char* id : {"FilePrint", "FilePrintPreview", "FilePrintSetup"})
        EXPECT_TRUE(fileItems.contains(id)) << id;

    // The last window closed: back to the frame menu, printing off again.
    frame.getMdiArea().closeAllSubWindows();
    SceneObj::ProcessDelayedOperations();
    EXPECT_FALSE(menus.action("FilePrint")->isEnabled());
    EXPECT_TRUE(menus.action("FilePrintSetup")->isEnabled());
}

TEST_F(PrintCommandsTest, PrintWritesOnePageHoldingThePicture) {
    if (!havePopplerTools())
        GTEST_SKIP() << "pdfinfo and pdftoppm are needed to read the printed page";
    ASSERT_TRUE(openIcosahedron());
    const fs::path dir = freshDir("print");

    // Cancelling the dialog prints nothing.
    frame.getMenus().action("FilePrint")->trigger();
    EXPECT_EQ(1, dialogsShown);
    EXPECT_TRUE(fs::is_empty(dir));

    pdfPath = dir / "view.pdf";
    frame.getMenus().action("FilePrint")->trigger();
    EXPECT_EQ(2, dialogsShown);
    EXPECT_TRUE(messages.empty()) << messages.front();
    ASSERT_TRUE(fs::exists(pdfPath));
    const std::string info = runCommand("pdfinfo '" + pdfPath.string() + "'");
    EXPECT_TRUE(std::regex_search(info, std::regex("Pages: +1\n"))) << info;
    EXPECT_GT(darkPixelsOnFirstPage(pdfPath), 100) << "the picture is on the page";
}

TEST_F(PrintCommandsTest, PrintingIntoAMissingFolderReportsIt) {
    ASSERT_TRUE(openIcosahedron());
    pdfPath = freshDir("missing") / "no-such-folder" / "view.pdf";
    EXPECT_FALSE(frame.printActiveView());
    ASSERT_EQ(1u, messages.size());
    EXPECT_NE(std::string::npos, messages.front().find("could not start the page"))
        << messages.front();
    EXPECT_FALSE(fs::exists(pdfPath));
}

TEST_F(PrintCommandsTest, ToolbarHoldsTheUsualButtonsAndItsToggleIsRemembered) {
    QStringList buttons;
    for (QAction* a : frame.getToolBar().actions())
        if (!a->isSeparator())
            buttons << a->objectName();
    EXPECT_EQ(QStringList({"FileNew", "FileOpen", "FileSave", "EditCut", "EditCopy", "EditPaste",
                           "FilePrint", "HelpAbout"}),
              buttons);

    QAction* toggle = frame.getMenus().action("ViewToolbar");
    ASSERT_TRUE(toggle->isCheckable());
    toggle->setChecked(true);
    EXPECT_FALSE(frame.getToolBar().isHidden());

    toggle->trigger();
    EXPECT_TRUE(frame.getToolBar().isHidden());
    EXPECT_EQ("false", GetRegistryString("Settings", "ShowToolbar", ""));
    {
        // A new window starts the way the last one left it.
        CMainFrame next;
        EXPECT_TRUE(next.getToolBar().isHidden());
        EXPECT_FALSE(next.getMenus().action("ViewToolbar")->isChecked());
    }

    // Showing it from the window's own context menu checks the command again.
    frame.getToolBar().toggleViewAction()->trigger();
    EXPECT_FALSE(frame.getToolBar().isHidden());
    EXPECT_TRUE(toggle->isChecked());
    EXPECT_EQ("true", GetRegistryString("Settings", "ShowToolbar", ""));
}

} // namespace
