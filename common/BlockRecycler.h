#pragma once

#include <cstddef>
#include <new>

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
template <typename Tag, std::size_t Size> class BlockRecycler {
public:
    static constexpr std::size_t kMaxKept = std::size_t(1) << 16;

    static void* take() {
#if !defined(__SANITIZE_ADDRESS__)
        if (Free* block = t_free) {
            t_free = block->next;
            --t_kept;
            return block;
        }
#endif
        return ::operator new(Size);
    }

    static void give(void* p) noexcept {
#if !defined(__SANITIZE_ADDRESS__)
        if (p && !t_ending && t_kept < kMaxKept) {
            // Touching the drain makes sure it runs when the thread ends.
            t_drain.touch();
            auto* block = static_cast<Free*>(p);
            block->next = t_free;
            t_free = block;
            ++t_kept;
            return;
        }
#endif
        ::operator delete(p);
    }

    /// Blocks this thread keeps for reuse; for tests.
    static std::size_t keptCount() { return t_kept; }

private:
    struct Free {
        Free* next;
    };
    static_assert(Size >= sizeof(Free), "a free block holds the link to the next");

    /// Returns the thread's blocks to the heap when the thread ends; blocks freed after
    /// that go straight to the heap.
    struct Drain {
        void touch() {}
        ~Drain() {
            t_ending = true;
            while (Free* block = t_free) {
                t_free = block->next;
                ::operator delete(block);
            }
            t_kept = 0;
        }
    };

    static inline thread_local Free* t_free = nullptr;
    static inline thread_local std::size_t t_kept = 0;
    static inline thread_local bool t_ending = false;
    static inline thread_local Drain t_drain;
};
