// Random trees laid out and judged per second, and collision repair run to
// the end, on random convex polyhedra of about 100 and 1,000 faces.

#include <benchmark/benchmark.h>

#include <algorithm>

#include "common/Random.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/CollisionRepairUnfolder.h"
#include "unfolders/strategies/RandomCutUnfolder.h"

namespace {

/// The hull of n points on a sphere has 2n - 4 triangles.
int pointsFor(int faces) {
    return (faces + 4) / 2;
}

void BM_RandomCutTrees(benchmark::State& state) {
    auto mesh = testshapes::randomConvex(11, pointsFor(int(state.range(0))));
    auto* u = testshapes::bind<RandomCutUnfolder>(*mesh);
    vornSrand(1);
    for (auto _ : state)
        u->unfold();
    state.counters["faces"] = double(mesh->getPolyCount());
    state.counters["trees/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["success %"] = 100.0 * u->getSuccessCount() / std::max(1, u->getNumUnfoldings());
}

void BM_CollisionRepair(benchmark::State& state) {
    auto data = testshapes::randomConvex(11, pointsFor(int(state.range(0))));
    int repairs = 0;
    bool success = false;
    for (auto _ : state) {
        state.PauseTiming();
        auto mesh = testshapes::randomConvex(11, pointsFor(int(state.range(0))));
        auto* u = testshapes::bind<CollisionRepairUnfolder>(*mesh);
        state.ResumeTiming();
        testshapes::runToEnd(*u);
        repairs = u->getRepairCount();
        success = u->isSuccesful();
        state.PauseTiming();
        mesh.reset();
        state.ResumeTiming();
    }
    state.counters["faces"] = double(data->getPolyCount());
    state.counters["repairs"] = repairs;
    state.counters["success"] = success;
}

} // namespace

BENCHMARK(BM_RandomCutTrees)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CollisionRepair)->Arg(1000)->Iterations(1)->Unit(benchmark::kMillisecond);
