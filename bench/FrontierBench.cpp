// The curvature-frontier variants and the unravel strategies on icospheres of 1280,
// 5120 and 20480 faces: one whole run each, from binding (curvature field, sorted
// faces, trace directions) to the last step.

#include <benchmark/benchmark.h>

#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/FastUnravelUnfolder.h"
#include "unfolders/strategies/MultipartCurvatureOrderingUnfolder.h"
#include "unfolders/strategies/MultiseedUnfolder.h"
#include "unfolders/strategies/TracerUnfolder.h"
#include "unfolders/strategies/UnravelUnfolder.h"

namespace {

template <typename T> void unfoldSphere(benchmark::State& state) {
    const MeshData sphere = testshapes::icosphere(int(state.range(0)));
    size_t placed = 0;
    bool success = false;
    for (auto _ : state) {
        state.PauseTiming();
        auto mesh = testshapes::meshOf(sphere);
        state.ResumeTiming();
        auto* u = testshapes::bind<T>(*mesh);
        while (!u->isDone())
            u->unfold();
        state.PauseTiming();
        placed = u->getPolyCount();
        u->onDone();
        success = u->isSuccesful();
        mesh.reset();
        state.ResumeTiming();
    }
    state.counters["faces"] = double(sphere.faces.size());
    state.counters["placed"] = double(placed);
    state.counters["success"] = success ? 1 : 0;
}

void BM_Tracer(benchmark::State& state) {
    unfoldSphere<TracerUnfolder>(state);
}
void BM_Multiseed(benchmark::State& state) {
    unfoldSphere<MultiseedUnfolder>(state);
}
void BM_MultipartCurvature(benchmark::State& state) {
    unfoldSphere<MultipartCurvatureOrderingUnfolder>(state);
}
void BM_Unravel(benchmark::State& state) {
    unfoldSphere<UnravelUnfolder>(state);
}
void BM_FastUnravel(benchmark::State& state) {
    unfoldSphere<FastUnravelUnfolder>(state);
}

} // namespace

// Subdivision levels 3, 4, 5: 1280, 5120 and 20480 faces.
BENCHMARK(BM_Tracer)->DenseRange(3, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Multiseed)->DenseRange(3, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MultipartCurvature)->DenseRange(3, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Unravel)->DenseRange(3, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FastUnravel)->DenseRange(3, 5)->Unit(benchmark::kMillisecond);
