#pragma once

#include <cstddef>

/// Readies the heap for a burst of small allocations that will stay (a huge mesh's
/// faces and vertices, millions of blocks of a few dozen bytes), held for the scope of the
/// guard. Grown a page at a time, such a heap costs one page fault per 4 KiB, and on a
/// virtual machine those faults take most of the time a million-face mesh needs to load.
/// The guard grows the heap once and asks the kernel for huge pages there (2 MiB each, so
/// a 400 MiB mesh takes 200 faults instead of 100,000), where the kernel offers them.
///
/// The pages are faulted in ahead of use on a background thread, which stops when the
/// guard ends (see Populator in the source).
///
/// Below `kThreshold` bytes, off glibc and in builds with sanitizers it does nothing.
/// Side effect: the first reservation sets the C library's allocation thresholds to what
/// its own adaptive tuning reaches after large blocks have been freed (blocks below 32 MiB
/// from the heap, up to 64 MiB of free heap kept), so they stay the same afterwards.
/// Guards may nest and may be taken on several threads; an inner guard readies more only
/// when it asks for more than every live guard did (a loader can ready the heap from the
/// file's size before parsing, and top it up once the mesh's size is known).
class HeapReserve {
public:
    static constexpr std::size_t kThreshold = std::size_t(64) << 20;

    explicit HeapReserve(std::size_t bytes);
    ~HeapReserve();
    HeapReserve(const HeapReserve&) = delete;
    HeapReserve& operator=(const HeapReserve&) = delete;

    /// While a guard is live, faults in the pages of a large block the caller is about to
    /// fill (one that came straight from the system, such as a table sized for a whole
    /// mesh), on the same background thread, at the same pace as the readied heap (the two
    /// fill up together). Does nothing without a live guard. The pages keep what they
    /// hold; a block let go meanwhile is skipped.
    static void PopulateAhead(const void* block, std::size_t bytes);
    /// Bytes the live guards readied (0 when none did); for tests.
    static std::size_t GetReservedBytes();
    /// Bytes faulted in ahead so far for the live guards; for tests.
    static std::size_t GetPopulatedBytes();

private:
    bool m_active = false;
};
