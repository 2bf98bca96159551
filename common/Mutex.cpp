#include "common/Mutex.h"

#include <chrono>

bool Mutex::lock(int timeoutMs) {
    if (timeoutMs < 0) {
        m_mutex.lock();
        return true;
    }
    if (timeoutMs == 0)
        return m_mutex.try_lock();
    return m_mutex.try_lock_for(std::chrono::milliseconds(timeoutMs));
}

void Mutex::unlock() {
    m_mutex.unlock();
}

MLock::MLock(Mutex& mutex, int timeoutMs) : m_mutex(mutex), m_locked(mutex.lock(timeoutMs)) {}

MLock::~MLock() {
    if (m_locked)
        m_mutex.unlock();
}
