// Scene input and output on a closed 100,000-triangle mesh: reading OFF,
// linking neighbours, and a scene document save + open round trip.
#include "common/XML.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/SceneObj.h"
#include "scene/loaders/OFFLoader.h"
#include "scene/loaders/OffParser.h"
#include "vorn/core/OffExport.h"
#include "vorn/core/SceneDocument.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>

namespace {

/// A torus of `rings` x `segments` quads, each split into two triangles.
MeshData makeTorus(int rings, int segments) {
    MeshData mesh;
    for (int i = 0; i < rings; ++i) {
        double u = 2 * std::numbers::pi * i / rings;
        for (int j = 0; j < segments; ++j) {
            double v = 2 * std::numbers::pi * j / segments;
            double r = 3 + std::cos(v);
            mesh.vertices.emplace_back(r * std::cos(u), std::sin(v), r * std::sin(u));
        }
    }
    auto at = [&](int i, int j) { return (i % rings) * segments + (j % segments); };
    for (int i = 0; i < rings; ++i)
        for (int j = 0; j < segments; ++j) {
            mesh.faces.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1)});
            mesh.faces.push_back({at(i, j), at(i + 1, j + 1), at(i, j + 1)});
        }
    return mesh;
}

/// The shared test files, written once into a private temporary folder.
struct Fixture {
    Fixture() : mesh(makeTorus(250, 200)) {
        folder = std::filesystem::temp_directory_path() /
                 ("vorn-sceneio-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
        offPath = (folder / "torus.off").string();
        std::ofstream(offPath, std::ios::binary) << FormatOff(mesh);
        std::ifstream in(offPath, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        offText = text.str();
    }
    ~Fixture() { std::filesystem::remove_all(folder); }

    MeshData mesh;
    std::filesystem::path folder;
    std::string offPath;
    std::string offText;
};

Fixture& fixture() {
    static Fixture f;
    return f;
}

void BM_ParseOff(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        MeshData mesh;
        MeshParseError error;
        if (!ParseOff(f.offText, mesh, error))
            state.SkipWithError(error.message.c_str());
        benchmark::DoNotOptimize(mesh.faces.data());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(f.mesh.faces.size()));
}
BENCHMARK(BM_ParseOff)->Unit(benchmark::kMillisecond);

/// Building the mesh from checked data: vertices, faces and neighbour links.
void BM_LinkNeighbours(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        PolyMesh mesh;
        std::string error;
        if (!mesh.fromMeshData(f.mesh, &error))
            state.SkipWithError(error.c_str());
        benchmark::DoNotOptimize(mesh.getPolyCount());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(f.mesh.faces.size()));
}
BENCHMARK(BM_LinkNeighbours)->Unit(benchmark::kMillisecond);

/// The whole OFF loader: read, parse, validate, link, write the XML node.
void BM_LoadOffFile(benchmark::State& state) {
    Fixture& f = fixture();
    for (auto _ : state) {
        OFFLoader loader;
        XML node("SceneRoot");
        if (!loader.load(f.offPath, node))
            state.SkipWithError(loader.getError().c_str());
        benchmark::DoNotOptimize(node.getChildCount());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(f.mesh.faces.size()));
}
BENCHMARK(BM_LoadOffFile)->Unit(benchmark::kMillisecond);

/// Saving the mesh as a scene document and opening it again.
void BM_SceneSaveOpenRoundTrip(benchmark::State& state) {
    Fixture& f = fixture();
    SceneDocument source;
    std::string error;
    if (!source.open(f.offPath, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const std::string scenePath = (f.folder / "torus.xml").string();
    for (auto _ : state) {
        SceneDocument reopened;
        if (!source.save(scenePath, error) || !reopened.open(scenePath, error))
            state.SkipWithError(error.c_str());
        SceneObj::ProcessDelayedOperations();
    }
    state.SetItemsProcessed(state.iterations() * int64_t(f.mesh.faces.size()));
}
BENCHMARK(BM_SceneSaveOpenRoundTrip)->Unit(benchmark::kMillisecond);

void BM_SceneSave(benchmark::State& state) {
    Fixture& f = fixture();
    SceneDocument source;
    std::string error;
    if (!source.open(f.offPath, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const std::string scenePath = (f.folder / "torus-save.xml").string();
    for (auto _ : state)
        if (!source.save(scenePath, error))
            state.SkipWithError(error.c_str());
    SceneObj::ProcessDelayedOperations();
}
BENCHMARK(BM_SceneSave)->Unit(benchmark::kMillisecond);

void BM_SceneOpen(benchmark::State& state) {
    Fixture& f = fixture();
    SceneDocument source;
    std::string error;
    const std::string scenePath = (f.folder / "torus-open.xml").string();
    if (!source.open(f.offPath, error) || !source.save(scenePath, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    for (auto _ : state) {
        SceneDocument reopened;
        if (!reopened.open(scenePath, error))
            state.SkipWithError(error.c_str());
        SceneObj::ProcessDelayedOperations();
    }
}
BENCHMARK(BM_SceneOpen)->Unit(benchmark::kMillisecond);

} // namespace
