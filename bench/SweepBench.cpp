// Parameter sweeps: cached answers per second, pre-caching 100,000 rows from each back end,
// and points evaluated per second with one and two jobs.
#include "common/XML.h"
#include "common/sql/SqlConnection.h"
#include "scene/Factory.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestMariaDb.h"
#include "unfolders/automation/CoolinoidTrial.h"
#include "unfolders/automation/LocalCache.h"
#include "unfolders/automation/UnfolderAutomator.h"
#include "vorn/core/UnfoldingLibrary.h"
#include "vorn/core/shapes/Coolinoid.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

constexpr int kRows = 100000;

/// The benchmarks' own data folder, so nothing lands in the user's.
const TempDir& dataDir() {
    static TempDir dir;
    setenv("VORN_DATA_DIR", dir.path().c_str(), 1);
    return dir;
}

/// Writes kRows answers (a 100 x 100 grid at dims 1..10) through `db` in large statements.
bool fillTable(ODBC::ODBCConnection& db, bool sqlite) {
    db.beginBatch();
    std::string sql;
    int inStatement = 0;
    char row[96];
    for (int n = 0; n < kRows; ++n) {
        std::snprintf(row, sizeof row, "%s(%.17g, %.17g, %d, %d)", inStatement ? ", " : "",
                      0.1 * (n % 100), 0.1 * (n / 100 % 100), 5 + n / 10000, n % 3 == 0);
        if (inStatement == 0)
            sql = sqlite ? "INSERT OR IGNORE INTO research.coolinoid VALUES "
                         : "INSERT IGNORE INTO research.coolinoid VALUES ";
        sql += row;
        if (++inStatement == 5000 || n + 1 == kRows) {
            if (!db.execute(sql))
                return false;
            inStatement = 0;
        }
    }
    return db.endBatch();
}

void preCache(benchmark::State& state, const std::string& database) {
    for (auto _ : state) {
        LocalCache cache(database);
        if (!cache.start()) {
            state.SkipWithError(cache.getLastError().c_str());
            return;
        }
        if (cache.getRecordCount() != size_t(kRows)) {
            state.SkipWithError("the table does not hold the rows");
            return;
        }
        state.PauseTiming();
        cache.shutdown();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}

/// The SQLite file of kRows answers, made once.
std::string filledSQLite(std::string& error) {
    static std::string made, failure;
    if (made.empty() && failure.empty()) {
        const std::string path = dataDir().file("precache.sqlite");
        {
            LocalCache create("sqlite:" + path); // makes the table
            create.start();
        }
        ODBC::SQLiteConnection db;
        if (db.Open(path) && fillTable(db, true))
            made = "sqlite:" + path;
        else
            failure = db.getLastError();
    }
    error = failure;
    return made;
}

void BM_PreCache100kRowsSQLite(benchmark::State& state) {
    std::string error;
    const std::string database = filledSQLite(error);
    if (database.empty()) {
        state.SkipWithError(error.c_str());
        return;
    }
    preCache(state, database);
}
BENCHMARK(BM_PreCache100kRowsSQLite)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PreCache100kRowsMariaDB(benchmark::State& state) {
    std::string why;
    const std::string url = testsupport::TestMariaDbUrl(why);
    if (url.empty() || !testsupport::RunTestMariaDbSql("DELETE FROM research.coolinoid")) {
        state.SkipWithError(("no MariaDB server: " + why).c_str());
        return;
    }
    ODBC::SqlDatabaseSpec spec;
    ODBC::SqlDatabaseSpec::Parse(url, spec, why);
    auto db = ODBC::MakeConnection(spec);
    if (!fillTable(*db, false)) {
        state.SkipWithError(db->getLastError().c_str());
        return;
    }
    preCache(state, url);
}
BENCHMARK(BM_PreCache100kRowsMariaDB)->Unit(benchmark::kMillisecond)->UseRealTime();

/// Answers for points already in the table (100,000 of them, pre-cached).
void BM_CachedLookups(benchmark::State& state) {
    std::string error;
    const std::string database = filledSQLite(error);
    LocalCache cache(database);
    if (database.empty() || !cache.start()) {
        state.SkipWithError(error.c_str());
        return;
    }
    int n = 0;
    for (auto _ : state) {
        const CoolinoidTrialResult r = IsUnfoldable(cache, 5 + n / 10000, 0.1 * (n % 100),
                                                    0.1 * (n / 100 % 100), "NoSuchUnfolder", false);
        if (r.computed || r.unavailable) {
            state.SkipWithError("a point was not found in the cache");
            return;
        }
        n = (n + 7919) % kRows;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CachedLookups);

/// A 2D sweep of 11 x 11 coolinoids at dim 12 with breadth first, nothing cached.
void BM_SweepPoints(benchmark::State& state) {
    LoadUnfoldingLibrary();
    int run = 0;
    for (auto _ : state) {
        const std::string database =
            "sqlite:" + dataDir().file("points-" + std::to_string(run++) + ".sqlite");
        Coolinoid parent;
        std::unique_ptr<Factorable> built(Factory::BuildObj("UnfolderAutomator"));
        auto* sweep = dynamic_cast<UnfolderAutomator*>(built.get());
        built.release();
        sweep->setParent(&parent);
        XML ranges("UnfolderAutomator");
        for (const char* axis : {"h", "k"}) {
            XML* node = ranges.add(axis);
            node->add("min", 0.5);
            node->add("max", 10.5);
            node->add("steps", 10);
        }
        ranges.add("dim", 12.0);
        ranges.add("strategy", "BreadthFirstUnfolder");
        ranges.add("database", database);
        ranges.add("jobs", int(state.range(0)));
        sweep->read(ranges);
        while (sweep->isSweeping())
            sweep->onSystemIdle();
        state.PauseTiming();
        delete sweep;
        LocalCache::Get(database).shutdown();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * 121);
}
BENCHMARK(BM_SweepPoints)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
