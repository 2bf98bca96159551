#include "sorvex/Angles.h"

#include <gtest/gtest.h>

using namespace Sorvex;

TEST(Angles, CounterClockwiseAboutY) {
    const M3d x(1, 0, 0), z(0, 0, 1);
    EXPECT_DOUBLE_EQ(M_PI / 2, AngleCCW(x, z));
    EXPECT_DOUBLE_EQ(3 * M_PI / 2, AngleCCW(z, x));
    EXPECT_DOUBLE_EQ(3 * M_PI / 2, AngleCW(x, z));
    EXPECT_DOUBLE_EQ(M_PI / 2, AngleCW(z, x));
    EXPECT_DOUBLE_EQ(M_PI, AngleCCW(x, M3d(-3, 0, 0))) << "a zero sign test keeps theta";
    EXPECT_DOUBLE_EQ(M_PI, AngleCW(x, M3d(-3, 0, 0)));
    EXPECT_EQ(0.0, AngleCCW(x, M3d(5, 0, 0))) << "lengths do not matter";
    EXPECT_EQ(0.0, AngleCW(x, M3d(5, 0, 0))) << "no turn either way is 0, not 2 pi";
    // Components along y take part in theta but not in the sign test.
    EXPECT_DOUBLE_EQ(M_PI / 4, AngleCCW(x, M3d(1, 1, 0)));
    EXPECT_DOUBLE_EQ(2 * M_PI - M_PI / 4, AngleCCW(x, M3d(1, 0, -1)));
    for (double a = 0.1; a < 6.2; a += 0.3) {
        const M3d b(std::cos(a), 0, std::sin(a));
        EXPECT_NEAR(a, AngleCCW(x, b), 1e-12) << a;
        EXPECT_NEAR(2 * M_PI, AngleCCW(x, b) + AngleCW(x, b), 1e-12);
    }
}
