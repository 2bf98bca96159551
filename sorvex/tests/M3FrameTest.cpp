#include "sorvex/M3Frame.h"
#include "sorvex/MLookAt.h"
#include "sorvex/MRot.h"
#include "sorvex/VectorIO.h"

#include <gtest/gtest.h>

#include <random>

using namespace Sorvex;

namespace {

/// Unit, pairwise orthogonal and right-handed (right = direction x up).
void expectOrthonormal(const M3Frame& f) {
    EXPECT_NEAR(1.0, f.getRight().length(), 1e-12);
    EXPECT_NEAR(1.0, f.getDir().length(), 1e-12);
    EXPECT_NEAR(1.0, f.getUp().length(), 1e-12);
    M3d right;
    right.cross(f.getDir(), f.getUp());
    EXPECT_TRUE(right.cmp(f.getRight(), 1e-12)) << f.getRight() << " vs " << right;
}

} // namespace

TEST(M3Frame, DefaultFrameViewAndPan) {
    M3Frame f;
    M4x4 view;
    f.getViewMatrix(view);
    EXPECT_EQ(M4x4(), view);
    f.pan(M3d(1, 2, 3));
    EXPECT_EQ(M3d(1, 2, 3), f.getPos());

    const M3Frame turned(M3d(1, 1, 1), M3d(0, -1, 0), M3d(1, 0, 0), M3d(0, 0, 1));
    M3Frame moved = turned;
    moved.pan(M3d(1, 2, 3));
    EXPECT_EQ(M3d(3, 0, 4), moved.getPos()) << "pan runs along the frame's own axes";

    turned.getViewMatrix(view);
    const M3d p(4, -2, 7);
    const M3d offset = p - turned.getPos();
    EXPECT_EQ(M3d(turned.getRight() * offset, turned.getDir() * offset, turned.getUp() * offset),
              view * p);
    M4x4 rot;
    turned.getRotMatrix(rot);
    EXPECT_EQ(M3d(0, 0, 0), rot * M3d(0, 0, 0)) << "the rotation matrix has no translation";
    M3Frame copy;
    copy.setRotMatrix(rot);
    copy.setPos(turned.getPos());
    EXPECT_EQ(turned, copy);
    EXPECT_NE(turned, M3Frame());
}

TEST(M3Frame, YawPitchRollFollowTheAxisAngleSense) {
    M3Frame f;
    f.yaw(M_PI / 2);
    EXPECT_EQ(M3d(1, 0, 0), f.getDir());
    EXPECT_EQ(M3d(0, -1, 0), f.getRight());
    expectOrthonormal(f);

    f = M3Frame();
    f.pitch(M_PI / 2);
    EXPECT_EQ(M3d(0, 0, -1), f.getDir());
    EXPECT_EQ(M3d(0, 1, 0), f.getUp());

    f = M3Frame();
    f.roll(M_PI / 2);
    EXPECT_EQ(M3d(-1, 0, 0), f.getUp());
    EXPECT_EQ(M3d(0, 0, 1), f.getRight());

    // Long sequences of turns keep the frame orthonormal.
    std::mt19937_64 rng(41);
    std::uniform_real_distribution<double> a(-3, 3);
    f = M3Frame();
    for (int n = 0; n < 300; ++n) {
        f.yaw(a(rng));
        f.pitch(a(rng));
        f.roll(a(rng));
    }
    expectOrthonormal(f);
}

TEST(M3Frame, RotateAppliesTheInverseTurnToTheAxes) {
    M3Frame f;
    f.rotate(MQuat(M3d(0, 0, 1), M_PI / 2));
    EXPECT_EQ(M3d(0, 1, 0), f.getRight());
    EXPECT_EQ(M3d(-1, 0, 0), f.getDir());
    EXPECT_EQ(M3d(0, 0, 1), f.getUp());
}

