#include "common/sql/SqlConnection.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

using namespace ODBC;

namespace {

struct Row {
    bool hOk, dimOk;
    double h;
    int dim;
};

std::vector<Row> readRows(ODBCConnection& db, const std::string& sql) {
    std::vector<Row> rows;
    EXPECT_TRUE(db.query(sql, [&](const ODBCRecord& r) {
        Row row{};
        row.hOk = r.GetData(1, row.h);
        row.dimOk = r.GetData(2, row.dim);
        rows.push_back(row);
        return true;
    })) << db.getLastError();
    return rows;
}

} // namespace

TEST(SqlClient, SQLiteFileKeepsRowsAndTypesCheckEveryValue) {
    TempDir dir;
    const std::string path = dir.file("answers.sqlite");
    {
        SQLiteConnection db;
        ASSERT_TRUE(db.Open(path)) << db.getLastError();
        ASSERT_TRUE(db.execute("CREATE TABLE research.t (h, dim)"));
        ASSERT_TRUE(db.execute("INSERT INTO research.t VALUES (1.25, 7), (NULL, 8), "
                               "('abc', 'x'), (2.5, 3000000000), (3.0, 9.5)"));
    }
    SQLiteConnection db;
    ASSERT_TRUE(db.Open(path));
    const std::vector<Row> rows = readRows(db, "SELECT h, dim FROM research.t ORDER BY rowid");
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_TRUE(rows[0].hOk && rows[0].dimOk);
    EXPECT_EQ(rows[0].h, 1.25);
    EXPECT_EQ(rows[0].dim, 7);
    EXPECT_FALSE(rows[1].hOk) << "NULL is no number";
    EXPECT_FALSE(rows[2].hOk || rows[2].dimOk) << "text is no number";
    EXPECT_FALSE(rows[3].dimOk) << "out of int range";
    EXPECT_FALSE(rows[4].dimOk) << "not a whole number";

    // Stopping early still finishes the statement; the connection stays usable.
    int seen = 0;
    EXPECT_TRUE(db.query("SELECT h FROM research.t", [&](const ODBCRecord&) { return ++seen < 2; }));
    EXPECT_EQ(seen, 2);
    EXPECT_FALSE(db.execute("SELECT x FROM research.missing"));
    EXPECT_EQ(db.getLastFailure(), SqlFailure::Statement);
    EXPECT_NE(db.getLastError().find("missing"), std::string::npos) << db.getLastError();
    EXPECT_TRUE(db.execute("SELECT 1"));
    EXPECT_TRUE(db.getLastError().empty());
}

TEST(SqlClient, SQLiteRefusesWhatIsNoDatabaseAndReportsLocks) {
    TempDir dir;
    const std::string text = dir.file("notes.txt");
    std::ofstream(text) << "these are notes, not a database, and they are long enough to tell\n";
    SQLiteConnection notes;
    EXPECT_FALSE(notes.Open(text));
    EXPECT_FALSE(notes.isConnected());
    EXPECT_NE(notes.getLastError().find(text), std::string::npos) << notes.getLastError();

    SQLiteConnection missingFolder;
    EXPECT_FALSE(missingFolder.Open(dir.file("no/such/folder/db.sqlite")));

    // Another connection holding the write lock makes writes Busy, and a failed batch
    // keeps nothing.
    const std::string path = dir.file("shared.sqlite");
    SQLiteConnection holder, writer;
    ASSERT_TRUE(holder.Open(path));
    ASSERT_TRUE(holder.execute("CREATE TABLE research.t (x)"));
    writer.setBusyTimeout(50);
    ASSERT_TRUE(writer.Open(path));
    ASSERT_TRUE(holder.execute("BEGIN EXCLUSIVE"));
    EXPECT_FALSE(writer.beginBatch() && writer.execute("INSERT INTO research.t VALUES (1)") &&
                 writer.endBatch());
    EXPECT_EQ(writer.getLastFailure(), SqlFailure::Busy) << writer.getLastError();
    writer.rollbackBatch();
    ASSERT_TRUE(holder.execute("COMMIT"));
    ASSERT_TRUE(writer.beginBatch());
    ASSERT_TRUE(writer.execute("INSERT INTO research.t VALUES (2)"));
    writer.rollbackBatch();
    int count = -1;
    holder.query("SELECT COUNT(*) FROM research.t", [&](const ODBCRecord& r) {
        r.GetData(1, count);
        return true;
    });
    EXPECT_EQ(count, 0);
}

TEST(SqlClient, DatabaseNamesParseOrSayWhatIsWrong) {
    SqlDatabaseSpec spec;
    std::string error;
    ASSERT_TRUE(SqlDatabaseSpec::Parse("sqlite:/tmp/a b.sqlite", spec, error));
    EXPECT_EQ(spec.kind, SqlDatabaseSpec::Kind::SQLite);
    EXPECT_EQ(spec.path, "/tmp/a b.sqlite");
    ASSERT_TRUE(SqlDatabaseSpec::Parse("mariadb://db.example:3307", spec, error));
    EXPECT_EQ(spec.kind, SqlDatabaseSpec::Kind::MariaDB);
    EXPECT_EQ(spec.host, "db.example");
    EXPECT_EQ(spec.port, 3307);
    EXPECT_EQ(spec.user, "");
    ASSERT_TRUE(SqlDatabaseSpec::Parse("mariadb://ann:s3:cret@10.0.0.2/", spec, error));
    EXPECT_EQ(spec.user, "ann");
    EXPECT_EQ(spec.password, "s3:cret");
    EXPECT_EQ(spec.port, 3306);
    EXPECT_EQ(spec.toString(), "mariadb://ann@10.0.0.2:3306") << "no password in messages";
    for (const char* bad : {"", "sqlite:", "postgres://x", "mariadb://", "mariadb://h:0",
                            "mariadb://h:99999", "mariadb://h:12x"}) {
        error.clear();
        EXPECT_FALSE(SqlDatabaseSpec::Parse(bad, spec, error)) << bad;
        EXPECT_FALSE(error.empty()) << bad;
    }
}
