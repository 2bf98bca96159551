// A huge net growing live in the workbench's own view: a 327,680-face sphere as a document,
// Breadth First attached through the document as the Unfold menu does, the main window's
// idle tick (8 ms slices) and the real view in a 1024 x 768 window. A 1 ms probe timer
// measures how long the event loop is held at a time, which is how long the window stays
// frozen for the user; the view's paints are counted and timed, until the picture shows the
// whole net.
#include "common/IdleSlice.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/SceneObj.h"
#include "scene/SceneRoot.h"
#include "tests/support/TestShapes.h"
#include "unfolders/engine/Unfolder.h"
#include "vorn/app/CMainFrame.h"
#include "vorn/app/CVornDoc.h"
#include "vorn/app/CVornView.h"
#include "vorn/app/bench/BenchScenes.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int kIdleSliceMs = 8;
constexpr qint64 kGiveUpMs = 180000;

/// The workbench's view, counting and timing its paints.
class TimedView : public CVornView {
public:
    using CVornView::CVornView;
    int paints = 0;
    double paintMs = 0.0;
    double longestPaintMs = 0.0;

protected:
    void paintGL() override {
        QElapsedTimer clock;
        clock.start();
        CVornView::paintGL();
        const double ms = clock.nsecsElapsed() / 1e6;
        ++paints;
        paintMs += ms;
        longestPaintMs = std::max(longestPaintMs, ms);
    }
};

void BM_LiveGrowthBreadthFirst(benchmark::State& state) {
    Factory* strategy = OfferedStrategyOrSkip(state, "Breadth First");
    if (!strategy)
        return;
    std::string error;
    for (auto _ : state) {
        CVornDoc doc;
        doc.onNewDocument();
        auto* sphere = new PolyMesh;
        sphere->fromMeshData(testshapes::icosphere(int(state.range(0))));
        sphere->setParent(doc.getRoot());
        TimedView view(doc);
        view.setKeepsDrawings(state.range(1) != 0);
        view.resize(1024, 768);
        view.show();
        QEventLoop settle;
        QTimer::singleShot(500, &settle, &QEventLoop::quit);
        settle.exec();

        auto* net = dynamic_cast<Unfolder*>(doc.attachStrategy(*strategy, &error));
        if (!net) {
            state.SkipWithError(error.c_str());
            return;
        }
        SetIdleSliceMs(kIdleSliceMs);
        QTimer idle;
        double longestIdleMs = 0.0;
        QObject::connect(&idle, &QTimer::timeout, [&] {
            QElapsedTimer tick;
            tick.start();
            CMainFrame::IdleTick();
            longestIdleMs = std::max(longestIdleMs, tick.nsecsElapsed() / 1e6);
        });
        // The probe fires every millisecond the loop is free: a longer gap is a freeze.
        QElapsedTimer sinceProbe;
        std::vector<double> gaps;
        QTimer probe;
        probe.setTimerType(Qt::PreciseTimer);
        QObject::connect(&probe, &QTimer::timeout, [&] {
            gaps.push_back(sinceProbe.nsecsElapsed() / 1e6);
            sinceProbe.restart();
        });
        QEventLoop loop;
        QTimer watch;
        QElapsedTimer clock;
        // Once the net is done, the picture still has to catch up with it: the loop runs on
        // until it has (the idle tick then has nothing left to do).
        double doneSeconds = 0.0;
        std::vector<double> stallsWhileGrowing;
        int paintsWhileGrowing = 0;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            if (net->isDone() && doneSeconds == 0.0) {
                doneSeconds = clock.elapsed() / 1000.0;
                paintsWhileGrowing = view.paints;
                stallsWhileGrowing = gaps;
            }
            // Recording everything afresh each time ("kept" 0), a bounded recording never
            // shows the whole of a huge scene: only kept drawings catch up.
            const bool whole = view.isPictureComplete() || state.range(1) == 0;
            if ((doneSeconds > 0.0 && whole) || clock.elapsed() > kGiveUpMs)
                loop.quit();
        });
        clock.start();
        sinceProbe.start();
        idle.start(1);
        probe.start(1);
        watch.start(50);
        loop.exec();
        const double seconds = clock.elapsed() / 1000.0;
        idle.stop();
        probe.stop();
        SetIdleSliceMs(0);
        std::sort(gaps.begin(), gaps.end());
        state.counters["faces placed"] = double(net->getPolyCount());
        state.counters["growth s"] = doneSeconds;
        state.counters["picture behind s"] = seconds - doneSeconds;
        state.counters["longest stall ms"] = gaps.empty() ? 0.0 : gaps.back();
        state.counters["longest stall growing ms"] =
            stallsWhileGrowing.empty()
                ? 0.0
                : *std::max_element(stallsWhileGrowing.begin(), stallsWhileGrowing.end());
        state.counters["stall p99 ms"] = gaps.empty() ? 0.0 : gaps[gaps.size() * 99 / 100];
        // Paints per second while the net grows; stalls are timed until the picture is whole.
        state.counters["paints/s"] = doneSeconds > 0.0 ? paintsWhileGrowing / doneSeconds : 0.0;
        state.counters["longest paint ms"] = view.longestPaintMs;
        state.counters["longest idle ms"] = longestIdleMs;
        if (view.paints > 0)
            state.counters["ms/paint"] = view.paintMs / view.paints;
        view.hide();
    }
}
// Level 7: the 327,680-face icosphere; level 5 (20,480 faces) for comparison. "kept" 0
// records the whole scene on every repaint, 1 lets the view keep what objects drew.
BENCHMARK(BM_LiveGrowthBreadthFirst)
    ->ArgNames({"level", "kept"})
    ->Args({5, 0})
    ->Args({5, 1})
    ->Args({7, 0})
    ->Args({7, 1})
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace
