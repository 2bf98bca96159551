#include "sorvex/MPlane.h"

#include <gtest/gtest.h>

#include <cmath>
#include <list>
#include <random>
#include <vector>

using Sorvex::M3d;
using Sorvex::MPlane;

namespace {

void expectNear(const M3d& expected, const M3d& actual, double eps = 1e-9) {
    EXPECT_TRUE(expected.cmp(actual, eps))
        << "expected (" << expected.x() << ", " << expected.y() << ", " << expected.z() << ") got ("
        << actual.x() << ", " << actual.y() << ", " << actual.z() << ")";
}

} // namespace

TEST(MPlane, ConstructionFromPointsAndNormals) {
    const MPlane byNormal(M3d(0, 0, 1), M3d(0, 0, 2));
    expectNear(M3d(0, 0, 1), byNormal.getNormal());
    EXPECT_DOUBLE_EQ(1.0, byNormal.getDist());
    EXPECT_DOUBLE_EQ(3.0, byNormal.distToPt(M3d(5, 5, 4)));
    EXPECT_TRUE(byNormal.ptAbove(M3d(5, 5, 4)));
    EXPECT_FALSE(byNormal.ptAbove(M3d(5, 5, -4)));
    EXPECT_DOUBLE_EQ(5.0, byNormal.distToPt(M3d(5, 5, -4)));

    // The normal of (a, b, c) is (c - a) x (b - a): clockwise seen from above.
    const MPlane byThree(M3d(0, 0, 5), M3d(1, 0, 5), M3d(0, 1, 5));
    expectNear(M3d(0, 0, -1), byThree.getNormal());
    EXPECT_DOUBLE_EQ(-5.0, byThree.getDist());

    const MPlane flipped = byNormal.flipped();
    expectNear(M3d(0, 0, -1), flipped.getNormal());
    EXPECT_DOUBLE_EQ(-1.0, flipped.getDist());
    EXPECT_NE(byNormal, flipped);
    EXPECT_EQ(byNormal, flipped.flipped());
}

TEST(MPlane, ProjectionAlongDirections) {
    const MPlane plane(M3d(0, 0, 1), M3d(0, 0, 1));
    expectNear(M3d(3, 4, 1), plane.project(M3d(3, 4, 7)));
    expectNear(M3d(-2, 4, 1), plane.project(M3d(0, 4, 3), M3d(-1, 0, -1)));
    // A direction parallel to the plane has no meeting point.
    expectNear(M3d(0, 0, 0), plane.project(M3d(3, 4, 7), M3d(1, 1, 0)));
}

TEST(MPlane, SegmentIntersection) {
    M3d out;
    const MPlane atOne(M3d(0, 0, 1), M3d(0, 0, 1));
    EXPECT_TRUE(atOne.intersect(M3d(0, 0, 0), M3d(0, 0, 2), &out));
    expectNear(M3d(0, 0, 1), out);
    // The meeting point of the line is written even when the segment misses.
    const MPlane atThree(M3d(0, 0, 3), M3d(0, 0, 1));
    EXPECT_FALSE(atThree.intersect(M3d(0, 0, 0), M3d(0, 0, 2), &out));
    expectNear(M3d(0, 0, 3), out);
    // Touching at an end counts; the pointer may be omitted.
    EXPECT_TRUE(atOne.intersect(M3d(1, 1, 1), M3d(1, 1, 4)));
    EXPECT_TRUE(atOne.intersect(M3d(1, 1, -4), M3d(1, 1, 1)));
    // A segment parallel to the plane meets it nowhere.
    EXPECT_FALSE(atOne.intersect(M3d(1, 1, 5), M3d(2, 1, 5), &out));
    expectNear(M3d(0, 0, 0), out);
}

