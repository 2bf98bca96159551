#include "common/IdleLoop.h"

#include "common/StatusLine.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

// Records its calls into a shared log and runs an optional action per tick.
class RecordingHandler : public SystemIdleHandler {
public:
    RecordingHandler(std::string name, std::vector<std::string>& log)
        : m_name(std::move(name)), m_log(log) {
        RegisterSystemIdleHandler(this);
    }
    ~RecordingHandler() override { UnregisterSystemIdleHandler(this); }
    void onSystemIdle() override {
        m_log.push_back(m_name);
        // A copy, so that an action deleting this handler still runs safely.
        if (auto act = action)
            act();
    }
    void onSystemIdleCleanup() override { m_log.push_back("cleanup " + m_name); }

    std::function<void()> action;

private:
    std::string m_name;
    std::vector<std::string>& m_log;
};

using Log = std::vector<std::string>;

class IdleLoop : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(0, GetSystemIdleHandlerCount()); }
    void TearDown() override { EXPECT_EQ(0, GetSystemIdleHandlerCount()); }
};

} // namespace

TEST_F(IdleLoop, CallsEachHandlerOnceInRegistrationOrder) {
    Log log;
    RecordingHandler a("a", log), b("b", log), c("c", log);
    RegisterSystemIdleHandler(&b); // a second registration changes nothing
    EXPECT_EQ(3, GetSystemIdleHandlerCount());
    OnSystemIdle();
    OnSystemIdle();
    EXPECT_EQ((Log{"a", "b", "c", "a", "b", "c"}), log);
}

TEST_F(IdleLoop, NestedTickReturnsAtOnce) {
    Log log;
    RecordingHandler a("a", log), b("b", log);
    a.action = [] { OnSystemIdle(); };
    OnSystemIdle();
    EXPECT_EQ((Log{"a", "b"}), log);
}

TEST_F(IdleLoop, HandlersMayUnregisterOrRegisterDuringATick) {
    Log log;
    RecordingHandler a("a", log), b("b", log), c("c", log);
    auto late = std::make_unique<RecordingHandler>("late", log);
    UnregisterSystemIdleHandler(late.get());

    // a removes c, b removes itself and adds "late": c is skipped at once,
    // "late" first runs on the next tick.
    a.action = [&] { UnregisterSystemIdleHandler(&c); };
    b.action = [&] {
        UnregisterSystemIdleHandler(&b);
        RegisterSystemIdleHandler(late.get());
    };
    OnSystemIdle();
    EXPECT_EQ((Log{"a", "b"}), log);
    log.clear();
    a.action = nullptr;
    OnSystemIdle();
    EXPECT_EQ((Log{"a", "late"}), log);

    // A handler deleting itself during its own call is safe.
    log.clear();
    late->action = [&] { late.reset(); };
    OnSystemIdle();
    EXPECT_EQ((Log{"a", "late"}), log);
    EXPECT_EQ(1, GetSystemIdleHandlerCount());
}

TEST_F(IdleLoop, PauseNestsAndStopsEveryHandler) {
    Log log;
    RecordingHandler a("a", log);
    PauseIdleLoop();
    PauseIdleLoop();
    OnSystemIdle();
    ResumeIdleLoop();
    OnSystemIdle();
    EXPECT_TRUE(log.empty());
    ResumeIdleLoop();
    ResumeIdleLoop(); // extra resumes must not build up credit
    EXPECT_FALSE(IsIdleLoopPaused());
    OnSystemIdle();
    EXPECT_EQ((Log{"a"}), log);

    // Pausing from inside a handler stops the rest of that tick.
    RecordingHandler b("b", log);
    a.action = [] { PauseIdleLoop(); };
    log.clear();
    OnSystemIdle();
    ResumeIdleLoop();
    EXPECT_EQ((Log{"a"}), log);
}

TEST_F(IdleLoop, CleanupCallsTheSecondOperationOnly) {
    Log log;
    RecordingHandler a("a", log), b("b", log);
    CleanupIdleHandlers();
    EXPECT_EQ((Log{"cleanup a", "cleanup b"}), log);
    EXPECT_EQ(2, GetSystemIdleHandlerCount());
}

TEST_F(IdleLoop, ExceptionInAHandlerDoesNotStopTheLoop) {
    Log log;
    RecordingHandler a("a", log), b("b", log);
    a.action = [] { throw std::runtime_error("slice failed"); };
    OnSystemIdle();
    OnSystemIdle();
    EXPECT_EQ((Log{"a", "b", "a", "b"}), log);
    EXPECT_EQ("Error: slice failed", GetLastStatusMessage());
}

TEST_F(IdleLoop, ConcurrentRegistrationFromThreads) {
    struct Counter : SystemIdleHandler {
        std::atomic<int>* calls;
        void onSystemIdle() override { ++*calls; }
    };
    constexpr int kThreads = 4, kPerThread = 250;
    std::atomic<int> calls{0};
    std::vector<std::unique_ptr<Counter>> handlers(kThreads * kPerThread);
    for (auto& h : handlers) {
        h = std::make_unique<Counter>();
        h->calls = &calls;
    }
    std::atomic<bool> stop{false};
    std::thread ticker([&] {
        while (!stop)
            OnSystemIdle();
    });
    auto forSlice = [&](int t, void (*fn)(SystemIdleHandler*)) {
        for (int i = 0; i < kPerThread; ++i)
            fn(handlers[t * kPerThread + i].get());
    };
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t)
        workers.emplace_back([&, t] { forSlice(t, RegisterSystemIdleHandler); });
    for (auto& w : workers)
        w.join();
    EXPECT_EQ(kThreads * kPerThread, GetSystemIdleHandlerCount());
    workers.clear();
    for (int t = 0; t < kThreads; ++t)
        workers.emplace_back([&, t] { forSlice(t, UnregisterSystemIdleHandler); });
    for (auto& w : workers)
        w.join();
    stop = true;
    ticker.join();
    EXPECT_EQ(0, GetSystemIdleHandlerCount());
    const int before = calls;
    OnSystemIdle();
    EXPECT_EQ(before, calls.load()) << "no handler runs after unregistration";
}

TEST_F(IdleLoop, UnregisterFromAnotherThreadWaitsForTheRunningCall) {
    struct Slow : SystemIdleHandler {
        std::atomic<bool> inside{false}, finished{false};
        void onSystemIdle() override {
            inside = true;
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            finished = true;
        }
    };
    auto slow = std::make_unique<Slow>();
    RegisterSystemIdleHandler(slow.get());
    std::thread ticker([] { OnSystemIdle(); });
    while (!slow->inside)
        std::this_thread::yield();
    UnregisterSystemIdleHandler(slow.get());
    EXPECT_TRUE(slow->finished) << "unregistration returned while the handler still ran";
    ticker.join();
}
