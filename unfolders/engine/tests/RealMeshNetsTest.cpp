#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "scene/Factory.h"
#include "scene/loaders/OffParser.h"
#include "tests/support/DataModels.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/SoundNet.h"
#include "tests/support/TestShapes.h"
#include "unfolders/engine/tests/TestUnfolder.h"
#include "unfolders/engine/tests/UnfolderTestUtil.h"

using testsupport::CheckNet;
using testsupport::NetReport;

namespace {

/// Every strategy the library registers, by class name.
std::vector<std::string> strategyNames() {
    std::vector<std::string> names;
    // The evolving unfolder shows the faces it gathers in place, not a net.
    for (Factory* f : Factory::GetFactoryList())
        if (f->isListedUnder("Unfolder") && f->getClassName() != "Unfolder" &&
            f->getClassName() != "EvolvingUnfolder")
            names.emplace_back(f->getClassName());
    return names;
}

/// Index of a source face in the mesh's face order.
Poly* face(PolyMesh& mesh, int i) {
    return mesh.getPoly(size_t(i));
}

} // namespace

TEST(RealMeshNets, EveryStrategyLaysAFlatRigidNetWhoseOverlapsTheCheckerConfirms) {
    const std::vector<std::pair<std::string, std::function<std::unique_ptr<PolyMesh>()>>> meshes = {
        {"cross part", [] { return testshapes::dataModel("cross-part.off"); }},
        {"letter O", [] { return testshapes::dataModel("letter-o.off"); }},
        {"channel bracket", [] { return testshapes::dataModel("channel-bracket.off"); }},
        {"two parts", [] { return testshapes::dataModel("two-parts.off"); }},
        {"cube", [] { return testshapes::meshOf(testshapes::cube()); }},
        {"icosahedron", [] { return testshapes::meshOf(testshapes::icosahedron()); }},
        {"random convex", [] { return testshapes::randomConvex(5, 30); }},
    };
    const std::vector<std::string> names = strategyNames();
    int vouched = 0; // nets whose overlaps the index vouched for without a search
    for (const auto& [meshName, make] : meshes) {
        for (const std::string& name : names) {
            const std::string what = name + " on " + meshName;
            auto mesh = make();
            auto* u = dynamic_cast<Unfolder*>(Factory::BuildObj(name));
            ASSERT_NE(nullptr, u) << what;
            ASSERT_TRUE(u->setParent(mesh.get()));
            ASSERT_TRUE(testshapes::runToEnd(*u)) << what;
            // The fast unravel ends at its first refusal and shows the refused face,
            // untwinned, with its overlaps.
            if (name == "FastUnravelUnfolder" && !u->getPolys().empty() &&
                !u->getPolys().back()->getTwin()) {
                EXPECT_FALSE(u->getConflicts().isEmpty()) << what;
                EXPECT_FALSE(u->isSuccesful()) << what;
                continue;
            }
            const NetReport report = CheckNet(*u);
            EXPECT_TRUE(report.faults.empty()) << what << ":\n" << report.describe();
            EXPECT_EQ(report.overlaps.empty() && report.complete, u->isSuccesful()) << what;
            const FaceBSP& index = u->getFaceBoxTree();
            if (index.isPairwiseClear() && index.getStoredCount() == u->getPolyCount()) {
                ++vouched;
                EXPECT_TRUE(report.overlaps.empty()) << what;
                for (Poly* f : u->getPolys())
                    EXPECT_FALSE(index.query(FaceBox(f))) << what;
            }
        }
    }
    EXPECT_GT(vouched, 20) << "the growth strategies check every face as it joins";
}

TEST(RealMeshNets, FacesFoldedAgainstANonConvexNeighbourStayInTheNetPlane) {
    // The U end face's centre lies in the notch, on the far side of the notch
    // floor's hinge: the floor must still turn down into the net plane.
    auto mesh = testshapes::dataModel("channel-bracket.off");
    auto* u = new TestUnfolder;
    u->setParent(mesh.get());
    u->setCheckIntersections(false);
    Graph<Poly*> tree = testmeshes::breadthFirstTree(*mesh, u->getUnfoldingRoot()->getTwin());
    Tree<Poly*> faceTree(tree, u->getUnfoldingRoot()->getTwin());
    ASSERT_TRUE(u->unfoldToNet(faceTree));
    const NetReport report = CheckNet(*u);
    EXPECT_TRUE(report.faults.empty()) << report.describe();
    EXPECT_TRUE(report.complete);
}

TEST(RealMeshNets, CoincidentWallsMakeANetFail) {
    // Laid down from the two bottom hexagons, the four walls of the hole all
    // cover the hole exactly: no edge crosses another, yet they overlap.
    auto mesh = testshapes::dataModel("letter-o.off");
    auto* u = new TestUnfolder;
    u->stepsUntilDone = 1;
    u->setParent(mesh.get());
    u->setCheckIntersections(false);
    Poly* first = u->getUnfoldingRoot()->getTwin();
    Poly* other = face(*mesh, first == face(*mesh, 10) ? 11 : 10);
    ASSERT_EQ(other, u->unfoldFromEdge(*first, first->getNeighborIndex(other)));
    for (int wall = 4; wall < 8; ++wall) {
        Poly* inner = face(*mesh, wall);
        Poly* bottom = inner->getNeighborIndex(first) >= 0 ? first : other;
        ASSERT_EQ(inner, u->unfoldFromEdge(*bottom, bottom->getNeighborIndex(inner))) << wall;
    }
    EXPECT_TRUE(u->findConflicts());
    EXPECT_EQ(size_t(6), u->getConflicts().getEdgeCount()) << "every two of the four walls";
    const NetReport report = CheckNet(*u);
    EXPECT_TRUE(report.faults.empty()) << report.describe();
    EXPECT_EQ(size_t(6), report.overlaps.size());

    // With the check on, a strategy never places a wall on another.
    auto again = testshapes::dataModel("letter-o.off");
    auto* strategy = dynamic_cast<Unfolder*>(Factory::BuildObj("BreadthFirstUnfolder"));
    strategy->setParent(again.get());
    ASSERT_TRUE(testshapes::runToEnd(*strategy));
    EXPECT_EQ(CheckNet(*strategy).isSound(), strategy->isSuccesful());
}
