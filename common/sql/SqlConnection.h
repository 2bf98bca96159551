#pragma once

#include <functional>
#include <memory>
#include <string>

/// The SQL client: one interface over the embedded SQLite back end and the MariaDB (MySQL
/// protocol) back end. A connection is used by one thread at a time; callers that share one
/// across threads hold their own lock around every call.
namespace ODBC {

/// One fetched row. Columns are numbered from 1.
class ODBCRecord {
public:
    virtual ~ODBCRecord() = default;
    /// False when the column is NULL, absent, or not a finite number.
    virtual bool GetData(int column, double& out) const = 0;
    /// False when the column is NULL, absent, or not a whole number that fits an int.
    virtual bool GetData(int column, int& out) const = 0;
};

/// What went wrong with the last call, so callers can tell a lost connection (reconnect
/// and retry) from a refused statement.
enum class SqlFailure {
    None,
    /// No connection, or it went away during the call: reconnect and try again.
    ConnectionLost,
    /// The database is locked or full for now: try the same statement again later.
    Busy,
    /// The server refused the statement itself.
    Statement,
};

class ODBCConnection {
public:
    virtual ~ODBCConnection() = default;
    ODBCConnection() = default;
    ODBCConnection(const ODBCConnection&) = delete;
    ODBCConnection& operator=(const ODBCConnection&) = delete;

    /// Opens the connection with the parameters it was made with; true when connected. A
    /// connection already open is closed first.
    virtual bool reconnect() = 0;
    virtual bool isConnected() const = 0;
    virtual void Disconnect() = 0;

    /// Runs one statement and reads (and drops) every result it gives.
    virtual bool execute(const std::string& sql) = 0;
    /// Runs a query and hands each row to `row`, which returns false to stop early.
    virtual bool query(const std::string& sql,
                       const std::function<bool(const ODBCRecord&)>& row) = 0;
    /// Groups the following statements into one transaction where the back end gains from it
    /// (one disk sync instead of one per statement); a no-op elsewhere.
    virtual bool beginBatch() { return true; }
    /// Commits the batch; on failure nothing of it is kept.
    virtual bool endBatch() { return true; }
    /// Drops the batch after a failed statement.
    virtual void rollbackBatch() {}
    /// True when a batch is all-or-nothing; otherwise each statement is kept as it succeeds.
    virtual bool batchesAreAtomic() const { return false; }

    /// "sqlite:PATH" or "mariadb://HOST:PORT": where the data lives, for messages.
    virtual std::string describe() const = 0;

    /// The last error as one line (empty after a successful call).
    const std::string& getLastError() const { return m_lastError; }
    SqlFailure getLastFailure() const { return m_lastFailure; }

protected:
    bool fail(SqlFailure kind, const std::string& message) {
        m_lastFailure = kind;
        m_lastError = describe() + ": " + message;
        return false;
    }
    bool succeed() {
        m_lastFailure = SqlFailure::None;
        m_lastError.clear();
        return true;
    }

private:
    std::string m_lastError;
    SqlFailure m_lastFailure = SqlFailure::None;
};

/// The MariaDB (MySQL protocol) back end over TCP.
class mySQLConnection : public ODBCConnection {
public:
    mySQLConnection();
    ~mySQLConnection() override;

    /// Connects to `host`:`port` as `user`; `flags` are added to the client flags (the
    /// connection always asks for multiple results, which stored procedures need).
    bool Connect(const std::string& user, const std::string& password, const std::string& host,
                 int port, unsigned long flags = 0);
    bool reconnect() override;
    bool isConnected() const override;
    void Disconnect() override;
    bool execute(const std::string& sql) override;
    bool query(const std::string& sql,
               const std::function<bool(const ODBCRecord&)>& row) override;
    std::string describe() const override;

    /// Seconds a connect, read or write may take before it counts as a lost connection.
    void setTimeout(unsigned seconds) { m_timeout = seconds; }

private:
    bool failFromServer();
    bool drainResults();

    struct Handle;
    std::unique_ptr<Handle> m_handle;
    std::string m_user, m_password, m_host;
    int m_port = 3306;
    unsigned long m_flags = 0;
    unsigned m_timeout = 10;
};

/// The embedded back end: an SQLite file, attached under the schema name "research" so that
/// statements name their tables the same way on both back ends ("research.coolinoid").
class SQLiteConnection : public ODBCConnection {
public:
    SQLiteConnection();
    ~SQLiteConnection() override;

    /// Opens (creating when missing) the file at `path`.
    bool Open(const std::string& path);
    bool reconnect() override;
    bool isConnected() const override;
    void Disconnect() override;
    bool execute(const std::string& sql) override;
    bool query(const std::string& sql,
               const std::function<bool(const ODBCRecord&)>& row) override;
    bool beginBatch() override;
    bool endBatch() override;
    void rollbackBatch() override;
    bool batchesAreAtomic() const override { return true; }
    std::string describe() const override;

    /// Milliseconds a statement waits for another process's lock before it reports Busy.
    void setBusyTimeout(int ms) { m_busyTimeoutMs = ms; }

private:
    bool failFromCode(int code);

    struct Handle;
    std::unique_ptr<Handle> m_handle;
    std::string m_path;
    int m_busyTimeoutMs = 2000;
    bool m_inBatch = false;
};

/// Where a database is, parsed from "sqlite:FILE" or
/// "mariadb://[USER[:PASSWORD]@]HOST[:PORT]" (port 3306 when absent).
struct SqlDatabaseSpec {
    enum class Kind { SQLite, MariaDB };
    Kind kind = Kind::SQLite;
    std::string path; ///< SQLite file
    std::string host = "127.0.0.1";
    int port = 3306;
    std::string user;
    std::string password;

    /// False, with one line in `error`, for any other text.
    static bool Parse(const std::string& text, SqlDatabaseSpec& out, std::string& error);
    /// The text form (the password left out).
    std::string toString() const;
};

/// A connection for `spec`, connected when that worked (see isConnected() and
/// getLastError(); reconnect() tries again).
std::unique_ptr<ODBCConnection> MakeConnection(const SqlDatabaseSpec& spec);

} // namespace ODBC
