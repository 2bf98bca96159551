// The batch engine on a series of random convex polyhedra of 100 points
// with three greedy strategies, on one worker thread and on two; with Breadth
// First alone, per CPU-second (what "vorn-cli batch --random N" does); and the
// random polyhedra alone.
#include "vorn/core/UnfoldingLibrary.h"
#include "vorn/core/batch/BatchRunner.h"
#include "vorn/core/shapes/RandomConvex.h"

#include "common/Random.h"
#include "scene/mesh/PolyMesh.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

constexpr int kPolyhedra = 1000;

void BM_BatchRandomSeries(benchmark::State& state) {
    std::string error;
    if (!LoadUnfoldingLibrary(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    BatchOptions options;
    for (const char* name : {"Breadth First", "Least Height", "Curvature Ordering"}) {
        OfferedStrategy strategy = FindOfferedStrategy(name);
        if (!strategy.factory) {
            state.SkipWithError((std::string("strategy missing: ") + name).c_str());
            return;
        }
        options.strategies.push_back(strategy);
    }
    const std::filesystem::path out =
        std::filesystem::temp_directory_path() / ("vorn-batch-bench-" + std::to_string(getpid()));
    std::filesystem::create_directories(out);
    options.recordTo = out.string();
    options.tests = {"<<" + std::to_string(kPolyhedra) + " Random Polyhedra>>"};
    options.randomBuilder = BuildRandomConvex;
    options.csvInterval = std::chrono::seconds(1); // as vorn-cli batch writes it
    const int jobs = int(state.range(0));
    for (auto _ : state) {
        BatchRunner runner;
        runner.start(options);
        runner.run(jobs);
        benchmark::DoNotOptimize(runner.getResults().getValues().size());
    }
    std::filesystem::remove_all(out);
    state.counters["polyhedra/s"] = benchmark::Counter(
        double(kPolyhedra) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BatchRandomSeries)
    ->ArgName("jobs")
    ->Arg(1)
    ->Arg(2)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

void BM_BatchOneStrategyPerCpuSecond(benchmark::State& state) {
    std::string error;
    if (!LoadUnfoldingLibrary(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    BatchOptions options;
    options.strategies = {FindOfferedStrategy("Breadth First")};
    if (!options.strategies.front().factory) {
        state.SkipWithError("strategy missing: Breadth First");
        return;
    }
    const std::filesystem::path out = std::filesystem::temp_directory_path() /
                                      ("vorn-batch-bench1-" + std::to_string(getpid()));
    std::filesystem::create_directories(out);
    options.recordTo = out.string();
    options.tests = {"<<" + std::to_string(kPolyhedra * 4) + " Random Polyhedra>>"};
    options.randomBuilder = BuildRandomConvex;
    options.csvInterval = std::chrono::seconds(1);
    for (auto _ : state) {
        BatchRunner runner;
        runner.start(options);
        runner.run(1);
        benchmark::DoNotOptimize(runner.getResults().getValues().size());
    }
    std::filesystem::remove_all(out);
    // Without UseRealTime the rate is per CPU-second of this process.
    state.counters["polyhedra/cpu-s"] = benchmark::Counter(
        double(kPolyhedra * 4) * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_BatchOneStrategyPerCpuSecond)->Iterations(1)->Unit(benchmark::kSecond);

void BM_RandomPolyhedron(benchmark::State& state) {
    vornSrand(1);
    for (auto _ : state) {
        PolyMesh mesh;
        MakeRandomPolyhedron(mesh, false, BuildRandomConvex);
        benchmark::DoNotOptimize(mesh.getPolyCount());
    }
    state.counters["polyhedra/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RandomPolyhedron)->Unit(benchmark::kMicrosecond);

} // namespace
