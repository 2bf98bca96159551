#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

#include "scene/mesh/Poly.h"
#include "scene/mesh/Vertex.h"
#include "unfolders/engine/FaceBSP.h"
#include "unfolders/engine/tests/PlaneFaces.h"

using testmeshes::Faces;

namespace {

/// Inserts the way the unfolder does: grow first when the box lies outside.
void store(FaceBSP& tree, Poly* face) {
    FaceBox box(face);
    if (!tree.contains(box))
        tree.grow(box);
    tree.insert(box);
}

} // namespace

TEST(FaceBox, BoxOfAFaceAndOfAnEmptyFace) {
    Faces faces;
    FaceBox box(faces.add({{1, 2}, {3, -1}, {0, 5}}));
    EXPECT_EQ(0, box.minX);
    EXPECT_EQ(3, box.maxX);
    EXPECT_EQ(-1, box.minZ);
    EXPECT_EQ(5, box.maxZ);

    Poly empty;
    FaceBox none(&empty);
    EXPECT_GT(none.minX, none.maxX);
    EXPECT_FALSE(none.overlapsArea(box));
    EXPECT_FALSE(box.overlapsArea(none));
}

TEST(FaceBSP, FreshRootIsEmptyAndTheFirstBoxGrowsItTenfold) {
    FaceBSP tree;
    EXPECT_GT(tree.getMinX(), tree.getMaxX());
    EXPECT_FALSE(tree.getSplitOnX());
    Faces faces;
    Poly* first = faces.square(0, 0, 1);
    EXPECT_FALSE(tree.query(FaceBox(first))) << "an empty tree answers false";

    store(tree, first);
    EXPECT_EQ(-10, tree.getMinX());
    EXPECT_EQ(11, tree.getMaxX());
    EXPECT_EQ(-10, tree.getMinZ());
    EXPECT_EQ(11, tree.getMaxZ());

    // A second face inside the region causes no rebuild.
    store(tree, faces.square(5, 5, 2));
    EXPECT_EQ(11, tree.getMaxX());
    EXPECT_EQ(size_t(2), tree.getBoxCount());

    // A face beyond the region on the high x side moves only that bound,
    // by ten times the new face's extent.
    store(tree, faces.add({{20, 0}, {22, 0}, {22, 3}}));
    EXPECT_EQ(-10, tree.getMinX());
    EXPECT_EQ(42, tree.getMaxX());
    EXPECT_EQ(-10, tree.getMinZ());
    EXPECT_EQ(11, tree.getMaxZ());
    EXPECT_EQ(size_t(3), tree.getBoxCount());
}

TEST(FaceBSP, SplitsLazilyAndKeepsBoxesAtTheDeepestContainingNode) {
    FaceBSP tree(0, 8, 0, 8, false, 0.0f);
    Faces faces;
    tree.insert(FaceBox(faces.square(0.1, 0.1, 0.5)));
    ASSERT_NE(nullptr, tree.getLow());
    ASSERT_NE(nullptr, tree.getHigh());
    EXPECT_TRUE(tree.getLocalBoxCount() == 0);
    EXPECT_EQ(4, tree.getLow()->getMaxZ()) << "the root splits on z";
    EXPECT_TRUE(tree.getLow()->getSplitOnX());
    EXPECT_FLOAT_EQ(-0.2f, tree.getLow()->getDrawDepth());

    // A box across the root's split line stays at the root.
    tree.insert(FaceBox(faces.square(1, 3, 2)));
    EXPECT_EQ(size_t(1), tree.getLocalBoxCount());
    EXPECT_EQ(size_t(2), tree.getBoxCount());

    // A node no wider than 0.0001 does not split.
    FaceBSP thin(0, 0.0001, 0, 0.00005, true, 0.0f);
    thin.insert(FaceBox(faces.square(0, 0, 0.00001)));
    EXPECT_EQ(nullptr, thin.getLow());
    EXPECT_EQ(size_t(1), thin.getLocalBoxCount());
}

TEST(FaceBSP, QueryListsOverlapsInTreeOrderAndRemoveForgetsAFace) {
    FaceBSP tree;
    Faces faces;
    Poly* big = faces.square(0, 0, 4);
    Poly* small = faces.square(0.2, 0.2, 0.5);
    Poly* far = faces.square(30, 30, 1);
    store(tree, big);
    store(tree, small);
    store(tree, far);

    // A long thin face crossing both the big and the small square.
    Poly* probe = faces.add({{-1, 0.4}, {5, 0.4}, {5, 0.5}, {-1, 0.5}});
    std::vector<Poly*> found;
    EXPECT_TRUE(tree.query(FaceBox(probe), &found));
    EXPECT_EQ(size_t(2), found.size());
    EXPECT_TRUE(tree.query(FaceBox(probe)));

    EXPECT_TRUE(tree.remove(FaceBox(small)));
    EXPECT_FALSE(tree.remove(FaceBox(small))) << "removing an absent face changes nothing";
    found.clear();
    EXPECT_TRUE(tree.query(FaceBox(probe), &found));
    EXPECT_EQ(std::vector<Poly*>{big}, found);
    EXPECT_EQ(size_t(2), tree.getBoxCount());
}

