#include "common/Mutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

TEST(Mutex, TimeOutsAndScopedLocks) {
    using Clock = std::chrono::steady_clock;
    Mutex mutex;
    std::atomic<bool> held{false}, release{false};
    std::thread holder([&] {
        MLock lock(mutex);
        held = true;
        while (!release)
            std::this_thread::yield();
    });
    while (!held)
        std::this_thread::yield();

    EXPECT_FALSE(mutex.lock(0));
    const auto start = Clock::now();
    EXPECT_FALSE(mutex.lock(50));
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(40)) << "the time-out is waited";
    {
        MLock failed(mutex, 10);
        EXPECT_FALSE(failed.isLocked());
    } // must not unlock a mutex it does not hold

    std::thread releaser([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        release = true;
    });
    EXPECT_TRUE(mutex.lock(-1)) << "-1 waits until the holder lets go";
    mutex.unlock();
    holder.join();
    releaser.join();

    {
        MLock scoped(mutex, 0);
        EXPECT_TRUE(scoped.isLocked());
        EXPECT_FALSE(std::async(std::launch::async, [&] { return mutex.lock(0); }).get());
    }
    EXPECT_TRUE(mutex.lock(0)) << "the scoped lock released the mutex";
    mutex.unlock();
}
