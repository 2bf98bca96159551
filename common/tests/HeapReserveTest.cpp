#include "common/HeapReserve.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace {

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
constexpr bool kReserves = true;
#else
constexpr bool kReserves = false;
#endif

} // namespace

TEST(HeapReserve, OnlyTheOutermostLargeGuardReservesAndTheHeapStaysUsable) {
    {
        const HeapReserve small(HeapReserve::kThreshold - 1);
        EXPECT_EQ(0u, HeapReserve::GetReservedBytes());
    }
    const std::size_t bytes = std::size_t(96) << 20;
    {
        const HeapReserve outer(bytes);
        const std::size_t reserved = HeapReserve::GetReservedBytes();
        if (kReserves) {
            // Whole huge pages inside the 16 MiB blocks: at least 14 MiB of each.
            EXPECT_GE(reserved, bytes / 16 * 14);
            EXPECT_LE(reserved, bytes + (std::size_t(16) << 20));
        }
        {
            const HeapReserve inner(bytes * 2);
            EXPECT_EQ(reserved, HeapReserve::GetReservedBytes());
        }
        EXPECT_EQ(reserved, HeapReserve::GetReservedBytes());

        // Small blocks allocated under the guard (and on another thread) are ordinary
        // memory: written, read back and freed.
        std::vector<std::unique_ptr<int[]>> blocks;
        for (int i = 0; i < 100000; ++i) {
            blocks.emplace_back(new int[8]);
            blocks.back()[7] = i;
        }
        std::thread other([] { const HeapReserve same(std::size_t(80) << 20); });
        other.join();
        for (int i = 0; i < 100000; i += 997)
            ASSERT_EQ(i, blocks[std::size_t(i)][7]);
    }
    EXPECT_EQ(0u, HeapReserve::GetReservedBytes());
}
