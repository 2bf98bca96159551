#include "SceneTestObjects.h"
#include "tests/support/TestShapes.h"

#include "common/XML.h"
#include "scene/SceneEventHandler.h"
#include "scene/SceneRoot.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/settings/CSettingsDlg.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

using Sorvex::M3d;

namespace {

/// Records every scene event as a line of text.
class FakeHandler : public SceneEventHandler {
public:
    void onRedrawRequest() override { events.push_back("redraw"); }
    void onFocusRequest(SceneObj* obj, const Viewpoint& vp) override {
        events.push_back(std::string("focus ") + (obj ? std::string(obj->getClassName()) : "-") +
                         (vp.isValid() ? " valid" : " invalid"));
    }
    void onSelect(SceneObj* obj) override {
        events.push_back(std::string("select ") +
                         (obj ? std::string(obj->getClassName()) : "none"));
    }
    bool onDeselectRequest(SceneObj* /*obj*/) override {
        events.push_back("deselect");
        return deselectAnswer;
    }
    bool onCaptureRequest(const std::string& path, int width, int height,
                          bool selectedOnly) override {
        events.push_back("capture " + path + " " + std::to_string(width) + "x" +
                         std::to_string(height) + (selectedOnly ? " selected" : " all"));
        return captureAnswer;
    }

    std::vector<std::string> events;
    bool deselectAnswer = true;
    bool captureAnswer = true;
};

class SceneEvents : public ::testing::Test {
protected:
    void SetUp() override {
        root.setEventHandler(&handler);
        shape = new TestShape;
        shape->setParent(&root);
        cube = new TestCube;
        cube->setParent(shape);
        handler.events.clear(); // building the scene asks for redraws
    }

    FakeHandler handler;
    SceneRoot root;
    TestShape* shape = nullptr;
    TestCube* cube = nullptr;
};

} // namespace

TEST_F(SceneEvents, RequestsFromDeepObjectsReachTheHandler) {
    cube->onSelectionRequest(cube);
    EXPECT_EQ(cube, root.getSelection());
    cube->onFocusRequest(cube, Viewpoint(M3d(0, 0, 0), M3d(0, 0, 5), M3d(0, 1, 0), 2));
    cube->onFocusRequest(cube, Viewpoint());
    EXPECT_TRUE(cube->onCapRequest("shot.png", 640, 480, true));
    handler.captureAnswer = false;
    EXPECT_FALSE(cube->onCapRequest("", -1, -1, false));
    const std::vector<std::string> expected{
        "select TestCube", "focus TestCube valid", "focus TestCube invalid",
        "capture shot.png 640x480 selected", "capture  -1x-1 all"};
    EXPECT_EQ(expected, handler.events);
}

TEST_F(SceneEvents, ObjectsOutsideAScenePassRequestsNowhere) {
    TestShape loose;
    EXPECT_FALSE(loose.onCapRequest("x.png", 1, 1, false));
    EXPECT_FALSE(loose.onDeselectionRequest(&loose));
    loose.onSelectionRequest(&loose);
    root.setEventHandler(nullptr);
    EXPECT_FALSE(cube->onCapRequest("x.png", 1, 1, false));
    EXPECT_TRUE(handler.events.empty());
}

TEST_F(SceneEvents, SelectionChangesTellTheOldObjectAndTheHandler) {
    struct Tracking : TestShape {
        void onDeselected() override { ++deselected; }
        int deselected = 0;
    };
    auto* tracked = new Tracking;
    tracked->setParent(&root);
    handler.events.clear();
    root.select(tracked);
    root.select(tracked); // no change, no event
    root.select(shape);
    EXPECT_EQ(1, tracked->deselected);
    EXPECT_EQ(shape, root.getSelection());

    // Objects outside the scene are not selected.
    TestShape outsider;
    root.select(&outsider);
    EXPECT_EQ(shape, root.getSelection());

    EXPECT_FALSE(root.deselect(cube)) << "the selection is not the cube or below it";
    EXPECT_TRUE(cube->onDeselectionRequest(shape));
    EXPECT_EQ(nullptr, root.getSelection());
    const std::vector<std::string> expected{"select TestShape", "select TestShape", "deselect"};
    EXPECT_EQ(expected, handler.events);
}

TEST_F(SceneEvents, ChangesMarkTheSceneModifiedAndAskForARedraw) {
    root.setModified(false);
    cube->onChanged(false);
    EXPECT_TRUE(root.isModified());
    EXPECT_EQ(std::vector<std::string>{"redraw"}, handler.events);
}

TEST(SceneRootPersistence, FileNamesStayOutOfTheDocumentAndTheViewpointIsKept) {
    SceneRoot root;
    root.setFileName("scene.xml");
    root.setFilePath("/tmp/models");
    root.setViewpoint(Viewpoint(M3d(1, 2, 3), M3d(4, 5, 6), M3d(0, 0, 1), 7.5));
    XML xml("SceneRoot");
    root.write(xml);
    EXPECT_EQ(nullptr, xml.child("FileName"));

    SceneRoot back;
    back.read(xml);
    EXPECT_EQ("", back.getFileName());
    ASSERT_TRUE(back.getViewpoint().isValid());
    EXPECT_EQ(7.5, back.getViewpoint().getDiameter());
    EXPECT_EQ(M3d(4, 5, 6), back.getViewpoint().getEye());

    XML bad("SceneRoot");
    bad.add("Viewpoint", "not a viewpoint");
    EXPECT_THROW(back.read(bad), SceneReadError);
    EXPECT_TRUE(back.getViewpoint().isValid());
}

