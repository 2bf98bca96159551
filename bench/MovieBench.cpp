// Frames per second of the headless fold movie: a 5,120-face icosphere net folding, each
// frame drawn at 640 x 480 by the file renderer and encoded (MPEG-4 in AVI, and H.264 in
// MP4), and the three parts of a frame on their own.
#include "scene/render/CairoRenderer.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/engine/UnfoldingAnimation.h"
#include "unfolders/strategies/BreadthFirstUnfolder.h"
#include "vorn/core/movie/MovieWriter.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

using Sorvex::M3d;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;

/// The animation of a breadth-first net of the level-4 icosphere (5,120 faces).
UnfoldingAnimation& animation() {
    static UnfoldingAnimation* anim = [] {
        auto* mesh = new PolyMesh;
        mesh->fromMeshData(testshapes::icosphere(4));
        auto* u = testshapes::bind<BreadthFirstUnfolder>(*mesh);
        testshapes::runToEnd(*u);
        return new UnfoldingAnimation(u);
    }();
    return *anim;
}

/// The renderer as the fold movie sets it up: a fixed view holding the whole fold.
CairoRenderer& renderer() {
    static CairoRenderer* r = [] {
        auto* renderer = new CairoRenderer;
        renderer->initialise(kWidth, kHeight);
        UnfoldingAnimation& anim = animation();
        anim.flexFaces(0);
        M3d lo = *anim.getVertex(0), hi = lo;
        for (float p : {0.0f, 1.0f}) {
            anim.flexFaces(p);
            for (const Vertex* v : anim.getVertices())
                for (int k = 0; k < 3; ++k) {
                    lo[k] = std::min(lo[k], (*v)[k]);
                    hi[k] = std::max(hi[k], (*v)[k]);
                }
        }
        Camera camera;
        const M3d centre = (lo + hi) * 0.5;
        camera.setLookAt(centre + M3d(1, 0.8, 1.4).normalized() * 10.0, centre, M3d(0, 1, 0));
        camera.setViewport(kWidth, kHeight);
        camera.oversight(lo, hi);
        renderer->setCamera(camera);
        renderer->setSupersampling(1);
        return renderer;
    }();
    return *r;
}

float fractionOf(int64_t frame) {
    return float((1 - std::cos(M_PI * double(frame % 91) / 90)) * 0.5);
}

void frames(benchmark::State& state, const char* name) {
    UnfoldingAnimation& anim = animation();
    CairoRenderer& r = renderer();
    const std::string path = (std::filesystem::temp_directory_path() / name).string();
    MovieWriter movie;
    if (!movie.open(path, kWidth, kHeight)) {
        state.SkipWithError(movie.getError().c_str());
        return;
    }
    std::vector<std::uint32_t> pixels;
    int64_t frame = 0;
    for (auto _ : state) {
        anim.flexFaces(fractionOf(frame++));
        r.render_image(anim, pixels);
        movie.addFrame(pixels.data(), kWidth * 4);
    }
    movie.finish();
    std::filesystem::remove(path);
    state.SetItemsProcessed(state.iterations());
    state.counters["faces"] = double(anim.getPolyCount());
}

void BM_FoldMovieFrameAvi(benchmark::State& state) {
    frames(state, "vorn-bench-fold.avi");
}
BENCHMARK(BM_FoldMovieFrameAvi)->Unit(benchmark::kMillisecond);

void BM_FoldMovieFrameMp4(benchmark::State& state) {
    frames(state, "vorn-bench-fold.mp4");
}
BENCHMARK(BM_FoldMovieFrameMp4)->Unit(benchmark::kMillisecond);

void BM_FoldOnly(benchmark::State& state) {
    UnfoldingAnimation& anim = animation();
    int64_t frame = 0;
    for (auto _ : state)
        anim.flexFaces(fractionOf(frame++));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FoldOnly)->Unit(benchmark::kMillisecond);

void BM_DrawFrameOnly(benchmark::State& state) {
    UnfoldingAnimation& anim = animation();
    anim.flexFaces(0.5f);
    std::vector<std::uint32_t> pixels;
    for (auto _ : state)
        renderer().render_image(anim, pixels);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_DrawFrameOnly)->Unit(benchmark::kMillisecond);

void BM_EncodeFrameOnly(benchmark::State& state) {
    UnfoldingAnimation& anim = animation();
    anim.flexFaces(0.5f);
    std::vector<std::uint32_t> pixels;
    renderer().render_image(anim, pixels);
    const std::string path =
        (std::filesystem::temp_directory_path() / "vorn-bench-encode.avi").string();
    MovieWriter movie;
    movie.open(path, kWidth, kHeight);
    for (auto _ : state)
        movie.addFrame(pixels.data(), kWidth * 4);
    movie.abandon();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EncodeFrameOnly)->Unit(benchmark::kMillisecond);

} // namespace
