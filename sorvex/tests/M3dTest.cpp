#include "sorvex/M3d.h"
#include "sorvex/M2d.h"
#include "sorvex/M4d.h"
#include "sorvex/VectorIO.h"

#include <gtest/gtest.h>

using namespace Sorvex;

TEST(M3d, EqualityUsesStrictTolerancePerComponent) {
    const M3d p(1, 2, 3);
    EXPECT_TRUE(p == M3d(1, 2, 3 + 5e-11));
    EXPECT_FALSE(p == M3d(1, 2, 3 + 2e-10));
    EXPECT_TRUE(p != M3d(1, 2 + 2e-10, 3));
    EXPECT_FALSE(p.cmp(M3d(1.5, 2, 3), 0.5)) << "a difference equal to eps is not equal";
    EXPECT_TRUE(p.cmp(M3d(1.4, 2, 3), 0.5));
    EXPECT_FALSE(p == M3d(NAN, 2, 3));
    EXPECT_TRUE(M2d(1, 2) == M2d(1, 2 + 5e-11));
    EXPECT_FALSE(M4d(1, 2, 3, 4) == M4d(1, 2, 3, 4 + 2e-10));
}

TEST(M3d, NormalisationOfTinyVectorsGivesZero) {
    EXPECT_EQ(M3d(0, 0, 0), M3d(0, 0, 0).normalize());
    M3d tiny(5e-11, 0, 0);
    tiny.normalize();
    EXPECT_EQ(0.0, tiny.x());
    EXPECT_EQ(M3d(0, 1, 0), M3d(0, 3e-10, 0).normalize()) << "just above the bound still scales";
    EXPECT_EQ(M3d(0.6, 0, 0.8), M3d(3, 0, 4).normalized());
    EXPECT_EQ(M2d(0, 0), M2d(5e-11, 0).normalize());
    EXPECT_EQ(M2d(0.6, -0.8), M2d(3, -4).normalize());

    M4d degenerate(1e-11, 2e-11, 3e-11, 5e-11);
    degenerate.normalize();
    EXPECT_EQ(0.0, degenerate.x());
    EXPECT_EQ(5e-11, degenerate.w()) << "the weight is kept when the length is below 1e-10";
    EXPECT_EQ(M4d(0.5, 0.5, 0.5, 0.5), M4d(2, 2, 2, 2).normalize());
}

TEST(M3d, HomogeneousConversions) {
    EXPECT_EQ(M2d(2, 3), M2d(M3d(4, 6, 2)));
    EXPECT_EQ(M2d(0, 0), M2d(M3d(4, 6, 0)));
    EXPECT_EQ(M2d(0, 0), M3d(4, 6, 5e-11).cartesianized());
    EXPECT_EQ(M3d(7, 8, 1), M3d(M2d(7, 8)));

    EXPECT_EQ(M3d(1, 2, 3), M3d(M4d(2, 4, 6, 2)));
    EXPECT_EQ(M3d(0, 0, 0), M3d(M4d(2, 4, 6, 0)));
    EXPECT_EQ(M4d(1, 2, 3, 1), M4d(M3d(1, 2, 3)));
    EXPECT_EQ(M3d(-1, -2, -3), M4d(2, 4, 6, -2).cartesianized());

    M3d p(4, 6, 2);
    EXPECT_EQ(M3d(2, 3, 1), p.rationalize());
    p.set(4, 6, 0);
    EXPECT_EQ(M3d(0, 0, 0), p.cartesianize()) << "zero weight clears z too";
    p.set(2, 3, 4);
    EXPECT_EQ(M3d(8, 12, 4), p.homogenize());

    M4d q(2, 4, 6, 2);
    EXPECT_EQ(M4d(1, 2, 3, 1), q.rationalize());
    q.set(2, 4, 6, 0);
    EXPECT_EQ(M4d(0, 0, 0, 0), q.cartesianize());
    q.set(1, 2, 3, -2);
    EXPECT_EQ(M4d(-2, -4, -6, -2), q.homogenize());
}

TEST(M3d, MinMaxDirectionDiffersBetween2dAnd3d) {
    M3d bound(1, 5, 3);
    bound.min(M3d(2, 4, 3));
    EXPECT_EQ(M3d(1, 4, 3), bound);
    bound.max(M3d(0, 9, -1));
    EXPECT_EQ(M3d(1, 9, 3), bound);

    M4d bound4(1, 1, 1, 1);
    bound4.min(M4d(0, 2, 0, 2));
    EXPECT_EQ(M4d(0, 1, 0, 1), bound4);

    // M2d updates the argument, leaving the receiver alone.
    const M2d point(3, -1);
    M2d low(0, 0);
    M2d high(0, 0);
    point.min(low);
    point.max(high);
    EXPECT_EQ(M2d(0, -1), low);
    EXPECT_EQ(M2d(3, 0), high);
    EXPECT_EQ(M2d(3, -1), point);
}

