// Every strategy in the catalogue (the base and every one offered to users) on every
// strategy test shape, so a strategy is checked here the day it is registered.
#include <gtest/gtest.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "scene/Factory.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/SoundNet.h"
#include "tests/support/TestShapes.h"
#include "vorn/core/StrategyCatalogue.h"

using namespace testshapes;

namespace {

/// The base strategy, then every strategy offered to users.
std::vector<Factory*> catalogue() {
    std::vector<Factory*> strategies{Factory::GetFactory("Unfolder")};
    for (const OfferedStrategy& offered : ListOfferedStrategies())
        strategies.push_back(offered.factory);
    return strategies;
}

/// The strongest check of the net: flat, facing down, every face congruent to its source,
/// fold edges shared, the engine's overlaps equal to a brute-force check's, success exactly
/// when the net is sound, and no overlaps at all for strategies that refuse overlapping
/// placements and leave gaps open (filling gaps when done places faces regardless).
void expectSoundNet(Unfolder& u, const std::string& what) {
    const testsupport::NetReport report = testsupport::CheckNet(u);
    EXPECT_TRUE(report.faults.empty()) << what << ":\n" << report.describe();
    // Crest ends its run by placing the first candidate it cannot place over the net.
    const bool endsOnAnOverlap = u.getClassName() == std::string("CrestUnfolder");
    if (u.getCheckIntersections() && !u.allowAutoComplete() && !endsOnAnOverlap) {
        EXPECT_TRUE(report.overlaps.empty())
            << what << ": " << report.overlaps.size() << " overlapping pairs";
    }
    if (u.getSource() && u.getClassName() != "Unfolder") {
        EXPECT_EQ(report.isSound(), u.isSuccesful()) << what;
    }
}

} // namespace

TEST(StrategyInvariants, TheEngineStrategiesAreOffered) {
    for (const char* name :
         {"BreadthFirstUnfolder", "BreadthFirstWithoutErrorCorrectionUnfolder",
          "BreadthDepthHybridUnfolder", "DepthFirstUnfolder",
          "DepthFirstWithoutErrorCorrectionUnfolder", "CrossSectionUnfolder",
          "IntelligentBreadthFirstUnfolder", "LeastHeightUnfolder",
          "LeastHeightWithoutErrorCorrectionUnfolder", "BorderAvoiderUnfolder",
          "CurvatureOrderingUnfolder", "TracerUnfolder", "MultiseedUnfolder",
          "MultipartCurvatureOrderingUnfolder", "UnravelUnfolder", "FastUnravelUnfolder"}) {
        EXPECT_EQ(Factory::GetFactory(name), FindOfferedStrategy(name).factory) << name;
        EXPECT_NE(nullptr, Factory::GetFactory(name)) << name;
    }
    EXPECT_FALSE(Factory::GetFactory("Unfolder")->isOfferedToUsers());
}

TEST(StrategyInvariants, EveryStrategyIsBuiltByNameUnderUnfolder) {
    for (Factory* factory : catalogue()) {
        const std::string name(factory->getClassName());
        EXPECT_TRUE(factory->isListedUnder("Unfolder")) << name;
        std::unique_ptr<Factorable> built(Factory::BuildObj(name));
        auto* u = dynamic_cast<Unfolder*>(built.get());
        ASSERT_NE(nullptr, u) << name;
        EXPECT_EQ(name, std::string(u->getClassName()));
        // These lay whole nets at once and judge (or show) their overlaps afterwards.
        const bool judgesAfter = std::set<std::string>{
            "SteepestAscentUnfolder", "CollisionRepairUnfolder", "RandomCutUnfolder",
            "SpannedUnfolder",        "EvolvingUnfolder",        "ManualUnfolder",
            "TruncationUnfolder",     "OutwardFacingUnfolder"}.count(name) > 0;
        const bool checks =
            name.find("WithoutErrorCorrection") == std::string::npos && !judgesAfter;
        EXPECT_EQ(checks, u->getCheckIntersections()) << name;
    }
}

TEST(StrategyInvariants, EveryStrategyFinishesWithASoundNetCompleteWhenOffered) {
    for (const NamedShape& shape : strategyShapes()) {
        for (Factory* factory : catalogue()) {
            const std::string what = std::string(factory->getClassName()) + " on " + shape.name;
            auto mesh = shape.make();
            ASSERT_GT(mesh->getPolyCount(), size_t(0)) << what;
            auto* u = dynamic_cast<Unfolder*>(factory->newInstance());
            ASSERT_NE(nullptr, u) << what;
            ASSERT_TRUE(u->setParent(mesh.get())) << what;
            ASSERT_TRUE(runToEnd(*u)) << what;
            // The searches refuse shapes with more candidates than their limit, and say so.
            if (u->getCandidateLimit() > 0) {
                EXPECT_EQ(u->getCandidateEstimate() > u->getCandidateLimit(),
                          !u->getRefusal().empty())
                    << what;
            }
            if (factory->getClassName() == std::string("EvolvingUnfolder")) {
                // Shows the gathered faces in place rather than a net, and judges nothing.
                EXPECT_FALSE(u->isSuccesful()) << what;
                continue;
            }
            // The base places its starting face only; the strategies place every face,
            // except the quick random cuts, which show a refused tree as it was laid.
            // A search refused for having too many candidates is done at once with the
            // starting face only.
            // The fast unravel follows one chain and stops at its end. The alpha-beta cuts
            // refuse overlapping faces too and end failed when no vertex is left to expand.
            const bool followsOneChain =
                factory->getClassName() == std::string("FastUnravelUnfolder");
            const bool mayStopShort =
                (factory->isListedUnder("RandomCutUnfolder") && u->getCheckIntersections()) ||
                !u->getRefusal().empty() || followsOneChain ||
                (factory->getClassName() == std::string("AlphaBetaUnfolder") &&
                 !u->isSuccesful()) ||
                factory->getClassName() == std::string("CrestUnfolder");
            if (factory->isOfferedToUsers() && !mayStopShort) {
                EXPECT_EQ(mesh->getPolyCount(), u->getPolyCount()) << what;
            }
            // A chain ended by a refusal shows the refused face, untwinned, with its overlaps.
            if (followsOneChain && !u->getPolys().empty() && !u->getPolys().back()->getTwin()) {
                EXPECT_FALSE(u->getConflicts().isEmpty()) << what;
                EXPECT_FALSE(u->isSuccesful()) << what;
                continue;
            }
            expectSoundNet(*u, what);
        }
    }
}
