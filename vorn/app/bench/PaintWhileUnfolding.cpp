// Paints per second of a window that asks for a frame every 16 ms while the 1 ms idle
// tick drives an unfolder on a 20,480-face sphere, against the same window with nothing
// to unfold: the idle tick must leave the view room to redraw.
#include "scene/Factory.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/SceneEventHandler.h"
#include "scene/SceneRoot.h"
#include "vorn/app/CMainFrame.h"
#include "vorn/app/render/GLRenderer.h"
#include "vorn/app/bench/BenchScenes.h"
#include "vorn/app/bench/GeodesicSphere.h"
#include "vorn/core/UnfoldingLibrary.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QGuiApplication>
#include <QOpenGLWindow>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

constexpr int kRunMs = 3000;
constexpr int kFrameRequestMs = 16;

/// A window that draws a scene, counts its paints and answers the scene's redraw requests
/// as the workbench's view does.
class PaintCountingWindow : public QOpenGLWindow, public SceneEventHandler {
public:
    explicit PaintCountingWindow(SceneRoot& root) : m_root(root) {
        m_renderer.setBufferReuse(true);
        m_camera = SphereCamera(640, 480);
    }
    int getPaints() const { return m_paints; }
    /// Time spent in paintGL (recording, uploading and sending the drawing), in ms.
    double getPaintMs() const { return m_paintNs / 1e6; }
    void orbit() {
        m_camera.orbit(0.02);
        update();
    }

    void onRedrawRequest() override {
        m_renderer.invalidate();
        update();
    }
    void onFocusRequest(SceneObj*, const Viewpoint&) override {}
    void onSelect(SceneObj*) override {}
    bool onDeselectRequest(SceneObj*) override { return false; }
    bool onCaptureRequest(const std::string&, int, int, bool) override { return false; }

protected:
    void paintGL() override {
        QElapsedTimer clock;
        clock.start();
        const qreal ratio = devicePixelRatio();
        Camera frame = m_camera;
        frame.setViewport(int(width() * ratio), int(height() * ratio));
        m_renderer.beginFrame(frame, false);
        m_renderer.drawScene(m_root);
        ++m_paints;
        m_paintNs += clock.nsecsElapsed();
    }

private:
    SceneRoot& m_root;
    Camera m_camera;
    GLRenderer m_renderer;
    int m_paints = 0;
    qint64 m_paintNs = 0;
};

void BM_PaintsWhileUnfolding(benchmark::State& state) {
    const bool unfolding = state.range(0) != 0;
    std::string error;
    if (unfolding && !LoadUnfoldingLibrary(&error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    auto root = std::make_unique<SceneRoot>();
    auto* mesh = new PolyMesh;
    FillGeodesicSphere(*mesh, 32);
    mesh->setParent(root.get());
    PolyMesh* net = nullptr;
    if (unfolding) {
        net = dynamic_cast<PolyMesh*>(Factory::BuildObj("BreadthFirstUnfolder"));
        if (!net || !net->setParent(mesh)) {
            delete net;
            state.SkipWithError("no breadth-first unfolder could be attached");
            return;
        }
    }
    PaintCountingWindow window(*root);
    root->setEventHandler(&window);
    window.resize(640, 480);
    window.show();

    QTimer idle;
    QObject::connect(&idle, &QTimer::timeout, [] { CMainFrame::IdleTick(); });
    QTimer frames;
    QObject::connect(&frames, &QTimer::timeout, [&window] { window.orbit(); });
    for (auto _ : state) {
        QEventLoop loop;
        QTimer::singleShot(kRunMs, &loop, &QEventLoop::quit);
        idle.start(1);
        frames.start(kFrameRequestMs);
        loop.exec();
        idle.stop();
        frames.stop();
    }
    const double seconds = kRunMs / 1000.0;
    state.counters["paints/s"] = window.getPaints() / seconds;
    if (window.getPaints() > 0)
        state.counters["ms/paint"] = window.getPaintMs() / window.getPaints();
    if (net)
        state.counters["faces placed"] = double(net->getPolyCount());
    root->setEventHandler(nullptr);
    window.hide();
}
BENCHMARK(BM_PaintsWhileUnfolding)
    ->ArgName("unfolding")
    ->Arg(0)
    ->Arg(1)
    ->Iterations(1)
    ->UseRealTime()
    ->Unit(benchmark::kSecond);

} // namespace