TEST(ChangeListeners, ChildrenAndListenersHearAChangeOnce) {
    TestShape mesh;
    auto* child = new TestWatcher;
    child->setParent(&mesh);
    TestWatcher listener;
    mesh.addChangeListener(&listener);
    mesh.addChangeListener(&listener);
    auto* grandchild = new TestWatcher;
    grandchild->setParent(child);

    mesh.onChanged(true);
    mesh.onChanged(false);
    ASSERT_EQ(2u, child->notices.size());
    EXPECT_EQ(&mesh, child->notices[0].target);
    EXPECT_TRUE(child->notices[0].structural);
    EXPECT_FALSE(child->notices[1].structural);
    EXPECT_EQ(2u, listener.notices.size());
    EXPECT_TRUE(grandchild->notices.empty()) << "the notice goes one level only";

    mesh.remChangeListener(&listener);
    mesh.onChanged(true);
    EXPECT_EQ(2u, listener.notices.size());
    EXPECT_EQ(3u, child->notices.size());
}

TEST(ChangeListeners, LinksAreUndoneWhenEitherSideIsDestroyed) {
    TestShape target;
    {
        TestWatcher shortLived;
        target.addChangeListener(&shortLived);
    }
    target.onChanged(true); // must not reach the destroyed listener

    TestWatcher listener;
    struct Noting : ChangeListener {
        void onTargetChanged(SceneObj*, bool) override {}
        void onTargetDestroyed(SceneObj* t) override { destroyed = t; }
        SceneObj* destroyed = nullptr;
    } plain;
    auto* doomed = new TestShape;
    doomed->addChangeListener(&listener);
    doomed->addChangeListener(&plain);
    delete doomed;
    EXPECT_EQ(doomed, plain.destroyed);
    // The listener forgot the target: destroying it now touches nothing freed.
}

TEST(ViewpointText, RoundTripsExactlyAndRejectsMalformedText) {
    const Viewpoint vp(M3d(0.1, -0.2, 1.0 / 3.0), M3d(1e-300, 5, -7), M3d(0, 0, 1), 12.125);
    Viewpoint back;
    ASSERT_TRUE(back.fromText(vp.toText()));
    EXPECT_TRUE(back.isValid());
    EXPECT_EQ(vp.getTarget().z(), back.getTarget().z());
    EXPECT_EQ(vp.getEye().x(), back.getEye().x());
    EXPECT_EQ(12.125, back.getDiameter());

    EXPECT_EQ("", Viewpoint().toText());
    for (const char* bad :
         {"", "1 2 3", "1 2 3;4 5 6;0 1 0", "1 2 3;4 5 6;0 1 0;x", "1 2 3;4 5 6;0 1 0;1;2",
          "1 2 3;nan 5 6;0 1 0;1", "1 2 3;4 5 6;0 1 0;inf"}) {
        Viewpoint kept = vp;
        EXPECT_FALSE(kept.fromText(bad)) << bad;
        EXPECT_EQ(12.125, kept.getDiameter()) << bad;
    }
}

TEST_F(SceneEvents, MovesAndTreeChangesAskForARedraw) {
    // Views keep drawings between frames, so every change to what is drawn must reach them.
    auto redraws = [&] {
        return std::count(handler.events.begin(), handler.events.end(), "redraw");
    };
    auto before = redraws();
    cube->translate(M3d(1, 0, 0));
    EXPECT_GT(redraws(), before) << "translate";
    before = redraws();
    cube->setTransform(Sorvex::M4x4());
    EXPECT_GT(redraws(), before) << "setTransform";
    before = redraws();
    auto* extra = new TestCube;
    extra->setParent(&root);
    EXPECT_GT(redraws(), before) << "addChild";
    before = redraws();
    root.remChild(extra);
    EXPECT_GT(redraws(), before) << "remChild";
    delete extra; // outside the scene now: no event
    before = redraws();
    delete cube;
    cube = nullptr;
    EXPECT_GT(redraws(), before) << "destruction";

    TestShape loose; // objects outside a scene have nobody to ask
    loose.translate(M3d(1, 1, 1));
}

TEST_F(SceneEvents, LookChangesWithoutDataChangesAskForARedraw) {
    auto redraws = [&] {
        return std::count(handler.events.begin(), handler.events.end(), "redraw");
    };
    std::unique_ptr<CSettingsDlg> panel(
        CTestShapeSettings::g_CTestShapeSettingsBuilder.createSettingsDlg(shape));
    ASSERT_NE(nullptr, panel);
    auto before = redraws();
    ASSERT_TRUE(panel->setCheck("Visible", false));
    EXPECT_GT(redraws(), before) << "a panel's control changed what the object shows";

    auto* mesh = new PolyMesh;
    mesh->setParent(&root);
    ASSERT_TRUE(mesh->fromMeshData(testshapes::cube()));
    mesh->setHighlightedPoly(mesh->getPoly(0));
    before = redraws();
    mesh->setHighlightedPoly(mesh->getPoly(0));
    EXPECT_EQ(before, redraws()) << "the same highlight is no change";
    mesh->setHighlightedPoly(mesh->getPoly(5));
    EXPECT_GT(redraws(), before);
}
