#include <gtest/gtest.h>

#include <cmath>
#include <deque>
#include <fstream>
#include <functional>
#include <set>
#include <sstream>

#include "common/StatusLine.h"
#include "scene/SceneRoot.h"
#include "scene/loaders/OffParser.h"
#include "tests/support/DataModels.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/SoundNet.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/BorderAvoiderUnfolder.h"
#include "unfolders/strategies/RegionUnfolder.h"
#include "unfolders/strategies/regions/CRegionShellSettings.h"
#include "unfolders/strategies/regions/Region.h"
#include "unfolders/strategies/regions/RegionShell.h"

using namespace testshapes;
using Sorvex::M3d;

namespace {

/// 2 pi minus the corner angles at v, summed here from the faces' corners.
double angleDeficit(const Vertex* v) {
    double sum = 0;
    for (const Poly* f : v->getPolys()) {
        const int k = f->getVertexIndex(v);
        M3d a = *f->getVertex(k + 1) - *v, b = *f->getVertex(k - 1) - *v;
        sum += std::acos(std::clamp(a.dot(b) / (a.length() * b.length()), -1.0, 1.0));
    }
    return 2 * M_PI - sum;
}

struct Model {
    std::string name;
    std::function<std::unique_ptr<PolyMesh>()> make;
};

const std::vector<Model>& models() {
    static const std::vector<Model> list = {
        {"icosphere", [] { return meshOf(icosphere(2)); }},
        {"torus", [] { return meshOf(torus(8, 16)); }},
        {"letter O", [] { return testshapes::dataModel("letter-o.off"); }},
        {"channel bracket", [] { return testshapes::dataModel("channel-bracket.off"); }},
        {"L-prism", lPrism},
    };
    return list;
}

/// Why the regions are not the connected parts of the surface split by the sign rule, or "".
std::string partitionFault(RegionUnfolder& u, PolyMesh& mesh) {
    std::size_t copies = 0;
    for (Region* r : u.getRegions())
        copies += r->getPolyCount();
    if (copies != mesh.getPolyCount())
        return std::to_string(copies) + " copies of " + std::to_string(mesh.getPolyCount()) +
               " faces";
    auto positiveFace = [](Poly* f) {
        for (Vertex* v : f->getVertices())
            if (angleDeficit(v) > -1e-9)
                return true;
        return false;
    };
    for (Poly* f : mesh.getPolys()) {
        Region* r = u.getRegionOf(f);
        if (!r || u.getCopyOf(f)->getMesh() != r)
            return "face " + std::to_string(mesh.getPolyIndex(f)) + " is in no region";
        if (r->isPositive() != positiveFace(f))
            return "face " + std::to_string(mesh.getPolyIndex(f)) + " is on the wrong side";
        // Neighbours on the same side are in the same region: regions are maximal.
        for (int i = 0; i < f->getVertexCount(); ++i)
            if (Poly* g = f->getNeighbor(i); g && positiveFace(g) == positiveFace(f) &&
                                             u.getRegionOf(g) != r)
                return "neighbours " + std::to_string(mesh.getPolyIndex(f)) + " and " +
                       std::to_string(mesh.getPolyIndex(g)) + " are split";
    }
    for (Region* r : u.getRegions()) {
        std::set<Poly*> reached{r->getPoly(0)};
        std::deque<Poly*> queue{r->getPoly(0)};
        while (!queue.empty()) {
            Poly* f = queue.front();
            queue.pop_front();
            for (int i = 0; i < f->getVertexCount(); ++i)
                if (Poly* g = f->getNeighbor(i); g && reached.insert(g).second)
                    queue.push_back(g);
        }
        if (reached.size() != r->getPolyCount())
            return "a region falls apart";
    }
    return {};
}

} // namespace

TEST(RegionUnfolder, RegionsSplitTheSurfaceBySignAndEachHasAShell) {
    for (const Model& model : models()) {
        auto mesh = model.make();
        auto* u = bind<RegionUnfolder>(*mesh);
        EXPECT_EQ("", partitionFault(*u, *mesh)) << model.name;
        bool positivesFirst = true, seenNegative = false;
        for (Region* r : u->getRegions()) {
            positivesFirst = positivesFirst && !(seenNegative && r->isPositive());
            seenNegative = seenNegative || !r->isPositive();
            RegionShell* shell = r->getShell();
            ASSERT_NE(nullptr, shell) << model.name;
            EXPECT_EQ(u, shell->getParent()) << model.name;
            EXPECT_EQ(r->getPolyCount(), shell->getPolyCount()) << model.name;
            EXPECT_DOUBLE_EQ(r->isPositive() ? 0.5 : 0.0, shell->getColor().g) << model.name;
            EXPECT_DOUBLE_EQ(r->isPositive() ? 0.0 : 0.5, shell->getColor().r) << model.name;
            for (std::size_t i = 0; i < r->getVertexCount(); ++i)
                EXPECT_NEAR(RegionShell::Offset,
                            (*shell->getVertex(i) - *r->getVertex(i)).length(), 1e-12);
            EXPECT_EQ(r->isPositive(), r->getUnfolder() != nullptr) << model.name;
        }
        EXPECT_TRUE(positivesFirst) << model.name;
    }
    // A convex solid is one positive region; the torus has a band of each sign.
    auto sphere = meshOf(icosphere(2));
    EXPECT_EQ(1u, bind<RegionUnfolder>(*sphere)->getRegions().size());
    auto torusMesh = meshOf(torus(8, 16));
    auto* t = bind<RegionUnfolder>(*torusMesh);
    ASSERT_EQ(2u, t->getRegions().size());
    EXPECT_TRUE(t->getRegions()[0]->isPositive());
    EXPECT_FALSE(t->getRegions()[1]->isPositive());
}

