#include "sorvex/MQuat.h"
#include "sorvex/M4x4.h"
#include "sorvex/VectorIO.h"

#include <gtest/gtest.h>

#include <random>

using namespace Sorvex;

namespace {

/// q (v, 0) q*: the rotation a unit quaternion applies to v.
M3d sandwich(const MQuat& q, const M3d& v) {
    MQuat conjugate = q;
    conjugate.cnj();
    const MQuat r = q * MQuat(v.x(), v.y(), v.z(), 0) * conjugate;
    return {r.x(), r.y(), r.z()};
}

bool sameRotation(const MQuat& a, const MQuat& b, double eps) {
    MQuat negated = b;
    negated.neg();
    return a.cmp(b, eps) || a.cmp(negated, eps);
}

MQuat randomUnit(std::mt19937_64& rng) {
    std::normal_distribution<double> gauss;
    MQuat q(gauss(rng), gauss(rng), gauss(rng), gauss(rng));
    return q.normalize();
}

} // namespace

TEST(MQuat, AxisAngleUsesNegativeHalfAngle) {
    const MQuat q(M3d(0, 0, 1), M_PI / 2);
    EXPECT_TRUE(q.cmp(MQuat(0, 0, -0.70710678118654752, 0.70710678118654752), 1e-15));
    EXPECT_EQ(MQuat(0, 0, -0.70710678118654752, 0.70710678118654752), MQuat(M3d(0, 0, 7), M_PI / 2))
        << "the axis length is divided out";
    EXPECT_EQ(MQuat(), MQuat(M3d(0, 0, 5e-11), 1.0)) << "too short an axis gives the identity";
    // A positive angle turns x towards -y about +z.
    EXPECT_TRUE(sandwich(q, M3d(1, 0, 0)).cmp(M3d(0, -1, 0), 1e-15));
}

TEST(MQuat, HamiltonProductConjugateAndInverse) {
    const MQuat i(1, 0, 0, 0), j(0, 1, 0, 0), k(0, 0, 1, 0);
    EXPECT_EQ(k, i * j);
    MQuat minusK = k;
    EXPECT_EQ(minusK.neg(), j * i);
    MQuat product;
    product.mul(j, k);
    EXPECT_EQ(i, product);
    EXPECT_EQ(MQuat(0, 0, 0, -1), i * i);

    std::mt19937_64 rng(5);
    for (int n = 0; n < 100; ++n) {
        const MQuat q = randomUnit(rng);
        MQuat inverse = q;
        inverse.inv();
        ASSERT_TRUE((q * inverse).cmp(MQuat(), 1e-15));
        MQuat scaled = q * 3.0;
        ASSERT_TRUE(scaled.inv().cmp(inverse, 1e-15)) << "inverse of the normalised quaternion";
    }
    MQuat tiny(1e-11, 0, 0, 0);
    EXPECT_EQ(MQuat(), tiny.inv());
    MQuat zero;
    zero.zero();
    EXPECT_EQ(MQuat(0, 0, 0, 0), zero) << "zero() is not the identity";
    EXPECT_EQ(MQuat(), zero.normalize());
    const float floats[4] = {0.5f, 0.25f, 0.125f, 1.0f};
    EXPECT_EQ(MQuat(0.5, 0.25, 0.125, 1), MQuat(floats));
}

TEST(MQuat, MatrixRoundTripAgreesWithLoadRotate) {
    std::mt19937_64 rng(9);
    std::uniform_real_distribution<double> unit(-1, 1);
    std::uniform_real_distribution<double> angle(-2 * M_PI, 2 * M_PI);
    const M3d probe(0.3, -1.2, 0.7);
    for (int n = 0; n < 500; ++n) {
        const M3d axis(unit(rng), unit(rng), unit(rng));
        const double a = angle(rng);
        const MQuat q(axis, a);
        const M4x4 m = M4x4::Rotation(axis, a);
        ASSERT_TRUE((m * probe).cmp(sandwich(q, probe), 1e-12)) << "matrix and quaternion agree";
        ASSERT_TRUE(sameRotation(MQuat(m), q, 1e-12)) << "axis " << axis.x() << " angle " << a;
    }
    // Half turns exercise every branch of the trace test.
    for (const M3d& axis : {M3d(1, 0, 0), M3d(0, 1, 0), M3d(0, 0, 1), M3d(1, 1, 0), M3d(0, 1, 1)}) {
        const MQuat q(axis, M_PI);
        M4x4 m;
        m.loadRotate(q);
        EXPECT_TRUE(sameRotation(MQuat(m), q, 1e-12)) << axis.x() << axis.y() << axis.z();
    }
    M4x4 zero;
    zero.zero();
    EXPECT_EQ(MQuat(0.5, 0, 0, 0), MQuat(zero)) << "not a rotation: the largest-diagonal branch";
}

