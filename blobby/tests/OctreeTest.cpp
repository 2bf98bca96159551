#include "blobby/Octree.h"
#include "blobby/Force.h"
#include "blobby/OctreeCases.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

using Sorvex::M3d;

namespace {

using Triangle = std::array<int, 3>;

std::vector<Triangle> caseTriangles(int flags) {
    std::vector<Triangle> out;
    for (const auto& t : OctreeFaceVertices()[flags])
        if (t[0] >= 0)
            out.push_back({t[0], t[1], t[2]});
    return out;
}

// A linear field, 0.5 on the plane x = 0.3 and larger below it.
struct PlaneField : Force {
    int calls = 0;
    double F(M3d& p) override {
        ++calls;
        return 0.8 - p.x();
    }
};

struct Recorder : OctreeTracker {
    std::vector<Octree*> tracked;
    void track(Octree* cell) override { tracked.push_back(cell); }
};

} // namespace

TEST(OctreeCasesTest, StatedCasesAndCounts) {
    EXPECT_EQ((std::vector<Triangle>{{0, 3, 4}}), caseTriangles(1));
    EXPECT_EQ((std::vector<Triangle>{{4, 3, 0}}), caseTriangles(254));
    EXPECT_EQ((std::vector<Triangle>{{5, 1, 3}, {5, 3, 4}}), caseTriangles(3));
    EXPECT_EQ((std::vector<Triangle>{{5, 6, 2}, {5, 2, 3}, {5, 3, 4}}), caseTriangles(7));
    EXPECT_EQ((std::vector<Triangle>{{5, 6, 7}, {5, 7, 4}}), caseTriangles(15));
    EXPECT_EQ((std::vector<Triangle>{{8, 9, 1}, {8, 1, 0}, {10, 11, 3}, {10, 3, 2}}),
              caseTriangles(90));
    EXPECT_EQ((std::vector<Triangle>{{2, 6, 1}, {11, 4, 8}}), caseTriangles(123));
    for (int k : {123, 183, 222, 237}) {
        auto reversed = caseTriangles(255 - k);
        for (auto& t : reversed)
            std::swap(t[1], t[2]);
        EXPECT_EQ(reversed, caseTriangles(k)) << "case " << k;
    }
    int histogram[6] = {};
    for (int k = 0; k < 256; ++k)
        ++histogram[caseTriangles(k).size()];
    EXPECT_EQ(2, histogram[0]);
    EXPECT_EQ(16, histogram[1]);
    EXPECT_EQ(50, histogram[2]);
    EXPECT_EQ(80, histogram[3]);
    EXPECT_EQ(76, histogram[4]);
    EXPECT_EQ(32, histogram[5]);
}

TEST(OctreeTest, ListOrderKeepsLevelsAscendingAndCoarseCellsFirst) {
    Octree root(M3d(0, 0, 0), M3d(1, 1, 1), nullptr);
    Octree l1(M3d(0, 0, 0), M3d(1, 1, 1), &root);
    Octree l2(M3d(0, 0, 0), M3d(1, 1, 1), &l1);
    Octree l3(M3d(0, 0, 0), M3d(1, 1, 1), &l2);
    Octree l4(M3d(0, 0, 0), M3d(1, 1, 1), &l3);
    Octree::SetDefaultMinLevel(1);
    OctreeTracker::CellList list;
    l2.ListThyself(list);
    l4.ListThyself(list);
    l3.ListThyself(list);
    l3.ListThyself(list);
    root.ListThyself(list);
    EXPECT_EQ((OctreeTracker::CellList{&root, &l2, &l3, &l4}), list);
    l3.UnlistThyself(list);
    EXPECT_FALSE(l3.isListed());
    EXPECT_EQ((OctreeTracker::CellList{&root, &l2, &l4}), list);
    Octree::SetDefaultMinLevel(0);
    list.clear();
}

TEST(OctreeTest, GoalsTakenByClosedBoxesAndFreedOnce) {
    Octree root(M3d(0, 0, 0), M3d(1, 1, 1), nullptr);
    auto* onFace = new RefCountedVector(M3d(0, 0.5, 0.5));
    EXPECT_TRUE(root.PerhapsAddGoal(onFace));
    auto* outside = new RefCountedVector(M3d(2, 0, 0));
    EXPECT_FALSE(root.PerhapsAddGoal(outside));
    delete outside;
    PlaneField field;
    Recorder tracker;
    root.Reduce(field, tracker);
    // The goal lies on the x = 0 face between children: both sides take it.
    EXPECT_EQ(3u, onFace->getUsers().size()) << "root and the two children at +y, +z";
    EXPECT_TRUE(root.isReduced());
    // Destroying the root releases each shared vertex exactly once (sanitizer build).
}

