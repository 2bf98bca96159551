// The truncation strategy (carving a convex mesh out of a tetrahedron, the net laid again
// after every cut) and the region strategy (region nets joined, then grown), each bound
// and run to the end on icospheres of 1280 and 5120 faces; the region strategy also on
// tori of those sizes, whose regions of either sign are bands.

#include <benchmark/benchmark.h>

#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/RegionUnfolder.h"
#include "unfolders/strategies/TruncationUnfolder.h"

namespace {

template <typename T> void unfoldToEnd(benchmark::State& state, const MeshData& shape) {
    std::size_t placed = 0;
    bool success = false;
    for (auto _ : state) {
        state.PauseTiming();
        auto mesh = testshapes::meshOf(shape);
        state.ResumeTiming();
        auto* u = testshapes::bind<T>(*mesh);
        testshapes::runToEnd(*u, 10000000);
        state.PauseTiming();
        placed = u->getPolyCount();
        success = u->isSuccesful();
        mesh.reset();
        state.ResumeTiming();
    }
    state.counters["faces"] = double(shape.faces.size());
    state.counters["placed"] = double(placed);
    state.counters["success"] = success ? 1 : 0;
}

void BM_TruncationIcosphere(benchmark::State& state) {
    unfoldToEnd<TruncationUnfolder>(state, testshapes::icosphere(int(state.range(0))));
}
void BM_RegionIcosphere(benchmark::State& state) {
    unfoldToEnd<RegionUnfolder>(state, testshapes::icosphere(int(state.range(0))));
}
/// A torus of 2 * rings * segments triangles: 1280 faces for 32 rings, 5120 for 64.
void BM_RegionTorus(benchmark::State& state) {
    const int rings = int(state.range(0));
    unfoldToEnd<RegionUnfolder>(state, testshapes::torus(rings, rings * 5 / 8));
}

} // namespace

// Subdivision levels 3 and 4: 1280 and 5120 faces.
BENCHMARK(BM_TruncationIcosphere)->DenseRange(3, 4)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegionIcosphere)->DenseRange(3, 4)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegionTorus)->Arg(32)->Arg(64)->Iterations(1)->Unit(benchmark::kMillisecond);
