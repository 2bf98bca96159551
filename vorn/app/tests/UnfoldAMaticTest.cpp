#include "vorn/app/unfoldamatic/CUnfoldAMatic.h"

#include "common/IdleLoop.h"
#include "scene/SceneRoot.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"
#include "unfolders/engine/Unfolder.h"
#include "vorn/app/SceneObjPane.h"
#include "vorn/app/unfoldamatic/ResultsTable.h"
#include "vorn/core/batch/BatchSettings.h"
#include "vorn/core/batch/BatchTests.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QShowEvent>

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

/// Gives up at once: every unfolding it does is a failure.
class GiveUpTestUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(GiveUpTestUnfolder)
    void unfold() override {}
    bool isDone() override { return true; }
    bool allowAutoComplete() override { return false; }
    bool isSuccesful() override { return false; }
};
VORN_DEFINE_OFFERED_FACTORY(GiveUpTestUnfolder, "Unfolder")

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

const char* const kCubeOff = "OFF\n8 6 0\n"
                             "0 0 0\n1 0 0\n1 1 0\n0 1 0\n0 0 1\n1 0 1\n1 1 1\n0 1 1\n"
                             "4 0 3 2 1\n4 4 5 6 7\n4 0 1 5 4\n4 1 2 6 5\n4 2 3 7 6\n4 3 0 4 7\n";

std::vector<std::string> texts(const QListWidget& list) {
    std::vector<std::string> all;
    for (int row = 0; row < list.count(); ++row)
        all.push_back(list.item(row)->text().toStdString());
    return all;
}

void select(QListWidget& list, const std::vector<std::string>& chosen) {
    list.clearSelection();
    for (const std::string& text : chosen) {
        const auto found = list.findItems(QString::fromStdString(text), Qt::MatchExactly);
        ASSERT_EQ(1, found.size()) << text;
        found.front()->setSelected(true);
    }
}

/// A models folder with a cube and a results folder in a fresh temporary folder, stored
/// as the dialog's folders before each test.
class UnfoldAMaticTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir / "models");
        std::ofstream(dir / "models" / "cube.off") << kCubeOff;
        fs::copy_file(fs::path(VORN_SOURCE_DIR) / "examples" / "icosahedron.xml",
                      dir / "models" / "icosahedron.xml");
        BatchSettings settings;
        settings.modelPath = (dir / "models").string();
        settings.path = (dir / "out").string();
        ASSERT_TRUE(WriteBatchSettings(settings));
    }

    template <typename T> static T& child(CUnfoldAMatic& dialog, const char* name) {
        T* found = dialog.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(nullptr, found) << name;
        return *found;
    }
    /// Ticks until the run ends; false when it did not end within `ticks`.
    static bool runToEnd(CUnfoldAMatic& dialog, int ticks = 10000) {
        for (int i = 0; i < ticks && dialog.isRunning(); ++i)
            dialog.onSystemIdle();
        return !dialog.isRunning();
    }

    TempDir m_tmp;
    fs::path dir{m_tmp.path()};
};

TEST_F(UnfoldAMaticTest, OffersTheEngineStrategiesAndTests) {
    CUnfoldAMatic dialog(nullptr, nullptr);
    const std::vector<std::string> strategies = texts(child<QListWidget>(dialog, "strategies"));
    EXPECT_NE(strategies.end(), std::find(strategies.begin(), strategies.end(), "Breadth First"));
    EXPECT_NE(strategies.end(), std::find(strategies.begin(), strategies.end(), "Give Up Test"));
    for (const std::string& name : strategies) {
        EXPECT_FALSE(name.empty()) << "the base class has no display name of its own";
        EXPECT_EQ(std::string::npos, name.find("Settings")) << name;
        EXPECT_EQ(std::string::npos, name.find("Automator")) << name;
        EXPECT_NE("Edge Tree", name);
    }
    EXPECT_TRUE(std::is_sorted(strategies.begin(), strategies.end()));

    const std::vector<std::string> tests = texts(child<QListWidget>(dialog, "tests"));
    const std::vector<std::string> expected = {"<<1 Random Polyhedron>>",
                                               "<<100 Random Polyhedra>>",
                                               "<<1000 Random Polyhedra>>",
                                               "<<10000 Random Polyhedra>>",
                                               "<<100000 Random Polyhedra>>",
                                               "<<1000000 Random Polyhedra>>",
                                               "<<9999999 Random Polyhedra>>",
                                               "cube.off",
                                               "icosahedron.xml"};
    EXPECT_EQ(expected, tests) << "no current model without a target; models sorted in";
    EXPECT_EQ("[Scene]", dialog.getSceneName());

    // With a target in a named scene the current model is offered under the scene's name.
    SceneRoot root;
    root.setFileName("tetra.shape.xml");
    std::unique_ptr<PolyMesh> loaded = LoadTestModel((dir / "models" / "cube.off").string());
    ASSERT_TRUE(loaded);
    loaded->translate(Sorvex::M3d(4, 0, 0));
    ASSERT_TRUE(loaded->setParent(&root));
    PolyMesh* target = loaded.release(); // owned by the scene
    CUnfoldAMatic withTarget(target, nullptr);
    const std::vector<std::string> withCurrent = texts(child<QListWidget>(withTarget, "tests"));
    ASSERT_EQ(expected.size() + 1, withCurrent.size());
    EXPECT_EQ("<<Current Model>>", withCurrent[7]) << "sorted after the random series";
    EXPECT_EQ("Tetra", withTarget.getSceneName());
    EXPECT_EQ(size_t(6), withTarget.getTargetCopy().getPolyCount());
    EXPECT_EQ(0.0, withTarget.getTargetCopy().getTranslation().x()) << "the copy is not moved";
}

