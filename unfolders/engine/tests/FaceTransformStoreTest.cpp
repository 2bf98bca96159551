#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <stdexcept>
#include <unordered_map>
#include <vector>

#include "scene/mesh/Poly.h"
#include "unfolders/engine/FaceTransformStore.h"

using Sorvex::M3d;
using Sorvex::M4x4;

namespace {

M4x4 shiftBy(double x) {
    return M4x4::Translation(M3d(x, 2 * x, -x));
}

bool sameMatrix(const M4x4& a, const M4x4& b) {
    for (int i = 0; i < 16; ++i)
        if (a.data()[i] != b.data()[i])
            return false;
    return true;
}

} // namespace

// The store must answer exactly as the map it replaced, through growth from empty (many
// rehashes), overwrites of faces laid again, and a clear in the middle.
TEST(FaceTransformStore, AnswersAsAHashMapThroughGrowthOverwritesAndClear) {
    std::vector<std::unique_ptr<Poly>> faces;
    for (int i = 0; i < 5000; ++i)
        faces.push_back(std::make_unique<Poly>());
    FaceTransformStore store;
    std::unordered_map<const Poly*, M4x4> plain;
    std::mt19937 random(7);
    std::uniform_int_distribution<std::size_t> pick(0, faces.size() - 1);
    auto check = [&] {
        ASSERT_EQ(plain.size(), store.size());
        for (const auto& f : faces) {
            const M4x4* found = store.find(f.get());
            const auto it = plain.find(f.get());
            ASSERT_EQ(it != plain.end(), found != nullptr);
            if (found) {
                EXPECT_TRUE(sameMatrix(it->second, *found));
            }
        }
    };
    for (int round = 0; round < 2; ++round) {
        for (int step = 0; step < 8000; ++step) {
            const Poly* f = faces[pick(random)].get();
            const M4x4 m = shiftBy(step);
            // Both ways of storing, new faces and overwrites alike.
            if (step % 3 == 0)
                store.assign(f, m);
            else
                store[f] = m;
            plain[f] = m;
        }
        check();
        store.clear();
        plain.clear();
        check();
    }
}

TEST(FaceTransformStore, NewEntriesAreTheIdentityAndMissingOnesAreRefused) {
    Poly a, b;
    FaceTransformStore store;
    EXPECT_EQ(nullptr, store.find(&a));
    EXPECT_EQ(nullptr, store.find(nullptr));
    EXPECT_THROW((void)store.at(&a), std::out_of_range);
    EXPECT_TRUE(sameMatrix(M4x4(), store[&a]));
    store.at(&a) = shiftBy(3);
    // A reserved store does not move what it holds while it fills up to the reserve.
    store.reserve(1000);
    const M4x4* held = store.find(&a);
    std::vector<std::unique_ptr<Poly>> more;
    for (int i = 0; i < 999; ++i) {
        more.push_back(std::make_unique<Poly>());
        store[more.back().get()] = shiftBy(i);
    }
    EXPECT_EQ(held, store.find(&a));
    EXPECT_TRUE(sameMatrix(shiftBy(3), *held));
    EXPECT_FALSE(store.contains(&b));
    EXPECT_THROW(store[nullptr], std::invalid_argument);
    EXPECT_EQ(1000u, store.size());
}
