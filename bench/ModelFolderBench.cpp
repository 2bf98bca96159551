// Opening the models of a batch folder: two icospheres of 81,920 and 327,680 faces read
// straight into meshes, as model-folder batches read them, against the route through
// each file's XML text that they took before.
#include "common/XML.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestShapes.h"
#include "vorn/core/LoaderList.h"
#include "vorn/core/OffExport.h"
#include "vorn/core/batch/BatchTests.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

/// The model folder, written once: the icospheres of levels 6 and 7.
const std::vector<std::string>& modelFiles() {
    static TempDir folder;
    static std::vector<std::string> files;
    if (files.empty()) {
        for (int level : {6, 7}) {
            PolyMesh mesh;
            mesh.fromMeshData(testshapes::icosphere(level));
            const std::string path =
                (std::filesystem::path(folder.path()) / ("sphere" + std::to_string(level) + ".off"))
                    .string();
            std::string error;
            if (ExportOff(mesh, path, error))
                files.push_back(path);
        }
    }
    return files;
}

void BM_ModelFolderDirect(benchmark::State& state) {
    size_t faces = 0;
    for (auto _ : state) {
        faces = 0;
        for (const std::string& path : modelFiles())
            if (auto mesh = LoadTestModel(path))
                faces += mesh->getPolyCount();
    }
    state.counters["faces"] = double(faces);
}
BENCHMARK(BM_ModelFolderDirect)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ModelFolderThroughXml(benchmark::State& state) {
    size_t faces = 0;
    for (auto _ : state) {
        faces = 0;
        for (const std::string& path : modelFiles()) {
            XML node("SceneRoot");
            std::string error;
            PolyMesh mesh;
            if (LoadWithLoaders(path, node, error)) {
                mesh.read(node);
                faces += mesh.getPolyCount();
            }
        }
    }
    state.counters["faces"] = double(faces);
}
BENCHMARK(BM_ModelFolderThroughXml)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