TEST_F(UnfoldAMaticTest, StoredChoicesAreSelectedAndGoStoresNewOnes) {
    BatchSettings stored = ReadBatchSettings();
    stored.filter = "[Least Height][Breadth First]";
    stored.tests = "[cube.off][<<100 Random Polyhedra>>]";
    stored.varyRandoms = true;
    ASSERT_TRUE(WriteBatchSettings(stored));

    CUnfoldAMatic dialog(nullptr, nullptr);
    auto& tests = child<QListWidget>(dialog, "tests");
    auto& strategies = child<QListWidget>(dialog, "strategies");
    EXPECT_EQ((std::vector<std::string>{"Breadth First", "Least Height"}), [&] {
        std::vector<std::string> chosen;
        for (QListWidgetItem* item : strategies.selectedItems())
            chosen.push_back(item->text().toStdString());
        std::sort(chosen.begin(), chosen.end());
        return chosen;
    }());
    EXPECT_EQ(2, tests.selectedItems().size());
    EXPECT_TRUE(child<QCheckBox>(dialog, "varyRandoms").isChecked());
    EXPECT_FALSE(child<QCheckBox>(dialog, "writePdfs").isChecked());

    select(strategies, {"Breadth First"});
    select(tests, {"icosahedron.xml", "<<1 Random Polyhedron>>"});
    child<QCheckBox>(dialog, "varyRandoms").setChecked(false);
    child<QCheckBox>(dialog, "captureFails").setChecked(true);
    child<QLineEdit>(dialog, "recordTo")
        .setText(QString::fromStdString((dir / "out").string() + "//"));
    child<QPushButton>(dialog, "go").click();

    const BatchSettings now = ReadBatchSettings();
    EXPECT_EQ("[Breadth First]", now.filter);
    EXPECT_EQ("[<<1 Random Polyhedron>>][icosahedron.xml]", now.tests) << "in list order";
    EXPECT_EQ((dir / "out").string(), now.path) << "stored without trailing separators";
    EXPECT_FALSE(now.varyRandoms);
    EXPECT_TRUE(now.captureFails);
}

