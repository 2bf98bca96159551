#include "sorvex/M4x4.h"
#include "sorvex/VectorIO.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>

using namespace Sorvex;

namespace {

M4x4 diagonal(double a, double b, double c, double d) {
    M4x4 m;
    m.set(0, 0, a);
    m.set(1, 1, b);
    m.set(2, 2, c);
    m.set(3, 3, d);
    return m;
}

M4x4 randomMatrix(std::mt19937_64& rng) {
    std::uniform_real_distribution<double> element(-2, 2);
    M4x4 m;
    for (int i = 0; i < 16; ++i) {
        m.data()[i] = element(rng);
    }
    return m;
}

bool sameBits(const M4x4& a, const M4x4& b) {
    return std::memcmp(a.data(), b.data(), 16 * sizeof(double)) == 0;
}

double orthogonalityError(const M4x4& m) {
    M4x4 t = m;
    t.transpose();
    M4x4 e = t * m - M4x4();
    double worst = 0;
    for (int i = 0; i < 16; ++i) {
        worst = std::max(worst, std::fabs(e.data()[i]));
    }
    return worst;
}

} // namespace

TEST(M4x4, StorageIsColumnBlocks) {
    M4x4 m;
    m.setCol(3, M3d(7, 8, 9));
    EXPECT_EQ(7.0, m.data()[12]);
    EXPECT_EQ(9.0, m[3][2]);
    EXPECT_EQ(M3d(7, 8, 9), m * M3d(0, 0, 0)) << "column 3 is the translation";
    EXPECT_EQ(M3d(7, 8, 9), m.getCol(3));
    EXPECT_EQ(M3d(1, 0, 0), m.getRow(0)) << "getRow keeps only the first three values";

    m.setRow(1, M3d(4, 5, 6));
    EXPECT_EQ(M4d(4, 5, 6, 0), M4d(m.get(0, 1), m.get(1, 1), m.get(2, 1), m.get(3, 1)));
    m.setRow(3, M3d(1, 2, 3));
    EXPECT_EQ(1.0, m.data()[3]);
    EXPECT_EQ(1.0, m.data()[15]) << "row 3 sets the corner to 1";
    m.setCol(3, M4d(0, 0, 0, 2));
    EXPECT_EQ(2.0, m.data()[15]);
    m.setRow(0, M4d(1, 2, 3, 4));
    EXPECT_EQ(4.0, m.data()[12]);
    m.setCol(1, M3d(1, 1, 1));
    EXPECT_EQ(0.0, m.data()[7]);

    M4x4 t;
    t.set(1, 2, 5); // column 1, row 2
    EXPECT_EQ(M3d(0, 1, 5), t * M3d(0, 1, 0));
    t.transpose();
    EXPECT_EQ(M3d(0, 5, 1), t * M3d(0, 0, 1));
}

TEST(M4x4, BuildersMultiplyOnTheRight) {
    M4x4 m;
    m.translate(1, 0, 0);
    m.rotateZ(M_PI / 2);
    EXPECT_EQ(M3d(1, 1, 0), m * M3d(1, 0, 0)) << "the rotation applies first";

    m.identity();
    m.scale(2, 3, 4);
    m.translate(M3d(1, 1, 1));
    EXPECT_EQ(M3d(2, 3, 4), m * M3d(0, 0, 0));
    m.translateNeg(M3d(1, 1, 1));
    EXPECT_EQ(M3d(2, 3, 4), m * M3d(1, 1, 1));

    M4x4 a;
    a.loadRotateX(0.3);
    a.translate(1, 2, 3);
    M4x4 expected = M4x4::Rotation(M3d(1, 0, 0), -0.3) * M4x4::Translation(M3d(1, 2, 3));
    EXPECT_EQ(expected, a);

    M4x4 square = a;
    square.mul(square, square);
    EXPECT_EQ(a * a, square) << "mul may write over an operand";
    M4d p(1, 2, 3, 2);
    a.transform(p);
    EXPECT_EQ(M4d(a * M3d(0.5, 1, 1.5)) * 2.0, p);
}

