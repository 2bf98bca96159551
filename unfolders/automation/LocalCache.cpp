#include "unfolders/automation/LocalCache.h"

#include "common/Registry.h"
#include "common/StatusLine.h"
#include "common/UserPaths.h"
#include "common/sql/SqlConnection.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <random>

namespace {

constexpr const char* kSettingsSection = "Settings\\Coolinoid";
constexpr const char* kSelectAll = "SELECT h, k, dim, unfoldable FROM research.coolinoid ORDER BY dim, h, k";

std::string resolveDatabase(const std::string& database) {
    if (!database.empty())
        return database;
    const std::string named = GetRegistryString(kSettingsSection, "database", "");
    if (!named.empty())
        return named;
    return "sqlite:" + JoinPath(GetUserDataDir(), "coolinoid.sqlite");
}

/// A short stable name for a database, for the file of its unsent statements.
std::string fileKey(const std::string& text) {
    unsigned long long hash = 1469598103934665603ull;
    for (unsigned char c : text)
        hash = (hash ^ c) * 1099511628211ull;
    char key[32];
    std::snprintf(key, sizeof key, "%016llx", hash);
    return key;
}

} // namespace

LocalCache::LocalCache(std::string database) : m_database(resolveDatabase(database)) {
    ODBC::SqlDatabaseSpec spec;
    if (ODBC::SqlDatabaseSpec::Parse(m_database, spec, m_specError))
        m_isSQLite = spec.kind == ODBC::SqlDatabaseSpec::Kind::SQLite;
    RegisterSystemIdleHandler(this);
}

LocalCache::~LocalCache() {
    UnregisterSystemIdleHandler(this);
    shutdown();
}

LocalCache& LocalCache::Get(const std::string& database) {
    // The caches live until the process ends; clean-up at exit flushes them.
    // Never destroyed: static destruction order would have them outlive the idle loop.
    static std::mutex lock;
    static auto* caches = new std::map<std::string, std::unique_ptr<LocalCache>>;
    const std::string key = resolveDatabase(database);
    std::lock_guard guard(lock);
    std::unique_ptr<LocalCache>& cache = (*caches)[key];
    if (!cache)
        cache = std::make_unique<LocalCache>(key);
    return *cache;
}

std::string LocalCache::describe() const {
    return m_database;
}

std::string LocalCache::getUnsentFilePath() const {
    return JoinPath(GetUserDataDir(), "coolinoid-unsent-" + fileKey(m_database) + ".sql");
}

std::string LocalCache::insertStatement(double h, double k, int dim, bool unfoldable) const {
    char sql[256];
    if (m_isSQLite)
        std::snprintf(sql, sizeof sql,
                      "INSERT INTO research.coolinoid (h, k, dim, unfoldable) VALUES "
                      "(%30.20f, %30.20f, %i, %i) ON CONFLICT DO NOTHING",
                      h, k, dim, unfoldable ? 1 : 0);
    else
        std::snprintf(sql, sizeof sql, "CALL research.InsertUnique(%30.20f, %30.20f, %i, %i)", h,
                      k, dim, unfoldable ? 1 : 0);
    return sql;
}

void LocalCache::noteError(const std::string& error) {
    std::lock_guard guard(m_mutex);
    m_lastError = error;
}

std::string LocalCache::getLastError() const {
    std::lock_guard guard(m_mutex);
    return m_lastError;
}

bool LocalCache::connect() {
    if (!m_specError.empty()) {
        noteError(m_specError);
        return false;
    }
    if (!m_connection) {
        ODBC::SqlDatabaseSpec spec;
        std::string error;
        ODBC::SqlDatabaseSpec::Parse(m_database, spec, error);
        m_connection = ODBC::MakeConnection(spec);
    } else {
        m_connection->reconnect();
    }
    if (!m_connection->isConnected() || !ensureTable()) {
        noteError(m_connection->getLastError());
        m_connection->Disconnect();
        m_connected = false;
        return false;
    }
    m_connected = true;
    noteError("");
    return true;
}

/// The embedded database is ours to set up; a server's schema comes from
/// scripts/coolinoid-schema.sql, so only its presence is checked.
bool LocalCache::ensureTable() {
    if (m_isSQLite)
        return m_connection->execute(
            "CREATE TABLE IF NOT EXISTS research.coolinoid (h REAL NOT NULL, k REAL NOT NULL, "
            "dim INTEGER NOT NULL, unfoldable INTEGER NOT NULL, UNIQUE (h, k, dim))");
    return m_connection->execute("SELECT 1 FROM research.coolinoid LIMIT 0");
}

bool LocalCache::start() {
    if (m_state == 0) // started: the worker looks after the connection
        return m_connected;
    StatusMessage("Connecting to SQL server");
    bool connected;
    {
        std::lock_guard guard(m_connMutex);
        connected = connect();
        if (connected)
            preCache();
    }
    takeUnsentFile();
    if (!connected)
        StatusMessage("%s: the sweep goes on with results kept in memory",
                      getLastError().c_str());
    m_state = 0;
    m_worker = std::thread([this] { workerLoop(); });
    StatusMessage("Ready");
    return connected;
}

