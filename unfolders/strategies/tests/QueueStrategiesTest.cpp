#include <gtest/gtest.h>

#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/BreadthDepthHybridUnfolder.h"
#include "unfolders/strategies/BreadthFirstUnfolder.h"
#include "unfolders/strategies/CrossSectionUnfolder.h"
#include "unfolders/strategies/DepthFirstUnfolder.h"
#include "unfolders/strategies/IntelligentBreadthFirstUnfolder.h"
#include "unfolders/strategies/tests/NetInspection.h"

using namespace testshapes;
using namespace netinspection;
using Order = std::vector<int>;

// The engine's cube and prisms list the walls first (wall i over outline
// edge i), then the top, then the bottom, which is the lowest face and so
// the starting face.

TEST(QueueStrategies, LowestNeighbourTakesTheFirstOfEqualHeights) {
    auto cube = testshapes::prismCube();
    Poly* bottom = cube->getPoly(5);
    EXPECT_EQ(0, BreadthFirstUnfolder::findLowestNeighbor(*bottom)) << "four walls, equal heights";
    Poly* wall = cube->getPoly(2);
    EXPECT_EQ(wall->getNeighborIndex(bottom), BreadthFirstUnfolder::findLowestNeighbor(*wall));
    auto single = oneFace();
    EXPECT_EQ(-1, BreadthFirstUnfolder::findLowestNeighbor(*single->getPoly(0)));
}

TEST(QueueStrategies, OrderOfAttachmentOnTheCube) {
    auto cube = testshapes::prismCube();
    auto* bf = bind<BreadthFirstUnfolder>(*cube);
    bf->unfold();
    EXPECT_TRUE(bf->isDone()) << "six faces fit in one call";
    EXPECT_EQ(Order({5, 0, 1, 2, 3, 4}), placementOrder(*bf));
    EXPECT_EQ(cube->getPoly(0), foldedTo(cube->getPoly(4))) << "the top hangs from wall 0";

    // Depth first follows the walls round from wall 0 through its lowest
    // unplaced neighbour, wall 3, and ends with the top.
    auto cube2 = testshapes::prismCube();
    auto* df = bind<DepthFirstUnfolder>(*cube2);
    df->unfold();
    EXPECT_EQ(Order({5, 0, 3, 2, 1, 4}), placementOrder(*df));
    EXPECT_FALSE(df->isDone()) << "ten iterations: six placed faces still to be emptied";
    runToEnd(*df);
    EXPECT_EQ(size_t(6), df->getPolyCount());
}

TEST(QueueStrategies, HybridExpandsTheLastAttachedNeighbourNext) {
    auto prism = testshapes::prism({{0, 0}, {2, 0}, {3, 1}, {2, 2}, {0, 2}, {-1, 1}}, 1);
    auto* bf = bind<BreadthFirstUnfolder>(*prism);
    runToEnd(*bf);
    EXPECT_EQ(Order({7, 0, 1, 2, 3, 4, 5, 6}), placementOrder(*bf));
    EXPECT_EQ(prism->getPoly(0), foldedTo(prism->getPoly(6)));

    auto prism2 = testshapes::prism({{0, 0}, {2, 0}, {3, 1}, {2, 2}, {0, 2}, {-1, 1}}, 1);
    auto* hybrid = bind<BreadthDepthHybridUnfolder>(*prism2);
    runToEnd(*hybrid);
    EXPECT_EQ(Order({7, 0, 1, 2, 3, 4, 5, 6}), placementOrder(*hybrid));
    EXPECT_EQ(prism2->getPoly(5), foldedTo(prism2->getPoly(6)))
        << "the top hangs from the last wall attached";
}

TEST(QueueStrategies, BudgetsPerCall) {
    auto sphere = meshOf(icosphere(2));
    auto* bf = bind<BreadthFirstWithoutErrorCorrectionUnfolder>(*sphere);
    bf->unfold();
    // Every placed face was queued once, so pops = placed - still queued.
    EXPECT_EQ(size_t(10), bf->getPolyCount() - bf->getQueue().size());

    auto sphere2 = meshOf(icosphere(2));
    auto* df = bind<DepthFirstWithoutErrorCorrectionUnfolder>(*sphere2);
    df->unfold();
    EXPECT_EQ(size_t(11), df->getPolyCount()) << "ten attaching iterations";

    auto sphere3 = meshOf(icosphere(2));
    auto* cs = bind<CrossSectionUnfolder>(*sphere3);
    ASSERT_NE(nullptr, cs->getCurrentFace());
    Poly* start = cs->getCurrentFace();
    cs->unfold();
    EXPECT_EQ(size_t(2), cs->getPolyCount()) << "the ring walk attaches one face per call";
    EXPECT_NE(start, cs->getCurrentFace());
}