TEST(M4x4, ProductIsThePlainSumToTheBit) {
    // The plain rule: each element's four products summed in order, one at a time.
    auto plain = [](const M4x4& a, const M4x4& b) {
        M4x4 p;
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r)
                p.data()[4 * c + r] =
                    a.data()[r] * b.data()[4 * c] + a.data()[4 + r] * b.data()[4 * c + 1] +
                    a.data()[8 + r] * b.data()[4 * c + 2] + a.data()[12 + r] * b.data()[4 * c + 3];
        return p;
    };
    std::mt19937 random(9);
    std::uniform_real_distribution<double> value(-1e3, 1e3);
    for (int k = 0; k < 200; ++k) {
        M4x4 a, b;
        for (int i = 0; i < 16; ++i) {
            a.data()[i] = value(random);
            // Some exact zeros and ones, as in the affine maps a layout multiplies.
            b.data()[i] = i % 5 == 3 ? 0.0 : i % 7 == 2 ? 1.0 : value(random);
        }
        const M4x4 expected = plain(a, b);
        const M4x4 product = a * b;
        ASSERT_EQ(0, std::memcmp(expected.data(), product.data(), sizeof(double) * 16)) << k;
        M4x4 over = a;
        over *= b;
        ASSERT_EQ(0, std::memcmp(expected.data(), over.data(), sizeof(double) * 16)) << k;
        M4x4 square = b;
        square.mul(square, square);
        const M4x4 plainSquare = plain(b, b);
        ASSERT_EQ(0, std::memcmp(plainSquare.data(), square.data(), sizeof(double) * 16)) << k;
    }
}

TEST(M4x4, TurningBackIsTheTransposeToTheBit) {
    // The net layout turns by +a or -a about one axis and builds only the first: the
    // second must be its transpose exactly, or the nets would change.
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> coordinate(-1, 1);
    std::uniform_real_distribution<float> angle(-3.2f, 3.2f);
    for (int i = 0; i < 2000; ++i) {
        M3d axis(coordinate(rng), coordinate(rng), coordinate(rng));
        axis.normalize();
        const float a = angle(rng);
        M4x4 forward, back;
        forward.loadRotate(MQuat(axis, a));
        back.loadRotate(MQuat(axis, -a));
        forward.transpose();
        for (int c = 0; c < 4; ++c)
            for (int r = 0; r < 4; ++r) {
                const double x = forward.get(c, r), y = back.get(c, r);
                ASSERT_EQ(0, std::memcmp(&x, &y, sizeof x)) << "angle " << a << " at " << c << r;
            }
    }
}

TEST(M4x4, RotationSenses) {
    M4x4 m;
    m.loadRotateX(M_PI / 2);
    EXPECT_EQ(M3d(0, 0, 1), m * M3d(0, 1, 0));
    m.loadRotateY(M_PI / 2);
    EXPECT_EQ(M3d(1, 0, 0), m * M3d(0, 0, 1));
    m.loadRotateZ(M_PI / 2);
    EXPECT_EQ(M3d(0, 1, 0), m * M3d(1, 0, 0));
    m.loadRotate(M3d(1, 0, 0), M_PI / 2);
    EXPECT_EQ(M3d(0, 0, -1), m * M3d(0, 1, 0)) << "axis-angle turns the other way";
    m.loadRotate(MRot(M3d(0, 0, 2), M_PI / 2));
    EXPECT_EQ(M3d(0, -1, 0), m * M3d(1, 0, 0));
    m.identity();
    m.rotate(MRot(M3d(0, 1, 0), -0.7));
    M4x4 y;
    y.loadRotateY(0.7);
    EXPECT_EQ(y, m);

    M4x4 scaled;
    scaled.loadRotate(MQuat(0, 0, 2, 0));
    EXPECT_EQ(M3d(-1, 0, 0), scaled * M3d(1, 0, 0)) << "the quaternion is normalised on the fly";
    MQuat zero;
    zero.zero();
    scaled.loadRotate(zero);
    EXPECT_EQ(M4x4(), scaled);
}

