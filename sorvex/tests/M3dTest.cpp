#include "sorvex/Sorvex.h"

#include <gtest/gtest.h>

using namespace Sorvex;

TEST(M3dText, placeholder) {
    EXPECT_EQ(M3d(1, 2, 3), M3d(M3d(1, 2, 3).toString().c_str()));
}
