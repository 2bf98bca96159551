// A click on an edge of a manual unfolder in the workbench's view, on a 5,120-face
// geodesic sphere (7,680 edge tubes): the mouse press and release as the window system
// sends them (picking the tube, toggling the cut, laying the net out again, recording the
// undo step) and the repaint that follows, finished on the GPU. The view stays
// interactive when the whole is well under 20 ms. Needs a display (run-bench.sh lends a
// virtual one).
#include "scene/Factory.h"
#include "scene/SceneRoot.h"
#include "scene/render/ScenePicker.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/PrivateUserFolders.h"
#include "tests/support/TestShapes.h"
#include "vorn/app/CVornDoc.h"
#include "vorn/app/CVornView.h"
#include "vorn/core/AttachStrategy.h"
#include "vorn/core/UnfoldingLibrary.h"

#include <QApplication>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QOpenGLFunctions>
#include <QWheelEvent>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Sorvex::M3d;

constexpr int kWidth = 1024;
constexpr int kHeight = 768;

void sendClick(CVornView& view, QPoint at) {
    for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, QPointF(at), QPointF(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &event);
    }
}

/// A new document holding a geodesic sphere of `levels` subdivisions with a manual
/// unfolder attached; `unfolder` is null and `error` says why when that failed.
struct ManualSphereDocument {
    CVornDoc doc;
    PolyMesh* mesh = nullptr;
    SceneObj* unfolder = nullptr;
    std::string error;

    explicit ManualSphereDocument(int levels) {
        Factory* manual =
            LoadUnfoldingLibrary(&error) ? Factory::GetFactory("ManualUnfolder") : nullptr;
        if (!manual) {
            error = "no manual unfolder: " + error;
            return;
        }
        doc.onNewDocument();
        mesh = new PolyMesh;
        mesh->fromMeshData(testshapes::icosphere(levels));
        mesh->setParent(doc.getRoot());
        unfolder = AttachStrategy(*mesh, *manual, &error);
        SceneObj::ProcessDelayedOperations();
    }
};

/// Repaints at once and waits for the GPU, so that the frame's time is complete.
void repaintAndFinish(CVornView& view) {
    view.repaint();
    view.makeCurrent();
    view.context()->functions()->glFinish();
    view.doneCurrent();
}