TEST(FaceBSP, ShiftMovesRegionsAndBoxesTogether) {
    FaceBSP tree;
    Faces faces;
    Poly* a = faces.square(0, 0, 1);
    store(tree, a);
    store(tree, faces.square(2, 2, 1));
    tree.shift(-3, 7);
    EXPECT_EQ(-13, tree.getMinX());
    EXPECT_EQ(-3, tree.getMinZ());
    std::vector<FaceBox> boxes;
    tree.collectBoxes(boxes);
    ASSERT_EQ(size_t(2), boxes.size());
    for (const FaceBox& b : boxes) {
        EXPECT_TRUE(tree.contains(b));
        if (b.face == a) {
            EXPECT_EQ(-3, b.minX);
            EXPECT_EQ(7, b.minZ);
        }
    }
}

TEST(FaceBSP, QueryAgreesWithBruteForceOnRandomTriangles) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> pos(0, 20), size(0.2, 3);
    Faces faces;
    std::vector<Poly*> stored;
    FaceBSP tree;
    for (int i = 0; i < 300; ++i) {
        double x = pos(rng), z = pos(rng);
        Poly* p = faces.add(
            {{x, z}, {x + size(rng), z + size(rng) / 3}, {x + size(rng) / 2, z + size(rng)}});
        stored.push_back(p);
        store(tree, p);
    }
    for (int i = 0; i < 200; ++i) {
        double x = pos(rng), z = pos(rng);
        Poly* probe = faces.add({{x, z}, {x + size(rng), z}, {x, z + size(rng)}});
        FaceBox box(probe);
        size_t expected = 0;
        for (Poly* p : stored)
            expected += FacesOverlap(box, FaceBox(p)) ? 1 : 0;
        std::vector<Poly*> found;
        EXPECT_EQ(expected > 0, tree.query(box, &found));
        EXPECT_EQ(expected, found.size());
        EXPECT_EQ(expected > 0, tree.query(box));

        // The list follows the tree order: a node's boxes in insertion
        // order, then the low subtree, then the high one.
        std::vector<FaceBox> inOrder;
        tree.collectBoxes(inOrder);
        std::vector<Poly*> reference;
        for (const FaceBox& b : inOrder)
            if (FacesOverlap(box, b))
                reference.push_back(b.face);
        EXPECT_EQ(reference, found);
        EXPECT_EQ(reference.empty() ? nullptr : reference.front(), tree.findFirst(box));
    }
}

namespace {

/// The tree's shape and contents: every node's region and boxes, depth first.
void describe(const FaceBSP* node, std::vector<double>& out) {
    if (!node)
        return;
    out.insert(out.end(), {node->getMinX(), node->getMaxX(), node->getMinZ(), node->getMaxZ(),
                           double(node->getLocalBoxCount())});
    out.push_back(node->getLow() ? 1 : 0);
    describe(node->getLow(), out);
    describe(node->getHigh(), out);
}

} // namespace

TEST(FaceBSP, UndoingTheLastInsertLeavesTheTreeAsItWas) {
    Faces faces;
    std::mt19937 gen(5);
    std::uniform_real_distribution<double> at(0, 20);
    FaceBSP tree;
    for (int i = 0; i < 60; ++i) {
        const double x = at(gen), z = at(gen);
        store(tree, faces.add({{x, z}, {x + 1, z}, {x, z + 1}}));
    }
    for (int i = 0; i < 40; ++i) {
        std::vector<double> before, after;
        describe(&tree, before);
        std::vector<FaceBox> boxesBefore, boxesAfter;
        tree.collectBoxes(boxesBefore);
        const double x = at(gen), z = at(gen), size = i % 2 ? 0.01 : 3;
        Poly* trial = faces.add({{x, z}, {x + size, z}, {x, z + size}});
        tree.insert(FaceBox(trial));
        ASSERT_TRUE(tree.undoLastInsert(FaceBox(trial)));
        EXPECT_FALSE(tree.undoLastInsert(FaceBox(trial)));
        describe(&tree, after);
        EXPECT_EQ(before, after) << "trial " << i;
        tree.collectBoxes(boxesAfter);
        ASSERT_EQ(boxesBefore.size(), boxesAfter.size());
        for (size_t k = 0; k < boxesBefore.size(); ++k)
            EXPECT_EQ(boxesBefore[k].face, boxesAfter[k].face);
    }
    // Only the face inserted last, and only before anything else changes the tree.
    Poly* a = faces.add({{1, 1}, {2, 1}, {1, 2}});
    Poly* b = faces.add({{5, 5}, {6, 5}, {5, 6}});
    tree.insert(FaceBox(a));
    tree.insert(FaceBox(b));
    EXPECT_FALSE(tree.undoLastInsert(FaceBox(a)));
    EXPECT_TRUE(tree.remove(FaceBox(a)));
    EXPECT_FALSE(tree.undoLastInsert(FaceBox(b)));
}

