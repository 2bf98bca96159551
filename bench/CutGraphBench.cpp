// The cut-graph strategies (star, outward-facing, alpha-beta) on icospheres and tori of
// 1280 and 5120 faces, and the all-pairs shortest-path tables the star cuts are built
// on, at the vertex counts of those meshes.

#include <benchmark/benchmark.h>

#include <cstddef>

#include "scene/mesh/MeshShortestPaths.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/AlphaBetaUnfolder.h"
#include "unfolders/strategies/OutwardFacingUnfolder.h"
#include "unfolders/strategies/StarUnfolder.h"

namespace {

/// Arguments 1 and 2: the non-convex torus of 1280 and 5120 faces; 3 and 4: the
/// icosphere of that subdivision level (1280 and 5120 faces).
MeshData meshFor(int which) {
    switch (which) {
    case 1:
        return testshapes::torus(20, 32);
    case 2:
        return testshapes::torus(40, 64);
    default:
        return testshapes::icosphere(which);
    }
}

template <typename T> void unfoldMesh(benchmark::State& state) {
    const MeshData data = meshFor(int(state.range(0)));
    size_t placed = 0;
    bool success = false;
    for (auto _ : state) {
        state.PauseTiming();
        auto mesh = testshapes::meshOf(data);
        state.ResumeTiming();
        auto* u = testshapes::bind<T>(*mesh);
        while (!u->isDone())
            u->unfold();
        u->onDone();
        state.PauseTiming();
        placed = u->getPolyCount();
        success = u->isSuccesful();
        mesh.reset();
        state.ResumeTiming();
    }
    state.counters["faces"] = double(data.faces.size());
    state.counters["placed"] = double(placed);
    state.counters["success"] = success ? 1 : 0;
}

void BM_Star(benchmark::State& state) {
    unfoldMesh<StarUnfolder>(state);
}
void BM_OutwardFacing(benchmark::State& state) {
    unfoldMesh<OutwardFacingUnfolder>(state);
}
void BM_AlphaBeta(benchmark::State& state) {
    unfoldMesh<AlphaBetaUnfolder>(state);
}

/// The whole table for a mesh's vertices: entering the edges and every pivot step.
void BM_ShortestPathTable(benchmark::State& state) {
    const MeshData data = meshFor(int(state.range(0)));
    auto mesh = testshapes::meshOf(data);
    double pathBytes = 0;
    for (auto _ : state) {
        MeshShortestPaths paths;
        paths.reset(*mesh);
        paths.advance(paths.getVertexCount());
        state.PauseTiming();
        // What the paths hold beyond the tables' own n² entries.
        const Sorvex::DjikstraDistance& table = paths.getTable();
        pathBytes = 0;
        for (Vertex* a : mesh->getVertices())
            for (Vertex* b : mesh->getVertices())
                pathBytes += double(table.getPath(a, b).capacity() * sizeof(void*));
        state.ResumeTiming();
    }
    const double n = double(mesh->getVertexCount());
    state.counters["vertices"] = n;
    state.counters["tableMiB"] =
        (n * n * double(sizeof(float) + sizeof(Sorvex::DjikstraDistance::Path)) + pathBytes) /
        (1024.0 * 1024.0);
}

} // namespace

BENCHMARK(BM_ShortestPathTable)->DenseRange(1, 4)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Star)->DenseRange(1, 4)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OutwardFacing)->DenseRange(1, 4)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AlphaBeta)->DenseRange(1, 4)->Iterations(1)->Unit(benchmark::kMillisecond);
