// A huge net growing in the whole workbench window, as a user meets it: the main window
// opens a 327,680-face sphere from an OFF file, Curvature Ordering is attached the way the
// Unfold With menu attaches it, and the window runs on its own timers (idle slices, the
// settings bar with the strategy's panel and its views, the title's unsaved mark). A 1 ms
// probe timer measures how long the event loop is held at a time. The run ends when the
// net is done, the view shows all of it and the window has had nothing to do for a second.
#include "scene/SceneObj.h"
#include "tests/support/TestShapes.h"
#include "unfolders/engine/Unfolder.h"
#include "vorn/app/CChildFrame.h"
#include "vorn/app/CMainFrame.h"
#include "vorn/app/CVornDoc.h"
#include "vorn/app/CVornView.h"
#include "vorn/core/OffExport.h"
#include "vorn/app/bench/BenchScenes.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr qint64 kGiveUpMs = 600000;
/// The window counts as settled after this long without a probe gap over 20 ms.
constexpr qint64 kSettledMs = 1000;

/// CPU seconds the process has used, on every thread.
double processCpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

void BM_WindowGrowthCurvatureOrdering(benchmark::State& state) {
    Factory* strategy = OfferedStrategyOrSkip(state, "Curvature Ordering");
    if (!strategy)
        return;
    std::string error;
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("vorn-window-growth-" + std::to_string(state.range(0)) + ".off");
    if (!std::filesystem::exists(path) &&
        !ExportOff(*testshapes::meshOf(testshapes::icosphere(int(state.range(0)))), path.string(),
                   error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        CMainFrame frame;
        frame.resize(1400, 900);
        frame.show();
        CChildFrame* child = frame.openDocument(path.string(), error);
        if (!child) {
            state.SkipWithError(error.c_str());
            return;
        }
        CVornView* view = child->findChild<CVornView*>();
        QEventLoop settle;
        QTimer::singleShot(1000, &settle, &QEventLoop::quit);
        settle.exec();

        QElapsedTimer clock;
        clock.start();
        const double cpuBefore = processCpuSeconds();
        Unfolder* net = nullptr;
        child->getDocument().perform("Unfold With Curvature Ordering", [&] {
            net = dynamic_cast<Unfolder*>(child->getDocument().attachStrategy(*strategy, &error));
            return net != nullptr;
        });
        if (!net) {
            state.SkipWithError(error.c_str());
            return;
        }
        QElapsedTimer sinceProbe;
        QElapsedTimer sinceStall;
        double longestStallMs = 0.0;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            const double gap = sinceProbe.nsecsElapsed() / 1e6;
            sinceProbe.restart();
            longestStallMs = std::max(longestStallMs, gap);
            if (gap > 20.0)
                sinceStall.restart();
        });
        double doneSeconds = 0.0;
        double wholeSeconds = 0.0;
        QEventLoop loop;
        QTimer watch;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (net->isDone() && doneSeconds == 0.0)
                doneSeconds = clock.elapsed() / 1000.0;
            if (doneSeconds > 0.0 && wholeSeconds == 0.0 && view->isPictureComplete())
                wholeSeconds = clock.elapsed() / 1000.0;
            if ((wholeSeconds > 0.0 && sinceStall.elapsed() >= kSettledMs) ||
                clock.elapsed() > kGiveUpMs)
                loop.quit();
        });
        sinceProbe.start();
        sinceStall.start();
        probe.start(1);
        watch.start(50);
        loop.exec();
        probe.stop();
        // The settling second itself is not part of the work.
        const double settledSeconds = (clock.elapsed() - kSettledMs) / 1000.0;
        state.counters["faces placed"] = double(net->getPolyCount());
        state.counters["growth s"] = doneSeconds;
        state.counters["picture whole s"] = wholeSeconds;
        state.counters["settled s"] = settledSeconds;
        state.counters["CPU s"] = processCpuSeconds() - cpuBefore;
        state.counters["longest stall ms"] = longestStallMs;
        frame.setSaveQuestionFn([](const std::string&) { return CMainFrame::SaveChoice::Discard; });
        frame.close();
    }
}
// Level 7: the 327,680-face icosphere; level 5 (20,480 faces) for comparison.
BENCHMARK(BM_WindowGrowthCurvatureOrdering)
    ->ArgName("level")
    ->Arg(5)
    ->Arg(7)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace
