#include "vorn/app/ViewGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using Sorvex::M3d;
using ViewGeometry::NeighbourHits;

void expectNear(const M3d& expected, const M3d& actual, double tolerance = 1e-9) {
    EXPECT_NEAR(expected.x(), actual.x(), tolerance) << "x";
    EXPECT_NEAR(expected.y(), actual.y(), tolerance) << "y";
    EXPECT_NEAR(expected.z(), actual.z(), tolerance) << "z";
}

/// Looks down -z at the origin from (0, 0, 10) with +y up, 400 x 300 pixels.
Camera frontCamera() {
    Camera camera;
    camera.setLookAt(M3d(0, 0, 10), M3d(0, 0, 0), M3d(0, 1, 0));
    camera.setViewport(400, 300);
    return camera;
}

TEST(ViewGeometryTest, ClickSlopIsThreePixelsEachWay) {
    EXPECT_FALSE(ViewGeometry::movedBeyondClick(10, 10, 13, 7));
    EXPECT_TRUE(ViewGeometry::movedBeyondClick(10, 10, 14, 10));
    EXPECT_TRUE(ViewGeometry::movedBeyondClick(10, 10, 10, 6));
}

TEST(ViewGeometryTest, DragFollowsTheMouseInTheViewPlane) {
    const Camera camera = frontCamera();
    // At the target the picture is 2 * 10 * tan(20 deg) high over 300 pixels.
    const double pixel = camera.pixelSizeAt(10);
    expectNear(M3d(40 * pixel, 0, 0),
               ViewGeometry::dragMove(camera, 200, 150, 240, 150, M3d(0, 0, 0), false));
    // Screen y runs down: moving the mouse up moves the object up.
    expectNear(M3d(0, 20 * pixel, 0),
               ViewGeometry::dragMove(camera, 200, 150, 200, 130, M3d(0, 0, 0), false));
    // Twice as far from the eye, the same mouse motion covers twice the distance, and the
    // move stays in the plane through the object's centre.
    const M3d far = ViewGeometry::dragMove(camera, 100, 100, 140, 100, M3d(1, 1, -10), false);
    expectNear(M3d(80 * pixel, 0, 0), far);

    // The point found on the plane projects back to the pixel it came from.
    const std::optional<M3d> onPlane = ViewGeometry::screenToPlane(camera, 123, 45, M3d(0, 0, -3));
    ASSERT_TRUE(onPlane.has_value());
    EXPECT_NEAR(-3.0, onPlane->z(), 1e-9);
    const ScreenPoint back = camera.project(*onPlane);
    EXPECT_NEAR(123.0, back.x, 1e-6);
    EXPECT_NEAR(45.0, back.y, 1e-6);
}

TEST(ViewGeometryTest, AlongViewTurnsVerticalMotionIntoDepth) {
    Camera camera = frontCamera();
    const double pixel = camera.pixelSizeAt(10);
    // Upward motion goes away from the eye; sideways motion stays sideways.
    expectNear(M3d(0, 0, -20 * pixel),
               ViewGeometry::dragMove(camera, 200, 150, 200, 130, M3d(0, 0, 0), true));
    expectNear(M3d(-30 * pixel, 0, 0),
               ViewGeometry::dragMove(camera, 200, 150, 170, 150, M3d(0, 0, 0), true));

    // The same holds for a camera looking along x: depth is then along x.
    camera.setLookAt(M3d(10, 0, 0), M3d(0, 0, 0), M3d(0, 1, 0));
    const M3d move = ViewGeometry::dragMove(camera, 200, 150, 200, 130, M3d(0, 0, 0), true);
    EXPECT_LT(move.x(), 0.0);
    EXPECT_NEAR(0.0, move.y(), 1e-9);
    EXPECT_NEAR(0.0, move.z(), 1e-9);
}

TEST(ViewGeometryTest, SurfaceNormalFromNeighbouringHits) {
    const M3d hit(1, 2, 0);
    const M3d eyeInFront(0, 0, 10);
    // Hits on the plane z = 0 around the point, in screen order right, above, left, below.
    NeighbourHits all = {M3d(1.1, 2, 0), M3d(1, 2.1, 0), M3d(0.9, 2, 0), M3d(1, 1.9, 0)};
    expectNear(M3d(0, 0, 1), ViewGeometry::surfaceNormal(hit, all, eyeInFront));
    // Seen from behind, the normal turns toward the viewer.
    expectNear(M3d(0, 0, -1), ViewGeometry::surfaceNormal(hit, all, M3d(0, 0, -10)));

    // One pair of consecutive neighbours is enough.
    NeighbourHits twoAdjacent = {std::nullopt, M3d(1, 2.1, 0), M3d(0.9, 2, 0), std::nullopt};
    expectNear(M3d(0, 0, 1), ViewGeometry::surfaceNormal(hit, twoAdjacent, eyeInFront));

    // A slanted plane x + z = 1 through the hit (1, 2, 0).
    const double r = 1 / std::sqrt(2.0);
    NeighbourHits slanted = {M3d(1.1, 2, -0.1), M3d(1, 2.1, 0), M3d(0.9, 2, 0.1), M3d(1, 1.9, 0)};
    expectNear(M3d(r, 0, r), ViewGeometry::surfaceNormal(hit, slanted, eyeInFront));
}

TEST(ViewGeometryTest, SurfaceNormalFallsBackToTheEye) {
    const M3d hit(0, 0, 0);
    const M3d eye(0, 3, 4);
    // Opposite neighbours only (an edge seen side-on): no consecutive pair.
    NeighbourHits opposite = {M3d(0.1, 0, 0), std::nullopt, M3d(-0.1, 0, 0), std::nullopt};
    expectNear(M3d(0, 0.6, 0.8), ViewGeometry::surfaceNormal(hit, opposite, eye));
    expectNear(M3d(0, 0.6, 0.8), ViewGeometry::surfaceNormal(hit, NeighbourHits{}, eye));
    // Collinear neighbours give no direction either.
    NeighbourHits collinear = {M3d(0.1, 0, 0), M3d(0.2, 0, 0), M3d(-0.1, 0, 0), M3d(-0.2, 0, 0)};
    expectNear(M3d(0, 0.6, 0.8), ViewGeometry::surfaceNormal(hit, collinear, eye));
}

TEST(ViewGeometryTest, LookAtSurfaceKeepsDistanceAndAnUprightUp) {
    Camera camera;
    camera.setLookAt(M3d(0, 0, 10), M3d(0, 0, 0), M3d(0, 1, 0));
    const M3d hit(0, 0, 2);
    const double r = 1 / std::sqrt(2.0);
    const Viewpoint vp = ViewGeometry::lookAtSurface(camera, hit, M3d(r, 0, r));
    ASSERT_TRUE(vp.isValid());
    expectNear(hit, vp.getTarget());
    expectNear(hit + M3d(r, 0, r) * 8.0, vp.getEye());
    expectNear(M3d(0, 1, 0), vp.getUp());

    // Looking straight down along the old up: up is still a unit vector perpendicular to
    // the new view direction.
    const Viewpoint down = ViewGeometry::lookAtSurface(camera, hit, M3d(0, 1, 0));
    EXPECT_NEAR(1.0, down.getUp().length(), 1e-9);
    EXPECT_NEAR(0.0, down.getUp().dot(M3d(0, 1, 0)), 1e-9);
}

} // namespace
