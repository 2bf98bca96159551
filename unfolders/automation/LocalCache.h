#pragma once

#include "common/IdleLoop.h"
#include "sorvex/M3d.h"
#include "sorvex/PointSorter.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace ODBC {
class ODBCConnection;
}

/// One sweep answer: the point (h, k, dim) and whether that coolinoid unfolds.
struct CoolinoidRecord : Sorvex::M3d {
    CoolinoidRecord(double h, double k, int dim, bool u) : Sorvex::M3d(h, k, dim), unfoldable(u) {}
    bool unfoldable;
};

/// The sweeps' result cache: every answer ever computed, in memory for lookups within 0.0001
/// of (h, k, dim) and in the SQL table "research.coolinoid" for later runs and other
/// processes. New answers go to the table through a queue of statements that a worker thread
/// sends; nothing is lost when the database is away:
/// - statements that fail stay queued and are sent again when the connection returns (the
///   worker tries to reconnect every second);
/// - shutdown() sends what is queued; what still cannot be sent is kept in a file in the data
///   folder and queued again by the next start() against the same database.
/// Lookups and records are safe from any thread. Status messages (on the status line) come
/// from start() and from the idle tick only.
class LocalCache : public SystemIdleHandler {
public:
    /// `database` is "sqlite:FILE" or "mariadb://[USER[:PASSWORD]@]HOST[:PORT]"; empty takes
    /// the one named by the setting "database" of "Settings\Coolinoid", else the SQLite file
    /// "coolinoid.sqlite" in the data folder. Nothing connects before start().
    explicit LocalCache(std::string database = "");
    ~LocalCache() override;
    LocalCache(const LocalCache&) = delete;
    LocalCache& operator=(const LocalCache&) = delete;

    /// The process-wide cache of `database` (same rules as the constructor), built on first
    /// use and shut down at idle-handler clean-up.
    static LocalCache& Get(const std::string& database = "");

    /// Connects when not connected, pre-caches the table and starts the worker. Cheap when
    /// already started. Without a connection the cache works in memory and the worker keeps
    /// trying to connect. False, with the reason in getLastError(), when not connected.
    bool start();
    /// The recorded answer within 0.0001 of (h, k, dim), if any.
    std::optional<bool> find(double h, double k, int dim) const;
    /// Asks the database for an answer another process recorded since the pre-caching, and
    /// keeps it when there is one. Empty when the database has none or is away.
    std::optional<bool> findInDatabase(double h, double k, int dim);
    /// Keeps the answer and queues its insert statement. A point already known is neither
    /// kept nor queued again (false).
    bool record(double h, double k, int dim, bool unfoldable);

    size_t getQueueLength() const;
    size_t getRecordCount() const;
    bool isConnected() const { return m_connected; }
    /// Rows skipped by the last pre-caching because a value was NULL, not a number or NaN.
    int getMalformedRowCount() const { return m_malformedRows; }
    /// The last database error as one line; empty when none happened since the last success.
    std::string getLastError() const;
    /// Where the table lives ("sqlite:/path", "mariadb://host:port").
    std::string describe() const;
    /// Waits until the queue is empty or `timeoutMs` has passed; true when empty.
    bool waitUntilSent(int timeoutMs) const;

    /// Stops the worker, sends what is queued and disconnects; what cannot be sent is kept
    /// for the next start(). start() may be called again afterwards.
    void shutdown();

    /// Shows a database error on the status line once, when it first appears.
    void onSystemIdle() override;
    void onSystemIdleCleanup() override { shutdown(); }

    /// The file that keeps unsent statements between runs.
    std::string getUnsentFilePath() const;

private:
    bool connect();
    bool ensureTable();
    void preCache();
    void takeUnsentFile();
    void keepUnsent();
    void workerLoop();
    /// Sends up to `max` statements from the front of the queue; returns how many went.
    size_t sendSome(size_t max);
    std::string insertStatement(double h, double k, int dim, bool unfoldable) const;
    void noteError(const std::string& error);

    std::string m_database;
    bool m_isSQLite = true;
    std::string m_specError;

    // The connection: used by start(), the worker and findInDatabase(), under m_connMutex.
    std::unique_ptr<ODBC::ODBCConnection> m_connection;
    mutable std::mutex m_connMutex;
    std::atomic<bool> m_connected{false};

    // Records and queue, under m_mutex.
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    Sorvex::PointSorter m_sorter{0.0001};
    std::deque<CoolinoidRecord> m_records; // stable addresses for the sorter
    std::deque<std::string> m_queue;
    std::string m_lastError;
    std::string m_shownError;
    int m_malformedRows = 0;

    /// 0 running, 1 stop requested, 2 worker ended.
    std::atomic<int> m_state{2};
    std::thread m_worker;
};
