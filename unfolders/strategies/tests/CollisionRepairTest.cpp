// Steepest ascent and collision repair: the cut forest, finishing at once on
// convex shapes, repairs never leaving more overlaps, and clean ends on bad input.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "tests/support/RunStrategy.h"
#include "tests/support/SoundNet.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/CollisionRepairUnfolder.h"

using namespace testshapes;

namespace {

size_t overlapPairs(Unfolder& u) {
    return u.getConflicts().getEdgeCount();
}

} // namespace

TEST(SteepestAscent, CutsEveryVertexButTheLocalMaximaToAHigherNeighbour) {
    auto mesh = meshOf(unitIcosahedron());
    auto* u = bind<SteepestAscentUnfolder>(*mesh);
    const auto& sorted = u->getSortedVertices();
    ASSERT_EQ(mesh->getVertices().size(), sorted.size());
    int maxima = 0;
    for (Vertex* v : sorted) {
        Vertex* up = u->findHighestNeighbor(v);
        if (!up) {
            ++maxima;
            continue;
        }
        EXPECT_GT(u->score(up), u->score(v));
        EXPECT_FALSE(u->isLess(up, v));
    }
    // A convex solid has one local maximum: its highest vertex.
    EXPECT_EQ(1, maxima);
    EXPECT_EQ(nullptr, u->findHighestNeighbor(sorted.back()));
    ASSERT_TRUE(runToEnd(*u));
    Graph<Vertex*>& cut = u->getCutGraph();
    EXPECT_EQ(sorted.size() - 1, cut.getEdgeCount());
    EXPECT_FALSE(cut.hasCycle());
}

TEST(SteepestAscent, OrdersTiesByZThenKeepsTheMeshOrder) {
    SteepestAscentUnfolder u;
    Vertex a(Sorvex::M3d(1, 0, 2)), b(Sorvex::M3d(1, 0, 1)), c(Sorvex::M3d(0, 0, 5));
    EXPECT_TRUE(u.isLess(&b, &a));
    EXPECT_TRUE(u.isLess(&c, &b));
    EXPECT_FALSE(u.isLess(&a, &a));
}

TEST(CollisionRepair, ConvexShapesFinishWithSuccessAtTheFirstLayout) {
    for (auto make : {prismCube, +[] { return meshOf(unitIcosahedron()); }}) {
        auto mesh = make();
        auto* steep = bind<SteepestAscentUnfolder>(*mesh);
        ASSERT_TRUE(runToEnd(*steep));
        if (!overlapPairs(*steep)) {
            // A source face is twinned with one net face: a second strategy needs its own mesh.
            auto again = make();
            auto* repair = bind<CollisionRepairUnfolder>(*again);
            ASSERT_TRUE(runToEnd(*repair));
            EXPECT_TRUE(repair->isSuccesful());
            EXPECT_EQ(0, repair->getRepairCount());
        }
    }
}

TEST(CollisionRepair, NeverLeavesMoreOverlapsThanSteepestAscent) {
    int repaired = 0;
    for (unsigned seed = 1; seed <= 8; ++seed) {
        auto mesh = randomConvex(seed, 60 + 10 * int(seed));
        const std::string what = "random convex " + std::to_string(seed);
        auto* steep = bind<SteepestAscentUnfolder>(*mesh);
        ASSERT_TRUE(runToEnd(*steep)) << what;
        auto again = randomConvex(seed, 60 + 10 * int(seed));
        auto* repair = bind<CollisionRepairUnfolder>(*again);
        ASSERT_TRUE(runToEnd(*repair)) << what;
        EXPECT_LE(overlapPairs(*repair), overlapPairs(*steep)) << what;
        EXPECT_EQ(repair->isSuccesful(), overlapPairs(*repair) == 0) << what;
        const testsupport::NetReport report = testsupport::CheckNet(*repair);
        EXPECT_TRUE(report.faults.empty()) << what << ":\n" << report.describe();
        repaired += overlapPairs(*steep) > 0 && repair->isSuccesful();
    }
    RecordProperty("RepairedFromOverlapping", repaired);
}

TEST(CollisionRepair, BadInputEndsCleanly) {
    const MeshData two = twoTetrahedra();
    std::unique_ptr<PolyMesh> meshes[] = {oneFace(), openBox(), meshOf(two), lPrism(),
                                          meshOf(torus(6, 8))};
    for (auto& mesh : meshes) {
        auto* u = bind<CollisionRepairUnfolder>(*mesh);
        ASSERT_TRUE(runToEnd(*u, 20000));
        EXPECT_EQ(mesh->getPolyCount(), u->getPolyCount());
        EXPECT_EQ(u->isSuccesful(), !u->hasGivenUp() && overlapPairs(*u) == 0);
    }
}
