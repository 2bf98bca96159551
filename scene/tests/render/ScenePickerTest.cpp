#include "scene/render/ScenePicker.h"

#include "scene/SceneRoot.h"
#include "scene/tests/render/RenderTestScene.h"
#include "sorvex/M4x4.h"

#include <gtest/gtest.h>

#include <optional>

using Sorvex::M3d;

namespace {

Camera frontCamera() {
    Camera camera;
    camera.setViewport(400, 400);
    camera.setLookAt(M3d(0, 0, 10), M3d(0, 0, 0), M3d(0, 1, 0));
    return camera;
}

ShapeObj* squareIn(SceneObj& parent, double z) {
    auto* shape = new ShapeObj;
    shape->polygons.push_back({squareAt(z, 0.5), {}});
    shape->setParent(&parent);
    return shape;
}

TEST(ScenePickerTest, EveryChangeTheSceneReportsIsSeenByTheNextPickAndNothingElseIs) {
    SceneRoot root;
    ShapeObj* back = squareIn(root, 0.0);
    ScenePicker picker;
    const Camera camera = frontCamera();
    const ScreenPoint centre = camera.project(M3d(0, 0, 0));
    auto pickCentre = [&] { return picker.pick(root, camera, centre.x, centre.y).object; };

    EXPECT_EQ(back, pickCentre());
    // Picks over an unchanged scene share one collection, whatever the camera.
    Camera side = camera;
    side.orbit(0.3);
    picker.pick(root, side, 10, 10);
    EXPECT_EQ(back, pickCentre());
    EXPECT_EQ(1u, picker.getCollectCount());

    ShapeObj* front = squareIn(root, 1.0);
    EXPECT_EQ(front, pickCentre()) << "an added object";
    front->translate(M3d(3, 0, 0));
    EXPECT_EQ(back, pickCentre()) << "a move";
    front->setTransform(Sorvex::M4x4());
    EXPECT_EQ(front, pickCentre()) << "a new transform";
    front->setParent(nullptr);
    EXPECT_EQ(back, pickCentre()) << "an object taken out";
    front->setParent(&root);
    EXPECT_EQ(front, pickCentre()) << "an object put back";
    delete front;
    EXPECT_EQ(back, pickCentre()) << "a deleted object";
    // A drawing changed in place is seen once its object reports it.
    back->polygons.clear();
    EXPECT_EQ(back, pickCentre()) << "kept until reported";
    back->onChanged(false);
    EXPECT_EQ(nullptr, pickCentre()) << "a reported change";
    const std::uint64_t collects = picker.getCollectCount();
    root.select(back);
    pickCentre();
    EXPECT_EQ(collects + 1, picker.getCollectCount()) << "a new selection";
    picker.invalidate();
    pickCentre();
    EXPECT_EQ(collects + 2, picker.getCollectCount()) << "invalidated";
}

TEST(ScenePickerTest, ANewSceneIsCollectedAfreshEvenAtTheAddressOfTheLastOne) {
    std::optional<SceneRoot> root;
    root.emplace();
    ShapeObj* first = squareIn(*root, 0.0);
    ScenePicker picker;
    const Camera camera = frontCamera();
    const ScreenPoint centre = camera.project(M3d(0, 0, 0));
    EXPECT_EQ(first, picker.pick(*root, camera, centre.x, centre.y).object);
    root.reset();
    root.emplace();
    // The new, empty scene has none of the old one's objects.
    EXPECT_EQ(nullptr, picker.pick(*root, camera, centre.x, centre.y).object);
}

} // namespace
