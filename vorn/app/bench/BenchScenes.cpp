#include "vorn/app/bench/BenchScenes.h"

#include "scene/mesh/PolyMesh.h"
#include "scene/SceneRoot.h"
#include "vorn/app/bench/GeodesicSphere.h"
#include "vorn/core/StrategyCatalogue.h"
#include "vorn/core/UnfoldingLibrary.h"

#include <benchmark/benchmark.h>

#include <map>
#include <string>

SceneRoot& SphereScene(int frequency) {
    static std::map<int, SceneRoot*> scenes;
    SceneRoot*& root = scenes[frequency];
    if (!root) {
        root = new SceneRoot;
        auto* mesh = new PolyMesh;
        FillGeodesicSphere(*mesh, frequency);
        mesh->setColor(0.8, 0.3, 0.3);
        mesh->setParent(root);
    }
    return *root;
}

Camera SphereCamera(int width, int height) {
    Camera camera;
    camera.setViewport(width, height);
    camera.setNamedView("iso");
    camera.oversight(Sorvex::M3d(-1, -1, -1), Sorvex::M3d(1, 1, 1));
    return camera;
}

Factory* OfferedStrategyOrSkip(benchmark::State& state, const char* displayName) {
    std::string error;
    if (!LoadUnfoldingLibrary(&error)) {
        state.SkipWithError(error.c_str());
        return nullptr;
    }
    Factory* factory = FindOfferedStrategy(displayName).factory;
    if (!factory)
        state.SkipWithError((std::string(displayName) + " is not offered").c_str());
    return factory;
}
