#include "common/StatusLine.h"

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace {
std::mutex g_statusMutex;
std::function<void(const char*)> g_statusFn;
std::string g_lastStatus;
} // namespace

void StatusMessage(const char* format, ...) {
    if (!format)
        return;
    char small[512];
    std::string text;
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (n >= 0 && static_cast<std::size_t>(n) < sizeof small) {
        text.assign(small, static_cast<std::size_t>(n));
    } else if (n >= 0) {
        text.resize(static_cast<std::size_t>(n) + 1);
        std::vsnprintf(text.data(), text.size(), format, copy);
        text.resize(static_cast<std::size_t>(n));
    }
    va_end(copy);
    // The status line shows one line; anything after a line break is dropped.
    std::size_t lineEnd = text.find_first_of("\r\n");
    if (lineEnd != std::string::npos)
        text.resize(lineEnd);

    std::function<void(const char*)> fn;
    {
        std::lock_guard<std::mutex> lock(g_statusMutex);
        g_lastStatus = text;
        fn = g_statusFn;
    }
    // Called outside the lock so that the display may itself ask for the
    // last message or send another one.
    if (fn)
        fn(text.c_str());
}

void RegisterStatusMessageFn(std::function<void(const char*)> fn) {
    std::lock_guard<std::mutex> lock(g_statusMutex);
    g_statusFn = std::move(fn);
}

std::string GetLastStatusMessage() {
    std::lock_guard<std::mutex> lock(g_statusMutex);
    return g_lastStatus;
}
