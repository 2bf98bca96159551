// File > Export Papercraft: refused without a finished net, and the dialog's preview,
// export and remembered choices on a cube unfolded breadth first.
#include "vorn/app/CChildFrame.h"
#include "vorn/app/CMainFrame.h"
#include "vorn/app/CPapercraftDlg.h"
#include "vorn/app/CVornDoc.h"

#include "scene/SceneRoot.h"
#include "tests/support/FileText.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/BreadthFirstUnfolder.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QMdiArea>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class PapercraftDialogTest : public testing::Test {
protected:
    void SetUp() override {
        frame.setMessageFn([this](const std::string& text) { messages.push_back(text); });
        child = frame.newDocument();
        frame.getMdiArea().setActiveSubWindow(child);
        mesh = new PolyMesh;
        mesh->fromMeshData(testshapes::cube());
        mesh->setParent(child->getDocument().getRoot());
    }
    void TearDown() override { SceneObj::ProcessDelayedOperations(); }

    void exportPapercraft() { frame.findChild<QAction*>("FileExportPapercraft")->trigger(); }

    CMainFrame frame;
    CChildFrame* child = nullptr;
    PolyMesh* mesh = nullptr;
    std::vector<std::string> messages;
};

} // namespace

TEST_F(PapercraftDialogTest, WithoutAFinishedNetTheCommandSaysWhatToDo) {
    bool shown = false;
    frame.setPapercraftDialogFn([&](CPapercraftDlg&) { shown = true; });
    exportPapercraft();
    EXPECT_FALSE(shown);
    ASSERT_EQ(1u, messages.size());
    EXPECT_EQ("Attach a strategy to the model first (Unfolding > Unfold With)", messages[0]);
}

TEST_F(PapercraftDialogTest, PreviewsExportsAndRemembersItsChoices) {
    auto* u = testshapes::bind<BreadthFirstUnfolder>(*mesh);
    ASSERT_TRUE(testshapes::runToEnd(*u));
    TempDir dir;
    const std::string pdf = dir.path() + "/cube.pdf";
    frame.setPapercraftDialogFn([&](CPapercraftDlg& dialog) {
        PapercraftOptions o = dialog.getOptions();
        o.size = PapercraftOptions::Size::MmPerUnit;
        o.sizeValue = 40;
        o.valleyStyle = FoldLineStyle::Dot;
        dialog.setOptions(o);
        EXPECT_EQ(1, dialog.getLayout().pieceCount);
        EXPECT_EQ("1 pieces, 7 glue tabs, 1 pages", dialog.getSummary().toStdString());
        const auto* preview = dialog.findChild<QLabel*>("Preview");
        EXPECT_FALSE(preview->pixmap().isNull());

        // Too large for the page: the reason is shown and nothing can be exported.
        dialog.findChild<QDoubleSpinBox*>("Size")->setValue(500);
        EXPECT_TRUE(dialog.getLayout().pages.empty());
        EXPECT_NE(std::string::npos, dialog.getError().find("mm per unit"));
        EXPECT_FALSE(dialog.exportTo(pdf));

        dialog.findChild<QDoubleSpinBox*>("Size")->setValue(40);
        dialog.setPathChooser([&] { return QString::fromStdString(pdf); });
        dialog.findChild<QPushButton*>("Export")->click();
        EXPECT_EQ("%PDF", ReadFileText(pdf).substr(0, 4));
        dialog.reject();
    });
    exportPapercraft();
    EXPECT_TRUE(messages.empty());
    const PapercraftOptions remembered = ReadPapercraftSettings();
    EXPECT_EQ(PapercraftOptions::Size::MmPerUnit, remembered.size);
    EXPECT_EQ(40.0, remembered.sizeValue);
    EXPECT_EQ(FoldLineStyle::Dot, remembered.valleyStyle);
}
