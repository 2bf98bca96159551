// Rendering throughput on a 20,480-face icosphere: a 1024 x 1024 PNG through the depth
// buffer, a PDF of a 20,480-face flat net, and picking rays against the sphere.
#include "scene/mesh/Poly.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/render/CairoRenderer.h"
#include "scene/render/PickRenderer.h"
#include "tests/support/TestShapes.h"
#include "vorn/core/capture/NetPicture.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

using Sorvex::M3d;

namespace {

using Triangle = std::array<M3d, 3>;

/// A mesh of the triangles with shared corners, so neighbours link as in a real model.
void fillMesh(PolyMesh& mesh, const std::vector<Triangle>& tris) {
    std::map<std::tuple<double, double, double>, Vertex*> corners;
    auto corner = [&](const M3d& p) {
        Vertex*& v = corners[{p.x(), p.y(), p.z()}];
        if (!v)
            v = mesh.addVertexAt(p);
        return v;
    };
    for (const Triangle& tri : tris)
        mesh.addPoly(new Poly{corner(tri[0]), corner(tri[1]), corner(tri[2])});
}

PolyMesh& icosphere() {
    static PolyMesh* mesh = [] {
        auto* m = new PolyMesh;
        m->fromMeshData(testshapes::icosphere(5)); // 20 * 4^5 = 20,480 faces
        m->setColor(0.8, 0.3, 0.3);
        return m;
    }();
    return *mesh;
}

/// A flat net of 20,480 triangles: a 128 x 80 grid of squares, each cut in two, in the
/// plane y = 0.
PolyMesh& flatNet() {
    static PolyMesh* mesh = [] {
        std::vector<Triangle> tris;
        for (int i = 0; i < 128; ++i)
            for (int j = 0; j < 80; ++j) {
                const M3d a(i, 0, j), b(i + 1, 0, j), c(i + 1, 0, j + 1), d(i, 0, j + 1);
                tris.push_back({a, b, c});
                tris.push_back({a, c, d});
            }
        auto* m = new PolyMesh;
        fillMesh(*m, tris);
        return m;
    }();
    return *mesh;
}

std::string outPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

void BM_IcospherePng1024(benchmark::State& state) {
    PolyMesh& mesh = icosphere();
    CairoRenderer renderer;
    renderer.initialise(1024, 1024);
    const std::string path = outPath("vorn-bench-icosphere.png");
    for (auto _ : state)
        if (!renderer.render_png(mesh, path))
            state.SkipWithError(renderer.getLastError().c_str());
    std::remove(path.c_str());
    state.counters["faces"] = double(mesh.getPolyCount());
}
BENCHMARK(BM_IcospherePng1024)->Unit(benchmark::kMillisecond);

void BM_IcospherePdf(benchmark::State& state) {
    PolyMesh& mesh = icosphere();
    CairoRenderer renderer;
    renderer.initialise(1024, 1024);
    const std::string path = outPath("vorn-bench-icosphere.pdf");
    for (auto _ : state)
        if (!renderer.render_pdf(mesh, path))
            state.SkipWithError(renderer.getLastError().c_str());
    std::remove(path.c_str());
}
BENCHMARK(BM_IcospherePdf)->Unit(benchmark::kMillisecond);

void BM_NetPdf(benchmark::State& state) {
    PolyMesh& net = flatNet();
    const std::string path = outPath("vorn-bench-net.pdf");
    std::string error;
    for (auto _ : state)
        if (!WriteUnfoldingPdf(net, path, error))
            state.SkipWithError(error.c_str());
    std::remove(path.c_str());
    state.counters["faces"] = double(net.getPolyCount());
}
BENCHMARK(BM_NetPdf)->Unit(benchmark::kMillisecond);

/// 1,000 rays through random pixels, after one collection of the sphere's drawing.
void BM_Pick1000Rays(benchmark::State& state) {
    PolyMesh& mesh = icosphere();
    PickRenderer picker;
    picker.collectScene(mesh);
    Camera camera;
    camera.setViewport(1024, 1024);
    camera.setLookAt(M3d(0, 0, 4), M3d(0, 0, 0), M3d(0, 1, 0));
    std::mt19937 random(7);
    std::uniform_real_distribution<double> pixel(0.0, 1024.0);
    std::vector<std::pair<double, double>> rays(1000);
    for (auto& r : rays)
        r = {pixel(random), pixel(random)};
    size_t hits = 0;
    for (auto _ : state)
        for (const auto& [x, y] : rays)
            hits += picker.pick(camera, x, y).object != nullptr;
    benchmark::DoNotOptimize(hits);
    state.counters["us_per_ray"] =
        benchmark::Counter(double(state.iterations()) * 1000,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Pick1000Rays)->Unit(benchmark::kMillisecond);

/// Running the drawing code once through the picking renderer and building its hierarchy.
void BM_PickCollect(benchmark::State& state) {
    PolyMesh& mesh = icosphere();
    PickRenderer picker;
    for (auto _ : state)
        picker.collectScene(mesh);
}
BENCHMARK(BM_PickCollect)->Unit(benchmark::kMillisecond);

} // namespace
