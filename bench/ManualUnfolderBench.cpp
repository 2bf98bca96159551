// One click on a manual unfolder of a 5,120-face geodesic sphere: the edge is
// toggled and the net laid out again (or kept, when the click provably changes
// nothing), overlaps and success included. The view stays interactive when this
// is well under 20 ms.

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
    const unsigned long long revision = u->getConvexHull().getRevision();
    for (auto _ : state)
        u->toggleRequestedEdge(a, b);
    state.counters["faces"] = double(mesh->getPolyCount());
    state.counters["lines"] = double(u->getChildren().size());
    // 1 when the clicks kept the net instead of laying it out again.
    state.counters["kept"] = u->getConvexHull().getRevision() == revision ? 1 : 0;
}
BENCHMARK(BM_ManualClickRelayout)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);

// A click whose edge the net folds across: cutting it (and joining it again) always
// lays the whole net out, overlaps included. The slowest click there is.
void BM_ManualClickOnAFoldEdge(benchmark::State& state) {
    auto mesh = testshapes::meshOf(testshapes::icosphere(int(state.range(0))));
    auto* u = testshapes::bind<ManualUnfolder>(*mesh);
    // A fold edge of the middle net face, found in the net: its twin's neighbour.
    Poly* net = u->getPoly(u->getPolyCount() / 2);
    int fold = 0;
    while (fold < net->getVertexCount() && !net->getNeighbor(fold))
        ++fold;
    Vertex* a = net->getTwin()->getVertex(fold);
    Vertex* b = net->getTwin()->getVertex(fold + 1);
    const unsigned long long revision = u->getConvexHull().getRevision();
    for (auto _ : state)
        u->toggleRequestedEdge(a, b);
    state.counters["faces"] = double(mesh->getPolyCount());
    state.counters["kept"] = u->getConvexHull().getRevision() == revision ? 1 : 0;
}
BENCHMARK(BM_ManualClickOnAFoldEdge)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);

// A click on an edge the net does not fold across: cutting it changes nothing the
// layout makes, and neither does joining it again, so the net is kept.
void BM_ManualClickOnAnUnfoldedEdge(benchmark::State& state) {
    auto mesh = testshapes::meshOf(testshapes::icosphere(int(state.range(0))));
    auto* u = testshapes::bind<ManualUnfolder>(*mesh);
    Poly* net = u->getPoly(u->getPolyCount() / 2);
    int open = 0;
    while (open < net->getVertexCount() && net->getNeighbor(open))
        ++open;
    Vertex* a = net->getTwin()->getVertex(open);
    Vertex* b = net->getTwin()->getVertex(open + 1);
    const unsigned long long revision = u->getConvexHull().getRevision();
    for (auto _ : state)
        u->toggleRequestedEdge(a, b);
    state.counters["faces"] = double(mesh->getPolyCount());
    state.counters["kept"] = u->getConvexHull().getRevision() == revision ? 1 : 0;
}
BENCHMARK(BM_ManualClickOnAnUnfoldedEdge)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);

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
    const unsigned long long revision = u->getConvexHull().getRevision();
    for (auto _ : state)
        u->toggleRequestedEdge(a, b);
    state.counters["faces"] = double(mesh->getPolyCount());
    state.counters["complete"] = u->isSuccesful() ? 1 : 0;
    state.counters["kept"] = u->getConvexHull().getRevision() == revision ? 1 : 0;
}
BENCHMARK(BM_ManualClickOnAnEditedNet)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
