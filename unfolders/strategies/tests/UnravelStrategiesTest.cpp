// The unravel strategies: the preferred direction, the order of placement worked out
// by hand on the prism cube, the fast chain's stop at a refusal, and their nets on
// solids and real models.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "common/StatusLine.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/SoundNet.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/FastUnravelUnfolder.h"
#include "unfolders/strategies/UnravelUnfolder.h"
#include "unfolders/strategies/support/UnravelDirection.h"
#include "unfolders/strategies/tests/NetInspection.h"
#include "unfolders/strategies/tests/TestModels.h"

using namespace testshapes;
using namespace netinspection;
using Sorvex::M3d;
using Order = std::vector<int>;

namespace {

void expectNear(const M3d& expected, const M3d& actual, const std::string& what) {
    EXPECT_NEAR(expected.x(), actual.x(), 1e-12) << what;
    EXPECT_NEAR(expected.y(), actual.y(), 1e-12) << what;
    EXPECT_NEAR(expected.z(), actual.z(), 1e-12) << what;
}

} // namespace

TEST(UnravelStrategies, PreferredDirectionDescendsWithATwist) {
    auto cube = prismCube();
    // Bottom face 5, normal (0, -1, 0): vertical, so the reference is (0, 0, 1) and the
    // twist (0, 0, 1) x (0, -1, 0) = (1, 0, 0) does not vanish.
    expectNear(M3d(1, 0, 5) * (1 / std::sqrt(26.0)), UnravelDirection(*cube->getPoly(5)), "bottom");
    // Wall 2 (z = 1), normal (0, 0, 1): the reference stays (0, -1, 0) and the twist
    // (0, -1, 0) x (0, 0, 1) = (-1, 0, 0) turns the band sideways round the prism.
    expectNear(M3d(-1, -5, 0) * (1 / std::sqrt(26.0)), UnravelDirection(*cube->getPoly(2)), "wall");

    // 17 degrees from vertical (|n . r| = 0.956) still counts as vertical, 19 (0.946) not.
    MeshData d;
    const double a17 = 17 * M_PI / 180, a19 = 19 * M_PI / 180;
    d.vertices = {{0, 0, 0}, {1, 0, 0}, {0, std::tan(a17), 1}, {0, std::tan(a19), 1}};
    d.faces = {{0, 2, 1}, {0, 3, 1}};
    auto tilted = meshOf(d);
    const M3d steep = UnravelDirection(*tilted->getPoly(0));
    const M3d shallow = UnravelDirection(*tilted->getPoly(1));
    EXPECT_GT(steep.z(), 0.9) << "reference (0, 0, 1)";
    EXPECT_LT(shallow.y(), -0.9) << "reference (0, -1, 0)";
}

TEST(UnravelStrategies, PlacementOrderOnThePrismCube) {
    // Start: the bottom 5 (lowest centre), d = (1, 0, 5)/sqrt 26. Its neighbours by
    // preference: wall 2 (+0.69), wall 1 (+0.14), wall 3 (-0.14), wall 0 (-0.69): 2.
    // From wall 2, d = (-1, -5, 0)/sqrt 26: wall 3 (+0.14) before wall 1 and the top: 3.
    // From wall 3, d = (0, -5, -1)/sqrt 26: wall 0 (+0.14) before the top: 0.
    // From wall 0, d = (1, -5, 0)/sqrt 26: wall 1 (+0.14) before the top: 1.
    // From wall 1 only the top is left: 4. The band of walls winds round the prism.
    for (bool fast : {false, true}) {
        auto cube = prismCube();
        Unfolder* u = fast ? static_cast<Unfolder*>(bind<FastUnravelUnfolder>(*cube))
                           : static_cast<Unfolder*>(bind<UnravelUnfolder>(*cube));
        ASSERT_TRUE(runToEnd(*u));
        EXPECT_EQ(Order({5, 2, 3, 0, 1, 4}), placementOrder(*u)) << (fast ? "fast" : "unravel");
        EXPECT_EQ(cube->getPoly(1), foldedTo(cube->getPoly(4)));
        EXPECT_TRUE(u->isSuccesful());
    }

    // The unravel takes one step per call: the wall, then each face backs out.
    auto cube = prismCube();
    auto* u = bind<UnravelUnfolder>(*cube);
    u->unfold();
    EXPECT_EQ(Order({5, 2}), placementOrder(*u));
    EXPECT_EQ(cube->getPoly(2), u->getQueue().front());
    EXPECT_EQ(size_t(2), u->getQueue().size());
}