TEST(M4x4, RotateToYAndItsFallback) {
    M4x4 m;
    m.loadRotateToY(M3d(1, 0, 0));
    EXPECT_EQ(M3d(1, 0, 0), m * M3d(0, 1, 0));
    EXPECT_NEAR(1.0, m.det(), 1e-12);
    EXPECT_LT(orthogonalityError(m), 1e-12);

    std::mt19937_64 rng(23);
    std::uniform_real_distribution<double> c(-5, 5);
    for (int n = 0; n < 200; ++n) {
        const M3d v(c(rng), c(rng), c(rng));
        m.loadRotateToY(v);
        ASSERT_EQ(v.normalized(), m.getCol(1));
        ASSERT_NEAR(1.0, m.det(), 1e-12);
        ASSERT_LT(orthogonalityError(m), 1e-12);
        ASSERT_EQ(M3d(0, 0, 0), m * M3d(0, 0, 0));
    }
}

TEST(M4x4, InverseSingularityBoundIsAbsolute) {
    M4x4 m;
    EXPECT_TRUE(m.inv());
    EXPECT_TRUE(sameBits(M4x4(), m));

    m.zero();
    EXPECT_FALSE(m.inv());

    M4x4 small = diagonal(0.005, 0.005, 0.005, 1);
    EXPECT_TRUE(small.inv());
    EXPECT_EQ(diagonal(200, 200, 200, 1), small);

    const M4x4 tooSmall = diagonal(0.004, 0.004, 0.004, 1);
    M4x4 attempt = tooSmall;
    EXPECT_FALSE(attempt.inv());
    EXPECT_TRUE(sameBits(tooSmall, attempt)) << "a failed inversion leaves the matrix as it was";

    M4x4 rankThree = M4x4::Rotation(M3d(1, 2, 3), 0.4);
    rankThree.setRow(2, rankThree.getRow(0));
    const M4x4 before = rankThree;
    EXPECT_FALSE(rankThree.inv());
    EXPECT_TRUE(sameBits(before, rankThree));

    M4x4 poisoned;
    poisoned.set(1, 2, NAN);
    EXPECT_FALSE(poisoned.inv()) << "NaN must not pass for a successful inversion";
    M4x4 infinite;
    infinite.set(0, 0, INFINITY);
    EXPECT_FALSE(infinite.inv());
}

TEST(M4x4, InverseTimesMatrixIsIdentity) {
    std::mt19937_64 rng(29);
    int inverted = 0;
    for (int n = 0; n < 1000; ++n) {
        const M4x4 m = randomMatrix(rng);
        if (std::fabs(m.det()) < 0.05) {
            continue;
        }
        M4x4 inverse = m;
        ASSERT_TRUE(inverse.inv());
        ASSERT_TRUE((inverse * m).cmp(M4x4(), 1e-9)) << m;
        ASSERT_TRUE((m * inverse).cmp(M4x4(), 1e-9));
        ++inverted;
    }
    EXPECT_GT(inverted, 800);

    // Row and column exchanges: a permutation needs every pivot off the diagonal.
    M4x4 permutation;
    permutation.zero();
    permutation.set(0, 2, 3);
    permutation.set(1, 0, 1);
    permutation.set(2, 3, 2);
    permutation.set(3, 1, 4);
    M4x4 inverse = permutation;
    ASSERT_TRUE(inverse.inv());
    EXPECT_EQ(M4x4(), inverse * permutation);

    // Rigid transforms invert to their transpose-and-negate form.
    M4x4 rigid = M4x4::Translation(M3d(1, -2, 3)) * M4x4::Rotation(M3d(1, 1, 0), 1.1);
    M4x4 undo = rigid;
    ASSERT_TRUE(undo.inv());
    EXPECT_EQ(M3d(4, 5, 6), undo * (rigid * M3d(4, 5, 6)));
}

