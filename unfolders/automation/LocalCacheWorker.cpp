// LocalCache: the worker thread that sends queued statements, the shutdown that flushes the
// queue, and the file that keeps statements no database took.
#include "unfolders/automation/LocalCache.h"

#include "common/AtomicFile.h"
#include "common/sql/SqlConnection.h"

#include <cstdio>
#include <fstream>
#include <vector>

namespace {

/// The worker sends at most this many statements per round (one transaction on SQLite).
constexpr size_t kBatchSize = 256;
/// How long the worker sleeps on an empty queue or between attempts to reconnect.
constexpr auto kWorkerPause = std::chrono::milliseconds(1000);

} // namespace

size_t LocalCache::sendSome(size_t max) {
    std::vector<std::string> batch;
    {
        std::lock_guard guard(m_mutex);
        for (size_t i = 0; i < m_queue.size() && i < max; ++i)
            batch.push_back(m_queue[i]);
    }
    if (batch.empty())
        return 0;
    size_t sent = 0;
    std::string error;
    {
        std::lock_guard guard(m_connMutex);
        if (!m_connection || !m_connection->isConnected())
            return 0;
        bool ok = m_connection->beginBatch();
        while (ok && sent < batch.size() && m_connection->execute(batch[sent]))
            ++sent;
        ok = ok && sent == batch.size();
        if (ok)
            ok = m_connection->endBatch();
        else
            m_connection->rollbackBatch();
        if (!ok) {
            error = m_connection->getLastError();
            // An all-or-nothing batch that failed kept nothing: send all of it again.
            if (m_connection->batchesAreAtomic())
                sent = 0;
            if (!m_connection->isConnected())
                m_connected = false;
        }
    }
    {
        std::lock_guard guard(m_mutex);
        // Only this thread (or shutdown, after it) removes from the queue: its front is still
        // the batch taken above.
        m_queue.erase(m_queue.begin(), m_queue.begin() + long(sent));
        if (!error.empty())
            m_lastError = error;
        else
            m_lastError.clear();
    }
    m_changed.notify_all();
    return sent;
}

void LocalCache::workerLoop() {
    while (m_state == 0) {
        if (!m_connected) {
            bool connected;
            {
                std::lock_guard guard(m_connMutex);
                connected = connect();
            }
            if (!connected) {
                std::unique_lock guard(m_mutex);
                m_changed.wait_for(guard, kWorkerPause, [this] { return m_state != 0; });
                continue;
            }
        }
        const size_t queued = getQueueLength();
        if (queued == 0) {
            std::unique_lock guard(m_mutex);
            m_changed.wait_for(guard, kWorkerPause,
                               [this] { return m_state != 0 || !m_queue.empty(); });
            continue;
        }
        if (sendSome(kBatchSize) == 0) {
            // Refused or locked: try again after a pause rather than spin.
            std::unique_lock guard(m_mutex);
            m_changed.wait_for(guard, kWorkerPause, [this] { return m_state != 0; });
        }
    }
    m_state = 2;
}

void LocalCache::shutdown() {
    if (m_worker.joinable()) {
        {
            std::lock_guard guard(m_mutex);
            if (m_state == 0)
                m_state = 1;
        }
        m_changed.notify_all();
        m_worker.join();
    }
    // Answers recorded without a start (or after a failed one) are flushed all the same.
    if (getQueueLength() > 0) {
        if (!m_connected) {
            std::lock_guard guard(m_connMutex);
            connect();
        }
        while (m_connected && sendSome(kBatchSize) > 0) {
        }
    }
    keepUnsent();
    std::lock_guard guard(m_connMutex);
    if (m_connection)
        m_connection->Disconnect();
    m_connected = false;
}

void LocalCache::keepUnsent() {
    std::deque<std::string> unsent;
    {
        std::lock_guard guard(m_mutex);
        unsent.swap(m_queue);
    }
    if (unsent.empty())
        return;
    // Appends to what an earlier run left, if another process has not taken it yet.
    std::string text;
    std::ifstream previous(getUnsentFilePath());
    for (std::string line; std::getline(previous, line);)
        if (!line.empty())
            text += line + "\n";
    for (const std::string& sql : unsent)
        text += sql + "\n";
    std::string error;
    if (!WriteFileAtomically(getUnsentFilePath(), text, &error)) {
        std::fprintf(stderr, "%s: %zu results could not be kept: %s\n", m_database.c_str(),
                     unsent.size(), error.c_str());
        std::lock_guard guard(m_mutex);
        m_queue.swap(unsent);
    }
    m_changed.notify_all();
}

void LocalCache::takeUnsentFile() {
    const std::string path = getUnsentFilePath();
    // Renaming first means only one process takes the file.
    const std::string taken = path + ".taken";
    if (std::rename(path.c_str(), taken.c_str()) != 0)
        return;
    std::ifstream in(taken);
    std::deque<std::string> statements;
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            statements.push_back(line);
    in.close();
    {
        std::lock_guard guard(m_mutex);
        for (std::string& sql : statements)
            m_queue.push_back(std::move(sql));
    }
    std::remove(taken.c_str());
    m_changed.notify_all();
}
