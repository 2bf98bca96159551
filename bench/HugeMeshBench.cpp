// Huge meshes, as a user meets them: an OFF file opened as a document (read, checked,
// turned into the scene) and a greedy strategy run on it to the end. Spheres of 81,920
// and 327,680 faces for the strategies, a 1,000,000-face torus for loading alone. The
// meshes are written to a temporary folder when the benchmark starts.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "scene/mesh/PolyMesh.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/BreadthFirstUnfolder.h"
#include "unfolders/strategies/CurvatureOrderingUnfolder.h"
#include "unfolders/strategies/LeastHeightUnfolder.h"
#include "vorn/core/SceneDocument.h"

namespace {

namespace fs = std::filesystem;

/// Writes `mesh` as an OFF file with round-trip precision.
void writeOff(const MeshData& mesh, const fs::path& path) {
    std::FILE* out = std::fopen(path.c_str(), "w");
    if (!out)
        return;
    std::fprintf(out, "OFF\n%zu %zu 0\n", mesh.vertices.size(), mesh.faces.size());
    for (const Sorvex::M3d& p : mesh.vertices)
        std::fprintf(out, "%.17g %.17g %.17g\n", p.x(), p.y(), p.z());
    for (const std::vector<int>& face : mesh.faces) {
        std::fprintf(out, "%zu", face.size());
        for (int v : face)
            std::fprintf(out, " %d", v);
        std::fputc('\n', out);
    }
    std::fclose(out);
}

/// The OFF file of a benchmark mesh, written on first use: "sphere6", "sphere7" (the
/// icospheres of 81,920 and 327,680 faces) or "torus1M" (1000 x 500 segments).
std::string meshFile(const std::string& name) {
    const fs::path path = fs::temp_directory_path() / ("vorn-huge-bench-" + name + ".off");
    if (!fs::exists(path)) {
        if (name == "torus1M")
            writeOff(testshapes::torus(500, 1000), path);
        else
            writeOff(testshapes::icosphere(name == "sphere6" ? 6 : 7), path);
    }
    return path.string();
}

void BM_OpenOff(benchmark::State& state) {
    const std::string path = meshFile("torus1M");
    size_t faces = 0;
    for (auto _ : state) {
        SceneDocument doc;
        std::string error;
        if (!doc.open(path, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        faces = doc.getTargetMesh()->getPolyCount();
    }
    state.counters["faces"] = double(faces);
}
BENCHMARK(BM_OpenOff)->Unit(benchmark::kMillisecond)->Iterations(3);

/// Opens the sphere of subdivision level `state.range(0)` and unfolds it with T to the end.
template <typename T> void openAndUnfold(benchmark::State& state) {
    const std::string path = meshFile("sphere" + std::to_string(state.range(0)));
    size_t placed = 0;
    for (auto _ : state) {
        SceneDocument doc;
        std::string error;
        if (!doc.open(path, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        auto* u = testshapes::bind<T>(*doc.getTargetMesh());
        if (!testshapes::runToEnd(*u, 10000000)) {
            state.SkipWithError("the strategy did not finish");
            return;
        }
        placed = u->getPolyCount();
    }
    state.counters["faces"] = double(placed);
}

void BM_OpenAndUnfoldBreadthFirst(benchmark::State& state) {
    openAndUnfold<BreadthFirstUnfolder>(state);
}
void BM_OpenAndUnfoldLeastHeight(benchmark::State& state) {
    openAndUnfold<LeastHeightUnfolder>(state);
}
void BM_OpenAndUnfoldCurvatureOrdering(benchmark::State& state) {
    openAndUnfold<CurvatureOrderingUnfolder>(state);
}

} // namespace

// Levels 6 and 7: 81,920 and 327,680 faces; the ratio of the two shows the growth.
BENCHMARK(BM_OpenAndUnfoldBreadthFirst)->DenseRange(6, 7)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndUnfoldLeastHeight)->DenseRange(6, 7)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenAndUnfoldCurvatureOrdering)->DenseRange(6, 7)->Iterations(1)->Unit(benchmark::kMillisecond);