TEST_F(UnfoldAMaticTest, ARunFillsTheTableAndWritesResults) {
    // No budget: one step of an unfolder per tick, so each one is seen at work.
    CUnfoldAMatic dialog(nullptr, nullptr, 0ms);
    select(child<QListWidget>(dialog, "tests"), {"<<1000 Random Polyhedra>>"});
    dialog.go();
    EXPECT_FALSE(dialog.isRunning()) << "nothing to run without a strategy";
    EXPECT_FALSE(fs::exists(dir / "out" / "results.csv"));

    select(child<QListWidget>(dialog, "strategies"), {"Breadth First", "Give Up Test"});
    select(child<QListWidget>(dialog, "tests"), {"cube.off", "<<1 Random Polyhedron>>"});
    auto& results = child<ResultsTable>(dialog, "results");
    auto& targetPane = child<SceneObjPane>(dialog, "targetPane");
    auto& unfoldingPane = child<SceneObjPane>(dialog, "unfoldingPane");
    EXPECT_EQ(&dialog.getTargetCopy(), targetPane.getObject());
    dialog.go();
    EXPECT_EQ((std::vector<std::string>{"Unfolder"}), results.columnLabels());
    EXPECT_EQ(2, results.rowCount());
    ASSERT_TRUE(dialog.isRunning());
    EXPECT_EQ("1 of 2", child<QLineEdit>(dialog, "progress").text().toStdString());
    // The first test is shown before any unfolding starts on it: the random polyhedron,
    // whose text sorts before the file's.
    auto* shown = dynamic_cast<PolyMesh*>(targetPane.getObject());
    ASSERT_NE(nullptr, shown);
    EXPECT_NE(&dialog.getTargetCopy(), shown);
    EXPECT_GE(shown->getPolyCount(), size_t(4));

    bool sawUnfolder = false;
    for (int i = 0; i < 10000 && dialog.isRunning(); ++i) {
        dialog.onSystemIdle();
        sawUnfolder = sawUnfolder || dynamic_cast<Unfolder*>(unfoldingPane.getObject());
    }
    ASSERT_FALSE(dialog.isRunning());
    EXPECT_TRUE(sawUnfolder) << "the unfolding under way is shown";
    EXPECT_EQ(&dialog.getTargetCopy(), targetPane.getObject()) << "back to the target at the end";
    EXPECT_EQ("Ready", child<QLineEdit>(dialog, "status").text().toStdString());

    EXPECT_EQ((std::vector<std::string>{"Unfolder", "RandomPoly", "Cube.off"}),
              results.columnLabels())
        << "columns in the order the tests ran";
    // A cell reads like "42.00%": digits, a point, two digits, a percent sign.
    auto isPercentage = [](const std::string& text) {
        const size_t point = text.find('.');
        if (point == std::string::npos || point == 0 || text.size() != point + 4 ||
            text.back() != '%')
            return false;
        const std::string digits = text.substr(0, point) + text.substr(point + 1, 2);
        return digits.find_first_not_of("0123456789") == std::string::npos;
    };
    for (const char* strategy : {"Breadth First", "Give Up Test"})
        for (const char* label : {"Cube.off", "RandomPoly"})
            EXPECT_TRUE(isPercentage(results.cellText(strategy, label)))
                << strategy << " / " << label << ": " << results.cellText(strategy, label);
    EXPECT_EQ("100.00%", results.cellText("Breadth First", "Cube.off"));
    for (const char* strategy : {"Breadth First", "Give Up Test"})
        for (int column = 0; column < results.columnCount(); ++column) {
            const std::string label = results.columnLabels()[size_t(column)];
            const QString text = column == 0
                                     ? QString(strategy)
                                     : QString::fromStdString(results.cellText(strategy, label));
            EXPECT_GE(results.columnWidth(column), results.fontMetrics().horizontalAdvance(text))
                << "the whole of \"" << text.toStdString() << "\" shows";
        }

    const std::string csv = ReadFileText(dir / "out" / "results.csv");
    EXPECT_EQ(0u, csv.rfind("Unfolder, Cube.off, RandomPoly, \nBreadth First, 100.00, ", 0)) << csv;
}

TEST_F(UnfoldAMaticTest, ASeriesCountsSuccessesInFaceBucketsAndReportsFailures) {
    CUnfoldAMatic dialog(nullptr, nullptr, 1ms);
    std::vector<std::string> failures;
    dialog.onFailure = [&](const std::string& xml) { failures.push_back(xml); };
    select(child<QListWidget>(dialog, "strategies"), {"Give Up Test"});
    select(child<QListWidget>(dialog, "tests"), {"<<100 Random Polyhedra>>"});
    child<QCheckBox>(dialog, "varyRandoms").setChecked(true);
    child<QCheckBox>(dialog, "captureFails").setChecked(true);
    dialog.go();
    auto& results = child<ResultsTable>(dialog, "results");
    const std::vector<std::string> labels = results.columnLabels();
    ASSERT_EQ(size_t(41), labels.size()) << "a column for every bucket from the start";
    EXPECT_EQ("[004..005]", labels[1]);
    EXPECT_EQ("[196..200]", labels.back());

    while (dialog.isRunning() && dialog.getRunner().getTestsDone() < 3)
        dialog.onSystemIdle();
    QApplication::processEvents();
    EXPECT_GE(failures.size(), size_t(3)) << "each kept failure reaches the owner";
    if (!failures.empty()) {
        EXPECT_NE(std::string::npos, failures.front().find("<PolyMesh"));
    }
    int counted = 0;
    for (size_t c = 1; c < labels.size(); ++c) {
        const std::string cell = results.cellText("Give Up Test", labels[c]);
        if (cell.empty())
            continue;
        EXPECT_EQ("0", cell) << labels[c] << ": counted cells are whole numbers of successes";
        ++counted;
    }
    EXPECT_GE(counted, 1);
    EXPECT_EQ(size_t(41), results.columnLabels().size()) << "no label outside the buckets";
}

