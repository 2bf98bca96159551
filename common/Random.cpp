#include "common/Random.h"

#include <cstdint>

namespace {
thread_local std::uint32_t g_randState = 1;
}

int vornRand() {
    g_randState = g_randState * 214013u + 2531011u;
    return static_cast<int>((g_randState >> 16) & 0x7fff);
}

void vornSrand(unsigned seed) {
    g_randState = seed;
}
