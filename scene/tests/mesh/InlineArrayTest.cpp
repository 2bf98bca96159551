// The inline array against a std::vector doing the same edits: inside its own room,
// across the move to the heap, and on the heap.
#include "scene/mesh/InlineArray.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

template <typename Array> std::vector<int> contents(const Array& a) {
    return std::vector<int>(a.begin(), a.end());
}

} // namespace

TEST(InlineArrayTest, EditsMatchAVectorWhereverTheElementsLive) {
    std::mt19937 random(5);
    InlineArray<int, 4> array;
    std::vector<int> oracle;
    for (int step = 0; step < 2000; ++step) {
        const unsigned what = random() % 10;
        if (what < 5 || oracle.empty()) {
            array.push_back(step);
            oracle.push_back(step);
        } else if (what < 8) {
            const std::size_t at = random() % oracle.size();
            array.erase(array.begin() + at);
            oracle.erase(oracle.begin() + long(at));
        } else if (what == 8) {
            const std::size_t n = random() % 12;
            array.assign(n, -step);
            oracle.assign(n, -step);
        } else {
            std::vector<int> values(random() % 12);
            for (int& v : values)
                v = int(random() % 100);
            array.assign(values);
            oracle = values;
        }
        ASSERT_EQ(oracle, contents(array)) << "step " << step;
        ASSERT_EQ(oracle.size(), array.view().size());
        ASSERT_GE(array.capacity(), array.size());
    }
    // Reserving keeps the elements, wherever they move to.
    InlineArray<int, 2> grown;
    grown.push_back(7);
    grown.push_back(8);
    grown.reserve(100);
    grown.push_back(9);
    EXPECT_EQ((std::vector<int>{7, 8, 9}), contents(grown));
    EXPECT_EQ(100u, grown.capacity());
}
