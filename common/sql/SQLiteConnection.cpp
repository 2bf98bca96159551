#include "common/sql/SqlConnection.h"

#include <sqlite3.h>

#include <climits>
#include <cmath>

namespace ODBC {

namespace {

class SQLiteRecord : public ODBCRecord {
public:
    explicit SQLiteRecord(sqlite3_stmt* stmt) : m_stmt(stmt) {}

    bool GetData(int column, double& out) const override {
        if (!usable(column))
            return false;
        const double v = sqlite3_column_double(m_stmt, column - 1);
        if (!std::isfinite(v))
            return false;
        out = v;
        return true;
    }
    bool GetData(int column, int& out) const override {
        if (!usable(column))
            return false;
        if (sqlite3_column_type(m_stmt, column - 1) == SQLITE_FLOAT) {
            const double v = sqlite3_column_double(m_stmt, column - 1);
            if (!(v == std::floor(v)) || v < INT_MIN || v > INT_MAX)
                return false;
            out = int(v);
            return true;
        }
        const sqlite3_int64 v = sqlite3_column_int64(m_stmt, column - 1);
        if (v < INT_MIN || v > INT_MAX)
            return false;
        out = int(v);
        return true;
    }

private:
    /// A number in range: text that only looks like one ("abc") is refused, not read as 0.
    bool usable(int column) const {
        if (column < 1 || column > sqlite3_column_count(m_stmt))
            return false;
        const int type = sqlite3_column_type(m_stmt, column - 1);
        return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
    }
    sqlite3_stmt* m_stmt;
};

} // namespace

struct SQLiteConnection::Handle {
    sqlite3* db = nullptr;
    ~Handle() { sqlite3_close_v2(db); }
};

SQLiteConnection::SQLiteConnection() = default;
SQLiteConnection::~SQLiteConnection() = default;

bool SQLiteConnection::Open(const std::string& path) {
    m_path = path;
    return reconnect();
}

bool SQLiteConnection::reconnect() {
    Disconnect();
    auto handle = std::make_unique<Handle>();
    // The file itself is attached as "research"; the main database is a private scratch one.
    if (sqlite3_open_v2(":memory:", &handle->db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                        nullptr) != SQLITE_OK)
        return fail(SqlFailure::ConnectionLost, "cannot start SQLite");
    sqlite3_busy_timeout(handle->db, m_busyTimeoutMs);
    sqlite3_stmt* attach = nullptr;
    sqlite3_prepare_v2(handle->db, "ATTACH DATABASE ?1 AS research", -1, &attach, nullptr);
    sqlite3_bind_text(attach, 1, m_path.c_str(), -1, SQLITE_TRANSIENT);
    const int rc = sqlite3_step(attach);
    sqlite3_finalize(attach);
    if (rc != SQLITE_DONE)
        return fail(SqlFailure::ConnectionLost,
                    std::string("cannot open: ") + sqlite3_errmsg(handle->db));
    m_handle = std::move(handle);
    // Reading the schema proves the file is a database (a text file fails here, not later).
    if (!execute("SELECT count(*) FROM research.sqlite_master")) {
        const std::string error = getLastError();
        m_handle.reset();
        return fail(SqlFailure::ConnectionLost, error.substr(error.find(": ") + 2));
    }
    return succeed();
}

bool SQLiteConnection::isConnected() const {
    return m_handle != nullptr;
}

void SQLiteConnection::Disconnect() {
    m_handle.reset();
    m_inBatch = false;
}

bool SQLiteConnection::failFromCode(int code) {
    const std::string message = m_handle ? sqlite3_errmsg(m_handle->db) : "not open";
    switch (code & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
    case SQLITE_FULL:
    case SQLITE_IOERR:
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
        return fail(SqlFailure::Busy, message);
    default:
        return fail(SqlFailure::Statement, message);
    }
}

bool SQLiteConnection::execute(const std::string& sql) {
    return query(sql, [](const ODBCRecord&) { return true; });
}

bool SQLiteConnection::query(const std::string& sql,
                             const std::function<bool(const ODBCRecord&)>& row) {
    if (!m_handle)
        return fail(SqlFailure::ConnectionLost, "not open");
    const char* rest = sql.c_str();
    while (*rest) {
        sqlite3_stmt* stmt = nullptr;
        const char* tail = nullptr;
        int rc = sqlite3_prepare_v2(m_handle->db, rest, -1, &stmt, &tail);
        if (rc != SQLITE_OK)
            return failFromCode(rc);
        rest = tail;
        if (!stmt)
            continue; // white space or a comment
        SQLiteRecord record(stmt);
        bool wanted = true;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW)
            if (wanted && !row(record))
                wanted = false;
        sqlite3_finalize(stmt);
        if (rc != SQLITE_DONE)
            return failFromCode(rc);
    }
    return succeed();
}

bool SQLiteConnection::beginBatch() {
    if (m_inBatch)
        return true;
    m_inBatch = execute("BEGIN IMMEDIATE");
    return m_inBatch;
}

bool SQLiteConnection::endBatch() {
    if (!m_inBatch)
        return true;
    if (!execute("COMMIT")) {
        // A failed commit leaves the transaction open: roll it back so that nothing of it
        // counts as sent, and the caller sends the whole batch again.
        const std::string error = getLastError();
        const SqlFailure kind = getLastFailure();
        execute("ROLLBACK");
        m_inBatch = false;
        return fail(kind, error.substr(error.find(": ") + 2));
    }
    m_inBatch = false;
    return true;
}

void SQLiteConnection::rollbackBatch() {
    if (!m_inBatch)
        return;
    const std::string error = getLastError();
    const SqlFailure kind = getLastFailure();
    execute("ROLLBACK");
    m_inBatch = false;
    if (kind != SqlFailure::None)
        fail(kind, error.substr(error.find(": ") + 2));
}

std::string SQLiteConnection::describe() const {
    return "sqlite:" + m_path;
}

} // namespace ODBC
