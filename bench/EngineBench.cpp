// The overlap index against brute force, on nets of 1,280 to 81,920 faces.
//
// Flat grids unfold onto themselves, so every face is placed and tested while
// the check is on. Icospheres laid out without the check give heavily
// overlapping nets on which findConflicts runs.

#include <benchmark/benchmark.h>

#include <cmath>
#include <deque>
#include <memory>
#include <set>
#include <utility>

#include "scene/mesh/MeshData.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/TestShapes.h"
#include "unfolders/engine/Unfolder.h"

using Sorvex::M3d;

namespace {

/// A flat grid of columns x rows squares, each split into two triangles.
MeshData flatGrid(int columns, int rows) {
    MeshData data;
    for (int r = 0; r <= rows; ++r)
        for (int c = 0; c <= columns; ++c)
            data.vertices.emplace_back(c, 0, r);
    auto at = [&](int c, int r) { return r * (columns + 1) + c; };
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c) {
            data.faces.push_back({at(c, r), at(c + 1, r), at(c + 1, r + 1)});
            data.faces.push_back({at(c, r), at(c + 1, r + 1), at(c, r + 1)});
        }
    }
    return data;
}

/// The breadth-first face tree of `mesh` from its first face; with
/// `depthFirst` the depth-first tree instead (long strips that wind round
/// a sphere and overlap).
Tree<Poly*> faceTree(PolyMesh& mesh, bool depthFirst) {
    Graph<Poly*> graph;
    Poly* start = mesh.getPoly(0);
    std::set<Poly*> seen{start};
    std::deque<Poly*> pending{start};
    while (!pending.empty()) {
        Poly* f = depthFirst ? pending.back() : pending.front();
        if (depthFirst)
            pending.pop_back();
        else
            pending.pop_front();
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Poly* g = f->getNeighbor(i);
            if (g && seen.insert(g).second) {
                graph.addEdge(f, g);
                pending.push_back(g);
            }
        }
    }
    return Tree<Poly*>(graph, start);
}

/// A source mesh with an unfolder bound to it (owned by the mesh).
struct Scene {
    std::unique_ptr<PolyMesh> mesh = std::make_unique<PolyMesh>();
    Unfolder* unfolder = new Unfolder;
    Tree<Poly*> tree;

    explicit Scene(const MeshData& data, bool depthFirst = false) {
        mesh->fromMeshData(data);
        unfolder->setParent(mesh.get());
        tree = faceTree(*mesh, depthFirst);
    }
};

MeshData gridOfFaces(int64_t faces) {
    // Columns : rows = 8 : 5, so 1,280 faces are 32 x 20 squares.
    const int rows = int(std::lround(std::sqrt(double(faces) / 2 / 1.6)));
    return flatGrid(int(faces / 2 / rows), rows);
}

MeshData icosphereOfFaces(int64_t faces) {
    int levels = 0;
    for (int64_t n = 20; n < faces; n *= 4)
        ++levels;
    return testshapes::icosphere(levels);
}

void BM_CheckedLayoutOfFlatGrid(benchmark::State& state) {
    Scene scene(gridOfFaces(state.range(0)));
    for (auto _ : state) {
        const bool complete = scene.unfolder->unfoldToNet(scene.tree);
        if (!complete)
            state.SkipWithError("a flat grid must unfold completely");
    }
    state.counters["faces"] = double(scene.unfolder->getPolyCount());
    state.SetComplexityN(state.range(0));
}

/// findConflicts on the net of a breadth-first tree (which on a sphere does
/// not overlap: every face is queried, nothing is found) or of a depth-first
/// tree (strips that overlap in many places).
void BM_FindConflictsOnIcosphereNet(benchmark::State& state) {
    const bool depthFirst = state.range(1) != 0;
    Scene scene(icosphereOfFaces(state.range(0)), depthFirst);
    scene.unfolder->setCheckIntersections(false);
    scene.unfolder->unfoldToNet(scene.tree);
    for (auto _ : state)
        benchmark::DoNotOptimize(scene.unfolder->findConflicts());
    state.counters["faces"] = double(scene.unfolder->getPolyCount());
    state.counters["overlapping pairs"] = double(scene.unfolder->getConflicts().getEdgeCount());
    state.SetComplexityN(state.range(0));
}

/// All pairs tested directly, on the same overlapping depth-first net.
void BM_BruteForceOverlapsOnIcosphereNet(benchmark::State& state) {
    Scene scene(icosphereOfFaces(state.range(0)), true);
    scene.unfolder->setCheckIntersections(false);
    scene.unfolder->unfoldToNet(scene.tree);
    std::vector<FaceBox> boxes;
    for (Poly* f : scene.unfolder->getPolys())
        boxes.emplace_back(f);
    int64_t pairs = 0;
    for (auto _ : state) {
        pairs = 0;
        for (size_t i = 0; i < boxes.size(); ++i)
            for (size_t j = i + 1; j < boxes.size(); ++j)
                pairs += FacesOverlap(boxes[i], boxes[j]) ? 1 : 0;
        benchmark::DoNotOptimize(pairs);
    }
    state.counters["overlapping pairs"] = double(pairs);
    state.SetComplexityN(state.range(0));
}

} // namespace

BENCHMARK(BM_CheckedLayoutOfFlatGrid)
    ->Arg(1280)
    ->Arg(20480)
    ->Arg(81920)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);
BENCHMARK(BM_FindConflictsOnIcosphereNet)
    ->ArgNames({"faces", "depthFirst"})
    ->ArgsProduct({{1280, 20480, 81920}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BruteForceOverlapsOnIcosphereNet)
    ->Arg(1280)
    ->Arg(20480)
    ->Arg(81920)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Complexity(benchmark::oNSquared);
