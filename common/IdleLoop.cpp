#include "common/IdleLoop.h"

#include "common/StatusLine.h"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace {

// Handlers in registration order. While a pass over them runs, removed
// entries are set to null instead of erased so that the pass's position stays
// valid; the pass compacts the list when it ends.
struct IdleLoopState {
    std::mutex mutex;
    std::condition_variable handlerReturned;
    std::vector<SystemIdleHandler*> handlers;
    int passes = 0;
    // Handlers being called right now, with the thread calling each.
    std::vector<std::pair<SystemIdleHandler*, std::thread::id>> running;
};

IdleLoopState& state() {
    // Never destroyed: handlers in static objects may unregister after the
    // end of main.
    static IdleLoopState* s = new IdleLoopState;
    return *s;
}

std::atomic<bool> g_ticking{false};
std::atomic<int> g_pauseCount{0};

void compact(IdleLoopState& s) {
    s.handlers.erase(std::remove(s.handlers.begin(), s.handlers.end(), nullptr), s.handlers.end());
}

// Calls `call` on every handler registered when the pass starts and still
// registered when its turn comes.
template <typename Call> void forEachHandler(Call call) {
    IdleLoopState& s = state();
    std::unique_lock<std::mutex> lock(s.mutex);
    ++s.passes;
    const std::size_t count = s.handlers.size();
    for (std::size_t i = 0; i < count; ++i) {
        SystemIdleHandler* handler = s.handlers[i];
        if (!handler)
            continue;
        const auto entry = std::make_pair(handler, std::this_thread::get_id());
        s.running.push_back(entry);
        lock.unlock();
        // No exception may leave the loop: it would stop every later tick.
        try {
            call(handler);
        } catch (const std::exception& e) {
            StatusMessage("Error: %s", e.what());
        } catch (const char* text) {
            StatusMessage("%s", text);
        } catch (...) {
            StatusMessage("Error: unknown exception in an idle handler");
        }
        lock.lock();
        s.running.erase(std::find(s.running.begin(), s.running.end(), entry));
        s.handlerReturned.notify_all();
    }
    if (--s.passes == 0)
        compact(s);
}

} // namespace

SystemIdleHandler::~SystemIdleHandler() {
    UnregisterSystemIdleHandler(this);
}

void RegisterSystemIdleHandler(SystemIdleHandler* handler) {
    if (!handler)
        return;
    IdleLoopState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (std::find(s.handlers.begin(), s.handlers.end(), handler) == s.handlers.end())
        s.handlers.push_back(handler);
}

void UnregisterSystemIdleHandler(SystemIdleHandler* handler) {
    if (!handler)
        return;
    IdleLoopState& s = state();
    std::unique_lock<std::mutex> lock(s.mutex);
    auto it = std::find(s.handlers.begin(), s.handlers.end(), handler);
    if (it != s.handlers.end()) {
        if (s.passes > 0)
            *it = nullptr;
        else
            s.handlers.erase(it);
    }
    // Another thread may be inside this very handler; the caller is about to
    // delete it, so wait until that call has returned.
    const auto self = std::this_thread::get_id();
    s.handlerReturned.wait(lock, [&] {
        return std::none_of(s.running.begin(), s.running.end(), [&](const auto& entry) {
            return entry.first == handler && entry.second != self;
        });
    });
}

void OnSystemIdle() {
    if (g_pauseCount.load() > 0)
        return;
    bool expected = false;
    if (!g_ticking.compare_exchange_strong(expected, true))
        return;
    forEachHandler([](SystemIdleHandler* handler) {
        // A pause requested by a handler stops the rest of this tick.
        if (g_pauseCount.load() == 0)
            handler->onSystemIdle();
    });
    g_ticking.store(false);
}

void PauseIdleLoop() {
    ++g_pauseCount;
}

void ResumeIdleLoop() {
    int count = g_pauseCount.load();
    while (count > 0 && !g_pauseCount.compare_exchange_weak(count, count - 1)) {
    }
}

bool IsIdleLoopPaused() {
    return g_pauseCount.load() > 0;
}

void CleanupIdleHandlers() {
    forEachHandler([](SystemIdleHandler* handler) { handler->onSystemIdleCleanup(); });
}

int GetSystemIdleHandlerCount() {
    IdleLoopState& s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    return static_cast<int>(
        std::count_if(s.handlers.begin(), s.handlers.end(), [](auto* h) { return h != nullptr; }));
}
