// The max tree's searches against a plain scan of the values, as slots are pushed
// (past a reservation and across its own growth) and set again.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "unfolders/strategies/support/SlotMaxTree.h"

namespace {

constexpr double Lowest = -std::numeric_limits<double>::infinity();

/// The first value at or after `from` that is at least `least`, by a scan.
std::size_t scanFirst(const std::vector<double>& values, std::size_t from, double least) {
    for (std::size_t i = from; i < values.size(); ++i)
        if (values[i] >= least)
            return i;
    return values.size();
}

} // namespace

TEST(SlotMaxTree, FindFirstAgreesWithAScanThroughPushesSetsAndGrowth) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(0.0, 1.0);
    for (std::size_t reserved : {std::size_t(0), std::size_t(40), std::size_t(1000)}) {
        SlotMaxTree tree;
        tree.reserve(reserved);
        std::vector<double> values;
        for (int round = 0; round < 300; ++round) {
            if (round % 3 != 2 || values.empty()) {
                // A few slots hold no value (-infinity), as cleared candidates do.
                const double v = round % 7 == 0 ? Lowest : value(random);
                EXPECT_EQ(values.size(), tree.push(v));
                values.push_back(v);
            } else {
                const std::size_t slot = random() % values.size();
                values[slot] = round % 5 == 0 ? Lowest : value(random);
                tree.set(slot, values[slot]);
            }
            ASSERT_EQ(values.size(), tree.size());
            for (double least : {0.0, 0.5, 0.9, 0.99, 2.0}) {
                for (std::size_t from : {std::size_t(0), values.size() / 3, values.size() - 1,
                                         values.size(), values.size() + 5}) {
                    ASSERT_EQ(scanFirst(values, from, least),
                              tree.findFirst(from, [least](double x) { return x >= least; }))
                        << "reserved " << reserved << ", " << values.size() << " slots, from "
                        << from << ", least " << least;
                }
            }
        }
        for (std::size_t i = 0; i < values.size(); ++i)
            ASSERT_EQ(values[i], tree.get(i));
    }
}
