// Spanning trees enumerated per second, and trees laid out and judged per second, on the
// cube, the octahedron and the icosahedron (20 faces).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>

#include "common/XML.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/SpannedUnfolder.h"
#include "unfolders/strategies/enumeration/FlatTreeJudge.h"
#include "unfolders/strategies/enumeration/GraphSpanningTrees.h"

namespace {

std::unique_ptr<PolyMesh> shape(int which) {
    switch (which) {
    case 0:
        return testshapes::meshOf(testshapes::cube());
    case 1:
        return testshapes::meshOf(testshapes::octahedron());
    default:
        return testshapes::meshOf(testshapes::unitIcosahedron());
    }
}

Graph<Poly*> faceGraph(PolyMesh& mesh) {
    Graph<Poly*> g;
    for (Poly* f : mesh.getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i)
            if (Poly* n = f->getNeighbor(i))
                g.addEdge(f, n);
    return g;
}

/// The enumerator alone: one iteration is one tree; it starts over at the end.
void BM_EnumerateSpanningTrees(benchmark::State& state) {
    auto mesh = shape(int(state.range(0)));
    const NumberedGraph<Poly*> numbered(faceGraph(*mesh));
    SpanningTreeEnumerator trees = numbered.makeEnumerator();
    for (auto _ : state) {
        if (!trees.next()) {
            trees.restart();
            trees.next();
        }
        benchmark::DoNotOptimize(trees.getTreeEdges().data());
    }
    state.counters["faces"] = double(mesh->getPolyCount());
    state.counters["trees"] = numbered.countTrees().count;
    state.counters["trees/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

/// The spanned search's step: one tree built, laid out and judged for overlaps.
void BM_JudgeSpanningTrees(benchmark::State& state) {
    auto mesh = shape(int(state.range(0)));
    auto* u = testshapes::bind<SpannedUnfolder>(*mesh);
    u->setCandidateLimit(1e7);
    for (auto _ : state)
        u->unfold();
    state.counters["faces"] = double(mesh->getPolyCount());
    state.counters["nets/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

/// Trees enumerated and judged by the flat judge, without laying out nets.
void BM_FlatJudgeSpanningTrees(benchmark::State& state) {
    auto mesh = shape(int(state.range(0)));
    auto* u = testshapes::bind<SpannedUnfolder>(*mesh);
    const NumberedGraph<Poly*> numbered(faceGraph(*mesh));
    Poly* start = u->getUnfoldingRoot()->getTwin();
    const auto& faces = numbered.getVertices();
    FlatTreeJudge judge(faces, numbered.getEdges(),
                        int(std::find(faces.begin(), faces.end(), start) - faces.begin()),
                        *u->getFaceTransform(start));
    SpanningTreeEnumerator trees = numbered.makeEnumerator();
    long long free = 0;
    for (auto _ : state) {
        if (!trees.next()) {
            trees.restart();
            trees.next();
        }
        free += judge.isOverlapFree(trees.getTreeEdges());
    }
    state.counters["faces"] = double(mesh->getPolyCount());
    state.counters["freeShare"] = double(free) / double(state.iterations());
    state.counters["nets/s"] =
        benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}

/// The spanned search as `vorn-cli enumerate` runs it: counting only, a batch of trees
/// judged per step. One iteration is one step.
void BM_CountingSpannedSteps(benchmark::State& state) {
    auto mesh = shape(int(state.range(0)));
    auto* u = testshapes::bind<SpannedUnfolder>(*mesh);
    u->setCandidateLimit(1e7);
    XML options("SpannedUnfolder");
    options.add("JudgeOnly", true);
    u->read(options);
    for (auto _ : state) {
        u->unfold();
        // The icosahedron's 5 million trees outlast a benchmark run; a finished run restarts.
        if (u->isDone()) {
            state.PauseTiming();
            u->setParent(nullptr);
            u->setParent(mesh.get());
            u->setCandidateLimit(1e7);
            u->read(options);
            state.ResumeTiming();
        }
    }
    state.counters["faces"] = double(mesh->getPolyCount());
    state.counters["nets/s"] =
        benchmark::Counter(double(state.iterations()) * SpannedUnfolder::TreesPerJudgingStep,
                           benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_EnumerateSpanningTrees)->ArgName("cube|octa|icosa")->DenseRange(0, 2);
BENCHMARK(BM_JudgeSpanningTrees)->ArgName("cube|octa|icosa")->DenseRange(0, 2);
BENCHMARK(BM_FlatJudgeSpanningTrees)->ArgName("cube|octa|icosa")->DenseRange(0, 2);
BENCHMARK(BM_CountingSpannedSteps)->ArgName("icosa")->Arg(2);
