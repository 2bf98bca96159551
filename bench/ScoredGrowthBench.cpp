// The scored growth strategies on icospheres of 1280, 5120 and 20480 faces: whole runs,
// and the cost of one candidate measured (the hull strategies: a flatten, its overlap
// query and the hull's area with its corners; crest: a trial attach, its outline walks
// and its removal) once the net holds half the sphere or 5000 faces. The hull
// strategies measure every candidate at every pass; crest only those whose score the
// last face can have changed.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>

#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/ConvexHullUnfolder.h"
#include "unfolders/strategies/CrestUnfolder.h"
#include "unfolders/strategies/PathMinimizerUnfolder.h"
#include "unfolders/strategies/RadiusMinimizerUnfolder.h"

namespace {

/// The processor time this process has used, in seconds: the cap below uses it so that a
/// busy machine does not cut runs short.
double cpuSeconds() {
    return double(std::clock()) / CLOCKS_PER_SEC;
}

/// Whole runs; a run still going after `capSeconds` of processor time stops there and
/// reports how far it came ("placed" below "faces").
template <typename T> void unfoldSphere(benchmark::State& state, double capSeconds) {
    const MeshData sphere = testshapes::icosphere(int(state.range(0)));
    size_t placed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto mesh = testshapes::meshOf(sphere);
        auto* u = testshapes::bind<T>(*mesh);
        state.ResumeTiming();
        const double start = cpuSeconds();
        while (!u->isDone() && cpuSeconds() - start < capSeconds)
            u->unfold();
        placed = u->getPolyCount();
        state.PauseTiming();
        mesh.reset();
        state.ResumeTiming();
    }
    state.counters["faces"] = double(sphere.faces.size());
    state.counters["placed"] = double(placed);
}

/// Grows the net to half the sphere or 5000 faces, whichever is less (untimed), then times calls of
/// unfold() until 3000 more candidates were scored: "per_candidate" is the time of one.
template <typename T> void candidateCost(benchmark::State& state) {
    const MeshData sphere = testshapes::icosphere(int(state.range(0)));
    double candidates = 0;
    size_t net = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto mesh = testshapes::meshOf(sphere);
        auto* u = testshapes::bind<T>(*mesh);
        while (!u->isDone() && u->getPolyCount() < std::min<size_t>(sphere.faces.size() / 2, 5000))
            u->unfold();
        net = u->getPolyCount();
        const size_t before = u->getTrialCount();
        state.ResumeTiming();
        while (!u->isDone() && u->getTrialCount() < before + 3000)
            u->unfold();
        state.PauseTiming();
        candidates += double(u->getTrialCount() - before);
        mesh.reset();
        state.ResumeTiming();
    }
    state.counters["faces"] = double(sphere.faces.size());
    state.counters["net"] = double(net);
    state.counters["per_candidate"] =
        benchmark::Counter(candidates, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_PathMinimizer(benchmark::State& s) {
    unfoldSphere<PathMinimizerUnfolder>(s, 1e9);
}
void BM_RadiusMinimizer(benchmark::State& s) {
    unfoldSphere<RadiusMinimizerUnfolder>(s, 1e9);
}
void BM_ConvexHull(benchmark::State& s) {
    unfoldSphere<ConvexHullUnfolder>(s, 60);
}
void BM_SpaceFiller(benchmark::State& s) {
    unfoldSphere<SpaceFillerUnfolder>(s, 60);
}
void BM_Crest(benchmark::State& s) {
    unfoldSphere<CrestUnfolder>(s, 60);
}
void BM_ConvexHullCandidate(benchmark::State& s) {
    candidateCost<ConvexHullUnfolder>(s);
}
void BM_SpaceFillerCandidate(benchmark::State& s) {
    candidateCost<SpaceFillerUnfolder>(s);
}
void BM_CrestCandidate(benchmark::State& s) {
    candidateCost<CrestUnfolder>(s);
}

} // namespace

// Subdivision levels 3, 4, 5: 1280, 5120 and 20480 faces. The trial strategies try every
// candidate on every pass, so their runs are long: one iteration each, capped at one
// minute of processor time.
BENCHMARK(BM_PathMinimizer)->DenseRange(3, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RadiusMinimizer)->DenseRange(3, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvexHull)->DenseRange(3, 5)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpaceFiller)->DenseRange(3, 5)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Crest)->DenseRange(3, 5)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ConvexHullCandidate)->Arg(3)->Arg(5)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SpaceFillerCandidate)->Arg(3)->Arg(5)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CrestCandidate)->Arg(3)->Arg(5)->Iterations(1)->Unit(benchmark::kMillisecond);
