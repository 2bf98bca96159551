#pragma once

#include <mutex>

/// A non-recursive mutex whose lock can give up after a time-out.
class Mutex {
public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    /// Waits up to `timeoutMs` milliseconds (any negative value waits without
    /// limit, 0 only tries); true when the mutex was taken.
    bool lock(int timeoutMs = -1);
    void unlock();

private:
    std::timed_mutex m_mutex;
};

/// Holds a Mutex for the lifetime of the object.
class MLock {
public:
    explicit MLock(Mutex& mutex, int timeoutMs = -1);
    ~MLock();
    MLock(const MLock&) = delete;
    MLock& operator=(const MLock&) = delete;

    /// False when the time-out ran out before the mutex was taken.
    bool isLocked() const { return m_locked; }

private:
    Mutex& m_mutex;
    bool m_locked;
};
