#include "unfolders/automation/UnfolderAutomator.h"
#include "common/StatusLine.h"
#include "common/XML.h"
#include "scene/Factory.h"
#include "tests/support/NetOverlaps.h"
#include "tests/support/TempDir.h"
#include "unfolders/automation/CoolinoidTrial.h"
#include "unfolders/automation/LocalCache.h"
#include "unfolders/strategies/BreadthFirstUnfolder.h"
#include "unfolders/strategies/FastUnravelUnfolder.h"
#include "vorn/core/shapes/Coolinoid.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

/// The answer for one coolinoid found by hand: the strategy stepped to its end, the net
/// counted, and overlaps found by the brute-force checker rather than the engine.
template <typename Strategy = BreadthFirstUnfolder>
bool unfoldsByHand(double h, double k, int dim) {
    Coolinoid coolinoid;
    coolinoid.rebuild(dim, dim, h, k);
    auto* u = new Strategy;
    u->setParent(&coolinoid);
    const size_t half = coolinoid.getPolyCount() / 2;
    while (!u->isDone()) {
        if (u->getPolyCount() > half)
            return true;
        u->unfold();
    }
    if (u->getPolyCount() > half)
        return true;
    return u->getPolyCount() == coolinoid.getPolyCount() &&
           testsupport::FindNetOverlaps(*u).empty();
}

std::unique_ptr<XML> sweepRanges(const std::string& database, int jobs) {
    auto xml = std::make_unique<XML>("UnfolderAutomator");
    XML* h = xml->add("h");
    h->add("min", 0.5);
    h->add("max", 6.5);
    h->add("steps", 3);
    XML* k = xml->add("k");
    k->add("min", 0.0);
    k->add("max", 12.0);
    k->add("steps", 2);
    xml->add("dim", 7.0);
    xml->add("strategy", "BreadthFirstUnfolder");
    xml->add("database", database);
    xml->add("jobs", jobs);
    return xml;
}

} // namespace

TEST(UnfolderAutomator, MapEqualsPointByPointRunsAndASecondSweepBuildsNoMesh) {
    TempDir dir;
    const std::string database = "sqlite:" + dir.file("sweep.sqlite");
    Coolinoid parent;
    for (int jobs : {2, 1}) {
        std::unique_ptr<Factorable> built(Factory::BuildObj("UnfolderAutomator"));
        auto* sweep = dynamic_cast<UnfolderAutomator*>(built.get());
        ASSERT_NE(sweep, nullptr);
        sweep->read(*sweepRanges(database, jobs));
        ASSERT_TRUE(sweep->isSweeping());
        sweep->onSystemIdle();
        EXPECT_EQ(sweep->getRowsDone(), 0) << "no parent: nothing happens";
        sweep->setParent(&parent);
        built.release();
        for (int tick = 0; tick < 3; ++tick) {
            ASSERT_TRUE(sweep->isSweeping()) << "one row per tick: 3 rows";
            sweep->onSystemIdle();
        }
        EXPECT_FALSE(sweep->isSweeping());
        ASSERT_EQ(sweep->getColumns(), 4);
        ASSERT_EQ(sweep->getRows(), 3);
        // The first sweep (two jobs) computes every point; the second finds them all cached.
        EXPECT_EQ(sweep->getComputedCount(), jobs == 2 ? 12 : 0);
        int unfoldable = 0;
        for (int j = 0; j < 3; ++j)
            for (int i = 0; i < 4; ++i) {
                const double h = 0.5 + 2.0 * i, k = 6.0 * j;
                ASSERT_TRUE(sweep->isKnown(i, j));
                EXPECT_EQ(sweep->getHeight(i, j), unfoldsByHand(h, k, 7) ? 1.0 : 0.0)
                    << "h " << h << " k " << k;
                unfoldable += sweep->getHeight(i, j) == 1.0;
            }
        EXPECT_GT(unfoldable, 0);
        delete sweep;
    }
    LocalCache::Get(database).shutdown();
}

TEST(UnfolderAutomator, FiftyStepsFillA51By51GridIn51TicksAndAMissingStrategyIsSaid) {
    TempDir dir;
    Coolinoid parent;
    auto* sweep = new UnfolderAutomator;
    sweep->setParent(&parent);
    XML ranges("UnfolderAutomator");
    for (const char* axis : {"h", "k"}) {
        XML* node = ranges.add(axis);
        node->add("min", 1.0);
        node->add("max", 11.0);
        node->add("steps", 50);
    }
    ranges.add("dim", 8.0);
    ranges.add("strategy", "NoSuchUnfolder");
    ranges.add("database", "sqlite:" + dir.file("sweep.sqlite"));
    sweep->read(ranges);
    int ticks = 0;
    while (sweep->isSweeping() && ticks < 100) {
        sweep->onSystemIdle();
        ++ticks;
    }
    EXPECT_EQ(ticks, 51);
    ASSERT_EQ(sweep->getColumns(), 51);
    ASSERT_EQ(sweep->getRows(), 51);
    for (int j = 0; j <= 50; ++j)
        for (int i = 0; i <= 50; ++i)
            ASSERT_TRUE(sweep->isKnown(i, j) && sweep->getHeight(i, j) == 0.0) << i << "," << j;
    EXPECT_TRUE(sweep->isStrategyMissing());
    EXPECT_NE(GetLastStatusMessage().find("NoSuchUnfolder cannot be built"), std::string::npos)
        << GetLastStatusMessage();
    // Nothing was recorded for points that could not be judged.
    EXPECT_EQ(sweep->getCache().getRecordCount(), 0u);
    sweep->getCache().shutdown();
    delete sweep;
}

TEST(UnfolderAutomator, TheDefaultStrategyIsTheFastUnravelAndRunsForReal) {
    // Sweeps not told a strategy judge with the fast unravel: every point is computed
    // (not refused as unavailable) and agrees with a run of it by hand.
    TempDir dir;
    LocalCache cache("sqlite:" + dir.file("sweep.sqlite"));
    ASSERT_TRUE(cache.start()) << cache.getLastError();
    EXPECT_STREQ("FastUnravelUnfolder", kDefaultSweepStrategy);
    for (auto [h, k] : {std::pair{0.5, 0.0}, {3.0, 6.0}, {6.5, 12.0}}) {
        const CoolinoidTrialResult r = IsUnfoldable(cache, 6, h, k);
        EXPECT_TRUE(r.computed && !r.unavailable) << h << ", " << k;
        EXPECT_EQ(unfoldsByHand<FastUnravelUnfolder>(h, k, 6), r.unfoldable) << h << ", " << k;
    }
}
