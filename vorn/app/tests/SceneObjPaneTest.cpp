#include "vorn/app/SceneObjPane.h"

#include "scene/mesh/PolyMesh.h"
#include "scene/render/CollectingRenderer.h"
#include "vorn/core/shapes/RandomConvex.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using Sorvex::M3d;

/// A random convex solid moved off the origin, so framing has to find it.
std::unique_ptr<PolyMesh> makeSolid() {
    auto mesh = std::make_unique<PolyMesh>();
    EXPECT_TRUE(BuildRandomConvex(*mesh, 30, 2.0));
    mesh->translate(M3d(5, -3, 1));
    return mesh;
}

TEST(SceneObjPaneTest, FramesTheObjectItShowsAndKeepsAFixedViewpoint) {
    SceneObjPane pane;
    EXPECT_FALSE(pane.frame()) << "nothing to frame without an object";
    auto mesh = makeSolid();
    pane.setObject(mesh.get());
    EXPECT_EQ(mesh.get(), pane.getObject());
    CollectingRenderer collector;
    collector.renderScene(*mesh);
    M3d lo, hi;
    ASSERT_TRUE(collector.getBounds(lo, hi));
    const M3d centre = (lo + hi) * 0.5;
    EXPECT_NEAR(0.0, (pane.getCamera().getTarget() - centre).length(), 1e-9)
        << "setObject aims at the middle of the object's bounds";

    const Viewpoint fixed(M3d(0, 0, 0), M3d(0, 0, 20), M3d(0, 1, 0), 4.0);
    pane.setFixedViewpoint(fixed);
    EXPECT_NEAR(0.0, pane.getCamera().getEye().z() - 20, 1e-9);
    pane.getCamera().orbit(0.5);
    EXPECT_TRUE(pane.frame());
    EXPECT_NEAR(0.0, (pane.getCamera().getEye() - M3d(0, 0, 20)).length(), 1e-9)
        << "framing returns to the fixed viewpoint";
    pane.setFixedViewpoint(Viewpoint());
    EXPECT_NEAR(0.0, (pane.getCamera().getTarget() - centre).length(), 1e-9);
}

TEST(SceneObjPaneTest, ForgetsAnObjectDeletedUnderIt) {
    SceneObjPane pane;
    auto mesh = makeSolid();
    pane.setObject(mesh.get());
    mesh.reset();
    EXPECT_EQ(nullptr, pane.getObject());
    EXPECT_FALSE(pane.frame());

    // Switching objects stops listening to the old one: deleting it leaves the new one.
    auto first = makeSolid();
    auto second = makeSolid();
    pane.setObject(first.get());
    pane.setObject(second.get());
    first.reset();
    EXPECT_EQ(second.get(), pane.getObject());
    // A pane deleted before its object must not be told of the object's end.
    auto shortLived = std::make_unique<SceneObjPane>();
    shortLived->setObject(second.get());
    shortLived.reset();
    second.reset();
    EXPECT_EQ(nullptr, pane.getObject());
}

} // namespace
