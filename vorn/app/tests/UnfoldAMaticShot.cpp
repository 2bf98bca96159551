// Takes a picture of the batch runner dialog in the middle of a run, for the
// documentation: run it under a real X display (xvfb-run) with the output PNG and a model
// file whose mesh serves as the current model. Settings and results go to a temporary
// folder, never the user's own.
//
//   xvfb-run -a -s "-screen 0 1280x800x24" build/bin/UnfoldAMaticShot out.png
//   examples/icosahedron.xml
#include "vorn/app/unfoldamatic/CUnfoldAMatic.h"

#include "scene/SceneRoot.h"
#include "unfolders/engine/Unfolder.h"
#include "vorn/core/UnfoldingLibrary.h"
#include "vorn/core/batch/BatchSettings.h"
#include "vorn/core/batch/BatchTests.h"

#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QPixmap>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace {

void choose(CUnfoldAMatic& dialog, const char* list, const std::vector<const char*>& texts) {
    auto* widget = dialog.findChild<QListWidget*>(QString::fromLatin1(list));
    widget->clearSelection();
    for (const char* text : texts)
        for (QListWidgetItem* item : widget->findItems(QString::fromLatin1(text), Qt::MatchExactly))
            item->setSelected(true);
}

/// Ticks until `tests` tests are done and an unfolder is part-way through the next one.
void runInto(CUnfoldAMatic& dialog, size_t tests) {
    using namespace std::chrono_literals;
    for (int i = 0; i < 100000 && dialog.getRunner().getTestsDone() < tests; ++i) {
        dialog.onSystemIdle();
        QApplication::processEvents();
    }
    dialog.setStepBudget(0ms);
    for (int i = 0; i < 100000 && dialog.isRunning(); ++i) {
        dialog.onSystemIdle();
        QApplication::processEvents();
        const BatchTestRun* test = dialog.getRunner().getCurrentTest();
        Unfolder* unfolder = test ? test->getUnfolder() : nullptr;
        if (unfolder && unfolder->getProgress() > 0.6)
            return;
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s OUTPUT.png MODEL\n", argv[0]);
        return 2;
    }
    const std::filesystem::path home =
        std::filesystem::temp_directory_path() / "vorn-unfold-a-matic-shot";
    std::filesystem::create_directories(home);
    setenv("VORN_CONFIG_DIR", (home / "config").c_str(), 1);
    setenv("VORN_DATA_DIR", (home / "data").c_str(), 1);
    QApplication app(argc, argv);
    // Nothing here names a strategy, so the library is loaded as the workbench loads it.
    std::string error;
    if (!LoadUnfoldingLibrary(&error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    BatchSettings settings;
    settings.path = (home / "results").string();
    settings.modelPath = std::filesystem::path(argv[2]).parent_path().string();
    WriteBatchSettings(settings);

    SceneRoot root;
    root.setFileName(std::filesystem::path(argv[2]).filename().string());
    std::unique_ptr<PolyMesh> loaded = LoadTestModel(argv[2]);
    if (!loaded || !loaded->setParent(&root)) {
        std::fprintf(stderr, "%s holds no mesh\n", argv[2]);
        return 1;
    }
    // The scene owns the mesh now.
    PolyMesh* target = loaded.release();
    auto* dialog = new CUnfoldAMatic(target, nullptr, std::chrono::milliseconds(200));
    dialog->resize(960, 760);
    dialog->show();
    choose(*dialog, "strategies", {"Breadth First", "Least Height", "Curvature Ordering"});
    choose(*dialog, "tests", {"<<100 Random Polyhedra>>"});
    dialog->findChild<QCheckBox*>(QStringLiteral("varyRandoms"))->setChecked(true);
    dialog->go();
    runInto(*dialog, 24);
    QApplication::processEvents();
    const bool saved = dialog->grab().save(QString::fromLocal8Bit(argv[1]));
    delete dialog;
    std::filesystem::remove_all(home);
    if (!saved) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
