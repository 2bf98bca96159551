#include "common/HeapReserve.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
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
/// The most any live guard asked for.
std::size_t g_asked = 0;
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
///
/// Blocks added later (PopulateAhead) are filled by their users alongside the heap, so
/// the worker keeps every part at the same share done rather than finishing one first.
class Populator {
public:
    using Range = std::pair<std::uintptr_t, std::uintptr_t>;

    ~Populator() { stop(); }
    /// Starts over with the readied heap's ranges.
    void start(std::vector<Range> ranges) {
        stop();
        std::lock_guard<std::mutex> lock(m_lock);
        m_stop = false;
        m_parts.clear();
        addPart(std::move(ranges));
    }
    /// Adds a block as a part of its own; the worker starts again if it had finished.
    void add(Range range) {
        std::lock_guard<std::mutex> lock(m_lock);
        addPart({range});
    }
    /// Stops after the page in hand (the heap may shrink once the guard is gone).
    void stop() {
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_stop = true;
        }
        if (m_worker.joinable())
            m_worker.join();
        m_parts.clear();
    }

private:
    /// Ranges walked in order, and how far.
    struct Part {
        std::vector<Range> ranges;
        std::size_t total = 0;
        std::size_t done = 0;
        std::size_t range = 0;
        std::uintptr_t at = 0;
    };

    /// Queues a part and makes sure the worker runs; the lock is held.
    void addPart(std::vector<Range> ranges) {
        Part part;
        for (const Range& r : ranges)
            if (r.second > r.first) {
                part.total += r.second - r.first;
                part.ranges.push_back(r);
            }
        if (part.ranges.empty())
            return;
        part.at = part.ranges.front().first;
        m_parts.push_back(std::move(part));
        if (m_running)
            return;
        if (m_worker.joinable())
            m_worker.join();
        m_running = true;
        try {
            m_worker = std::thread([this] { work(); });
        } catch (const std::system_error&) {
            // No thread to spare: the pages are faulted in as they are first used.
            m_running = false;
        }
    }

    /// The next page to fault in: from the part least done. False when all are done.
    bool next(std::uintptr_t& at, std::size_t& length) {
        std::lock_guard<std::mutex> lock(m_lock);
        Part* least = nullptr;
        for (Part& p : m_parts)
            if (p.range < p.ranges.size() &&
                (!least || double(p.done) / double(p.total) < double(least->done) / double(least->total)))
                least = &p;
        if (m_stop || !least) {
            m_running = false;
            return false;
        }
        const Range& r = least->ranges[least->range];
        at = least->at;
        length = std::min(kHugePage, r.second - at);
        least->done += length;
        least->at += length;
        if (least->at >= r.second && ++least->range < least->ranges.size())
            least->at = least->ranges[least->range].first;
        return true;
    }

    void work() {
        std::uintptr_t at = 0;
        std::size_t length = 0;
        while (next(at, length)) {
#ifdef MADV_POPULATE_WRITE
            // EINVAL on kernels without it: the users' own faults remain. ENOMEM for a
            // block let go meanwhile: its pages are gone, the rest go on.
            if (madvise(reinterpret_cast<void*>(at), length, MADV_POPULATE_WRITE) != 0) {
                if (errno == EINVAL) {
                    std::lock_guard<std::mutex> lock(m_lock);
                    m_running = false;
                    return;
                }
                continue;
            }
            g_populated.fetch_add(length, std::memory_order_relaxed);
#else
            std::lock_guard<std::mutex> lock(m_lock);
            m_running = false;
            return;
#endif
        }
    }

    std::thread m_worker;
    std::mutex m_lock;
    std::vector<Part> m_parts;
    bool m_running = false;
    bool m_stop = false;
};

Populator g_populator;

/// Grows the heap by about `bytes`, marks the new part for huge pages and hands it back to
/// the allocator, which then carves the coming blocks out of it. Returns the bytes readied.
std::size_t reserve(std::size_t bytes) {
    // A guard asking for more than is readied starts over with the whole: the pages
    // already in come back at no cost, and the worker walks the new ranges from the start.
    g_populator.stop();
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
    if (g_depth++ == 0 || bytes > g_asked) {
        g_asked = bytes;
        g_reserved = std::max(g_reserved, reserve(bytes));
    }
}

HeapReserve::~HeapReserve() {
    if (!m_active)
        return;
    std::lock_guard<std::mutex> lock(g_lock);
    if (--g_depth == 0) {
        release();
        g_reserved = 0;
        g_asked = 0;
    }
}

std::size_t HeapReserve::GetReservedBytes() {
    std::lock_guard<std::mutex> lock(g_lock);
    return g_reserved;
}

void HeapReserve::PopulateAhead(const void* block, std::size_t bytes) {
#ifdef VORN_HEAP_RESERVE
    std::lock_guard<std::mutex> lock(g_lock);
    if (g_depth == 0 || !block)
        return;
    constexpr std::uintptr_t kPage = 4096;
    const auto at = reinterpret_cast<std::uintptr_t>(block);
    // Whole pages only: the partial pages at the ends may belong to other blocks.
    const std::uintptr_t first = (at + kPage - 1) & ~(kPage - 1);
    const std::uintptr_t last = (at + bytes) & ~(kPage - 1);
    if (last > first)
        g_populator.add({first, last});
#else
    (void)block;
    (void)bytes;
#endif
}

std::size_t HeapReserve::GetPopulatedBytes() {
    return g_populated.load(std::memory_order_relaxed);
}
