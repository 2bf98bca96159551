#include "common/BlockRecycler.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

struct TestTag {};
using Blocks = BlockRecycler<TestTag, 40>;

} // namespace

#if !defined(__SANITIZE_ADDRESS__)
TEST(BlockRecycler, FreedBlocksComeBackLastFirstAndStayWithTheThreadThatFreedThem) {
    void* a = Blocks::take();
    void* b = Blocks::take();
    const std::size_t before = Blocks::keptCount();
    Blocks::give(a);
    Blocks::give(b);
    EXPECT_EQ(before + 2, Blocks::keptCount());
    EXPECT_EQ(b, Blocks::take());
    EXPECT_EQ(a, Blocks::take());
    EXPECT_EQ(before, Blocks::keptCount());

    // A block freed on another thread is kept there, and handed back to the heap when
    // that thread ends (a leak checker would see it otherwise).
    std::size_t keptThere = 0;
    std::thread([&] {
        Blocks::give(a);
        keptThere = Blocks::keptCount();
    }).join();
    EXPECT_EQ(std::size_t(1), keptThere);
    EXPECT_EQ(before, Blocks::keptCount()) << "this thread's list is its own";
    Blocks::give(b);
}
#endif