void BM_ClickOnAnEdgeAndRepaint(benchmark::State& state) {
    ManualSphereDocument scene(int(state.range(0)));
    if (!scene.unfolder) {
        state.SkipWithError(scene.error.c_str());
        return;
    }
    CVornDoc& doc = scene.doc;
    PolyMesh* mesh = scene.mesh;

    CVornView view(doc);
    view.setKeepsDrawings(state.range(1) != 0);
    view.resize(kWidth, kHeight);
    view.show();
    QCoreApplication::processEvents();
    repaintAndFinish(view);
    // A still wheel stops the view following the scene, as the user's zoom does: the
    // camera then stays where it is put, whatever each click does to the net's extent.
    QWheelEvent still(QPointF(1, 1), QPointF(1, 1), QPoint(), QPoint(), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&view, &still);
    const M3d centre = mesh->getCenter();
    const M3d eye = centre + M3d(0.3, 0.4, 2.5);
    view.getCamera().setLookAt(eye, centre, M3d(0, 1, 0));
    view.getCamera().setViewport(kWidth, kHeight);
    repaintAndFinish(view);

    // The middle of an edge whose line is the first thing there (a face's edge on the
    // near side of the sphere, not hidden by the net), looked for again whenever a
    // click's new net comes in front of it.
    std::vector<std::pair<double, Poly*>> facing;
    for (Poly* f : mesh->getPolys())
        facing.emplace_back(-f->getNormal().dot((eye - f->getCenter()).normalized()), f);
    std::sort(facing.begin(), facing.end());
    ScenePicker picker;
    const auto lineAt = [&](QPoint at) {
        const PickResult hit = picker.pick(*doc.getRoot(), view.getCamera(), at.x(), at.y());
        return hit.object && hit.object->getClassName() == "ClickableLine";
    };
    const auto findLine = [&]() -> std::optional<QPoint> {
        for (size_t k = 0; k < facing.size() && k < 200; ++k) {
            Poly* f = facing[k].second;
            for (int i = 0; i < f->getVertexCount(); ++i) {
                const ScreenPoint p =
                    view.getCamera().project((*f->getVertex(i) + *f->getVertex(i + 1)) * 0.5);
                const QPoint at(int(p.x + 0.5), int(p.y + 0.5));
                if (lineAt(at))
                    return at;
            }
        }
        return std::nullopt;
    };
    std::optional<QPoint> at = findLine();
    if (!at) {
        state.SkipWithError("no edge line in sight");
        return;
    }

    const int stepsBefore = doc.getUndoStack().count();
    double clickSeconds = 0, paintSeconds = 0;
    for (auto _ : state) {
        if (!lineAt(*at) && !(at = findLine())) {
            state.SkipWithError("no edge line in sight");
            break;
        }
        const Clock::time_point start = Clock::now();
        sendClick(view, *at);
        const Clock::time_point clicked = Clock::now();
        repaintAndFinish(view);
        const Clock::time_point painted = Clock::now();
        clickSeconds += std::chrono::duration<double>(clicked - start).count();
        paintSeconds += std::chrono::duration<double>(painted - clicked).count();
        state.SetIterationTime(std::chrono::duration<double>(painted - start).count());
    }
    const double clicks = double(state.iterations());
    state.counters["click ms"] = 1e3 * clickSeconds / clicks;
    state.counters["paint ms"] = 1e3 * paintSeconds / clicks;
    // 1 when every click toggled the edge (one undo step each).
    state.counters["steps/click"] = (doc.getUndoStack().count() - stepsBefore) / clicks;
    state.counters["faces"] = double(mesh->getPolyCount());
    view.hide();
}
// "kept" 0 records the whole scene on every repaint, 1 lets the view keep what objects drew.
BENCHMARK(BM_ClickOnAnEdgeAndRepaint)
    ->ArgNames({"levels", "kept"})
    ->Args({4, 0})
    ->Args({4, 1})
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// Picking in the same scene without the view: collecting everything it draws (what the
// first pick after any change costs) and one pick through the kept collection (what every
// other pick costs: hover, press and release over an unchanged scene).
void BM_PickInTheClickedScene(benchmark::State& state) {
    const bool collect = state.range(0) == 1;
    ManualSphereDocument scene(4);
    if (!scene.unfolder) {
        state.SkipWithError(scene.error.c_str());
        return;
    }
    SceneRoot& root = *scene.doc.getRoot();
    Camera camera;
    camera.setViewport(kWidth, kHeight);
    const M3d centre = scene.mesh->getCenter();
    camera.setLookAt(centre + M3d(0.3, 0.4, 2.5), centre, M3d(0, 1, 0));
    ScenePicker picker;
    size_t hits = 0;
    for (auto _ : state) {
        if (collect)
            picker.invalidate();
        hits += picker.pick(root, camera, kWidth / 2, kHeight / 2).object != nullptr;
    }
    benchmark::DoNotOptimize(hits);
    const PickRenderer& collected = picker.collected(root);
    state.counters["triangles"] = double(collected.getTriangles().size());
    state.counters["strokes"] = double(collected.getStrokes().size());
}
BENCHMARK(BM_PickInTheClickedScene)
    ->ArgName("collect")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond);

// The same toggle without the view, recorded as an undo step in the two ways the document
// offers: snapshots of the whole scene before and after (what any click costs), or the
// click itself, undone by clicking again (what a click on an edge line costs).
void BM_UndoStepOfAToggle(benchmark::State& state) {
    const bool snapshots = state.range(0) == 0;
    ManualSphereDocument scene(4);
    if (!scene.unfolder) {
        state.SkipWithError(scene.error.c_str());
        return;
    }
    CVornDoc& doc = scene.doc;
    SceneObj* unfolder = scene.unfolder;
    // A line of the middle of the sphere (lines are the unfolder's children).
    SceneObj* line = unfolder->getChildren()[unfolder->getChildren().size() / 2];
    const M3d hit = scene.mesh->getCenter();
    for (auto _ : state) {
        if (snapshots)
            doc.perform("Toggle Cut Edge", [&] { line->onLButtonUp(hit); });
        else
            doc.performSelfInverseClick("Toggle Cut Edge", *line, hit);
    }
    state.counters["steps/click"] = doc.getUndoStack().count() / double(state.iterations());
}
BENCHMARK(BM_UndoStepOfAToggle)
    ->ArgName("self-inverse")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    const PrivateUserFolders folders;
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
