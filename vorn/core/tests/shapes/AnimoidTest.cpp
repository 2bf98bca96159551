#include "vorn/core/shapes/Animoid.h"

#include "common/IdleLoop.h"
#include "scene/SceneObj.h"

#include <gtest/gtest.h>

#include <memory>

using Sorvex::M3d;

TEST(Animoid, BouncesOffTheWallsAndIsPulledBySiblings) {
    SceneObj parent;
    auto* a = new Animoid;
    auto* b = new Animoid;
    ASSERT_TRUE(a->setParent(&parent));
    ASSERT_TRUE(b->setParent(&parent));
    // Put a just outside the +x wall moving outwards, b far away on the -x side.
    a->translate(M3d(2.5, 0, 0) - a->getCenter());
    b->translate(M3d(-1.5, 0, 0) - b->getCenter());
    a->setVelocity(M3d(0.1, 0, 0));
    b->setVelocity(M3d(0, 0, 0));
    a->onSystemIdle();
    EXPECT_NEAR(2.6, a->getCenter().x(), 1e-12);
    // Sent back at 0.9 of its speed, then pulled a little towards b.
    EXPECT_NEAR(-0.09 - 1 / (10000 * 4.1), a->getVelocity().x(), 1e-12);
    b->onSystemIdle();
    EXPECT_GT(b->getVelocity().x(), 0) << "drawn towards a";
}

TEST(Animoid, IsAnIdleHandlerForItsWholeLife) {
    const int before = GetSystemIdleHandlerCount();
    {
        Animoid a;
        EXPECT_EQ(before + 1, GetSystemIdleHandlerCount());
        // Starts inside the box the walls keep it in.
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_LE(std::abs(a.getCenter()[axis]), 2.0);
    }
    EXPECT_EQ(before, GetSystemIdleHandlerCount());
}
