// The result cache against a real MariaDB server (one throwaway server for the whole run).
#include "common/sql/SqlConnection.h"
#include "common/XML.h"
#include "scene/Factory.h"
#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestMariaDb.h"
#include "unfolders/automation/CoolinoidTrial.h"
#include "unfolders/automation/LocalCache.h"
#include "unfolders/automation/UnfolderAutomator.h"
#include "vorn/core/shapes/Coolinoid.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdlib>
#include <memory>

namespace {

class MariaDbCache : public testing::Test {
protected:
    void SetUp() override {
        std::string why;
        m_url = testsupport::TestMariaDbUrl(why);
        if (m_url.empty())
            GTEST_SKIP() << "no MariaDB server for this test: " << why;
        ASSERT_TRUE(testsupport::RunTestMariaDbSql("DELETE FROM research.coolinoid"));
    }

    std::unique_ptr<ODBC::ODBCConnection> connect() {
        ODBC::SqlDatabaseSpec spec;
        std::string error;
        EXPECT_TRUE(ODBC::SqlDatabaseSpec::Parse(m_url, spec, error)) << error;
        return ODBC::MakeConnection(spec);
    }

    int count(const std::string& sql) {
        auto db = connect();
        int n = -1;
        EXPECT_TRUE(db->query(sql, [&](const ODBC::ODBCRecord& r) {
            r.GetData(1, n);
            return true;
        })) << db->getLastError();
        return n;
    }

    std::string m_url;
};

} // namespace

TEST_F(MariaDbCache, StatementsErrorsAndCredentialsOverTheServer) {
    auto db = connect();
    ASSERT_TRUE(db->isConnected()) << db->getLastError();
    // The stored procedure answers with several results; each must be read.
    ASSERT_TRUE(db->execute("CALL research.InsertUnique(1.5, 2.5, 7, 1)")) << db->getLastError();
    ASSERT_TRUE(db->execute("CALL research.InsertUnique(1.5, 2.5, 7, 0)"));
    ASSERT_TRUE(db->execute("CALL research.InsertUnique(1.5, 2.75, 7, 0)"));
    double h = 0;
    int dim = 0, unfoldable = -1, rows = 0;
    ASSERT_TRUE(db->query("SELECT h, k, dim, unfoldable FROM research.coolinoid ORDER BY dim, h, k",
                          [&](const ODBC::ODBCRecord& r) {
                              if (rows++ == 0) {
                                  EXPECT_TRUE(r.GetData(1, h) && r.GetData(3, dim) &&
                                              r.GetData(4, unfoldable));
                              }
                              return true;
                          }));
    EXPECT_EQ(rows, 2) << "the same point is stored once";
    EXPECT_EQ(h, 1.5);
    EXPECT_EQ(dim, 7);
    EXPECT_EQ(unfoldable, 1) << "the first answer stays";

    EXPECT_FALSE(db->execute("CALL research.NoSuchProcedure()"));
    EXPECT_EQ(db->getLastFailure(), ODBC::SqlFailure::Statement);
    EXPECT_NE(db->getLastError().find("NoSuchProcedure"), std::string::npos)
        << db->getLastError();
    EXPECT_TRUE(db->execute("SELECT 1")) << "still connected after a refused statement";

    // A wrong password: a clear message, and a cache that works in memory.
    const std::string withPassword =
        "mariadb://nobody:wrong@" + m_url.substr(std::string("mariadb://").size());
    LocalCache refused(withPassword);
    EXPECT_FALSE(refused.start());
    EXPECT_NE(refused.getLastError().find("Access denied"), std::string::npos)
        << refused.getLastError();
    EXPECT_TRUE(refused.record(3, 4, 5, true));
    EXPECT_EQ(refused.find(3, 4, 5), std::optional<bool>(true));
    EXPECT_EQ(refused.getLastError().find("wrong"), std::string::npos) << "no password shown";
}

TEST_F(MariaDbCache, KillingTheServerMidSweepLosesNoAnswer) {
    LocalCache cache(m_url);
    ASSERT_TRUE(cache.start()) << cache.getLastError();
    Coolinoid parent;
    std::unique_ptr<Factorable> built(Factory::BuildObj("UnfolderAutomator"));
    auto* sweep = dynamic_cast<UnfolderAutomator*>(built.get());
    ASSERT_TRUE(sweep);
    built.release();
    sweep->setParent(&parent);
    XML ranges("UnfolderAutomator");
    for (const char* axis : {"h", "k"}) {
        XML* node = ranges.add(axis);
        node->add("min", 1.0);
        node->add("max", 7.0);
        node->add("steps", 3);
    }
    ranges.add("dim", 6.0);
    ranges.add("strategy", "BreadthFirstUnfolder");
    ranges.add("database", m_url);
    sweep->read(ranges);
    LocalCache& shared = sweep->getCache();

    sweep->onSystemIdle();
    ASSERT_TRUE(shared.waitUntilSent(20000)) << shared.getLastError();
    testsupport::KillTestMariaDb();
    sweep->onSystemIdle();
    sweep->onSystemIdle();
    EXPECT_FALSE(shared.waitUntilSent(1500)) << "the server is gone";
    EXPECT_GT(shared.getQueueLength(), 0u);
    ASSERT_TRUE(testsupport::RestartTestMariaDb());
    sweep->onSystemIdle();
    EXPECT_FALSE(sweep->isSweeping());
    EXPECT_TRUE(shared.waitUntilSent(60000)) << shared.getLastError();
    EXPECT_EQ(count("SELECT COUNT(*) FROM research.coolinoid"), 16);
    // Every stored answer is the one the map shows.
    auto db = connect();
    int checked = 0;
    db->query("SELECT h, k, dim, unfoldable FROM research.coolinoid",
              [&](const ODBC::ODBCRecord& r) {
                  double h = 0, k = 0;
                  int u = 0;
                  r.GetData(1, h);
                  r.GetData(2, k);
                  r.GetData(4, u);
                  EXPECT_EQ(sweep->getHeight(int((h - 1) / 2 + 0.5), int((k - 1) / 2 + 0.5)),
                            double(u));
                  ++checked;
                  return true;
              });
    EXPECT_EQ(checked, 16);
    delete sweep;
    shared.shutdown();
}

TEST_F(MariaDbCache, TwoProcessesSweepingOneServerStoreEachPointOnce) {
    TempDir dir;
    const std::string args = " sweep --h 0.5:6.5:5 --k 0:10:5 --dim 6:7 --strategy "
                             "BreadthFirstUnfolder --db " + m_url + " --out ";
    const std::string first = std::string("'") + VORN_CLI_PATH + "'" + args + dir.file("a.csv") +
                              " 2>" + dir.file("a.err");
    const std::string second = std::string("'") + VORN_CLI_PATH + "'" + args +
                               dir.file("b.csv") + " --jobs 2 2>" + dir.file("b.err");
    const int status = std::system((first + " & " + second + "; wait").c_str());
    ASSERT_TRUE(WIFEXITED(status));
    const std::string a = ReadFileText(dir.file("a.csv")), b = ReadFileText(dir.file("b.csv"));
    ASSERT_FALSE(a.empty()) << ReadFileText(dir.file("a.err"));
    EXPECT_EQ(a, b) << "both processes give the same maps";
    EXPECT_EQ(count("SELECT COUNT(*) FROM research.coolinoid"), 72);
    EXPECT_EQ(count("SELECT COUNT(*) FROM (SELECT DISTINCT h, k, dim FROM research.coolinoid) t"),
              72);
}
