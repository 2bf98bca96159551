#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <random>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "common/FlatPointerMap.h"

namespace {

struct Item {
    int id = 0;
};

/// A value too large to sit beside its key in the table.
struct Wide {
    std::array<double, 4> v{};
    bool operator==(const Wide&) const = default;
};

Wide wideOf(std::size_t n) {
    return Wide{{double(n), double(n) * 0.5, -double(n), 1.0}};
}

/// Fills a map and a std::unordered_map alike with random stores and overwrites over
/// thousands of keys (many rehashes), then checks every key, present or not, and a clear.
template <typename Value, typename Make> void agreesWithAStandardMap(Make make) {
    std::vector<Item> items(6000);
    std::mt19937 gen(3);
    std::uniform_int_distribution<std::size_t> pick(0, 3999); // the rest stay absent
    FlatPointerMap<Item, Value> map;
    std::unordered_map<const Item*, Value> reference;
    for (std::size_t step = 0; step < 9000; ++step) {
        const Item* key = &items[pick(gen)];
        const Value value = make(step);
        if (step % 3 == 0)
            map[key] = value;
        else
            map.assign(key, value);
        reference[key] = value;
        ASSERT_EQ(reference.size(), map.size()) << "step " << step;
    }
    for (const Item& item : items) {
        const auto it = reference.find(&item);
        const Value* found = map.find(&item);
        ASSERT_EQ(it != reference.end(), found != nullptr);
        if (found) {
            EXPECT_EQ(it->second, *found);
        }
    }
    map.clear();
    EXPECT_TRUE(map.empty());
    EXPECT_EQ(nullptr, map.find(&items[0]));
    map.assign(&items[1], make(7));
    EXPECT_EQ(make(7), map.at(&items[1]));
    EXPECT_EQ(std::size_t(1), map.size());
}

} // namespace

TEST(FlatPointerMap, SmallAndLargeValuesAgreeWithAStandardMapThroughGrowthAndClear) {
    agreesWithAStandardMap<std::size_t>([](std::size_t n) { return n * 7 + 1; });
    agreesWithAStandardMap<float>([](std::size_t n) { return float(n) * 0.25f; });
    agreesWithAStandardMap<Wide>(wideOf);
}

TEST(FlatPointerMap, RefusesANullKeyAndAnAbsentKeyChangingNothing) {
    Item a, b;
    FlatPointerMap<Item, std::size_t> map;
    map.assign(&a, 5);
    EXPECT_THROW(map.assign(nullptr, 1), std::invalid_argument);
    EXPECT_THROW(map.at(&b), std::out_of_range);
    EXPECT_EQ(nullptr, map.find(nullptr));
    EXPECT_EQ(std::size_t(1), map.size());
    EXPECT_EQ(std::size_t(5), map.at(&a));
    EXPECT_EQ(std::size_t(0), map[&b]) << "a new key starts value-initialised";
}
