#include "common/sql/SqlConnection.h"
#include "tests/support/TempDir.h"
#include "unfolders/automation/CoolinoidTrial.h"
#include "unfolders/automation/LocalCache.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

int countRows(const std::string& path) {
    ODBC::SQLiteConnection db;
    EXPECT_TRUE(db.Open(path)) << db.getLastError();
    int count = -1;
    db.query("SELECT COUNT(*) FROM research.coolinoid", [&](const ODBC::ODBCRecord& r) {
        r.GetData(1, count);
        return true;
    });
    return count;
}

} // namespace

// A strategy name that no factory answers: any answer given with it came from the cache,
// because building the mesh and the strategy would have failed.
constexpr const char* kNoStrategy = "NoSuchUnfolder";

TEST(LocalCache, KnownPointsAreAnsweredWithoutBuildingAMeshInThisAndLaterRuns) {
    TempDir dir;
    const std::string db = "sqlite:" + dir.file("sweep.sqlite");
    {
        LocalCache cache(db);
        ASSERT_TRUE(cache.start()) << cache.getLastError();
        EXPECT_TRUE(cache.record(2.0, 3.0, 6, true));
        EXPECT_TRUE(cache.record(2.0, 3.5, 6, false));
        EXPECT_FALSE(cache.record(2.00005, 3.0, 6, false)) << "within the tolerance: known";

        CoolinoidTrialResult r = IsUnfoldable(cache, 6, 2.00003, 2.99995, kNoStrategy);
        EXPECT_TRUE(r.unfoldable);
        EXPECT_FALSE(r.computed);
        r = IsUnfoldable(cache, 6, 2.0, 3.5, kNoStrategy);
        EXPECT_FALSE(r.unfoldable);
        EXPECT_FALSE(r.computed || r.unavailable);
        // An unknown point with a strategy that cannot be built: false, not recorded.
        r = IsUnfoldable(cache, 7, 2.0, 3.0, kNoStrategy);
        EXPECT_TRUE(r.unavailable);
        EXPECT_FALSE(r.unfoldable);
        EXPECT_EQ(cache.getRecordCount(), 2u);
    } // the destructor flushes the queue
    EXPECT_EQ(countRows(dir.file("sweep.sqlite")), 2);

    LocalCache later(db);
    ASSERT_TRUE(later.start());
    EXPECT_EQ(later.getRecordCount(), 2u) << "pre-cached";
    EXPECT_TRUE(IsUnfoldable(later, 6, 2.0, 3.0, kNoStrategy).unfoldable);
    EXPECT_FALSE(IsUnfoldable(later, 6, 2.0, 3.5, kNoStrategy).unavailable);

    // A point another process wrote after the pre-caching is found in the database.
    {
        ODBC::SQLiteConnection other;
        ASSERT_TRUE(other.Open(dir.file("sweep.sqlite")));
        ASSERT_TRUE(other.execute("INSERT INTO research.coolinoid VALUES (9.5, 1.25, 12, 1)"));
    }
    const CoolinoidTrialResult shared = IsUnfoldable(later, 12, 9.5, 1.25, kNoStrategy);
    EXPECT_TRUE(shared.unfoldable && !shared.computed);
}

TEST(LocalCache, AnswersWaitOutALockedFileAndAClosedOneIsKeptForTheNextRun) {
    TempDir dir;
    const std::string path = dir.file("sweep.sqlite");
    const std::string db = "sqlite:" + path;
    {
        LocalCache cache(db);
        ASSERT_TRUE(cache.start());
        ODBC::SQLiteConnection holder;
        ASSERT_TRUE(holder.Open(path));
        ASSERT_TRUE(holder.execute("BEGIN EXCLUSIVE"));
        cache.record(1, 1, 5, true);
        cache.record(1, 2, 5, false);
        cache.record(1, 3, 5, true);
        EXPECT_FALSE(cache.waitUntilSent(2500)) << "the file is locked";
        EXPECT_EQ(cache.getQueueLength(), 3u);
        EXPECT_NE(cache.getLastError().find("locked"), std::string::npos)
            << cache.getLastError();
        ASSERT_TRUE(holder.execute("COMMIT"));
        EXPECT_TRUE(cache.waitUntilSent(10000)) << cache.getLastError();
        EXPECT_EQ(countRows(path), 3);

        // Locked through the shutdown: the statements go to the unsent file.
        ASSERT_TRUE(holder.execute("BEGIN EXCLUSIVE"));
        cache.record(2, 1, 5, true);
        cache.record(2, 2, 5, true);
        cache.shutdown();
        EXPECT_EQ(cache.getQueueLength(), 0u);
        EXPECT_TRUE(std::filesystem::exists(cache.getUnsentFilePath()));
        ASSERT_TRUE(holder.execute("COMMIT"));
    }
    EXPECT_EQ(countRows(path), 3);
    LocalCache next(db);
    ASSERT_TRUE(next.start());
    EXPECT_TRUE(next.waitUntilSent(10000));
    EXPECT_EQ(countRows(path), 5);
    EXPECT_FALSE(std::filesystem::exists(next.getUnsentFilePath()));
}

TEST(LocalCache, MalformedRowsAndUnusableDatabasesLeaveAWorkingMemoryCache) {
    TempDir dir;
    const std::string path = dir.file("odd.sqlite");
    {
        // A table made by someone else, without the constraints.
        ODBC::SQLiteConnection db;
        ASSERT_TRUE(db.Open(path));
        ASSERT_TRUE(db.execute("CREATE TABLE research.coolinoid (h, k, dim, unfoldable)"));
        ASSERT_TRUE(db.execute("INSERT INTO research.coolinoid VALUES (1, 1, 5, 1), "
                               "(NULL, 1, 5, 1), (2, 'abc', 5, 0), (3, 1, NULL, 0), "
                               "(1e999 - 1e999, 1, 5, 1), (4, 1, 5, 0)"));
    }
    LocalCache cache("sqlite:" + path);
    ASSERT_TRUE(cache.start());
    EXPECT_EQ(cache.getRecordCount(), 2u);
    EXPECT_EQ(cache.getMalformedRowCount(), 4);
    EXPECT_EQ(cache.find(4, 1, 5), std::optional<bool>(false));

    // A file that is no database: a clear error, answers still kept in memory.
    const std::string text = dir.file("notes.sqlite");
    std::ofstream(text) << "not a database at all, but text that is long enough to be read\n";
    LocalCache broken("sqlite:" + text);
    EXPECT_FALSE(broken.start());
    EXPECT_NE(broken.getLastError().find("notes.sqlite"), std::string::npos)
        << broken.getLastError();
    EXPECT_TRUE(broken.record(1, 2, 3, true));
    EXPECT_EQ(broken.find(1, 2, 3), std::optional<bool>(true));

    LocalCache misnamed("postgres://somewhere");
    EXPECT_FALSE(misnamed.start());
    EXPECT_NE(misnamed.getLastError().find("postgres://somewhere"), std::string::npos);
}