TEST_F(UnfoldAMaticTest, ModelFolderTextLosesTrailingSeparators) {
    const fs::path other = dir / "other";
    fs::create_directories(other);
    std::ofstream(other / "prism.off") << kCubeOff;
    CUnfoldAMatic dialog(nullptr, nullptr);
    auto& folder = child<QLineEdit>(dialog, "modelPath");
    folder.setText(QString::fromStdString(other.string() + "///"));
    EXPECT_EQ("prism.off", texts(child<QListWidget>(dialog, "tests")).back())
        << "the folder is read without its trailing separators";
    emit folder.editingFinished();
    EXPECT_EQ(other.string(), folder.text().toStdString());

    // A folder that does not exist leaves the list as it was.
    folder.setText(QString::fromStdString((dir / "nowhere").string()));
    EXPECT_EQ("prism.off", texts(child<QListWidget>(dialog, "tests")).back());
}

TEST_F(UnfoldAMaticTest, OpensAtTheRememberedSizeAndBrowsesForFolders) {
    QSize firstSize;
    {
        CUnfoldAMatic dialog(nullptr, nullptr);
        firstSize = dialog.size();
        EXPECT_GE(firstSize.width(), 900);
        EXPECT_GE(firstSize.height(), 800);
        QShowEvent shown;
        QApplication::sendEvent(&dialog, &shown);
        dialog.resize(1000, 900);
    }
    CUnfoldAMatic dialog(nullptr, nullptr);
    EXPECT_EQ(QSize(1000, 900), dialog.size()) << "the size the user left it at";

    const fs::path other = dir / "other";
    fs::create_directories(other);
    std::ofstream(other / "prism.off") << kCubeOff;
    QString offered;
    dialog.chooseFolder = [&](const QString& start) {
        offered = start;
        return QString::fromStdString(other.string());
    };
    child<QPushButton>(dialog, "browse_modelPath").click();
    EXPECT_EQ((dir / "models").string(), offered.toStdString()) << "starts at the folder shown";
    EXPECT_EQ(other.string(), child<QLineEdit>(dialog, "modelPath").text().toStdString());
    EXPECT_EQ("prism.off", texts(child<QListWidget>(dialog, "tests")).back());
    dialog.chooseFolder = [](const QString&) { return QString(); };
    child<QPushButton>(dialog, "browse_recordTo").click();
    EXPECT_EQ((dir / "out").string(), child<QLineEdit>(dialog, "recordTo").text().toStdString())
        << "a cancelled choice changes nothing";
}

TEST_F(UnfoldAMaticTest, ChoicesThatCannotBeStoredAreReported) {
    CUnfoldAMatic dialog(nullptr, nullptr);
    std::vector<std::string> shown;
    dialog.showMessage = [&](const std::string& text) { shown.push_back(text); };
    child<QCheckBox>(dialog, "writePdfs").setChecked(true);
    {
        const FileSizeLimit noRoom(16);
        dialog.go();
    }
    ASSERT_EQ(1u, shown.size());
    EXPECT_NE(std::string::npos, shown.front().find("could not be saved")) << shown.front();
}

TEST_F(UnfoldAMaticTest, DoneDeletesTheDialogInTheMiddleOfARun) {
    const int handlers = GetSystemIdleHandlerCount();
    QPointer<CUnfoldAMatic> dialog = new CUnfoldAMatic(nullptr, nullptr, 2ms);
    EXPECT_EQ(handlers + 1, GetSystemIdleHandlerCount());
    select(child<QListWidget>(*dialog, "strategies"), {"Breadth First"});
    select(child<QListWidget>(*dialog, "tests"), {"<<100 Random Polyhedra>>"});
    dialog->go();
    for (int i = 0; i < 5; ++i)
        OnSystemIdle();
    EXPECT_TRUE(dialog->isRunning());
    child<QPushButton>(*dialog, "done").click();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(dialog.isNull());
    EXPECT_EQ(handlers, GetSystemIdleHandlerCount());
    OnSystemIdle(); // nothing of the dialog is left to be called
}

} // namespace