TEST(QueueStrategies, OneFaceMeshFinishesAfterOneCall) {
    auto single = oneFace();
    auto* bf = bind<BreadthFirstUnfolder>(*single);
    EXPECT_FALSE(bf->isDone());
    bf->unfold();
    EXPECT_TRUE(bf->isDone());
    EXPECT_EQ(size_t(1), bf->getPolyCount());
}

TEST(QueueStrategies, WithoutErrorCorrectionEveryFaceIsPlaced) {
    for (auto make :
         {&testshapes::lPrism, &testshapes::prismCube, &testshapes::cornerTetrahedron}) {
        auto mesh = make();
        auto* bf = bind<BreadthFirstWithoutErrorCorrectionUnfolder>(*mesh);
        EXPECT_FALSE(bf->getCheckIntersections());
        while (!bf->isDone())
            bf->unfold();
        EXPECT_EQ(mesh->getPolyCount(), bf->getPolyCount());

        auto mesh2 = make();
        auto* df = bind<DepthFirstWithoutErrorCorrectionUnfolder>(*mesh2);
        while (!df->isDone())
            df->unfold();
        EXPECT_EQ(mesh2->getPolyCount(), df->getPolyCount());
    }
}

TEST(QueueStrategies, CrossSectionWalksTheRingThenFallsBackToDepthFirst) {
    auto cube = testshapes::prismCube();
    auto* cs = bind<CrossSectionUnfolder>(*cube);
    // The plane y = 0.5 cuts the four walls; the first of the lowest is wall 0.
    EXPECT_EQ(cube->getPoly(0), cs->getCurrentFace());
    for (int call = 0; call < 3; ++call)
        cs->unfold();
    EXPECT_EQ(Order({0, 3, 2, 1}), placementOrder(*cs)) << "round the ring in edge order";
    cs->unfold();
    EXPECT_EQ(nullptr, cs->getCurrentFace()) << "the ring is closed";
    runToEnd(*cs);
    EXPECT_EQ(size_t(6), cs->getPolyCount());

    // A flat mesh has no face crossing its centre plane: the base's start
    // and then plain depth first.
    auto flat = flatSquare();
    auto* fallback = bind<CrossSectionUnfolder>(*flat);
    EXPECT_EQ(nullptr, fallback->getCurrentFace());
    EXPECT_EQ(size_t(1), fallback->getPolyCount());
    fallback->unfold();
    EXPECT_EQ(size_t(2), fallback->getPolyCount());

    EXPECT_TRUE(CrossSectionUnfolder::testPolyPlane(*cube->getPoly(0), {0, 1, 0}, {0, 1, 0}))
        << "a vertex on the plane counts as above it";
    EXPECT_FALSE(CrossSectionUnfolder::testPolyPlane(*cube->getPoly(4), {0, 1, 0}, {0, 1, 0}));
}

TEST(QueueStrategies, IntelligentBreadthFirstLabelsDepthsAndPrunesSubtrees) {
    auto cube = testshapes::prismCube();
    auto* u = bind<IntelligentBreadthFirstUnfolder>(*cube);
    runToEnd(*u);
    ASSERT_EQ(size_t(6), u->getPolyCount());
    EXPECT_EQ(0, IntelligentBreadthFirstUnfolder::getDepth(cube->getPoly(5)->getTwin()));
    for (int wall = 0; wall < 4; ++wall)
        EXPECT_EQ(1, IntelligentBreadthFirstUnfolder::getDepth(cube->getPoly(wall)->getTwin()));
    EXPECT_EQ(2, IntelligentBreadthFirstUnfolder::getDepth(cube->getPoly(4)->getTwin()));

    // Pruning wall 0 takes the top hanging from it, keeps the shallower
    // bottom and the sibling walls, and hands back the bottom as parent.
    Poly* parent = u->pruneTree(cube->getPoly(0)->getTwin());
    EXPECT_EQ(cube->getPoly(5)->getTwin(), parent);
    EXPECT_EQ(size_t(4), u->getPolyCount());
    EXPECT_EQ(nullptr, cube->getPoly(0)->getTwin()) << "a pruned face can be placed again";
    EXPECT_EQ(nullptr, cube->getPoly(4)->getTwin());
    for (int kept : {1, 2, 3, 5})
        EXPECT_NE(nullptr, cube->getPoly(kept)->getTwin());
}

TEST(QueueStrategies, IntelligentBreadthFirstCompletesTheLPrism) {
    auto mesh = testshapes::lPrism();
    auto* u = bind<IntelligentBreadthFirstUnfolder>(*mesh);
    while (!u->isDone())
        u->unfold();
    for (Poly* f : u->getPolys()) {
        const int depth = IntelligentBreadthFirstUnfolder::getDepth(f);
        EXPECT_EQ(f->getTwin() == mesh->getPoly(7), depth == 0) << "only the start is at depth 0";
    }
    EXPECT_TRUE(u->getQueue().empty());
}