void LocalCache::preCache() {
    StatusMessage("Pre-caching coolinoid database");
    int total = 0;
    m_connection->query("SELECT COUNT(*) FROM research.coolinoid", [&](const ODBC::ODBCRecord& r) {
        r.GetData(1, total);
        return false;
    });
    int rows = 0, malformed = 0, shown = -1;
    std::vector<CoolinoidRecord> read;
    read.reserve(size_t(total > 0 ? total : 0));
    const bool ok = m_connection->query(kSelectAll, [&](const ODBC::ODBCRecord& r) {
        double h = 0, k = 0;
        int dim = 0, unfoldable = 0;
        if (r.GetData(1, h) && r.GetData(2, k) && r.GetData(3, dim) && r.GetData(4, unfoldable))
            read.emplace_back(h, k, dim, unfoldable != 0);
        else
            ++malformed;
        ++rows;
        const int percent = total > 0 ? int(100.0 * rows / total) : 100;
        if (percent != shown) {
            shown = percent;
            StatusMessage("Pre-caching coolinoid database [%i lines] (%i%%)", total, percent);
        }
        return true;
    });
    if (!ok)
        noteError(m_connection->getLastError());
    // The table arrives sorted, and a point sorter fed sorted points splits on the first few
    // and grows lopsided (slow to fill and to search): a fixed shuffle keeps it balanced.
    std::shuffle(read.begin(), read.end(), std::mt19937(20061));
    std::lock_guard guard(m_mutex);
    for (const CoolinoidRecord& r : read) {
        if (m_sorter.findNear(r))
            continue;
        m_records.push_back(r);
        m_sorter.add(&m_records.back());
    }
    m_malformedRows = malformed;
    if (malformed > 0)
        StatusMessage("Pre-caching coolinoid database: %i malformed rows skipped", malformed);
}

std::optional<bool> LocalCache::find(double h, double k, int dim) const {
    std::lock_guard guard(m_mutex);
    if (const Sorvex::M3d* p = m_sorter.findNear(Sorvex::M3d(h, k, dim)))
        return static_cast<const CoolinoidRecord*>(p)->unfoldable;
    return std::nullopt;
}

std::optional<bool> LocalCache::findInDatabase(double h, double k, int dim) {
    if (!m_connected)
        return std::nullopt;
    char sql[256];
    std::snprintf(sql, sizeof sql,
                  "SELECT unfoldable FROM research.coolinoid WHERE dim = %i AND h BETWEEN "
                  "%.20f AND %.20f AND k BETWEEN %.20f AND %.20f LIMIT 1",
                  dim, h - 0.0001, h + 0.0001, k - 0.0001, k + 0.0001);
    std::optional<bool> answer;
    {
        std::lock_guard guard(m_connMutex);
        if (!m_connection || !m_connection->isConnected())
            return std::nullopt;
        const bool ok = m_connection->query(sql, [&](const ODBC::ODBCRecord& r) {
            int u = 0;
            if (r.GetData(1, u))
                answer = u != 0;
            return false;
        });
        // A lost connection is the worker's to restore.
        if (!ok && !m_connection->isConnected())
            m_connected = false;
    }
    if (answer) {
        std::lock_guard guard(m_mutex);
        if (!m_sorter.findNear(Sorvex::M3d(h, k, dim))) {
            m_records.emplace_back(h, k, dim, *answer);
            m_sorter.add(&m_records.back());
        }
    }
    return answer;
}

bool LocalCache::record(double h, double k, int dim, bool unfoldable) {
    const std::string sql = insertStatement(h, k, dim, unfoldable);
    {
        std::lock_guard guard(m_mutex);
        if (m_sorter.findNear(Sorvex::M3d(h, k, dim)))
            return false;
        m_records.emplace_back(h, k, dim, unfoldable);
        m_sorter.add(&m_records.back());
        m_queue.push_back(sql);
    }
    m_changed.notify_all();
    return true;
}

size_t LocalCache::getQueueLength() const {
    std::lock_guard guard(m_mutex);
    return m_queue.size();
}

size_t LocalCache::getRecordCount() const {
    std::lock_guard guard(m_mutex);
    return m_records.size();
}

bool LocalCache::waitUntilSent(int timeoutMs) const {
    std::unique_lock guard(m_mutex);
    return m_changed.wait_for(guard, std::chrono::milliseconds(timeoutMs),
                              [this] { return m_queue.empty(); });
}

void LocalCache::onSystemIdle() {
    std::string error;
    {
        std::lock_guard guard(m_mutex);
        if (m_lastError == m_shownError)
            return;
        m_shownError = m_lastError;
        error = m_lastError;
    }
    if (!error.empty())
        StatusMessage("%s", error.c_str());
}
