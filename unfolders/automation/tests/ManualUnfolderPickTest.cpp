// The view keeps what it collected for picking until the scene reports a change. Over a
// scene with a manual unfolder (lines, net), a finished net and a plain mesh, every pick
// through the kept collection must equal a pick through a fresh one, whatever was
// hovered, clicked, moved or deleted in between.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "scene/Factory.h"
#include "scene/SceneRoot.h"
#include "scene/render/PickRenderer.h"
#include "scene/render/ScenePicker.h"
#include "sorvex/M4x4.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/automation/ClickableLine.h"
#include "unfolders/automation/ManualUnfolder.h"

using namespace testshapes;
using Sorvex::M3d;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 240;
constexpr int kStep = 3; // pixels between picks: every line is a few pixels wide

struct Scene {
    SceneRoot root;
    PolyMesh* prism = nullptr; // holds the manual unfolder
    ManualUnfolder* manual = nullptr;
    PolyMesh* torus = nullptr; // holds a finished net
    PolyMesh* sphere = nullptr;
    Camera camera;

    Scene() {
        prism = lPrism().release();
        prism->setParent(&root);
        manual = bind<ManualUnfolder>(*prism);
        torus = meshOf(testshapes::torus(6, 10)).release();
        torus->setParent(&root);
        torus->translate(M3d(5, 0, 0));
        auto* net = dynamic_cast<Unfolder*>(Factory::BuildObj("BreadthFirstUnfolder"));
        net->setParent(torus);
        EXPECT_TRUE(runToEnd(*net));
        sphere = meshOf(icosphere(1)).release();
        sphere->setParent(&root);
        sphere->translate(M3d(-3, 0, 1));
        // Framed once: the camera stays while the scene changes under it.
        PickRenderer all;
        all.collectScene(root);
        M3d lo, hi;
        EXPECT_TRUE(all.getBounds(lo, hi));
        camera.setViewport(kWidth, kHeight);
        camera.setLookAt(M3d(0.5, 3, 12), M3d(0, 0, 0), M3d(0, 1, 0));
        camera.oversight(lo, hi);
    }

    std::vector<ClickableLine*> lines() {
        std::vector<ClickableLine*> found;
        for (SceneObj* child : manual->getChildren())
            if (auto* line = dynamic_cast<ClickableLine*>(child))
                found.push_back(line);
        return found;
    }
};

bool samePick(const PickResult& a, const PickResult& b) {
    return a.object == b.object && a.distance == b.distance && a.hitPoint.x() == b.hitPoint.x() &&
           a.hitPoint.y() == b.hitPoint.y() && a.hitPoint.z() == b.hitPoint.z();
}

/// Picks every few pixels through `kept` and through a fresh collection and expects the
/// same answers; returns the objects the fresh picks found, pixel by pixel.
std::vector<SceneObj*> expectSamePicks(Scene& s, ScenePicker& kept, const std::string& step) {
    PickRenderer fresh;
    fresh.collectScene(s.root);
    std::vector<SceneObj*> found;
    int mismatches = 0, hits = 0;
    for (int y = 0; y < kHeight; y += kStep)
        for (int x = 0; x < kWidth; x += kStep) {
            const PickResult expected = fresh.pick(s.camera, x, y);
            const PickResult got = kept.pick(s.root, s.camera, x, y);
            if (!samePick(expected, got) && mismatches++ < 3)
                ADD_FAILURE() << step << ": pixel (" << x << ", " << y << ") picks "
                              << (got.object ? got.object->getClassName() : "nothing")
                              << " instead of "
                              << (expected.object ? expected.object->getClassName() : "nothing");
            hits += expected.object != nullptr;
            found.push_back(expected.object);
        }
    EXPECT_EQ(0, mismatches) << step;
    EXPECT_GT(hits, 100) << step << ": the camera misses the scene";
    return found;
}

int changedPixels(const std::vector<SceneObj*>& before, const std::vector<SceneObj*>& after) {
    int changed = 0;
    for (size_t i = 0; i < before.size(); ++i)
        changed += before[i] != after[i];
    return changed;
}

TEST(ManualUnfolderPick, KeptPicksEqualFreshPicksThroughHoversClicksMovesAndDeletes) {
    Scene s;
    ScenePicker kept;
    std::vector<SceneObj*> last = expectSamePicks(s, kept, "first pick");
    ASSERT_EQ(1u, kept.getCollectCount());
    // An unchanged scene is never collected again, however often it is picked.
    expectSamePicks(s, kept, "second pick");
    EXPECT_EQ(1u, kept.getCollectCount());

    const std::vector<ClickableLine*> lines = s.lines();
    ASSERT_GE(lines.size(), size_t(12));
    // Each step changes the scene the way the view's events do; `moves` says the change
    // must show in some pixel (so that a stale collection could not pass).
    struct Step {
        std::string name;
        bool moves;
        std::function<void()> change;
    };
    const std::vector<Step> steps = {
        {"hover a line", false, [&] { lines[5]->onMouseOver(M3d()); }},
        {"select the line", false, [&] { s.root.select(lines[5]); }},
        {"click the line", false, [&] { lines[5]->onLButtonUp(M3d()); }},
        {"hover and click more lines", false,
         [&] {
             for (size_t i = 0; i < lines.size(); i += 3) {
                 lines[i]->onMouseOver(M3d());
                 lines[i]->onLButtonUp(M3d());
             }
         }},
        {"move the finished net's mesh", true, [&] { s.torus->translate(M3d(0, 1.5, 0)); }},
        {"turn the manual unfolder's mesh", true,
         [&] { s.prism->setTransform(Sorvex::M4x4::Rotation(M3d(0, 1, 0), 0.7)); }},
        {"delete the plain mesh", true,
         [&] {
             delete s.sphere;
             s.sphere = nullptr;
         }},
        {"click the lines back", false,
         [&] {
             for (size_t i = 0; i < lines.size(); i += 3)
                 lines[i]->onLButtonUp(M3d());
             lines[5]->onLButtonUp(M3d());
         }},
        {"leave the hovered line", false, [&] { s.manual->getHoveredLine()->onMouseLeave(); }},
        {"hide the lines", true,
         [&] {
             // As the panel does: a setting changes, then the scene is asked to redraw.
             s.manual->setDrawCutGraph(false);
             s.manual->requestSceneRedraw();
         }},
    };
    for (const Step& step : steps) {
        const std::uint64_t collects = kept.getCollectCount();
        step.change();
        SceneObj::ProcessDelayedOperations();
        const std::vector<SceneObj*> now = expectSamePicks(s, kept, step.name);
        EXPECT_EQ(collects + 1, kept.getCollectCount()) << step.name << " went unseen";
        if (step.moves) {
            EXPECT_GT(changedPixels(last, now), 0) << step.name << " changed no pick";
        }
        last = now;
    }
}

} // namespace
