#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "scene/Factory.h"
#include "unfolders/engine/tests/TestMeshes.h"
#include "unfolders/strategies/tests/StrategyTestMeshes.h"

using namespace strategymeshes;
using Sorvex::M3d;

namespace {

const char* const StrategyNames[] = {
    "BreadthFirstUnfolder",
    "BreadthFirstWithoutErrorCorrectionUnfolder",
    "BreadthDepthHybridUnfolder",
    "DepthFirstUnfolder",
    "DepthFirstWithoutErrorCorrectionUnfolder",
    "CrossSectionUnfolder",
    "IntelligentBreadthFirstUnfolder",
    "LeastHeightUnfolder",
    "LeastHeightWithoutErrorCorrectionUnfolder",
    "BorderAvoiderUnfolder",
    "CurvatureOrderingUnfolder",
};

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

TEST(StrategyInvariants, EveryStrategyIsBuiltByNameUnderUnfolder) {
    for (const char* name : StrategyNames) {
        Factory* factory = Factory::GetFactory(name);
        ASSERT_NE(nullptr, factory) << name;
        EXPECT_TRUE(factory->isListedUnder("Unfolder")) << name;
        std::unique_ptr<Factorable> built(Factory::BuildObj(name));
        auto* u = dynamic_cast<Unfolder*>(built.get());
        ASSERT_NE(nullptr, u) << name;
        EXPECT_EQ(name, std::string(u->getClassName()));
        const bool checks = std::string(name).find("WithoutErrorCorrection") == std::string::npos;
        EXPECT_EQ(checks, u->getCheckIntersections()) << name;
    }
}

TEST(StrategyInvariants, EveryStrategyFinishesWithACompleteSoundNet) {
    const std::vector<std::pair<std::string, std::function<std::unique_ptr<PolyMesh>()>>> meshes = {
        {"cube", [] { return testmeshes::cube(); }},
        {"icosahedron", [] { return fromData(icosahedronData()); }},
        {"random convex", [] { return randomConvex(3, 40); }},
        {"L-prism", [] { return testmeshes::lPrism(); }},
    };
    for (const auto& [meshName, make] : meshes) {
        for (const char* name : StrategyNames) {
            const std::string what = std::string(name) + " on " + meshName;
            auto mesh = make();
            ASSERT_GE(mesh->getPolyCount(), size_t(6)) << what;
            auto* u = dynamic_cast<Unfolder*>(Factory::BuildObj(name));
            ASSERT_NE(nullptr, u);
            ASSERT_TRUE(u->setParent(mesh.get()));
            ASSERT_TRUE(runToEnd(*u)) << what;
            EXPECT_EQ(mesh->getPolyCount(), u->getPolyCount()) << what;
            expectSoundNet(*u, what);
        }
    }
}
