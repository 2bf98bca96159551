// One click on a manual unfolder of a 5,120-face geodesic sphere: the edge is
// toggled and the whole net laid out again, overlaps and success included. The
// view stays interactive when this is well under 20 ms.

#include <benchmark/benchmark.h>

#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "scene/SceneObj.h"
#include "unfolders/automation/ManualUnfolder.h"
#include "unfolders/strategies/BreadthFirstUnfolder.h"

namespace {

void BM_ManualClickRelayout(benchmark::State& state) {
    auto mesh = testshapes::meshOf(testshapes::icosphere(int(state.range(0))));
    auto* u = testshapes::bind<ManualUnfolder>(*mesh);
    Poly* face = mesh->getPoly(mesh->getPolyCount() / 2);
    Vertex* a = face->getVertex(0);
    Vertex* b = face->getVertex(1);
    for (auto _ : state)
        u->toggleRequestedEdge(a, b);
    state.counters["faces"] = double(mesh->getPolyCount());
    state.counters["lines"] = double(u->getChildren().size());
}
BENCHMARK(BM_ManualClickRelayout)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);

// The same click on a net reached through "Edit": the requests are the cuts of a
// finished breadth-first net, so the layout is a sound net and the click cuts one
// more edge (or joins it again). This is the case of a user refining a good net.
void BM_ManualClickOnAnEditedNet(benchmark::State& state) {
    auto mesh = testshapes::meshOf(testshapes::icosphere(int(state.range(0))));
    auto* first = testshapes::bind<BreadthFirstUnfolder>(*mesh);
    testshapes::runToEnd(*first);
    ManualUnfolder* u = ManualUnfolder::ReplaceUnfolder(*first);
    SceneObj::ProcessDelayedOperations();
    Poly* face = mesh->getPoly(mesh->getPolyCount() / 2);
    Vertex* a = face->getVertex(0);
    Vertex* b = face->getVertex(1);
    for (auto _ : state)
        u->toggleRequestedEdge(a, b);
    state.counters["faces"] = double(mesh->getPolyCount());
    state.counters["complete"] = u->isSuccesful() ? 1 : 0;
}
BENCHMARK(BM_ManualClickOnAnEditedNet)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
