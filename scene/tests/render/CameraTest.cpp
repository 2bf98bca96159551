#include "scene/render/Camera.h"

#include <gtest/gtest.h>

#include <cmath>

using Sorvex::M3d;

namespace {

TEST(CameraTest, OversightFramesEveryCornerOfABox) {
    for (bool ortho : {false, true}) {
        Camera camera;
        camera.setViewport(300, 200);
        camera.setOrthographic(ortho);
        camera.setLookAt(M3d(5, 4, 3), M3d(0, 0, 0), M3d(0, 1, 0));
        const M3d lo(10, -2, 4), hi(14, 6, 5);
        ASSERT_TRUE(camera.oversight(lo, hi));
        EXPECT_TRUE(camera.getTarget().cmp((lo + hi) * 0.5, 1e-9));
        // The direction of view is kept.
        EXPECT_TRUE(camera.getViewDirection().cmp(M3d(-5, -4, -3).normalized(), 1e-9));
        for (int corner = 0; corner < 8; ++corner) {
            const M3d p(corner & 1 ? hi.x() : lo.x(), corner & 2 ? hi.y() : lo.y(),
                        corner & 4 ? hi.z() : lo.z());
            const ScreenPoint s = camera.project(p);
            EXPECT_GE(s.x, 0.0);
            EXPECT_LE(s.x, 300.0);
            EXPECT_GE(s.y, 0.0);
            EXPECT_LE(s.y, 200.0);
            EXPECT_GT(s.depth, 0.0);
        }
    }
    Camera camera;
    EXPECT_FALSE(camera.oversight(M3d(1, 1, 1), M3d(0, 0, 0)));
}

TEST(CameraTest, FlightEndsExactlyAtTheViewpointAndPassesRoundTheTarget) {
    Camera camera;
    camera.setLookAt(M3d(0, 0, 10), M3d(0, 0, 0), M3d(0, 1, 0));
    const Viewpoint to(M3d(0, 0, 0), M3d(10, 0, 0), M3d(0, 1, 0), 1.0);
    camera.interpolateTo(to, 1000);
    EXPECT_TRUE(camera.isMoving());
    EXPECT_TRUE(camera.advance(500));
    // Halfway the eye swings round the target at the same distance, not through it.
    EXPECT_NEAR(10.0, camera.getDistance(), 1e-9);
    EXPECT_GT(camera.getEye().x(), 1.0);
    EXPECT_GT(camera.getEye().z(), 1.0);
    EXPECT_FALSE(camera.advance(600));
    EXPECT_FALSE(camera.isMoving());
    EXPECT_TRUE(camera.getEye().cmp(M3d(10, 0, 0), 1e-12));
    // An invalid viewpoint changes nothing.
    camera.interpolateTo(Viewpoint(), 1000);
    EXPECT_FALSE(camera.isMoving());
}

TEST(CameraTest, RaysThroughPixelsMeetTheProjectedPoints) {
    for (bool ortho : {false, true}) {
        Camera camera;
        camera.setViewport(640, 480);
        camera.setOrthographic(ortho);
        camera.setLookAt(M3d(1, 2, 8), M3d(0, 0, 0), M3d(0, 1, 0));
        const M3d p(0.7, -0.4, 0.3);
        const ScreenPoint s = camera.project(p);
        M3d origin, direction;
        camera.rayThrough(s.x, s.y, origin, direction);
        const M3d toP = p - origin;
        const M3d off = toP - direction * toP.dot(direction);
        EXPECT_LT(off.length(), 1e-9) << (ortho ? "orthographic" : "perspective");
    }
}

TEST(CameraTest, SpinStepsOf128TicksMakeOneTurn) {
    Camera camera;
    const M3d eye(2, 1, 3), target(0.5, 0, -1);
    camera.setLookAt(eye, target, M3d(0, 1, 0));
    for (int tick = 0; tick < 64; ++tick)
        camera.orbit(M_PI / 64);
    // Half way round: the eye is opposite across the up axis through the target.
    EXPECT_TRUE(camera.getEye().cmp(M3d(-1, 1, -5), 1e-9));
    for (int tick = 0; tick < 64; ++tick)
        camera.orbit(M_PI / 64);
    EXPECT_TRUE(camera.getEye().cmp(eye, 1e-9));
    EXPECT_TRUE(camera.getTarget().cmp(target, 1e-12));
}

TEST(CameraTest, NamedViewsLookAlongTheAxes) {
    Camera camera;
    camera.setLookAt(M3d(3, 0, 0), M3d(0, 0, 0), M3d(0, 1, 0));
    ASSERT_TRUE(camera.setNamedView("top"));
    EXPECT_TRUE(camera.getViewDirection().cmp(M3d(0, -1, 0), 1e-12));
    EXPECT_NEAR(3.0, camera.getDistance(), 1e-12);
    ASSERT_TRUE(camera.setNamedView("front"));
    EXPECT_TRUE(camera.getViewDirection().cmp(M3d(0, 0, -1), 1e-12));
    EXPECT_FALSE(camera.setNamedView("sideways"));
}

} // namespace
