// Greedy strategies on icospheres of 1280, 5120 and 20480 faces: the
// lowest-candidate and curvature scans, scanning the whole net on each
// attempt against scanning only the faces that can still offer a candidate.

#include <benchmark/benchmark.h>

#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/CurvatureOrderingUnfolder.h"
#include "unfolders/strategies/LeastHeightUnfolder.h"

namespace {

template <typename T> void unfoldSphere(benchmark::State& state, bool incremental) {
    const MeshData sphere = testshapes::icosphere(int(state.range(0)));
    size_t faces = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto mesh = testshapes::meshOf(sphere);
        auto* u = testshapes::bind<T>(*mesh);
        u->setIncrementalScan(incremental);
        state.ResumeTiming();
        while (!u->isDone())
            u->unfold();
        faces = u->getPolyCount();
        state.PauseTiming();
        mesh.reset();
        state.ResumeTiming();
    }
    state.counters["faces"] = double(sphere.faces.size());
    state.counters["placed"] = double(faces);
}

void BM_LeastHeightFullScan(benchmark::State& state) {
    unfoldSphere<LeastHeightUnfolder>(state, false);
}
void BM_LeastHeightIncremental(benchmark::State& state) {
    unfoldSphere<LeastHeightUnfolder>(state, true);
}
void BM_CurvatureFullScan(benchmark::State& state) {
    unfoldSphere<CurvatureOrderingUnfolder>(state, false);
}
void BM_CurvatureIncremental(benchmark::State& state) {
    unfoldSphere<CurvatureOrderingUnfolder>(state, true);
}

} // namespace

// Subdivision levels 3, 4, 5: 1280, 5120 and 20480 faces. The full scans are
// quadratic, so the largest sphere is run once.
BENCHMARK(BM_LeastHeightFullScan)->DenseRange(3, 5)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LeastHeightIncremental)->DenseRange(3, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurvatureFullScan)->DenseRange(3, 5)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CurvatureIncremental)->DenseRange(3, 5)->Unit(benchmark::kMillisecond);
