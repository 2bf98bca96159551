#include "common/HeapReserve.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace {

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
constexpr bool kReserves = true;
#else
constexpr bool kReserves = false;
#endif

/// Whether this kernel faults pages in on request (MADV_POPULATE_WRITE).
bool kernelPopulates() {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    const std::size_t size = 1 << 16;
    void* p = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED)
        return false;
    const bool ok = madvise(p, size, MADV_POPULATE_WRITE) == 0;
    munmap(p, size);
    return ok;
#else
    return false;
#endif
}

} // namespace

TEST(HeapReserve, LargeGuardsReserveAndTheHeapStaysUsable) {
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
            // Asking for no more than is readied changes nothing; asking for more readies more.
            const HeapReserve same(bytes);
            EXPECT_EQ(reserved, HeapReserve::GetReservedBytes());
            const HeapReserve more(bytes * 2);
            if (kReserves) {
                EXPECT_GE(HeapReserve::GetReservedBytes(), bytes * 2 / 16 * 14);
            }
        }

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

TEST(HeapReserve, ReadiedPagesAreFaultedInAheadWhileTheHeapIsInUse) {
    if (!kReserves || !kernelPopulates())
        GTEST_SKIP() << "no heap reservation or no page population on this system";
    const std::size_t bytes = std::size_t(128) << 20;
    const HeapReserve guard(bytes);
    const std::size_t reserved = HeapReserve::GetReservedBytes();
    ASSERT_GT(reserved, 0u);
    // Blocks carved from the readied heap while the pages come in keep what is written.
    std::vector<std::unique_ptr<long[]>> blocks;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    long i = 0;
    while (HeapReserve::GetPopulatedBytes() < reserved && std::chrono::steady_clock::now() < deadline) {
        if (blocks.size() < 200000) {
            blocks.emplace_back(new long[6]);
            blocks.back()[5] = i++;
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    EXPECT_EQ(reserved, HeapReserve::GetPopulatedBytes());
    for (std::size_t k = 0; k < blocks.size(); k += 101)
        ASSERT_EQ(long(k), blocks[k][5]);

    // A block from the system, added later, is faulted in too and keeps its contents.
    const std::size_t extra = std::size_t(8) << 20;
    void* block = mmap(nullptr, extra, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    ASSERT_NE(MAP_FAILED, block);
    static_cast<char*>(block)[12345] = 7;
    HeapReserve::PopulateAhead(block, extra);
    while (HeapReserve::GetPopulatedBytes() < reserved + extra && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    EXPECT_EQ(reserved + extra, HeapReserve::GetPopulatedBytes());
    EXPECT_EQ(7, static_cast<char*>(block)[12345]);
    munmap(block, extra);
}