TEST(FaceBSP, GrowingGivesTheTreeThatInsertingTheBoxesAgainOneByOneGives) {
    // A net spreading outwards in small faces grows the root again and again. After every
    // grow the tree must be the one a fresh root with the new region gets from inserting
    // the stored boxes one by one in the old tree's order: same nodes, same boxes per
    // node, same query order. Removals leave empty nodes behind that a grow drops.
    Faces faces;
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> jitter(-0.3, 0.3), size(0.05, 0.4);
    FaceBSP tree;
    std::vector<Poly*> stored;
    int grows = 0;
    for (int i = 0; i < 400; ++i) {
        const double r = 0.05 * i, a = 0.37 * i;
        const double x = r * std::cos(a) + jitter(gen), z = r * std::sin(a) + jitter(gen);
        const double s = size(gen);
        Poly* p = faces.add({{x, z}, {x + s, z + s / 4}, {x + s / 3, z + s}});
        const FaceBox box(p);
        if (!tree.contains(box)) {
            std::vector<FaceBox> before;
            tree.collectBoxes(before);
            tree.grow(box);
            ++grows;
            FaceBSP reference(tree.getMinX(), tree.getMaxX(), tree.getMinZ(), tree.getMaxZ(),
                              tree.getSplitOnX(), 0.0f);
            for (const FaceBox& b : before)
                reference.insert(b);
            std::vector<double> got, expected;
            describe(&tree, got);
            describe(&reference, expected);
            ASSERT_EQ(expected, got) << "after grow " << grows;
            std::vector<FaceBox> gotOrder, expectedOrder;
            tree.collectBoxes(gotOrder);
            reference.collectBoxes(expectedOrder);
            ASSERT_EQ(expectedOrder.size(), gotOrder.size());
            for (size_t k = 0; k < gotOrder.size(); ++k)
                ASSERT_EQ(expectedOrder[k].face, gotOrder[k].face) << "box " << k;
        }
        tree.insert(box);
        stored.push_back(p);
        if (i % 7 == 3) {
            tree.remove(FaceBox(stored[stored.size() / 2]));
            stored.erase(stored.begin() + std::ptrdiff_t(stored.size() / 2));
        }
        if (i % 11 == 5 && tree.undoLastInsert(box))
            stored.pop_back();
    }
    EXPECT_GT(grows, 10);
    EXPECT_EQ(stored.size(), tree.getBoxCount());
}

TEST(FaceBSP, VouchesForNoOverlapOnlyWhileEveryBoxWasCheckedBeforeItCameIn) {
    Faces faces;
    FaceBSP tree;
    auto checkAndStore = [&](Poly* face) {
        const Poly* hit = tree.findFirst(FaceBox(face));
        store(tree, face);
        return hit == nullptr;
    };
    EXPECT_TRUE(tree.isPairwiseClear());
    // The first box needs no check: there is nothing to overlap.
    store(tree, faces.add({{0, 0}, {1, 0}, {0, 1}}));
    EXPECT_TRUE(tree.isPairwiseClear());
    // Checked boxes keep the promise even when storing them grows the tree.
    EXPECT_TRUE(checkAndStore(faces.add({{3, 3}, {4, 3}, {3, 4}})));
    EXPECT_TRUE(checkAndStore(faces.add({{40, -30}, {41, -30}, {40, -29}})));
    EXPECT_TRUE(tree.isPairwiseClear());
    EXPECT_EQ(size_t(3), tree.getStoredCount());

    // A box found overlapping, then stored anyway (a net laid without the check).
    Poly* crossing = faces.add({{0.2, 0.2}, {1.2, 0.2}, {0.2, 1.2}});
    EXPECT_FALSE(checkAndStore(crossing));
    EXPECT_FALSE(tree.isPairwiseClear());
    EXPECT_EQ(size_t(4), tree.getStoredCount());
    // Taking it out again does not restore the promise; the count follows.
    EXPECT_TRUE(tree.undoLastInsert(FaceBox(crossing)));
    EXPECT_EQ(size_t(3), tree.getStoredCount());
    EXPECT_FALSE(tree.isPairwiseClear());

    // A check vouches for the box it checked, stored next, and nothing else.
    FaceBSP other;
    store(other, faces.add({{0, 0}, {1, 0}, {0, 1}}));
    Poly* checked = faces.add({{5, 5}, {6, 5}, {5, 6}});
    Poly* unchecked = faces.add({{8, 8}, {9, 8}, {8, 9}});
    EXPECT_EQ(nullptr, other.findFirst(FaceBox(checked)));
    store(other, unchecked);
    EXPECT_FALSE(other.isPairwiseClear());

    // A shift rounds every box anew.
    FaceBSP shifted;
    store(shifted, faces.add({{0, 0}, {1, 0}, {0, 1}}));
    Poly* next = faces.add({{2, 2}, {3, 2}, {2, 3}});
    EXPECT_EQ(nullptr, shifted.findFirst(FaceBox(next)));
    shifted.shift(0.5, 0.5);
    store(shifted, next);
    EXPECT_FALSE(shifted.isPairwiseClear());
    EXPECT_TRUE(shifted.remove(FaceBox(next)));
    EXPECT_EQ(size_t(1), shifted.getStoredCount());
}
