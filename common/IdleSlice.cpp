#include "common/IdleSlice.h"

#include <atomic>

namespace {
std::atomic<int> g_idleSliceMs{0};
} // namespace

void SetIdleSliceMs(int ms) {
    g_idleSliceMs = ms < 0 ? 0 : ms;
}

int GetIdleSliceMs() {
    return g_idleSliceMs;
}
