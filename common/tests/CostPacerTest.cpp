#include "common/CostPacer.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;
using Clock = CostPacer::Clock;

TEST(CostPacerTest, ACostlyRunPushesTheNextOneBackBySpacingTimesItsCost) {
    CostPacer pacer(20, 2ms);
    const Clock::time_point t0 = Clock::now();
    EXPECT_TRUE(pacer.isDue(t0)) << "nothing ran yet";

    pacer.ran(t0, t0 + 10ms);
    EXPECT_FALSE(pacer.isDue(t0 + 10ms));
    EXPECT_FALSE(pacer.isDue(t0 + 209ms));
    EXPECT_EQ(Clock::duration(100ms), pacer.waitFrom(t0 + 110ms));
    EXPECT_TRUE(pacer.isDue(t0 + 210ms));
    EXPECT_EQ(Clock::duration::zero(), pacer.waitFrom(t0 + 300ms));

    // A cheap run after it frees the pace again: the data shrank.
    pacer.ran(t0 + 300ms, t0 + 300ms + 1ms);
    EXPECT_TRUE(pacer.isDue(t0 + 301ms));
}

TEST(CostPacerTest, RunsBelowTheFreeCostNeverWait) {
    CostPacer pacer(1000, 5ms);
    const Clock::time_point t0 = Clock::now();
    pacer.ran(t0, t0 + 4ms);
    EXPECT_TRUE(pacer.isDue(t0 + 4ms));
    pacer.ran(t0, t0 + 5ms);
    EXPECT_FALSE(pacer.isDue(t0 + 5ms)) << "at the free cost the pace applies";
    EXPECT_TRUE(pacer.isDue(t0 + 5005ms));
}

} // namespace