TEST(M3Frame, SetViewLooksAtTheTarget) {
    std::mt19937_64 rng(43);
    std::uniform_real_distribution<double> c(-10, 10);
    for (int n = 0; n < 200; ++n) {
        M3Frame f;
        f.setPos(M3d(c(rng), c(rng), c(rng)));
        const M3d target(c(rng), c(rng), c(rng));
        f.setView(target, 0);
        ASSERT_TRUE(f.getDir().cmp((target - f.getPos()).normalized(), 1e-12))
            << "pos " << f.getPos() << " target " << target << " dir " << f.getDir();
        ASSERT_NEAR(0.0, f.getRight().z(), 1e-12) << "no roll keeps right horizontal";
        ASSERT_GE(f.getUp().z(), 0.0);
        expectOrthonormal(f);

        const M3d level = f.getUp();
        const double roll = c(rng) / 4;
        f.setView(target, roll);
        ASSERT_TRUE(f.getDir().cmp((target - f.getPos()).normalized(), 1e-12));
        ASSERT_NEAR(std::cos(roll), f.getUp() * level, 1e-12);
        expectOrthonormal(f);
    }
    M3Frame ahead;
    ahead.setView(M3d(0, 5, 0), 0);
    EXPECT_EQ(M3Frame(), ahead);
}

TEST(MLookAt, TargetDollyAndFrameAssignment) {
    MLookAt camera;
    EXPECT_EQ(1.0, camera.getDist());
    camera.setDist(2);
    EXPECT_EQ(M3d(0, 2, 0), camera.getTgt());
    camera.dolly(1);
    EXPECT_EQ(M3d(0, 1, 0), camera.getPos());
    EXPECT_EQ(M3d(0, 3, 0), camera.getTgt());
    EXPECT_EQ(2.0, camera.getDist());

    const MLookAt before = camera;
    camera.azimuth(0.5);
    camera.elevation(0.5);
    EXPECT_EQ(before, camera);

    M3Frame frame(M3d(5, 5, 5), M3d(0, -1, 0), M3d(1, 0, 0), M3d(0, 0, 1));
    camera = frame;
    EXPECT_EQ(2.0, camera.getDist()) << "assigning a frame keeps the distance";
    EXPECT_EQ(M3d(7, 5, 5), camera.getTgt());
    MLookAt other = camera;
    other.setDist(2 + 5e-11);
    EXPECT_EQ(camera, other);
    other.setDist(2.1);
    EXPECT_NE(camera, other);
}

TEST(MRot, AxisAngleFromQuaternionRoundTrips) {
    std::mt19937_64 rng(47);
    std::normal_distribution<double> gauss;
    for (int n = 0; n < 200; ++n) {
        MQuat q(gauss(rng), gauss(rng), gauss(rng), gauss(rng));
        q.normalize();
        ASSERT_TRUE(MRot(q).quat().cmp(q, 1e-12));
    }
    const MRot r(MQuat(M3d(0, 0, 1), 1.0));
    EXPECT_EQ(MRot(M3d(0, 0, -1), -1.0), r) << "angle -2 acos(w), axis over sin(acos(w))";

    MRot kept(M3d(1, 2, 3), 0.7);
    kept.set(MQuat());
    EXPECT_EQ(M3d(1, 2, 3), kept.axis()) << "no rotation: the axis keeps its value";
    EXPECT_EQ(0.0, kept.angle());
    kept.set(MQuat(0, 0, 0, 1.0000000000000002));
    EXPECT_EQ(0.0, kept.angle()) << "rounding above 1 must not give NaN";
    EXPECT_EQ(M3d(0, 0, 0), MRot(MQuat()).axis());

    MRot a(M3d(1, 0, 0), 0.5);
    a.set(1, 0, 0, 0.5 + 5e-11);
    EXPECT_EQ(MRot(M3d(1, 0, 0), 0.5), a);
    EXPECT_NE(MRot(M3d(1, 0, 0), 0.6), a);
}
