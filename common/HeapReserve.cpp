#include "common/HeapReserve.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
#include <malloc.h>
#include <sys/mman.h>
#define VORN_HEAP_RESERVE 1
#endif

namespace {

std::mutex g_lock;
int g_depth = 0;
std::size_t g_reserved = 0;
std::atomic<std::size_t> g_populated{0};

#ifdef VORN_HEAP_RESERVE
constexpr std::size_t kHugePage = std::size_t(2) << 20;
/// Blocks below the mmap threshold come from the heap itself, one after another.
constexpr std::size_t kBlock = std::size_t(16) << 20;
/// What glibc's adaptive thresholds reach after freeing blocks of its largest mmap
/// threshold (32 MiB): set for good, so reserving does not leave them lower than that.
constexpr int kMmapThreshold = 32 << 20;
constexpr int kTrimThreshold = 64 << 20;

/// Faults the readied pages in on a thread of its own, a huge page at a time from the
/// lowest address up, the order the allocator hands them out. On a virtual machine the
/// first write to a page can cost the host's work as well as the guest's (several
/// milliseconds per MiB once the host has taken freed memory back), and done here it
/// runs on the second core instead of stalling the thread that builds the mesh. The
/// kernel populates without changing what the pages hold, so the allocator's blocks
/// in them stay intact; a page the builder reaches first is simply skipped.
class Populator {
public:
    ~Populator() { stop(); }
    void start(std::vector<std::pair<std::uintptr_t, std::uintptr_t>> ranges) {
        m_stop = false;
        try {
            m_worker = std::thread([this, ranges = std::move(ranges)] {
                for (const auto& [first, last] : ranges)
                    for (std::uintptr_t at = first; at < last; at += kHugePage) {
                        if (m_stop.load(std::memory_order_relaxed))
                            return;
#ifdef MADV_POPULATE_WRITE
                        // EINVAL on kernels without it: the builder's own faults remain.
                        if (madvise(reinterpret_cast<void*>(at), kHugePage, MADV_POPULATE_WRITE) != 0)
                            return;
#else
                        return;
#endif
                        g_populated.fetch_add(kHugePage, std::memory_order_relaxed);
                    }
            });
        } catch (const std::system_error&) {
            // No thread to spare: the pages are faulted in as they are first used.
        }
    }
    /// Stops after the page in hand (the heap may shrink once the guard is gone).
    void stop() {
        m_stop = true;
        if (m_worker.joinable())
            m_worker.join();
    }

private:
    std::thread m_worker;
    std::atomic<bool> m_stop{false};
};

Populator g_populator;

/// Grows the heap by about `bytes`, marks the new part for huge pages and hands it back to
/// the allocator, which then carves the coming blocks out of it. Returns the bytes readied.
std::size_t reserve(std::size_t bytes) {
    mallopt(M_MMAP_THRESHOLD, kMmapThreshold);
    // Kept while the guard lives, or the free below would give the pages straight back.
    mallopt(M_TRIM_THRESHOLD, INT32_MAX);
    std::vector<char*> blocks;
    blocks.reserve(bytes / kBlock + 1);
    std::vector<std::pair<std::uintptr_t, std::uintptr_t>> hinted;
    std::size_t readied = 0;
    for (std::size_t done = 0; done < bytes; done += kBlock) {
        char* block = static_cast<char*>(std::malloc(kBlock));
        if (!block)
            break;
        blocks.push_back(block);
        // The hint covers the whole huge pages inside the block, memory this guard owns.
        const auto at = reinterpret_cast<std::uintptr_t>(block);
        const std::uintptr_t first = (at + kHugePage - 1) & ~(kHugePage - 1);
        const std::uintptr_t last = (at + kBlock) & ~(kHugePage - 1);
        if (last > first && madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE) == 0) {
            readied += last - first;
            hinted.emplace_back(first, last);
        }
    }
    // Freed, the blocks go back to the allocator (most of them into the heap's free top),
    // which carves the coming small blocks out of them.
    for (char* block : blocks)
        std::free(block);
    g_populated = 0;
    g_populator.start(std::move(hinted));
    return readied;
}

void release() {
    g_populator.stop();
    mallopt(M_TRIM_THRESHOLD, kTrimThreshold);
}
#else
std::size_t reserve(std::size_t) {
    return 0;
}
void release() {}
#endif

} // namespace

HeapReserve::HeapReserve(std::size_t bytes) {
    if (bytes < kThreshold)
        return;
    std::lock_guard<std::mutex> lock(g_lock);
    m_active = true;
    if (g_depth++ == 0)
        g_reserved = reserve(bytes);
}

HeapReserve::~HeapReserve() {
    if (!m_active)
        return;
    std::lock_guard<std::mutex> lock(g_lock);
    if (--g_depth == 0) {
        release();
        g_reserved = 0;
    }
}

std::size_t HeapReserve::GetReservedBytes() {
    std::lock_guard<std::mutex> lock(g_lock);
    return g_reserved;
}

std::size_t HeapReserve::GetPopulatedBytes() {
    return g_populated.load(std::memory_order_relaxed);
}
