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
        if (p && !kept.ending && kept.count < kMaxKept) {
            if (!kept.drainArmed) {
                // Touching the drain makes sure it runs when the thread ends.
                t_drain.touch();
                kept.drainArmed = true;
            }
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
    /// costs a lookup per use. Trivially destructible, so it outlives the drain.
    struct Kept {
        Free* first = nullptr;
        std::size_t count = 0;
        bool ending = false;
        bool drainArmed = false;
    };

    /// Returns the thread's blocks to the heap when the thread ends; blocks freed after
    /// that go straight to the heap.
    struct Drain {
        void touch() {}
        ~Drain() {
            Kept& kept = t_kept;
            kept.ending = true;
            while (Free* block = kept.first) {
                kept.first = block->next;
                ::operator delete(block);
            }
            kept.count = 0;
        }
    };

    static inline thread_local Kept t_kept;
    static inline thread_local Drain t_drain;
};
