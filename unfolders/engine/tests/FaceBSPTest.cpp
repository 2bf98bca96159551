#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <random>
#include <unordered_map>
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
    const FaceBSP::Node& root = tree.getIndexRoot();
    ASSERT_NE(nullptr, root.getLow());
    ASSERT_NE(nullptr, root.getHigh());
    EXPECT_TRUE(root.getLocalBoxCount() == 0);
    EXPECT_EQ(4, root.getLow()->getMaxZ()) << "the root splits on z";
    EXPECT_TRUE(root.getLow()->getSplitOnX());
    EXPECT_FLOAT_EQ(-0.2f, root.getLow()->getDrawDepth());

    // A box across the root's split line stays at the root.
    tree.insert(FaceBox(faces.square(1, 3, 2)));
    EXPECT_EQ(size_t(1), root.getLocalBoxCount());
    EXPECT_EQ(size_t(2), tree.getBoxCount());

    // A node no wider than 0.0001 does not split.
    FaceBSP thin(0, 0.0001, 0, 0.00005, true, 0.0f);
    thin.insert(FaceBox(faces.square(0, 0, 0.00001)));
    EXPECT_EQ(nullptr, thin.getIndexRoot().getLow());
    EXPECT_EQ(size_t(1), thin.getIndexRoot().getLocalBoxCount());
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

    // The split lines move too: a box below the root's split, shifted across where the
    // split was, is still found by a probe there.
    FaceBSP split(0, 8, 0, 8, false, 0.0f);
    Poly* low = faces.square(1, 3, 0.9);
    split.insert(FaceBox(low));
    split.shift(0, 2);
    for (Vertex* v : low->getVertices())
        v->setPosition(v->getPosition() + Sorvex::M3d(0, 0, 2));
    const FaceBox probe(faces.square(1.2, 5.5, 0.3));
    EXPECT_TRUE(split.query(probe));
    EXPECT_EQ(low, split.findFirst(probe));
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
void describe(const FaceBSP::Node* node, std::vector<double>& out) {
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
        describe(&tree.getIndexRoot(), before);
        std::vector<FaceBox> boxesBefore, boxesAfter;
        tree.collectBoxes(boxesBefore);
        const double x = at(gen), z = at(gen), size = i % 2 ? 0.01 : 3;
        Poly* trial = faces.add({{x, z}, {x + size, z}, {x, z + size}});
        tree.insert(FaceBox(trial));
        ASSERT_TRUE(tree.undoLastInsert(FaceBox(trial)));
        EXPECT_FALSE(tree.undoLastInsert(FaceBox(trial)));
        describe(&tree.getIndexRoot(), after);
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

namespace {

/// The plain face-box tree, written out in full as an independent reference: one
/// k-d tree over the region, split lazily, rebuilt on every grow by inserting its
/// boxes again one by one in its own order. Answers are filtered from that order.
class PlainTree {
public:
    void grow(const FaceBox& box) {
        const double w = box.maxX - box.minX, d = box.maxZ - box.minZ;
        if (box.minX < minX)
            minX = box.minX - 10 * w;
        if (box.maxX > maxX)
            maxX = box.maxX + 10 * w;
        if (box.minZ < minZ)
            minZ = box.minZ - 10 * d;
        if (box.maxZ > maxZ)
            maxZ = box.maxZ + 10 * d;
        const std::vector<FaceBox> all = inOrder();
        root = std::make_unique<Node>(minX, maxX, minZ, maxZ, false);
        for (const FaceBox& b : all)
            insert(b);
    }
    bool contains(const FaceBox& b) const {
        return minX <= b.minX && minZ <= b.minZ && b.maxX <= maxX && b.maxZ <= maxZ;
    }
    void insert(const FaceBox& box) {
        Node* node = root.get();
        for (;;) {
            if (!node->low)
                node->split();
            if (node->low && node->low->contains(box))
                node = node->low.get();
            else if (node->high && node->high->contains(box))
                node = node->high.get();
            else
                break;
        }
        node->boxes.push_back(box); // appended: each node keeps insertion order
    }
    void remove(const FaceBox& box) {
        Node* node = root.get();
        while (true) {
            if (node->low && node->low->contains(box))
                node = node->low.get();
            else if (node->high && node->high->contains(box))
                node = node->high.get();
            else
                break;
        }
        for (auto it = node->boxes.begin(); it != node->boxes.end(); ++it)
            if (it->face == box.face) {
                node->boxes.erase(it);
                return;
            }
    }
    std::vector<FaceBox> inOrder() const {
        std::vector<FaceBox> out;
        if (root)
            root->collect(out);
        return out;
    }
    std::vector<Poly*> overlapping(const FaceBox& probe) const {
        std::vector<Poly*> out;
        for (const FaceBox& b : inOrder())
            if (FacesOverlap(probe, b))
                out.push_back(b.face);
        return out;
    }

private:
    struct Node {
        Node(double minX, double maxX, double minZ, double maxZ, bool splitOnX)
            : minX(minX), maxX(maxX), minZ(minZ), maxZ(maxZ), splitOnX(splitOnX) {}
        double minX, maxX, minZ, maxZ;
        bool splitOnX;
        std::vector<FaceBox> boxes;
        std::unique_ptr<Node> low, high;
        bool contains(const FaceBox& b) const {
            return minX <= b.minX && minZ <= b.minZ && b.maxX <= maxX && b.maxZ <= maxZ;
        }
        void split() {
            if (splitOnX && maxX - minX > FaceBSP::MinSplitWidth) {
                const double mid = (minX + maxX) * 0.5;
                low = std::make_unique<Node>(minX, mid, minZ, maxZ, false);
                high = std::make_unique<Node>(mid, maxX, minZ, maxZ, false);
            } else if (!splitOnX && maxZ - minZ > FaceBSP::MinSplitWidth) {
                const double mid = (minZ + maxZ) * 0.5;
                low = std::make_unique<Node>(minX, maxX, minZ, mid, true);
                high = std::make_unique<Node>(minX, maxX, mid, maxZ, true);
            }
        }
        void collect(std::vector<FaceBox>& out) const {
            out.insert(out.end(), boxes.begin(), boxes.end());
            if (low)
                low->collect(out);
            if (high)
                high->collect(out);
        }
    };
    double minX = FaceBox::Empty, maxX = -FaceBox::Empty;
    double minZ = FaceBox::Empty, maxZ = -FaceBox::Empty;
    std::unique_ptr<Node> root = std::make_unique<Node>(minX, maxX, minZ, maxZ, false);
};

} // namespace

TEST(FaceBSP, AGrownIndexAnswersInTheOrderOfThePlainTreeRebuiltOnEveryGrow) {
    // A net spreading outwards in small faces grows the region again and again. The
    // index never rebuilds, yet every answer (the overlapping faces, their order, the
    // first of them, the collected boxes) must be the plain tree's, through grows,
    // removals and undone trials, with faces overlapping so that lists are long.
    Faces faces;
    std::mt19937 gen(11);
    std::uniform_real_distribution<double> jitter(-0.3, 0.3), size(0.05, 0.6), unit(0, 1);
    FaceBSP tree;
    PlainTree plain;
    std::vector<Poly*> stored;
    int grows = 0;
    size_t longestList = 0;
    const auto compareAt = [&](double x, double z, double s, int step) {
        Poly* probe = faces.add({{x, z}, {x + s, z + s / 5}, {x + s / 4, z + s}});
        const FaceBox box(probe);
        std::vector<Poly*> found;
        tree.query(box, &found);
        const std::vector<Poly*> expected = plain.overlapping(box);
        longestList = std::max(longestList, expected.size());
        ASSERT_EQ(expected, found) << "step " << step;
        ASSERT_EQ(expected.empty() ? nullptr : expected.front(), tree.findFirst(box));
        ASSERT_EQ(!expected.empty(), tree.query(box));
    };
    for (int i = 0; i < 500; ++i) {
        const double r = 0.04 * i, a = 0.37 * i;
        const double x = r * std::cos(a) + jitter(gen), z = r * std::sin(a) + jitter(gen);
        const double s = size(gen);
        Poly* p = faces.add({{x, z}, {x + s, z + s / 4}, {x + s / 3, z + s}});
        const FaceBox box(p);
        if (!tree.contains(box)) {
            ASSERT_FALSE(plain.contains(box));
            tree.grow(box);
            plain.grow(box);
            ++grows;
            ASSERT_EQ(plain.contains(box), tree.contains(box));
        }
        tree.insert(box);
        plain.insert(box);
        stored.push_back(p);
        if (i % 7 == 3) {
            const FaceBox gone(stored[stored.size() / 2]);
            ASSERT_TRUE(tree.remove(gone));
            plain.remove(gone);
            stored.erase(stored.begin() + std::ptrdiff_t(stored.size() / 2));
        }
        if (i % 11 == 5 && tree.undoLastInsert(box)) {
            plain.remove(box);
            stored.pop_back();
        }
        const double span = 0.05 * i + 1;
        compareAt((unit(gen) - 0.5) * span, (unit(gen) - 0.5) * span, 0.3 + 2 * unit(gen), i);
        if (HasFatalFailure())
            return;
    }
    EXPECT_GT(grows, 10);
    EXPECT_GT(tree.getRegionGenerations(), size_t(10));
    EXPECT_GT(longestList, size_t(5)) << "probes must meet several faces";
    EXPECT_EQ(stored.size(), tree.getBoxCount());
    std::vector<FaceBox> got;
    tree.collectBoxes(got);
    const std::vector<FaceBox> expected = plain.inOrder();
    ASSERT_EQ(expected.size(), got.size());
    for (size_t k = 0; k < got.size(); ++k)
        EXPECT_EQ(expected[k].face, got[k].face) << "box " << k;
}

TEST(FaceBSP, BoxesFarBeyondTheRegionAndUnreachableRegionsAreStillFound) {
    // Growing across many orders of magnitude doubles the search tree many times; a
    // region that doubling cannot reach (infinite) rebuilds it; a NaN box stays at the
    // root and overlaps nothing.
    Faces faces;
    FaceBSP tree;
    Poly* small = faces.square(0, 0, 1);
    Poly* far = faces.square(1e9, -1e9, 5);
    store(tree, small);
    store(tree, far);
    EXPECT_TRUE(tree.getIndexRoot().getMaxX() >= tree.getMaxX());
    EXPECT_EQ(small, tree.findFirst(FaceBox(faces.square(0.5, 0.5, 1))));
    EXPECT_EQ(far, tree.findFirst(FaceBox(faces.square(1e9 + 1, -1e9 + 1, 1))));

    Poly* odd = faces.add({{NAN, 0}, {1, 0}, {0, 1}});
    store(tree, odd);
    EXPECT_EQ(size_t(3), tree.getBoxCount());
    EXPECT_EQ(nullptr, tree.findFirst(FaceBox(odd)));
    tree.grow(FaceBox(0, INFINITY, 0, 1));
    EXPECT_EQ(INFINITY, tree.getMaxX());
    EXPECT_EQ(far, tree.findFirst(FaceBox(faces.square(1e9 + 1, -1e9 + 1, 1))));
    EXPECT_TRUE(tree.remove(FaceBox(small)));
    EXPECT_EQ(nullptr, tree.findFirst(FaceBox(faces.square(0.5, 0.5, 1))));
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
    // Taking it out again restores the promise; the count follows.
    EXPECT_TRUE(tree.undoLastInsert(FaceBox(crossing)));
    EXPECT_EQ(size_t(3), tree.getStoredCount());
    EXPECT_TRUE(tree.isPairwiseClear());
    store(tree, crossing);
    EXPECT_FALSE(tree.isPairwiseClear());
    EXPECT_TRUE(tree.remove(FaceBox(crossing)));
    EXPECT_TRUE(tree.isPairwiseClear());

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

namespace {

/// What asking `query` about every stored face gives, faces without overlaps left out.
std::unordered_map<Poly*, std::vector<Poly*>> askEach(const FaceBSP& tree,
                                                      const std::vector<Poly*>& stored) {
    std::unordered_map<Poly*, std::vector<Poly*>> answers;
    for (Poly* p : stored) {
        std::vector<Poly*> found;
        if (tree.query(FaceBox(p), &found))
            answers[p] = found;
    }
    return answers;
}

} // namespace

TEST(FaceBSP, AllOverlapsFromTheUncheckedBoxesAreWhatAskingAboutEveryFaceGives) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<double> pos(0, 12), size(0.2, 2), chance(0, 1);
    Faces faces;
    std::vector<Poly*> stored;
    FaceBSP tree;
    auto triangle = [&](double spread) {
        const double x = pos(rng) * spread, z = pos(rng) * spread;
        return faces.add(
            {{x, z}, {x + size(rng), z + size(rng) / 3}, {x + size(rng) / 2, z + size(rng)}});
    };
    std::unordered_map<Poly*, std::vector<Poly*>> all;
    for (int i = 0; i < 400; ++i) {
        // Mostly a net's growth: a face goes in when the check finds it clear; now and
        // then one goes in regardless, and the region keeps growing (spread).
        Poly* p = triangle(1 + i / 40.0);
        const bool clear = tree.findFirst(FaceBox(p)) == nullptr;
        if (clear || chance(rng) < 0.3) {
            store(tree, p);
            stored.push_back(p);
        }
        // Trials taken back, and faces taken out, keep the answers right.
        if (chance(rng) < 0.1 && tree.undoLastInsert(FaceBox(stored.back())))
            stored.pop_back();
        if (chance(rng) < 0.05 && stored.size() > 2) {
            const std::size_t k = std::size_t(chance(rng) * double(stored.size() - 1));
            ASSERT_TRUE(tree.remove(FaceBox(stored[k])));
            stored.erase(stored.begin() + std::ptrdiff_t(k));
        }
        if (i % 50 == 49) {
            ASSERT_TRUE(tree.findAllOverlaps(all));
            EXPECT_EQ(askEach(tree, stored), all) << "after " << i + 1 << " faces";
        }
    }
    EXPECT_FALSE(all.empty()) << "the faces stored regardless must overlap some";

    // A shift forgets which boxes were unchecked: the caller asks about every face.
    tree.shift(1, 1);
    EXPECT_FALSE(tree.findAllOverlaps(all));
    EXPECT_TRUE(all.empty());
}

TEST(FaceBSP, StopsTrackingUncheckedBoxesWhenTheyAreMostOfTheIndex) {
    Faces faces;
    FaceBSP tree;
    std::vector<Poly*> stored;
    std::unordered_map<Poly*, std::vector<Poly*>> all;
    // A net laid without the check (a cut-graph layout): every box unchecked.
    for (int i = 0; i < 2000; ++i) {
        stored.push_back(faces.square(i % 50, i / 50, 1.5));
        store(tree, stored.back());
        if (i == 100) {
            ASSERT_TRUE(tree.findAllOverlaps(all));
            EXPECT_EQ(askEach(tree, stored), all);
        }
    }
    EXPECT_FALSE(tree.findAllOverlaps(all));
    EXPECT_FALSE(tree.isPairwiseClear());
    // An emptied index has nothing left to overlap.
    for (Poly* p : stored)
        ASSERT_TRUE(tree.remove(FaceBox(p)));
    EXPECT_TRUE(tree.isPairwiseClear());
    EXPECT_TRUE(tree.findAllOverlaps(all));
}

TEST(FaceBSP, ACrowdedNodeAnswersLikeBruteForceThroughRemovalsUndoneTrialsShiftsAndARebuild) {
    // Every face straddles the root's split line, so all of them stay at the root: one
    // long sorted list, many of them sharing their sort key (their minimum x on a coarse
    // grid). After each change the answers must be those of testing every stored face.
    Faces faces;
    std::mt19937 gen(23);
    std::uniform_int_distribution<int> column(0, 40);
    std::uniform_real_distribution<double> size(0.3, 2.5), unit(0, 1);
    FaceBSP tree(0, 40, 0, 40, false, 0.0f);
    std::vector<Poly*> stored;
    double offsetX = 0, offsetZ = 0; // how far the index has been shifted so far
    const auto addFace = [&]() {
        const double x = offsetX + 0.5 * column(gen), z = offsetZ + 20 - 0.4 * unit(gen) - 0.05;
        const double s = size(gen);
        return faces.add({{x, z}, {x + s, z + 0.3}, {x + s / 2, z + 0.4 + s / 3}});
    };
    const auto compare = [&](int step) {
        for (int k = 0; k < 6; ++k) {
            const double x = offsetX + 20 * unit(gen), z = offsetZ + 19.2 + 1.6 * unit(gen);
            const double s = 0.2 + 1.5 * unit(gen);
            const FaceBox box(faces.add({{x, z}, {x + s, z + s / 4}, {x + s / 3, z + s}}));
            std::vector<Poly*> expected;
            for (Poly* p : stored)
                if (FacesOverlap(box, FaceBox(p)))
                    expected.push_back(p);
            std::vector<Poly*> found;
            tree.query(box, &found);
            std::sort(expected.begin(), expected.end());
            std::sort(found.begin(), found.end());
            ASSERT_EQ(expected, found) << "step " << step << ", probe " << k;
            ASSERT_EQ(!expected.empty(), tree.query(box)) << "step " << step;
            ASSERT_EQ(expected.empty(), tree.findFirst(box) == nullptr) << "step " << step;
        }
    };
    int overlapsSeen = 0;
    for (int step = 0; step < 300; ++step) {
        Poly* p = addFace();
        tree.insert(FaceBox(p));
        stored.push_back(p);
        if (step % 5 == 2) {
            const std::size_t gone = std::size_t(unit(gen) * double(stored.size() - 1));
            ASSERT_TRUE(tree.remove(FaceBox(stored[gone])));
            stored.erase(stored.begin() + std::ptrdiff_t(gone));
        }
        if (step % 7 == 4) {
            Poly* trial = addFace();
            tree.insert(FaceBox(trial));
            ASSERT_TRUE(tree.undoLastInsert(FaceBox(trial)));
        }
        if (step % 60 == 59) {
            // Exact binary fractions: the moved boxes equal the boxes of the moved faces.
            const double dx = -2.5, dz = 1.25;
            tree.shift(dx, dz);
            for (Poly* f : stored)
                for (Vertex* v : f->getVertices())
                    v->setPosition(v->getPosition() + Sorvex::M3d(dx, 0, dz));
            offsetX += dx;
            offsetZ += dz;
        }
        compare(step);
        if (HasFatalFailure())
            return;
        std::vector<Poly*> hits;
        tree.query(FaceBox(p), &hits);
        overlapsSeen += hits.empty() ? 0 : 1;
    }
    EXPECT_GT(tree.getIndexRoot().getLocalBoxCount(), size_t(150)) << "the faces crowd the root";
    EXPECT_GT(overlapsSeen, 100) << "the faces must overlap for the answers to mean much";

    // A region doubling cannot reach makes the index place every box again.
    tree.grow(FaceBox(0, INFINITY, 0, 1));
    compare(300);
    EXPECT_EQ(stored.size(), tree.getBoxCount());
}

TEST(FaceBSP, FindFirstAnswersTheSameFromTheFlatListAndFromTheTree) {
    // A small index scans its boxes; past FlatScanLimit it walks the tree. Both must
    // name the same first overlapping face, so a net's layout does not depend on its size.
    std::mt19937 rng(3);
    std::uniform_real_distribution<double> pos(0, 10), size(0.2, 2);
    Faces faces;
    FaceBSP tree;
    std::vector<Poly*> probes;
    for (int i = 0; i < 150; ++i) {
        const double x = pos(rng), z = pos(rng);
        probes.push_back(faces.add({{x, z}, {x + size(rng), z}, {x, z + size(rng)}}));
    }
    for (std::size_t i = 0; i < FaceBSP::FlatScanLimit; ++i) {
        const double x = pos(rng), z = pos(rng);
        store(tree, faces.add({{x, z}, {x + size(rng), z + size(rng) / 3}, {x, z + size(rng)}}));
    }
    ASSERT_TRUE(tree.isFlatScan());
    std::vector<Poly*> flatAnswers;
    for (Poly* probe : probes)
        flatAnswers.push_back(tree.findFirst(FaceBox(probe)));
    // A box in a corner of the region overlaps no probe and grows nothing (growing
    // would change the answer order): only the way of searching changes.
    const double x = tree.getMinX() + 0.01, z = tree.getMinZ() + 0.01;
    ASSERT_LT(x, -1.0);
    ASSERT_LT(z, -1.0);
    Poly* corner = faces.add({{x, z}, {x + 0.01, z}, {x, z + 0.01}});
    ASSERT_TRUE(tree.contains(FaceBox(corner)));
    tree.insert(FaceBox(corner));
    ASSERT_FALSE(tree.isFlatScan());
    int hits = 0;
    for (std::size_t i = 0; i < probes.size(); ++i) {
        EXPECT_EQ(flatAnswers[i], tree.findFirst(FaceBox(probes[i]))) << "probe " << i;
        hits += flatAnswers[i] ? 1 : 0;
    }
    EXPECT_GT(hits, 100) << "the probes must mostly hit for the comparison to mean much";
}