TEST(M4x4, DeterminantAndAdjugate) {
    EXPECT_EQ(120.0, diagonal(2, 3, 4, 5).det());
    EXPECT_NEAR(1.0, M4x4::Rotation(M3d(1, 2, 3), 0.9).det(), 1e-14);
    M4x4 swapped;
    swapped.setCol(0, M4d(0, 1, 0, 0));
    swapped.setCol(1, M4d(1, 0, 0, 0));
    EXPECT_EQ(-1.0, swapped.det());

    std::mt19937_64 rng(31);
    for (int n = 0; n < 100; ++n) {
        const M4x4 m = randomMatrix(rng);
        M4x4 adjugate = m;
        adjugate.adjoint();
        ASSERT_TRUE((m * adjugate).cmp(M4x4() * m.det(), 1e-10));
        M4x4 inverse = m;
        if (std::fabs(m.det()) > 0.05 && inverse.inv()) {
            ASSERT_TRUE(inverse.cmp(adjugate * (1 / m.det()), 1e-9));
        }
    }
}

TEST(M4x4, ElementwiseArithmeticAndComparison) {
    const M4x4 a = M4x4::Rotation(M3d(0, 1, 1), 0.5);
    const M4x4 b = M4x4::Translation(M3d(1, 2, 3));
    M4x4 sum;
    sum.add(a, b);
    M4x4 back;
    back.sub(sum, b);
    EXPECT_EQ(a, back);
    EXPECT_EQ(a * 2.0, a + a);
    EXPECT_EQ(-a, M4x4(a).neg());
    EXPECT_EQ(M4x4(), +M4x4());
    M4x4 absolute = -M4x4();
    EXPECT_EQ(M4x4(), absolute.abs());

    M4x4 near = a;
    near.data()[7] += 0.5;
    EXPECT_TRUE(a.cmp(near, 0.5)) << "a difference equal to eps still counts as equal";
    EXPECT_FALSE(a.cmp(near, 0.49));
    EXPECT_TRUE(a != near);
    near = a;
    near.data()[3] = NAN;
    EXPECT_FALSE(a == near);
}

TEST(M4x4, Reorthogonalisation) {
    const M4x4 rotation = M4x4::Rotation(M3d(1, -2, 0.5), 2.2);
    M4x4 m = rotation;
    m.reorthogonalize(10);
    EXPECT_EQ(rotation, m);

    std::mt19937_64 rng(37);
    std::uniform_real_distribution<double> noise(-1e-3, 1e-3);
    M4x4 drifted = rotation;
    for (int i = 0; i < 11; ++i) {
        if (i % 4 != 3) {
            drifted.data()[i] += noise(rng);
        }
    }
    const M4x4 before = drifted;
    drifted.reorthogonalize(1);
    EXPECT_TRUE(sameBits(before, drifted));
    drifted.reorthogonalize(-3);
    EXPECT_TRUE(sameBits(before, drifted));

    const double error = orthogonalityError(drifted);
    M4x4 twoTerms = drifted;
    twoTerms.reorthogonalize(2);
    M4x4 allTerms = drifted;
    allTerms.reorthogonalize(50);
    EXPECT_LT(orthogonalityError(twoTerms), error / 100);
    EXPECT_LT(orthogonalityError(allTerms), 1e-12);
    EXPECT_TRUE(allTerms.cmp(rotation, 1e-2));
}

TEST(M4x4, ProjectionAndPickAtTheirStorageIndices) {
    M4x4 p;
    p.loadProj(M_PI / 2, 1, 3, 2);
    double expected[16] = {};
    expected[0] = 2;
    expected[5] = 4;
    expected[10] = -2;
    expected[11] = -3;
    expected[14] = -1;
    EXPECT_EQ(M4x4(expected), p);
    M4x4 composed = M4x4::Translation(M3d(1, 0, 0));
    composed.proj(M_PI / 2, 1, 3, 2);
    EXPECT_EQ(M4x4::Translation(M3d(1, 0, 0)) * p, composed);

    M4x4 pick;
    pick.loadPick(MRect(10, 20, 4, 8), MRect(0, 0, 100, 80));
    double pickExpected[16] = {25, 0, 0, 0, 0, 10, 0, 0, 0, 0, 1, 0, 20, 5, 0, 1};
    EXPECT_EQ(M4x4(pickExpected), pick);
    // Centred on the viewport, the pick region only zooms.
    pick.identity();
    pick.pick(MRect(50, 40, 10, 20), MRect(0, 0, 100, 80));
    EXPECT_EQ(diagonal(10, 4, 1, 1), pick);
}
