#include "sorvex/MBezierPatch.h"
#include "sorvex/MBezierTriangle.h"

#include <gtest/gtest.h>

using Sorvex::M3d;
using Sorvex::MBezierPatch;
using Sorvex::MBezierTriangle;

TEST(MBezierPatch, EvaluatesTheDefaultGridAndEditedPoints) {
    MBezierPatch patch;
    EXPECT_EQ(M3d(1.5, 0, 1.5), patch.eval(0.5, 0.5));
    EXPECT_EQ(M3d(0.75, 0, 2.25), patch.eval(0.25, 0.75));
    EXPECT_EQ(patch.getControlPt(3, 0), patch.eval(1, 0));
    EXPECT_EQ(patch.getControlPt(0, 3), patch.eval(0, 1));

    // Indices are taken modulo 4.
    patch.setControlPt(1, 2, M3d(7, 8, 9));
    EXPECT_EQ(M3d(7, 8, 9), patch.getControlPt(5, 6));
    patch.getControlPt(4, 4) = M3d(0, 5, 0);
    EXPECT_EQ(M3d(0, 5, 0), patch.getControlPt(0, 0));
    EXPECT_EQ(M3d(0, 5, 0), patch.eval(0, 0));

    // Raising one inner point lifts the centre by its Bernstein weight (3/8)^2.
    MBezierPatch bump;
    bump.setControlPt(1, 1, M3d(1, 8, 1));
    EXPECT_DOUBLE_EQ(8 * 9.0 / 64, bump.eval(0.5, 0.5).y());
}

TEST(MBezierTriangle, EvaluatesBarycentricPoints) {
    MBezierTriangle tri;
    EXPECT_EQ(M3d(3, 0, 0), tri.eval(1, 0, 0));
    EXPECT_EQ(M3d(0, 3, 0), tri.eval(0, 1, 0));
    EXPECT_EQ(M3d(0, 0, 3), tri.eval(0, 0, 1));
    EXPECT_EQ(M3d(1, 1, 1), tri.eval(1.0 / 3, 1.0 / 3, 1.0 / 3));
    EXPECT_EQ(M3d(0.6, 0.9, 1.5), tri.eval(0.2, 0.3, 0.5));

    // Each control point is stored once: changing P(1, 1, 1) only moves the centre.
    tri.setControlPt(1, 1, 1, M3d(1, 1, 10));
    EXPECT_EQ(M3d(1, 1, 10), tri.getControlPt(1, 1, 1));
    EXPECT_EQ(M3d(3, 0, 0), tri.eval(1, 0, 0));
    EXPECT_DOUBLE_EQ(1 + 6.0 / 27 * 9, tri.eval(1.0 / 3, 1.0 / 3, 1.0 / 3).z());
    for (int k = 0; k <= 3; ++k)
        for (int j = 0; j + k <= 3; ++j) {
            const int i = 3 - j - k;
            if (i == 1 && j == 1)
                continue;
            EXPECT_EQ(M3d(i, j, k), tri.getControlPt(i, j, k)) << i << j << k;
        }
}
