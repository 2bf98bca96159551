// Frame times of the OpenGL view on geodesic spheres of 20,480, 100,820 and 1,003,520
// triangles:
// the first frame (the scene recorded and uploaded), orbit frames (camera moved, buffers
// reused; faces shaded once through the flat index, and every corner shaded), orbit frames
// as the view draws them while the user drags (huge meshes from coarser stand-ins) and, for
// comparison, the same drawing sent vertex by vertex in immediate mode.
#include "scene/SceneRoot.h"
#include "vorn/app/render/GLCoarseRun.h"
#include "vorn/app/render/GLRenderer.h"
#include "vorn/app/bench/BenchGLContext.h"
#include "vorn/app/bench/BenchScenes.h"
#include "vorn/app/bench/ImmediateRenderer.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

namespace {

constexpr int kWidth = 1024;
constexpr int kHeight = 768;
constexpr double kOrbitStep = 0.02;

/// Frequencies of the spheres: 20 × 32² = 20,480, 20 × 71² = 100,820 and 20 × 224² =
/// 1,003,520 triangles (a huge scan: orbiting it must stay under 50 ms a frame).
void SphereSizes(benchmark::internal::Benchmark* b) {
    b->ArgName("frequency")->Arg(32)->Arg(71)->Arg(224)->Unit(benchmark::kMillisecond)->UseRealTime();
}

void countTriangles(benchmark::State& state) {
    state.counters["triangles"] = double(20 * state.range(0) * state.range(0));
}

/// Makes the off-screen context the frames are drawn in; skips the benchmark without one.
bool makeContext(BenchGLContext& gl, benchmark::State& state) {
    std::string error;
    if (gl.make(kWidth, kHeight, &error))
        return true;
    state.SkipWithError(error.c_str());
    return false;
}

void BM_FirstFrame(benchmark::State& state) {
    BenchGLContext gl;
    if (!makeContext(gl, state))
        return;
    SceneRoot& root = SphereScene(int(state.range(0)));
    Camera camera = SphereCamera(kWidth, kHeight);
    GLRenderer renderer;
    renderer.setBufferReuse(true);
    for (auto _ : state) {
        renderer.invalidate();
        renderer.beginFrame(camera, false);
        renderer.drawScene(root);
        gl.finish();
    }
    countTriangles(state);
}
BENCHMARK(BM_FirstFrame)->Apply(SphereSizes);

/// Orbit frames drawn with the flat index (`indexed`) or every corner shaded; `dragged`:
/// as the view draws them while the user drags, from coarser stand-ins of huge meshes.
void orbitFrames(benchmark::State& state, bool indexed, bool dragged = false) {
    BenchGLContext gl;
    if (!makeContext(gl, state))
        return;
    SceneRoot& root = SphereScene(int(state.range(0)));
    Camera camera = SphereCamera(kWidth, kHeight);
    GLRenderer renderer;
    renderer.setBufferReuse(true);
    renderer.setIndexedDrawing(indexed);
    renderer.beginFrame(camera, false);
    renderer.drawScene(root);
    const int recorded = renderer.getRecordCount();
    renderer.setCameraMoving(dragged);
    // The drag's first frames make the stand-in; what follows draws it.
    for (int i = 0; dragged && i < GLCoarseRun::kSteadyFrames; ++i) {
        renderer.beginFrame(camera, false);
        renderer.drawScene(root);
        gl.finish();
    }
    for (auto _ : state) {
        camera.orbit(kOrbitStep);
        renderer.beginFrame(camera, false);
        renderer.drawScene(root);
        gl.finish();
    }
    if (renderer.getRecordCount() != recorded)
        state.SkipWithError("orbit frames recorded the scene again");
    countTriangles(state);
}

void BM_OrbitFrame(benchmark::State& state) {
    orbitFrames(state, true);
}
BENCHMARK(BM_OrbitFrame)->Apply(SphereSizes);

// Orbit frames while the user drags: the first one makes the stand-in.
void BM_OrbitDragFrame(benchmark::State& state) {
    orbitFrames(state, true, true);
}
BENCHMARK(BM_OrbitDragFrame)->Apply(SphereSizes);

// The same frames with every corner of every face shaded, for comparison.
void BM_OrbitFrameUnindexed(benchmark::State& state) {
    orbitFrames(state, false);
}
BENCHMARK(BM_OrbitFrameUnindexed)->Apply(SphereSizes);

void BM_ImmediateModeFrame(benchmark::State& state) {
    BenchGLContext gl;
    if (!makeContext(gl, state))
        return;
    SceneRoot& root = SphereScene(int(state.range(0)));
    Camera camera = SphereCamera(kWidth, kHeight);
    GLRenderer frame;
    ImmediateRenderer renderer;
    renderer.setFlag(RenderFlag::Shading, true);
    for (auto _ : state) {
        camera.orbit(kOrbitStep);
        frame.beginFrame(camera, false);
        renderer.renderScene(root);
        gl.finish();
    }
    countTriangles(state);
}
// Vertex by vertex, the huge sphere takes seconds a frame: the comparison stops before it.
BENCHMARK(BM_ImmediateModeFrame)
    ->ArgName("frequency")
    ->Arg(32)
    ->Arg(71)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    // A widget application: the live-growth benchmark shows the workbench's own view.
    QApplication app(argc, argv);
    {
        BenchGLContext probe;
        std::string error;
        if (!probe.make(64, 64, &error)) {
            std::printf("GLFrameBench skipped: %s\n", error.c_str());
            return 0;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
