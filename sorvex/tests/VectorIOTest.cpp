#include "sorvex/VectorIO.h"
#include "sorvex/M2d.h"
#include "sorvex/M3d.h"
#include "sorvex/M4d.h"
#include "sorvex/M4x4.h"
#include "sorvex/MQuat.h"

#include <gtest/gtest.h>

#include <iomanip>
#include <sstream>

using namespace Sorvex;

namespace {

template <typename T> std::string streamed(const T& value, int precision = 6) {
    std::ostringstream os;
    os << std::setprecision(precision) << value;
    return os.str();
}

} // namespace

TEST(VectorIO, SeparatorsPerType) {
    EXPECT_EQ("(1, -2)", streamed(M2d(1, -2)));
    EXPECT_EQ("(1, 2, 3.5)", streamed(M3d(1, 2, 3.5)));
    EXPECT_EQ("(1, 2, 3,4)", streamed(M4d(1, 2, 3, 4))) << "no blank before the last value";
    EXPECT_EQ("(0, 0, 0,1)", streamed(MQuat()));
    EXPECT_EQ("(1.23, 2, 3)", streamed(M3d(1.23456, 2, 3), 3)) << "the stream's own formatting";
}

TEST(VectorIO, MatrixPrintsOneColumnBlockPerLine) {
    EXPECT_EQ("1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n", streamed(M4x4()));
    EXPECT_EQ("1 0 0 0\n0 1 0 0\n0 0 1 0\n7 8 9 1\n", streamed(M4x4::Translation(M3d(7, 8, 9))));
}
