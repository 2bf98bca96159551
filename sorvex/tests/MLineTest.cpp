#include "sorvex/MLine.h"
#include "sorvex/MRay.h"

#include <gtest/gtest.h>

using Sorvex::M3d;
using Sorvex::MLine;
using Sorvex::MRay;

TEST(MLine, SegmentCrossings) {
    const M3d a1(0, 0, 0), a2(2, 0, 0);
    EXPECT_DOUBLE_EQ(0.5, MLine::Intersect(a1, a2, M3d(1, -1, 0), M3d(1, 1, 0)));
    EXPECT_DOUBLE_EQ(0.25, MLine::Intersect(a1, a2, M3d(0.5, 3, 0), M3d(0.5, -1, 0)));
    // Touching at an end of a or of b.
    EXPECT_DOUBLE_EQ(0.0, MLine::Intersect(a1, a2, M3d(0, 0, 0), M3d(0, 1, 0)));
    EXPECT_DOUBLE_EQ(1.0, MLine::Intersect(a1, a2, M3d(2, -1, 0), M3d(2, 1, 0)));
    EXPECT_DOUBLE_EQ(0.5, MLine::Intersect(a1, a2, M3d(1, 0, 0), M3d(1, 1, 0)));
    // The lines cross, but beyond the end of either segment.
    EXPECT_EQ(-1.0, MLine::Intersect(a1, a2, M3d(3, -1, 0), M3d(3, 1, 0)));
    EXPECT_EQ(-1.0, MLine::Intersect(a1, a2, M3d(1, 0.5, 0), M3d(1, 1, 0)));
    // Parallel and collinear segments.
    EXPECT_EQ(-1.0, MLine::Intersect(a1, a2, M3d(0, 1, 0), M3d(2, 1, 0)));
    EXPECT_EQ(-1.0, MLine::Intersect(a1, a2, M3d(1, 0, 0), M3d(3, 0, 0)));
    // Skew segments: the parameter of a's point closest to b.
    EXPECT_DOUBLE_EQ(0.5, MLine::Intersect(a1, a2, M3d(1, -1, 1), M3d(1, 1, 1)));
}

TEST(MLine, AccessAndComparison) {
    const MLine line(M3d(1, 2, 3), M3d(4, 5, 6));
    EXPECT_EQ(M3d(1, 2, 3), line.getP1());
    EXPECT_EQ(M3d(4, 5, 6), line.getP2());
    EXPECT_EQ(line, MLine(M3d(1, 2, 3 + 5e-11), M3d(4, 5, 6)));
    EXPECT_NE(line, MLine(M3d(4, 5, 6), M3d(1, 2, 3)));
    EXPECT_TRUE(line.cmp(MLine(M3d(1.05, 2, 3), M3d(4, 5, 6)), 0.1));
}

TEST(MRay, AccessorsAndIntersection) {
    MRay ray;
    EXPECT_EQ(M3d(1, 0, 0), ray.getDir());
    ray.set(M3d(1, 1, 1), M3d(3, 1, 1));
    EXPECT_EQ(M3d(2, 0, 0), ray.getDir());
    EXPECT_EQ(M3d(3, 1, 1), ray.getTgt());
    EXPECT_EQ(M3d(2, 1, 1), ray.evaluate(0.5));
    ray.setTgt(M3d(1, 4, 1));
    EXPECT_EQ(M3d(0, 3, 0), ray.getDir());

    const MRay alongX(M3d(0, 0, 0), M3d(1, 0, 0));
    EXPECT_TRUE(alongX.intersects(MRay(M3d(5, -1, 0), M3d(0, 1, 0))));
    // Meeting behind the other ray's start, or behind this ray's start.
    EXPECT_FALSE(alongX.intersects(MRay(M3d(5, -1, 0), M3d(0, -1, 0))));
    EXPECT_FALSE(alongX.intersects(MRay(M3d(-5, -1, 0), M3d(0, 1, 0))));
    // Both starting on the meeting point counts.
    EXPECT_TRUE(alongX.intersects(MRay(M3d(0, 0, 0), M3d(0, 1, 0))));
    // Parallel rays never intersect, not even overlapping ones.
    EXPECT_FALSE(alongX.intersects(MRay(M3d(1, 0, 0), M3d(2, 0, 0))));
}
