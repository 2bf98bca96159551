// One click on a manual unfolder of a 5,120-face geodesic sphere: the edge is
// toggled and the whole net laid out again, overlaps and success included. The
// view stays interactive when this is well under 20 ms.

#include <benchmark/benchmark.h>

#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/automation/ManualUnfolder.h"

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

} // namespace

BENCHMARK_MAIN();
