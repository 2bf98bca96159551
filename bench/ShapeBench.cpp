// Rebuilding each parametric shape at its largest slider setting, as a panel does on every
// slider move: the panel stays interactive while this is well under 20 ms.
#include "vorn/core/shapes/BinTree.h"
#include "vorn/core/shapes/Coolinoid.h"
#include "vorn/core/shapes/MathFn.h"
#include "vorn/core/shapes/WitchHat.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>

namespace {

// The shapes store their parameters in the user settings: keep those in a scratch folder.
const bool g_privateSettings = [] {
    const auto dir = std::filesystem::temp_directory_path() / "vorn-shape-bench";
    std::filesystem::create_directories(dir);
    return setenv("VORN_CONFIG_DIR", dir.c_str(), 1) == 0;
}();

// Slider position 100 gives du = dv = 103, h = 10 and k = 12.5; every other iteration
// moves one slider back a step, so no rebuild is skipped as unchanged.
void BM_CoolinoidRebuild(benchmark::State& state) {
    Coolinoid c;
    bool odd = false;
    for (auto _ : state) {
        c.rebuild(103, odd ? 102 : 103, 10, 12.5);
        odd = !odd;
    }
    state.counters["faces"] = double(c.getPolyCount());
}
BENCHMARK(BM_CoolinoidRebuild)->Unit(benchmark::kMillisecond);

void BM_WitchHatRebuild(benchmark::State& state) {
    WitchHat w;
    bool odd = false;
    for (auto _ : state) {
        w.rebuild(5, odd ? 2.96 : 3);
        odd = !odd;
    }
    state.counters["faces"] = double(w.getPolyCount());
}
BENCHMARK(BM_WitchHatRebuild)->Unit(benchmark::kMillisecond);

// Valence 13 with chop and dual, up to the slider's 10 subdivisions (17k faces). Cuts edit
// only the faces round their corner, but the base polygon gains a side with every cut and
// is still walked a few times per cut, so the cost grows about fourfold a round.
void BM_BinTreeRebuild(benchmark::State& state) {
    BinTree t;
    const int subdivisions = int(state.range(0));
    bool odd = false;
    for (auto _ : state) {
        t.rebuild(13, subdivisions, true, true, odd ? 0.99 : 1.0);
        odd = !odd;
    }
    state.counters["faces"] = double(t.getPolyCount());
}
BENCHMARK(BM_BinTreeRebuild)->Arg(4)->Arg(7)->Arg(8)->Arg(10)->Unit(benchmark::kMillisecond);

// Each gallery shape at du = dv = 27 (slider position 100).
void BM_MathFnRebuild(benchmark::State& state) {
    MathFn m;
    const int which = int(state.range(0));
    bool odd = false;
    for (auto _ : state) {
        m.rebuild(which, 27, odd ? 26 : 27);
        odd = !odd;
    }
    state.counters["faces"] = double(m.getPolyCount());
}
BENCHMARK(BM_MathFnRebuild)
    ->DenseRange(1007, 1014)
    ->Arg(1016)
    ->Arg(1018)
    ->Arg(1019)
    ->Arg(1020)
    ->Arg(1021)
    ->DenseRange(1045, 1047)
    ->Arg(1049)
    ->Arg(1050)
    ->Unit(benchmark::kMillisecond);

} // namespace