TEST(RegionUnfolder, WaitsForTheRegionNetsThenJoinsAndGrowsACompleteNet) {
    for (const Model& model : models()) {
        auto mesh = model.make();
        auto* u = bind<RegionUnfolder>(*mesh);
        // While a region's own net is still growing, a step places nothing.
        for (int i = 0; i < 5; ++i)
            u->onSystemIdle();
        EXPECT_EQ(0u, u->getPolyCount()) << model.name;
        EXPECT_FALSE(u->isJoined()) << model.name;
        ASSERT_TRUE(runToEnd(*u, 100000)) << model.name;
        EXPECT_TRUE(u->isJoined()) << model.name;
        for (Region* r : u->getRegions())
            if (BorderAvoiderUnfolder* own = r->getUnfolder()) {
                EXPECT_TRUE(own->isDone()) << model.name;
                const testsupport::NetReport regionNet = testsupport::CheckNet(*own);
                EXPECT_TRUE(regionNet.isSound()) << model.name << " region net:\n"
                                                 << regionNet.describe();
            }
        const testsupport::NetReport report = testsupport::CheckNet(*u);
        EXPECT_TRUE(report.complete) << model.name;
        EXPECT_TRUE(report.faults.empty()) << model.name << ":\n" << report.describe();
        EXPECT_EQ(report.isSound(), u->isSuccesful()) << model.name;
    }
}

TEST(RegionUnfolder, AConvexSolidGetsItsRegionsBorderAvoidingNet) {
    auto mesh = meshOf(icosphere(2));
    auto* u = bind<RegionUnfolder>(*mesh);
    ASSERT_TRUE(runToEnd(*u));
    BorderAvoiderUnfolder* own = u->getRegions().front()->getUnfolder();
    ASSERT_NE(nullptr, own);
    // The same folds: a source face is folded to a neighbour in this net exactly when its
    // copy is folded to that neighbour's copy in the region's net.
    Graph<Poly*> net, regionNet;
    u->getNet(net);
    own->getNet(regionNet);
    for (Poly* f : mesh->getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Poly* g = f->getNeighbor(i);
            EXPECT_EQ(regionNet.hasEdge(u->getCopyOf(f), u->getCopyOf(g)), net.hasEdge(f, g));
        }
    EXPECT_TRUE(u->isSuccesful());
}

TEST(RegionUnfolder, SeveralPartsAndOpenMeshesEndCleanly) {
    auto two = meshOf(twoTetrahedra());
    auto* u = bind<RegionUnfolder>(*two);
    ASSERT_TRUE(runToEnd(*u, 10000));
    EXPECT_EQ(4u, u->getPolyCount()) << "one tetrahedron: no path leads to the other";
    EXPECT_NE(std::string::npos, GetLastStatusMessage().find("several separate parts"));
    EXPECT_FALSE(u->isSuccesful());

    auto box = openBox();
    auto* v = bind<RegionUnfolder>(*box);
    ASSERT_TRUE(runToEnd(*v, 10000));
    EXPECT_EQ(box->getPolyCount(), v->getPolyCount());
}

TEST(RegionUnfolder, TheShellPanelSelectsTheRegionsOwnNet) {
    SceneRoot root;
    auto mesh = meshOf(torus(8, 16)).release();
    ASSERT_TRUE(mesh->setParent(&root));
    auto* u = bind<RegionUnfolder>(*mesh);
    for (Region* r : u->getRegions()) {
        CRegionShellSettings panel;
        ASSERT_TRUE(panel.create(r->getShell()));
        EXPECT_EQ("Region Shell Settings", panel.getTitle());
        if (r->isPositive()) {
            ASSERT_TRUE(panel.click("Select Unfolding"));
            SceneObj::ProcessDelayedOperations();
            EXPECT_EQ(r->getUnfolder(), root.getSelection());
        } else {
            EXPECT_FALSE(panel.click("Select Unfolding")) << "a negative region has no net";
        }
    }
}
