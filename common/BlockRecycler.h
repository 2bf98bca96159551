#pragma once

#include <cstddef>
#include <new>

#include <pthread.h>

/// Keeps freed blocks of one size on a list per thread and hands them out again, for
/// a class whose objects come and go by the thousand (a batch builds and drops two
/// meshes per polyhedron): taking a block back from the list is a pointer swap, where
/// the general heap sorts every such block into its bins when a burst of them is freed.
///
/// Use it from the class's own `operator new` and `operator delete`; `Tag` keeps the
/// lists of different classes apart. A block freed on another thread than it came from
/// joins that thread's list. Each thread keeps at most `kMaxKept` blocks and gives them
/// back to the heap when it ends. Builds with the address sanitizer pass every block
/// straight to the heap, so that a use after free is still caught.
///
/// The end of a thread is caught by a thread key, not by a thread-local object with a
/// destructor: the C library registers such a destructor on the object's first use and
/// aborts the process when that registration finds no memory, and the first block freed
/// is often freed while unwinding from an allocation that failed.
template <typename Tag, std::size_t Size> class BlockRecycler {
public:
    static constexpr std::size_t kMaxKept = std::size_t(1) << 16;

    static void* take() {
#if !defined(__SANITIZE_ADDRESS__)
        Kept& kept = t_kept;
        if (Free* block = kept.first) {
            kept.first = block->next;
            --kept.count;
            return block;
        }
#endif
        return ::operator new(Size);
    }

    static void give(void* p) noexcept {
#if !defined(__SANITIZE_ADDRESS__)
        Kept& kept = t_kept;
        if (p && !kept.ending && kept.count < kMaxKept && armDrain(kept)) {
            auto* block = static_cast<Free*>(p);
            block->next = kept.first;
            kept.first = block;
            ++kept.count;
            return;
        }
#endif
        ::operator delete(p);
    }

    /// Blocks this thread keeps for reuse; for tests.
    static std::size_t keptCount() {
        return t_kept.count;
    }

private:
    struct Free {
        Free* next;
    };
    static_assert(Size >= sizeof(Free), "a free block holds the link to the next");

    /// One thread's list, in one place: each thread-local variable of a shared library
    /// costs a lookup per use. Trivially destructible, so nothing is registered for it.
    struct Kept {
        Free* first = nullptr;
        std::size_t count = 0;
        bool ending = false;
        bool drainArmed = false;
    };

    /// Makes sure the thread's blocks go back to the heap when it ends. Setting the key
    /// of a thread needs no memory for the first keys of a process; where it would and
    /// none is left, the block is not kept.
    static bool armDrain(Kept& kept) noexcept {
        if (!kept.drainArmed)
            kept.drainArmed = drainKey() && ::pthread_setspecific(*drainKey(), &kept) == 0;
        return kept.drainArmed;
    }

    /// The process's key for this list, made on first use; null if none could be made.
    static const pthread_key_t* drainKey() noexcept {
        static const struct Key {
            pthread_key_t key{};
            bool made = ::pthread_key_create(&key, &drain) == 0;
        } k;
        return k.made ? &k.key : nullptr;
    }

    /// Returns a thread's blocks to the heap when it ends; blocks freed after that go
    /// straight to the heap.
    static void drain(void* list) noexcept {
        Kept& kept = *static_cast<Kept*>(list);
        kept.ending = true;
        while (Free* block = kept.first) {
            kept.first = block->next;
            ::operator delete(block);
        }
        kept.count = 0;
    }

    static inline thread_local Kept t_kept;
};
