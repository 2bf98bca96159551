#include "sorvex/MBoundingBox.h"
#include "sorvex/M4x4.h"

#include <gtest/gtest.h>

#include <cmath>

using Sorvex::M3d;
using Sorvex::M4x4;
using Sorvex::MBoundingBox;

TEST(MBoundingBox, ExtensionFromEmpty) {
    MBoundingBox box;
    EXPECT_TRUE(box.isEmpty());
    EXPECT_EQ(-1, box.getLongestDimension());
    // The first point replaces the corners: the origin is not included.
    box.extend(M3d(1, 2, 3));
    box.extend(M3d(-1, 0, 5));
    EXPECT_FALSE(box.isEmpty());
    EXPECT_EQ(M3d(-1, 0, 3), box.getMin());
    EXPECT_EQ(M3d(1, 2, 5), box.getMax());
    EXPECT_EQ(2, box.getLongestDimension());
    EXPECT_EQ(M3d(0, 1, 4), box.getCenter());
    EXPECT_EQ(M3d(2, 2, 2), box.getSize());
    EXPECT_EQ(2.0, box.getTop());
    EXPECT_EQ(0.0, box.getBottom());

    // An empty box takes another box's corners; a copy of an empty box stays empty.
    MBoundingBox empty;
    const MBoundingBox copied(empty);
    EXPECT_TRUE(copied.isEmpty());
    empty += box;
    EXPECT_EQ(box, empty);
    MBoundingBox grown(M3d(10, 10, 10));
    grown.extend(box);
    EXPECT_EQ(M3d(-1, 0, 3), grown.getMin());
    EXPECT_EQ(M3d(10, 10, 10), grown.getMax());

    box.clear();
    EXPECT_TRUE(box.isEmpty());
    EXPECT_EQ(M3d(0, 0, 0), box.getMax());
}

TEST(MBoundingBox, LongestDimensionTiesGoToTheLaterAxis) {
    const M3d origin(0, 0, 0);
    EXPECT_EQ(0, MBoundingBox(origin, M3d(3, 1, 1)).getLongestDimension());
    EXPECT_EQ(1, MBoundingBox(origin, M3d(3, 3, 1)).getLongestDimension());
    EXPECT_EQ(2, MBoundingBox(origin, M3d(3, 1, 3)).getLongestDimension());
    EXPECT_EQ(2, MBoundingBox(origin, M3d(1, 3, 3)).getLongestDimension());
    EXPECT_EQ(1, MBoundingBox(origin, M3d(1, 3, 1)).getLongestDimension());
    // A single point has three zero extents.
    EXPECT_EQ(2, MBoundingBox(M3d(4, 4, 4)).getLongestDimension());
}

TEST(MBoundingBox, CornersContainmentAndMoves) {
    const MBoundingBox box(M3d(1, 2, 3), M3d(-1, -2, -3));
    EXPECT_EQ(M3d(-1, -2, -3), box.getLowerBackLeft());
    EXPECT_EQ(M3d(1, -2, -3), box.getLowerBackRight());
    EXPECT_EQ(M3d(-1, -2, 3), box.getLowerFrontLeft());
    EXPECT_EQ(M3d(1, -2, 3), box.getLowerFrontRight());
    EXPECT_EQ(M3d(-1, 2, -3), box.getUpperBackLeft());
    EXPECT_EQ(M3d(1, 2, -3), box.getUpperBackRight());
    EXPECT_EQ(M3d(-1, 2, 3), box.getUpperFrontLeft());
    EXPECT_EQ(M3d(1, 2, 3), box.getUpperFrontRight());

    EXPECT_TRUE(box.isInside(M3d(1, 0, 0)));
    EXPECT_TRUE(box.isInside(M3d(-1, -2, -3)));
    EXPECT_FALSE(box.isInside(M3d(1.001, 0, 0)));
    EXPECT_FALSE(box.isInside(M3d(0, 2.001, 0)));
    EXPECT_FALSE(box.isInside(M3d(0, 0, -3.001)));

    const MBoundingBox moved = box + M3d(1, 1, 1);
    EXPECT_EQ(M3d(0, -1, -2), moved.getMin());
    MBoundingBox inflated = box;
    inflated.inflate(0.5);
    EXPECT_EQ(M3d(1.5, 2.5, 3.5), inflated.getMax());
}

TEST(MBoundingBox, TransformBoundsTheMovedCorners) {
    MBoundingBox box(M3d(0, 0, 0), M3d(2, 1, 1));
    M4x4 m;
    m.loadRotateZ(M_PI / 2);
    m.translate(0, 0, 5); // applied first
    box.transform(m);
    EXPECT_TRUE(box.getMin().cmp(M3d(-1, 0, 5), 1e-12));
    EXPECT_TRUE(box.getMax().cmp(M3d(0, 2, 6), 1e-12));

    // A 45 degree turn of the unit square grows its bounds to the diagonal.
    MBoundingBox square(M3d(-1, -1, 0), M3d(1, 1, 0));
    m.loadRotateZ(M_PI / 4);
    square.transform(m);
    EXPECT_NEAR(std::sqrt(2.0), square.getMax().x(), 1e-12);
    EXPECT_NEAR(-std::sqrt(2.0), square.getMin().y(), 1e-12);
}
