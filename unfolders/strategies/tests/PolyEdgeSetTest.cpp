#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <vector>

#include "scene/mesh/Poly.h"
#include "unfolders/strategies/support/PolyEdgeSet.h"

// The flat set must answer as an ordered set of the same edges, through growth (many
// rehashes), repeated inserts, edges of a null face and a clear in the middle.
TEST(PolyEdgeSet, AnswersAsAPlainSetThroughGrowthRepeatsAndClear) {
    std::vector<std::unique_ptr<Poly>> faces;
    for (int i = 0; i < 3000; ++i)
        faces.push_back(std::make_unique<Poly>());
    std::mt19937 random(5);
    std::uniform_int_distribution<std::size_t> pickFace(0, faces.size());
    std::uniform_int_distribution<int> pickEdge(-1, 5);
    auto edgeAt = [&](std::size_t i, int e) {
        return PolyEdge{i == faces.size() ? nullptr : faces[i].get(), e};
    };
    PolyEdgeSet set;
    std::set<PolyEdge> plain;
    for (int round = 0; round < 2; ++round) {
        for (int step = 0; step < 12000; ++step) {
            const PolyEdge edge = edgeAt(pickFace(random), pickEdge(random));
            EXPECT_EQ(plain.insert(edge).second, set.insert(edge));
        }
        ASSERT_EQ(plain.size(), set.size());
        for (std::size_t i = 0; i <= faces.size(); ++i)
            for (int e = -1; e <= 5; ++e)
                ASSERT_EQ(plain.count(edgeAt(i, e)), set.count(edgeAt(i, e)));
        set.clear();
        plain.clear();
        EXPECT_TRUE(set.empty());
        EXPECT_EQ(0u, set.count(edgeAt(0, 0)));
    }
}