TEST(UnravelStrategies, FastChainStopsAtTheFirstRefusalAndShowsIt) {
    // Laid out from the bottom, the L-prism's notch walls collide somewhere along the
    // chain or the chain ends at a dead end; either way it ends, never fills gaps, and
    // a refused face is shown untwinned with its overlap recorded.
    auto mesh = lPrism();
    auto* u = bind<FastUnravelUnfolder>(*mesh);
    ASSERT_TRUE(runToEnd(*u));
    EXPECT_EQ(nullptr, u->getCurrentFace());
    int untwinned = 0;
    for (Poly* f : u->getPolys())
        untwinned += f->getTwin() ? 0 : 1;
    EXPECT_LE(untwinned, 1);
    if (untwinned == 1) {
        EXPECT_FALSE(u->getConflicts().isEmpty());
        EXPECT_FALSE(u->isSuccesful());
    }
    // The index starts as the square of side 20000 round the origin.
    auto cube = prismCube();
    auto* f = bind<FastUnravelUnfolder>(*cube);
    EXPECT_EQ(-10000.0, f->getFaceBoxTree().getMinX());
    EXPECT_EQ(10000.0, f->getFaceBoxTree().getMaxZ());
}

TEST(UnravelStrategies, CompleteNetsAreSoundOnSolidsAndRealModels) {
    std::vector<std::pair<std::string, std::unique_ptr<PolyMesh>>> meshes;
    meshes.emplace_back("tetrahedron", meshOf(tetrahedron()));
    meshes.emplace_back("cube", meshOf(cube()));
    meshes.emplace_back("octahedron", meshOf(octahedron()));
    meshes.emplace_back("icosahedron", meshOf(unitIcosahedron()));
    meshes.emplace_back("torus", meshOf(torus(8, 12)));
    for (const char* file : {"cross-part.off", "letter-o.off", "channel-bracket.off"})
        meshes.emplace_back(file, loadTestModel(file));
    for (auto& [name, mesh] : meshes) {
        for (bool fast : {false, true}) {
            const std::string what = name + (fast ? " (fast)" : "");
            Unfolder* u = fast ? static_cast<Unfolder*>(bind<FastUnravelUnfolder>(*mesh))
                               : static_cast<Unfolder*>(bind<UnravelUnfolder>(*mesh));
            ASSERT_TRUE(runToEnd(*u)) << what;
            const testsupport::NetReport report = testsupport::CheckNet(*u);
            const bool refusedShown =
                fast && !u->getPolys().empty() && !u->getPolys().back()->getTwin();
            // The unravel fills the gaps it left (overlapping, as they may); the fast
            // one does not, and its chain never overlaps itself.
            if (!refusedShown) {
                EXPECT_TRUE(report.faults.empty()) << what << "\n" << report.describe();
                EXPECT_EQ(report.isSound(), u->isSuccesful()) << what;
            }
            if (fast && !refusedShown) {
                EXPECT_TRUE(report.overlaps.empty()) << what;
            }
            delete u;
        }
    }
}

TEST(UnravelStrategies, OpenMeshesAndSeveralComponentsEndCleanly) {
    auto box = openBox();
    auto* u = bind<UnravelUnfolder>(*box);
    ASSERT_TRUE(runToEnd(*u, 1000));
    EXPECT_EQ(box->getPolyCount(), u->getPolyCount());
    auto box2 = openBox();
    auto* f = bind<FastUnravelUnfolder>(*box2);
    ASSERT_TRUE(runToEnd(*f, 1000));

    // Only the starting face's component can be reached; the run still ends.
    auto two = meshOf(twoTetrahedra());
    auto* t = bind<UnravelUnfolder>(*two);
    ASSERT_TRUE(runToEnd(*t, 1000));
    EXPECT_EQ(size_t(4), t->getPolyCount());
    EXPECT_FALSE(t->isSuccesful());
    auto two2 = meshOf(twoTetrahedra());
    auto* tf = bind<FastUnravelUnfolder>(*two2);
    ASSERT_TRUE(runToEnd(*tf, 1000));
    EXPECT_LE(tf->getPolyCount(), size_t(4));

    // Unbound, both are done at once and place nothing.
    UnravelUnfolder unbound;
    EXPECT_TRUE(unbound.isDone());
    FastUnravelUnfolder unboundFast;
    EXPECT_TRUE(unboundFast.isDone());
}