TEST(MPlane, ThreePlaneIntersection) {
    const M3d p(1, 2, 3);
    const MPlane x(p, M3d(1, 0, 0)), y(p, M3d(0, 1, 0)), z(p, M3d(0, 0, 1));
    M3d out;
    ASSERT_TRUE(x.intersect(y, z, &out));
    expectNear(p, out);

    // Oblique planes through a common point, in every order.
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-5, 5);
    for (int i = 0; i < 50; ++i) {
        const M3d q(u(rng), u(rng), u(rng));
        const MPlane a(q, M3d(u(rng), u(rng), u(rng)));
        const MPlane b(q, M3d(u(rng), u(rng), u(rng)));
        const MPlane c(q, M3d(u(rng), u(rng), u(rng)));
        ASSERT_TRUE(a.intersect(b, c, &out));
        expectNear(q, out, 1e-6);
        ASSERT_TRUE(c.intersect(a, b, &out));
        expectNear(q, out, 1e-6);
    }

    // Two parallel planes and any third: no common point, out untouched.
    out = M3d(9, 9, 9);
    const MPlane parallel(M3d(0, 0, 7), M3d(0, 0, 1));
    EXPECT_FALSE(z.intersect(parallel, x, &out));
    EXPECT_FALSE(x.intersect(z, parallel, &out));
    expectNear(M3d(9, 9, 9), out);
}

TEST(MPlane, BestFitOfSquareAndNoisyPlane) {
    const M3d square[4] = {M3d(0, 0, 0), M3d(1, 0, 0), M3d(0, 1, 0), M3d(1, 1, 0)};
    MPlane fit;
    ASSERT_TRUE(fit.bestFit(square, 4));
    EXPECT_NEAR(1.0, std::fabs(fit.getNormal().z()), 1e-12);
    EXPECT_NEAR(0.0, fit.getDist(), 1e-12);
    const MPlane constructed(square, 4);
    EXPECT_NEAR(1.0, std::fabs(constructed.getNormal().z()), 1e-12);

    // Points scattered on a tilted plane with small noise: the normal is recovered.
    const M3d normal = M3d(1, -2, 3).normalized();
    const MPlane truth(M3d(4, 5, 6), normal);
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> u(-10, 10), noise(-1e-4, 1e-4);
    std::list<M3d> points;
    for (int i = 0; i < 500; ++i) {
        const M3d p(u(rng), u(rng), u(rng));
        points.push_back(truth.project(p) + normal * noise(rng));
    }
    MPlane listFit;
    ASSERT_TRUE(listFit.bestFit(points));
    if (listFit.getNormal().dot(normal) < 0)
        listFit.flip();
    expectNear(normal, listFit.getNormal(), 1e-5);
    EXPECT_NEAR(truth.getDist(), listFit.getDist(), 1e-4);
    EXPECT_NEAR(1.0, listFit.getNormal().length(), 1e-12);

    // Fewer points than dimensions still yield a unit normal through them.
    const M3d pair[2] = {M3d(0, 0, 0), M3d(2, 0, 0)};
    ASSERT_TRUE(fit.bestFit(pair, 2));
    EXPECT_NEAR(0.0, fit.getNormal().x(), 1e-12);
    EXPECT_NEAR(1.0, fit.getNormal().length(), 1e-12);
}

TEST(MPlane, BestFitRejectsBadInputAndKeepsThePlane) {
    const MPlane before(M3d(0, 0, 1), M3d(0, 0, 2));
    MPlane plane = before;
    std::list<M3d> empty;
    EXPECT_FALSE(plane.bestFit(empty));
    EXPECT_FALSE(plane.bestFit(nullptr, 0));
    const M3d withNaN[3] = {M3d(0, 0, 0), M3d(1, std::nan(""), 0), M3d(0, 1, 0)};
    EXPECT_FALSE(plane.bestFit(withNaN, 3));
    const M3d withInf[3] = {M3d(0, 0, 0), M3d(1, 0, 0), M3d(0, HUGE_VAL, 0)};
    EXPECT_FALSE(plane.bestFit(withInf, 3));
    EXPECT_EQ(before, plane);

    // No points: every member 0.
    const MPlane none(withNaN, 0);
    EXPECT_EQ(M3d(0, 0, 0), none.getNormal());
    EXPECT_EQ(0.0, none.getDist());
}
