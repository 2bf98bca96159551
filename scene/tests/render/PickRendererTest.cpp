#include "scene/render/PickRenderer.h"
#include "scene/tests/render/RenderTestScene.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

using Sorvex::M3d;

namespace {

Camera frontCamera() {
    Camera camera;
    camera.setViewport(400, 400);
    camera.setLookAt(M3d(0, 0, 10), M3d(0, 0, 0), M3d(0, 1, 0));
    return camera;
}

TEST(PickRendererTest, TheNearestOfTwoOverlappingFacesIsPicked) {
    SceneObj root;
    auto* far = new ShapeObj;
    far->polygons.push_back({squareAt(-1.0), {0, 0, 1, 1}});
    auto* near = new ShapeObj;
    near->polygons.push_back({squareAt(1.0), {1, 0, 0, 1}});
    // The far one is drawn last: the order must not matter.
    near->setParent(&root);
    far->setParent(&root);
    PickRenderer picker;
    picker.collectScene(root);
    const Camera camera = frontCamera();
    PickResult hit = picker.pick(camera, 200, 200);
    EXPECT_EQ(near, hit.object);
    EXPECT_TRUE(hit.hitPoint.cmp(M3d(0, 0, 1), 1e-9));
    EXPECT_NEAR(9.0, hit.distance, 1e-9);
    // Outside both squares nothing is hit.
    EXPECT_EQ(nullptr, picker.pick(camera, 5, 5).object);
}

TEST(PickRendererTest, AUShapedFaceIsHitOnItsArmsAndNotInItsNotch) {
    ShapeObj u;
    // Listed from a corner whose fan would cover the notch.
    u.polygons.push_back({{M3d(-2, -2, 0), M3d(2, -2, 0), M3d(2, 2, 0), M3d(1, 2, 0), M3d(1, -1, 0),
                           M3d(-1, -1, 0), M3d(-1, 2, 0), M3d(-2, 2, 0)},
                          {0, 1, 0, 1}});
    PickRenderer picker;
    picker.collectScene(u);
    const Camera camera = frontCamera();
    auto at = [&](double x, double y) {
        const ScreenPoint p = camera.project(M3d(x, y, 0));
        return picker.pick(camera, p.x, p.y).object;
    };
    EXPECT_EQ(nullptr, at(0.0, 1.0));
    EXPECT_EQ(nullptr, at(0.5, 0.0));
    EXPECT_EQ(&u, at(1.5, 1.5));
    EXPECT_EQ(&u, at(-1.5, 1.5));
    EXPECT_EQ(&u, at(0.0, -1.5));
}

TEST(PickRendererTest, TubesAreHitWithinTheToleranceOnly) {
    ShapeObj tube;
    tube.tubes.push_back({M3d(-1, 0, 0), M3d(1, 0, 0), 0.001});
    PickRenderer picker;
    picker.setTolerance(3.0);
    picker.collectScene(tube);
    const Camera camera = frontCamera();
    const ScreenPoint onAxis = camera.project(M3d(0.5, 0, 0));
    EXPECT_EQ(&tube, picker.pick(camera, onAxis.x, onAxis.y + 2.0).object);
    const PickResult hit = picker.pick(camera, onAxis.x, onAxis.y);
    EXPECT_TRUE(hit.hitPoint.cmp(M3d(0.5, 0, 0), 1e-2));
    EXPECT_EQ(nullptr, picker.pick(camera, onAxis.x, onAxis.y + 6.0).object);
    // Past the tube's end the tolerance does not stretch it.
    const ScreenPoint beyond = camera.project(M3d(1.5, 0, 0));
    EXPECT_EQ(nullptr, picker.pick(camera, beyond.x, beyond.y).object);
}

/// Takes the picks of its children, like a group whose parts are not selected alone.
class Group : public SceneObj {
public:
    bool takeChildPick(SceneObj*) override { return true; }
};

TEST(PickRendererTest, AParentThatTakesChildPicksIsReturned) {
    SceneObj root;
    auto* group = new Group;
    group->setParent(&root);
    auto* part = new ShapeObj;
    part->polygons.push_back({squareAt(0.0), {1, 1, 1, 1}});
    part->setParent(group);
    PickRenderer picker;
    picker.collectScene(root);
    EXPECT_EQ(group, picker.pick(frontCamera(), 200, 200).object);
}

TEST(PickRendererTest, ManyFacesAreSearchedThroughTheHierarchy) {
    // A 40 x 40 grid of small squares at different depths; each pixel's pick must agree
    // with the square under it.
    ShapeObj grid;
    for (int i = 0; i < 40; ++i)
        for (int j = 0; j < 40; ++j) {
            const double x = -2 + i * 0.1, y = -2 + j * 0.1, z = ((i * 7 + j * 3) % 5) * 0.1;
            grid.polygons.push_back(
                {{{x, y, z}, {x + 0.1, y, z}, {x + 0.1, y + 0.1, z}, {x, y + 0.1, z}}, {}});
        }
    PickRenderer picker;
    picker.collectScene(grid);
    Camera camera;
    camera.setViewport(400, 400);
    camera.setOrthographic(true);
    camera.setLookAt(M3d(0, 0, 10), M3d(0, 0, 0), M3d(0, 1, 0));
    for (int i = 0; i < 40; i += 3)
        for (int j = 0; j < 40; j += 5) {
            const double x = -2 + i * 0.1 + 0.05, y = -2 + j * 0.1 + 0.05;
            const ScreenPoint s = camera.project(M3d(x, y, 0));
            const PickResult hit = picker.pick(camera, s.x, s.y);
            ASSERT_EQ(&grid, hit.object);
            EXPECT_NEAR(((i * 7 + j * 3) % 5) * 0.1, hit.hitPoint.z(), 1e-9);
            EXPECT_NEAR(x, hit.hitPoint.x(), 1e-9);
        }
}

M3d crossOf(const M3d& a, const M3d& b) {
    M3d c;
    c.cross(a, b);
    return c;
}

/// Where the ray (o, d) meets the plane of the triangle, if that point lies inside it:
/// every corner pair must see the point on the same side as the third corner.
double bruteForceHit(const std::vector<M3d>& t, const M3d& o, const M3d& d) {
    const M3d n = crossOf(t[1] - t[0], t[2] - t[0]);
    const double facing = n.dot(d);
    if (facing == 0.0)
        return std::numeric_limits<double>::infinity();
    const double along = n.dot(t[0] - o) / facing;
    const M3d p = o + d * along;
    for (int i = 0; i < 3; ++i) {
        const M3d& a = t[i];
        const M3d& b = t[(i + 1) % 3];
        if (crossOf(b - a, p - a).dot(n) < 0.0)
            return std::numeric_limits<double>::infinity();
    }
    return along > 0.0 ? along : std::numeric_limits<double>::infinity();
}

TEST(PickRendererTest, TheHierarchyFindsTheFaceAScanOfAllFacesFinds) {
    // A cloud of 3,000 small triangles of every orientation, some crossing each other.
    std::mt19937 random(5);
    std::uniform_real_distribution<double> place(-2.0, 2.0), jitter(-0.25, 0.25);
    ShapeObj cloud;
    for (int i = 0; i < 3000; ++i) {
        const M3d c(place(random), place(random), place(random));
        cloud.polygons.push_back({{c + M3d(jitter(random), jitter(random), jitter(random)),
                                   c + M3d(jitter(random), jitter(random), jitter(random)),
                                   c + M3d(jitter(random), jitter(random), jitter(random))},
                                  {}});
    }
    PickRenderer picker;
    picker.collectScene(cloud);
    Camera camera;
    camera.setViewport(400, 400);
    camera.setLookAt(M3d(1, 2, 9), M3d(0, 0, 0), M3d(0, 1, 0));
    std::uniform_real_distribution<double> pixel(0.0, 400.0);
    int hits = 0;
    for (int i = 0; i < 2000; ++i) {
        const double x = pixel(random), y = pixel(random);
        M3d o, d;
        camera.rayThrough(x, y, o, d);
        d = d.normalized();
        double nearest = std::numeric_limits<double>::infinity();
        for (const ShapeObj::Polygon& t : cloud.polygons)
            nearest = std::min(nearest, bruteForceHit(t.points, o, d));
        const PickResult hit = picker.pick(camera, x, y);
        if (std::isinf(nearest)) {
            EXPECT_EQ(nullptr, hit.object) << "pixel " << x << ", " << y;
            continue;
        }
        ++hits;
        ASSERT_EQ(&cloud, hit.object) << "pixel " << x << ", " << y;
        EXPECT_NEAR(nearest, hit.distance, 1e-9) << "pixel " << x << ", " << y;
    }
    EXPECT_GT(hits, 500);
}

TEST(PickRendererTest, BoundsHoldEverythingDrawnAndPrimitivesWithoutAPlaceAreDropped) {
    ShapeObj shape;
    shape.polygons.push_back({squareAt(0.0), {}});
    const double nan = std::numeric_limits<double>::quiet_NaN();
    shape.polygons.push_back({{{0, 0, 5}, {1, 0, 5}, {nan, 1, 5}}, {}});
    shape.tubes.push_back({M3d(0, 0, 0), M3d(3, 0, 0), 0.5});
    shape.tubes.push_back({M3d(0, 0, 0), M3d(0, nan, 0), 0.5});
    PickRenderer picker;
    picker.collectScene(shape);
    EXPECT_EQ(size_t(2), picker.getTriangles().size());
    EXPECT_EQ(size_t(1), picker.getStrokes().size());
    M3d lo, hi;
    ASSERT_TRUE(picker.getBounds(lo, hi));
    EXPECT_TRUE(lo.cmp(M3d(-1, -1, -0.5), 1e-12));
    EXPECT_TRUE(hi.cmp(M3d(3.5, 1, 0.5), 1e-12));
    ShapeObj empty;
    picker.collectScene(empty);
    EXPECT_FALSE(picker.getBounds(lo, hi));
}

} // namespace
