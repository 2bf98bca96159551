#include "sorvex/MRect.h"

#include <gtest/gtest.h>

using namespace Sorvex;

TEST(MRect, CornersFromPositionAndSize) {
    MRect r(1, 2, 3, 4);
    EXPECT_EQ(4.0, r.x2());
    EXPECT_EQ(6.0, r.y2());
    r.setCoord(5, 6, 2, 10);
    EXPECT_EQ(-3.0, r.width()) << "reversed corners give a negative width";
    EXPECT_EQ(4.0, r.height());
    EXPECT_EQ(2.0, r.x2());
    r.setPos(0, 0);
    EXPECT_EQ(10.0, r.y2() + 6);
    r.setSize(1, 1);
    EXPECT_EQ(1.0, r.x2());
    const double values[4] = {9, 8, 7, 6};
    const MRect fromArray(values);
    EXPECT_EQ(9.0, fromArray.x1());
    EXPECT_EQ(14.0, fromArray.y2());
    EXPECT_EQ(0.0, MRect().x2());
}