TEST(OctreeTest, EdgeVerticesAreSharedAndFieldSamplesCached) {
    Octree root(M3d(0, 0, 0), M3d(1, 1, 1), nullptr);
    PlaneField field;
    Recorder tracker;
    root.Reduce(field, tracker);
    EXPECT_EQ(27, field.calls) << "the root knows no corner value";
    for (int k = 0; k < 8; ++k) {
        Octree* child = root.GetChild(k);
        ASSERT_NE(nullptr, child);
        constexpr int Opposite[6] = {1, 0, 4, 5, 2, 3};
        int siblings = 0;
        for (int d = 0; d < 6; ++d) {
            if (Octree* n = child->GetNeighbor(d)) {
                ++siblings;
                EXPECT_EQ(child, n->GetNeighbor(Opposite[d])) << "child " << k << " dir " << d;
            }
        }
        EXPECT_EQ(3, siblings) << "each child touches three siblings";
    }
    // The x = 0.3 plane cuts the x edges of the +x children; a vertex shared by two
    // face neighbours is one object.
    Octree* a = root.GetChild(3); // (+x, -y, -z)
    Octree* b = root.GetChild(4); // (+x, +y, -z), above a
    ASSERT_EQ(b, a->GetNeighbor(1));
    // Edge 7 of a (corners 3-4, x = +1) is not crossed; edge 3 (corners 3-0) lies at y=-1.
    // Edge 11 of a (corners 4-7, y = +1 side, z = -1) is edge 3 of b.
    ASSERT_NE(nullptr, a->GetEdge(11));
    EXPECT_EQ(a->GetEdge(11), b->GetEdge(3));
    EXPECT_NEAR(0.3, a->GetEdge(11)->x(), 1e-12);

    // Reducing a child reuses the parent's lattice and the neighbours' values.
    field.calls = 0;
    a->Reduce(field, tracker);
    EXPECT_EQ(19, field.calls) << "27 lattice points less the 8 known corners";
    field.calls = 0;
    b->Reduce(field, tracker);
    EXPECT_EQ(19 - 9 + 4, field.calls) << "the shared face's 9 points come from a";
}

TEST(OctreeTest, ExactHalfCountsAsInside) {
    struct Constant : Force {
        double F(M3d& p) override { return p.x() < 0 ? 0.5 : 0.49; }
    } field;
    Octree root(M3d(0, 0, 0), M3d(1, 1, 1), nullptr);
    Recorder tracker;
    root.Reduce(field, tracker);
    Octree* child = root.GetChild(0); // x from -1 to 0: corners at x = 0 are 0.49
    EXPECT_EQ(0x01 | 0x02 | 0x40 | 0x80, child->GetCornerFlags());
    // Edge 3 runs from corner 3 (x = 0, 0.49) to corner 0 (x = -1, 0.5): vertex at corner 0.
    ASSERT_NE(nullptr, child->GetEdge(3));
    EXPECT_NEAR(-1.0, child->GetEdge(3)->x(), 1e-12);
    Octree quiet(M3d(0, 0, 0), M3d(1, 1, 1), nullptr);
    for (int k = 0; k < 8; ++k)
        quiet.SetVal(k, 0.7);
    quiet.CalculateEdges(tracker);
    EXPECT_EQ(0, quiet.GetNumFaces());
    EXPECT_FALSE(quiet.IsInteresting());
}

TEST(OctreeTest, RefiningASphereSamplesEachPointOnce) {
    struct Sphere : Force {
        std::map<std::tuple<long, long, long>, int> seen;
        double F(M3d& p) override {
            // Points lie on a grid of spacing 2^-6; rounding names each exactly.
            ++seen[{std::lround(p.x() * 64), std::lround(p.y() * 64), std::lround(p.z() * 64)}];
            return 1.0 - p.length() / 1.5;
        }
    } field;
    struct Queue : OctreeTracker {
        std::vector<Octree*> cells;
        void track(Octree* cell) override {
            if (cell->GetLevel() < 5)
                cells.push_back(cell);
        }
    } queue;
    Octree root(M3d(0, 0, 0), M3d(2, 2, 2), nullptr);
    root.Reduce(field, queue);
    for (size_t i = 0; i < queue.cells.size(); ++i)
        queue.cells[i]->Reduce(field, queue);
    int repeats = 0;
    for (const auto& [point, count] : field.seen)
        repeats += count - 1;
    EXPECT_EQ(0, repeats) << "of " << field.seen.size() << " points";
}
