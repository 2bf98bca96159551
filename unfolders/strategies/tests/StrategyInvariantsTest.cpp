// Every strategy in the catalogue (the base and every one offered to users) on every
// strategy test shape, so a strategy is checked here the day it is registered.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "scene/Factory.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "vorn/core/StrategyCatalogue.h"

using namespace testshapes;
using Sorvex::M3d;

namespace {

/// The base strategy, then every strategy offered to users.
std::vector<Factory*> catalogue() {
    std::vector<Factory*> strategies{Factory::GetFactory("Unfolder")};
    for (const OfferedStrategy& offered : ListOfferedStrategies())
        strategies.push_back(offered.factory);
    return strategies;
}

/// Every net face faces down; neighbouring net faces share the vertex
/// objects of their common edge and are the net images of neighbouring
/// source faces.
void expectSoundNet(Unfolder& u, const std::string& what) {
    for (Poly* f : u.getPolys()) {
        EXPECT_EQ(M3d(0, -1, 0), f->getNormal()) << what;
        Poly* src = f->getTwin();
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Poly* g = f->getNeighbor(i);
            if (!g)
                continue;
            EXPECT_GE(g->getVertexIndex(f->getVertex(i)), 0) << what;
            EXPECT_GE(g->getVertexIndex(f->getVertex(i + 1)), 0) << what;
            if (src && g->getTwin()) {
                EXPECT_EQ(src->getNeighbor(i), g->getTwin()) << what;
            }
        }
    }
}

} // namespace

TEST(StrategyInvariants, TheEngineStrategiesAreOffered) {
    for (const char* name : {"BreadthFirstUnfolder", "BreadthFirstWithoutErrorCorrectionUnfolder",
                             "BreadthDepthHybridUnfolder", "DepthFirstUnfolder",
                             "DepthFirstWithoutErrorCorrectionUnfolder", "CrossSectionUnfolder",
                             "IntelligentBreadthFirstUnfolder", "LeastHeightUnfolder",
                             "LeastHeightWithoutErrorCorrectionUnfolder", "BorderAvoiderUnfolder",
                             "CurvatureOrderingUnfolder"}) {
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
        const bool checks = name.find("WithoutErrorCorrection") == std::string::npos;
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
            // The base places its starting face only; the strategies place every face.
            if (factory->isOfferedToUsers()) {
                EXPECT_EQ(mesh->getPolyCount(), u->getPolyCount()) << what;
            }
            expectSoundNet(*u, what);
        }
    }
}