TEST(M3d, CrossNormalAndProducts) {
    M3d c;
    c.cross(M3d(1, 0, 0), M3d(0, 1, 0));
    EXPECT_EQ(M3d(0, 0, 1), c);
    c.cross(M3d(1, 2, 3), M3d(4, 5, 6));
    EXPECT_EQ(M3d(-3, 6, -3), c);

    // a, b, c counter-clockwise seen from +z: the normal points to +z.
    M3d n;
    n.normal(M3d(0, 0, 0), M3d(1, 0, 0), M3d(0, 1, 0));
    EXPECT_EQ(M3d(0, 0, 1), n);
    n.normal(M3d(1, 0, 0), M3d(0, 1, 0), M3d(0, 0, 0));
    EXPECT_EQ(M3d(0, 0, 1), n) << "a cyclic shift keeps the orientation";
    n.normal(M3d(0, 0, 0), M3d(0, 2, 0), M3d(2, 0, 0));
    EXPECT_EQ(M3d(0, 0, -1), n) << "clockwise from +z";
    n.normal(M3d(0, 0, 0), M3d(1, 0, 0), M3d(2, 0, 0));
    EXPECT_EQ(M3d(0, 0, 0), n) << "degenerate triangle";

    EXPECT_EQ(32.0, M3d(1, 2, 3) * M3d(4, 5, 6));
    EXPECT_EQ(M3d(4, 10, 18), M3d(1, 2, 3) & M3d(4, 5, 6));
    EXPECT_EQ(M3d(0.5, 1, 1.5), M3d(1, 2, 3) / 2);
    EXPECT_TRUE(std::isinf((M3d(1, 2, 3) / 0).x())) << "operator/ is unguarded";
    EXPECT_EQ(14.0, M3d(1, 2, 3).squared());
    EXPECT_EQ(M3d(1, 2, 3), M3d(-1, 2, -3).abs());
}

TEST(M3d, ColinearWithinAboutPointEightDegrees) {
    const M3d a(0, 0, 0);
    EXPECT_TRUE(M3d(1, 0, 0).colinear(M3d(2, 0, 0), a));
    EXPECT_TRUE(M3d(1, 0, 0).colinear(M3d(-2, 0, 0), a)) << "folded back still counts";
    EXPECT_TRUE(M3d(1, 0, 0).colinear(M3d(2, std::tan(0.7 * M_PI / 180), 0), a));
    EXPECT_FALSE(M3d(1, 0, 0).colinear(M3d(2, std::tan(0.9 * M_PI / 180), 0), a));
    EXPECT_FALSE(M3d(1, 0, 0).colinear(M3d(1, 0, 0), a)) << "coincident points give no direction";
}

TEST(M3d, InterpolationAndHermiteBlend) {
    M3d p;
    p.lerp(M3d(0, 0, 0), M3d(2, 4, 6), 0.25);
    EXPECT_EQ(M3d(0.5, 1, 1.5), p);

    const M3d p0(0, 0, 0), t0(1, 0, 0), t1(0, 1, 0), p1(1, 1, 0);
    p.cubic(p0, t0, t1, p1, 0);
    EXPECT_EQ(p0, p);
    p.cubic(p0, t0, t1, p1, 1);
    EXPECT_EQ(p1, p);
    // s = 0.5: 0.5*p0 + 0.125*t0 - 0.125*t1 + 0.5*p1.
    p.cubic(p0, t0, t1, p1, 0.5);
    EXPECT_EQ(M3d(0.625, 0.375, 0), p);
    // Tangent at the start equals t0: compare a small step with the tangent.
    M3d step;
    step.cubic(p0, t0, t1, p1, 1e-6);
    EXPECT_TRUE(step.cmp(t0 * 1e-6, 1e-11));

    M2d q;
    q.cubic(M2d(0, 0), M2d(1, 0), M2d(0, 1), M2d(1, 1), 0.5);
    EXPECT_EQ(M2d(0.625, 0.375), q);
    M4d r;
    r.cubic(M4d(0, 0, 0, 1), M4d(1, 0, 0, 0), M4d(0, 1, 0, 0), M4d(1, 1, 0, 1), 0.5);
    EXPECT_EQ(M4d(0.625, 0.375, 0, 1), r);
}

TEST(M3d, ComponentAccessAndRawPointer) {
    M3d v(1, 2, 3);
    double* raw = v;
    raw[1] = 7;
    EXPECT_EQ(7.0, v.y());
    v[2] = 9;
    EXPECT_EQ(9.0, v.get(2));
    v.z() = 4;
    EXPECT_EQ(4.0, v[2]);
    static_assert(sizeof(M3d) == 3 * sizeof(double));
    static_assert(sizeof(M4d) == 4 * sizeof(double));
    static_assert(sizeof(M2d) == 2 * sizeof(double));
}