TEST(MQuat, LogExpAndDifferences) {
    std::mt19937_64 rng(13);
    for (int n = 0; n < 100; ++n) {
        const MQuat q = randomUnit(rng);
        MQuat roundTrip = q;
        roundTrip.ln();
        EXPECT_EQ(0.0, roundTrip.w());
        ASSERT_TRUE(roundTrip.exp().cmp(q, 1e-13));
        MQuat same;
        same.lnDif(q, q);
        ASSERT_TRUE(same.cmp(MQuat(0, 0, 0, 0), 1e-13));
    }
    MQuat identityLog;
    EXPECT_EQ(MQuat(0, 0, 0, 0), identityLog.ln());
    MQuat origin(0, 0, 0, 0);
    EXPECT_EQ(MQuat(), origin.exp());
    // ln of the rotation by angle a about z is (0, 0, -a/2, 0) in this convention.
    MQuat log = MQuat(M3d(0, 0, 1), 1.0);
    EXPECT_TRUE(log.ln().cmp(MQuat(0, 0, -0.5, 0), 1e-15));
}

TEST(MQuat, SlerpEndpointsSelfAndOppositeKeys) {
    std::mt19937_64 rng(17);
    for (int n = 0; n < 50; ++n) {
        const MQuat a = randomUnit(rng);
        const MQuat b = randomUnit(rng);
        MQuat r;
        r.slerp(a, b, 0);
        ASSERT_TRUE(r.cmp(a, 1e-12));
        r.slerp(a, b, 1);
        ASSERT_TRUE(r.cmp(b, 1e-12));
        for (double t : {0.0, 0.3, 0.5, 1.0, 1.7}) {
            r.slerp(a, a, t);
            ASSERT_EQ(a, r) << "t = " << t;
        }
    }
    // Along one axis the midpoint is the half rotation, and no shorter-arc flip is made.
    MQuat mid;
    mid.slerp(MQuat(), MQuat(M3d(1, 0, 0), 2.0), 0.5);
    EXPECT_EQ(MQuat(M3d(1, 0, 0), 1.0), mid);
    MQuat far = MQuat(M3d(0, 1, 0), 1.0);
    far.neg();
    mid.slerp(MQuat(), far, 0.5);
    EXPECT_GT(mid.length(), 0.999);
    EXPECT_LT(mid.w(), 0.5) << "the long way round through -1";

    // Exactly opposite keys pass through the perpendicular quaternion.
    const MQuat a(0.5, 0.5, 0.5, 0.5);
    MQuat b = a;
    b.neg();
    MQuat r;
    r.slerp(a, b, 0);
    EXPECT_EQ(a, r);
    r.slerp(a, b, 1);
    EXPECT_EQ(MQuat(-0.5, 0.5, -0.5, 0.5), r);
    r.slerp(a, b, 0.5);
    EXPECT_NEAR(1.0, r.length(), 1e-12);
    EXPECT_NEAR(0.0, r.dot(a) - std::sqrt(0.5), 1e-12);

    MQuat self = MQuat(M3d(0, 0, 1), 0.4);
    self.slerp(self, MQuat(), 1);
    EXPECT_EQ(MQuat(), self) << "the receiver may be an argument";
}

TEST(MQuat, SquadAndTangent) {
    const MQuat p(M3d(0, 0, 1), 0.0);
    const MQuat c(M3d(0, 0, 1), 0.5);
    const MQuat q(M3d(0, 0, 1), 1.0);
    MQuat t;
    t.tangent(p, c, q);
    EXPECT_EQ(c, t) << "evenly spaced keys on one axis need no correction";

    std::mt19937_64 rng(21);
    const MQuat a = randomUnit(rng), b = randomUnit(rng), e = randomUnit(rng), f = randomUnit(rng);
    MQuat s;
    s.squad(a, b, e, f, 0);
    EXPECT_TRUE(s.cmp(a, 1e-12));
    s.squad(a, b, e, f, 1);
    EXPECT_TRUE(s.cmp(f, 1e-12));
    // Mid-way the weight 2t(1-t) = 0.5 blends the outer and inner slerps evenly.
    MQuat outer, inner, expected;
    outer.slerp(a, f, 0.5);
    inner.slerp(b, e, 0.5);
    expected.slerp(outer, inner, 0.5);
    s.squad(a, b, e, f, 0.5);
    EXPECT_TRUE(s.cmp(expected, 1e-14));
}

TEST(MQuat, TrackballTurnsTheFirstPointOntoTheSecond) {
    MQuat q(0.1, 0.2, 0.3, 0.4);
    q.trackball(M2d(0.25, 0.1), M2d(0.25, 0.1 + 5e-11));
    EXPECT_EQ(MQuat(), q);

    // Inside the sphere region both points lie on the ball, so the chord angle is exact.
    const M2d drags[][2] = {{M2d(0, 0), M2d(0.1, 0)},
                            {M2d(0.2, -0.1), M2d(-0.3, 0.2)},
                            {M2d(0.05, 0.4), M2d(0.3, 0.3)}};
    for (const auto& drag : drags) {
        q.trackball(drag[0], drag[1]);
        const auto lift = [](const M2d& p) {
            return M3d(p.x(), std::sqrt(0.64 - p.x() * p.x() - p.y() * p.y()), p.y());
        };
        M4x4 m;
        m.loadRotate(q);
        EXPECT_TRUE((m * lift(drag[0])).cmp(lift(drag[1]), 1e-12))
            << drag[0].x() << "," << drag[0].y() << " -> " << drag[1].x() << "," << drag[1].y();
    }
    // Far outside the ball the hyperbolic sheet keeps the rotation finite and unit.
    q.trackball(M2d(3, 0), M2d(-3, 1));
    EXPECT_NEAR(1.0, q.length(), 1e-12);
}
