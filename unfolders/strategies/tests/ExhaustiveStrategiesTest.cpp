// The exhaustive strategies: every spanning tree laid and judged, checked net by net with
// the brute-force checker; the tree-map searches against a brute-force count of the
// choices that make trees; the attachment orders of the total search; refusals.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <numeric>
#include <set>
#include <string>
#include <vector>

#include "common/StatusLine.h"
#include "scene/Factory.h"
#include "common/XML.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/SoundNet.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/CEdgeTreeUnfolderSettings.h"
#include "unfolders/strategies/CSpannedUnfolderSettings.h"
#include "unfolders/strategies/CTotalUnfolderSettings.h"
#include "unfolders/strategies/IterativeTreeUnfolder.h"
#include "unfolders/strategies/PrecomputedTreeUnfolder.h"
#include "unfolders/strategies/SpannedUnfolder.h"
#include "unfolders/strategies/TotalUnfolder.h"

using namespace testshapes;

namespace {

/// Runs the unfolder step by step as the idle loop does, checking each net it shows with
/// the brute-force checker: a tree counts as a success exactly when its net is sound.
void runSpannedChecked(SpannedUnfolder& u, const std::string& what) {
    int steps = 0;
    while (!u.isDone() && steps < 100000) {
        const int before = u.getSuccessCount();
        u.unfold();
        ++steps;
        const bool sound = testsupport::CheckNet(u).isSound();
        EXPECT_EQ(sound, u.getSuccessCount() == before + 1)
            << what << ", tree " << u.getShownUnfolding();
    }
    EXPECT_TRUE(u.isDone()) << what;
}

/// Choices of one edge per face whose neighbour pairs make a spanning tree, by brute
/// force over every choice.
long treeChoices(PolyMesh& mesh) {
    std::vector<Poly*> faces(mesh.getPolys().begin(), mesh.getPolys().end());
    std::map<Poly*, int> index;
    for (Poly* f : faces)
        index.emplace(f, int(index.size()));
    std::vector<int> choice(faces.size(), 0);
    long trees = 0;
    for (;;) {
        std::set<std::pair<int, int>> edges;
        for (size_t f = 0; f < faces.size(); ++f)
            if (Poly* n = faces[f]->getNeighbor(choice[f]))
                edges.emplace(std::min(int(f), index[n]), std::max(int(f), index[n]));
        std::vector<int> part(faces.size());
        std::iota(part.begin(), part.end(), 0);
        std::function<int(int)> find = [&](int v) { return part[size_t(v)] == v ? v : find(part[size_t(v)]); };
        bool acyclic = true;
        for (const auto& [a, b] : edges) {
            const int ra = find(a), rb = find(b);
            acyclic = acyclic && ra != rb;
            part[size_t(ra)] = rb;
        }
        if (acyclic && edges.size() + 1 == faces.size())
            ++trees;
        size_t f = 0;
        while (f < faces.size() && ++choice[f] == faces[f]->getVertexCount())
            choice[f++] = 0;
        if (f == faces.size())
            return trees;
    }
}

} // namespace

TEST(SpannedUnfolder, EveryTreeOfPlatonicSolidsIsLaidJudgedAndSound) {
    struct Case {
        const char* name;
        MeshData mesh;
        int trees;
    };
    for (const Case& c : {Case{"tetrahedron", tetrahedron(), 16}, Case{"cube", cube(), 384},
                          Case{"octahedron", octahedron(), 384}}) {
        auto mesh = meshOf(c.mesh);
        auto* u = bind<SpannedUnfolder>(*mesh);
        EXPECT_EQ(c.trees, u->getNumUnfoldings()) << c.name;
        EXPECT_FALSE(u->getCheckIntersections());
        runSpannedChecked(*u, c.name);
        // Every edge unfolding of a Platonic solid is a net.
        EXPECT_EQ(c.trees, u->getSuccessCount()) << c.name;
        EXPECT_EQ(0, u->getSelectedUnfolding()) << c.name;
    }
}

TEST(SpannedUnfolder, NonConvexPrismHasOverlappingTreesAndSelectionWraps) {
    auto mesh = lPrism();
    auto* u = bind<SpannedUnfolder>(*mesh);
    const int trees = u->getNumUnfoldings();
    ASSERT_GT(trees, 100);
    runSpannedChecked(*u, "L-prism");
    EXPECT_GT(u->getSuccessCount(), 0);
    EXPECT_LT(u->getSuccessCount(), trees);

    u->selectUnfolding(trees + 7);
    EXPECT_EQ(7, u->getSelectedUnfolding());
    u->selectUnfolding(-1);
    EXPECT_EQ(trees - 1, u->getSelectedUnfolding());
    // The next success from a failing tree is the first successful index after it.
    long long failing = 0;
    while (u->isSuccess(failing))
        ++failing;
    long long nextSuccess = failing;
    while (!u->isSuccess(nextSuccess))
        nextSuccess = (nextSuccess + 1) % trees;
    u->selectUnfolding(failing);
    u->nextSuccess();
    EXPECT_EQ(nextSuccess, u->getShownUnfolding());
    EXPECT_TRUE(testsupport::CheckNet(*u).isSound());
    // Going back enumerates again: the same tree gives the same net.
    u->selectUnfolding(3);
    u->unfold();
    EXPECT_EQ(3, u->getShownUnfolding());
    EXPECT_EQ(u->isSuccess(3), testsupport::CheckNet(*u).isSound());
}

TEST(SpannedUnfolder, LargeOrSplitMeshesAreRefusedAtOnceWithAMessage) {
    auto sphere = meshOf(icosphere(1)); // 80 faces: about 1e30 trees
    auto* u = bind<SpannedUnfolder>(*sphere);
    EXPECT_TRUE(u->isDone());
    EXPECT_NE(std::string::npos, u->getRefusal().find("Too many spanning trees to try: about"))
        << u->getRefusal();
    EXPECT_EQ(u->getRefusal(), GetLastStatusMessage());
    EXPECT_GT(u->getCandidateEstimate(), 1e20);
    EXPECT_TRUE(runToEnd(*u, 10));
    EXPECT_EQ(u->getRefusal(), GetLastStatusMessage()) << "the reason stays on the status line";

    // Two separate solids have no spanning tree: done at once, no success.
    auto two = meshOf(twoTetrahedra());
    auto* split = bind<SpannedUnfolder>(*two);
    EXPECT_EQ(0, split->getNumUnfoldings());
    EXPECT_TRUE(runToEnd(*split, 20));
    EXPECT_EQ(0, split->getSuccessCount());
    EXPECT_FALSE(split->isSuccesful());

    // A raised limit lets the run go ahead.
    auto small = meshOf(cube());
    auto* cubeRun = bind<SpannedUnfolder>(*small);
    cubeRun->setCandidateLimit(100);
    EXPECT_TRUE(cubeRun->isDone());
    cubeRun->setCandidateLimit(1000);
    EXPECT_FALSE(cubeRun->isDone());
    EXPECT_EQ("", cubeRun->getRefusal());
}

TEST(TreeMapSearches, CandidatesAreTheChoicesThatMakeTrees) {
    const std::vector<NamedShape> shapes = {
        {"tetrahedron", [] { return meshOf(tetrahedron()); }},
        {"cube", [] { return meshOf(cube()); }},
        {"open box", openBox},
    };
    for (const NamedShape& shape : shapes) {
        const char* name = shape.name.c_str();
        auto mesh = shape.make();
        const long expected = treeChoices(*mesh);
        ASSERT_GT(expected, 0) << name;

        // Counting every success: each choice that makes a tree is a candidate, and on
        // these convex shapes every one of them lays out.
        auto* iterative = bind<IterativeTreeUnfolder>(*mesh);
        iterative->setCountEverySuccess(true);
        ASSERT_TRUE(runToEnd(*iterative)) << name;
        EXPECT_EQ(expected, iterative->getSuccessCount()) << name;
        EXPECT_FLOAT_EQ(1.0f, iterative->getProgress()) << name;

        auto mesh2 = shape.make();
        auto* precomputed = bind<PrecomputedTreeUnfolder>(*mesh2);
        XML settings("PrecomputedTreeUnfolder");
        settings.add("DisableTerminateOnSuccess", true);
        precomputed->read(settings);
        ASSERT_TRUE(runToEnd(*precomputed)) << name;
        EXPECT_EQ(expected, precomputed->getNumUnfoldings()) << name;
        EXPECT_EQ(expected, precomputed->getSuccessCount()) << name;
        EXPECT_TRUE(testsupport::CheckNet(*precomputed).faults.empty()) << name;
    }
}

TEST(TreeMapSearches, StopAtTheFirstSuccessBoundedPerStep) {
    auto mesh = meshOf(cube());
    auto* u = bind<IterativeTreeUnfolder>(*mesh);
    EXPECT_EQ(4096, u->getNumUnfoldings());
    EXPECT_EQ(-1, u->getSuccessCount());
    ASSERT_TRUE(runToEnd(*u));
    EXPECT_TRUE(u->hasSucceeded());
    EXPECT_TRUE(u->isSuccesful());
    EXPECT_TRUE(testsupport::CheckNet(*u).isSound());
    EXPECT_LT(u->getTried(), 4096.0);

    // The non-convex prism: the first success is a sound net even though many choices
    // overlap.
    auto prism = lPrism();
    auto* it = bind<IterativeTreeUnfolder>(*prism);
    ASSERT_TRUE(runToEnd(*it));
    ASSERT_TRUE(it->isSuccesful());
    EXPECT_TRUE(testsupport::CheckNet(*it).isSound());
}

TEST(TreeMapSearches, OneFaceAndTooManyChoices) {
    auto lone = oneFace();
    auto* u = bind<IterativeTreeUnfolder>(*lone);
    ASSERT_TRUE(runToEnd(*u, 50));
    EXPECT_TRUE(u->isSuccesful());

    auto sphere = meshOf(icosphere(1));
    auto* big = bind<PrecomputedTreeUnfolder>(*sphere);
    EXPECT_TRUE(big->isDone());
    EXPECT_EQ(size_t(0), big->getCapacity()) << "nothing is allocated for a refused run";
    EXPECT_NE(std::string::npos, big->getRefusal().find("Too many tree maps to try"));
}

TEST(TotalUnfolder, TetrahedronOrdersAndUniqueTrees) {
    auto mesh = meshOf(tetrahedron());
    auto* u = bind<TotalUnfolder>(*mesh);
    EXPECT_EQ(36, u->getNumUnfoldings());
    EXPECT_EQ(16, u->getNumUnique());
    ASSERT_TRUE(runToEnd(*u));
    EXPECT_EQ(36, u->getSuccessCount());
    EXPECT_EQ(16, u->getUniqueSuccessCount());
    EXPECT_TRUE(u->isSuccesful());
    // The first successful net is shown again at the end.
    EXPECT_TRUE(testsupport::CheckNet(*u).isSound());
    EXPECT_EQ(size_t(4), u->getPolyCount());
    // Three corners for the first face and one more for each attached face: the corners
    // of the faces taken away while searching are gone.
    EXPECT_EQ(size_t(6), u->getVertexCount());

    // Two solids apart: no order attaches every face, so none may pass for a success.
    auto two = meshOf(twoTetrahedra());
    auto* split = bind<TotalUnfolder>(*two);
    EXPECT_TRUE(split->isDone());
    EXPECT_FALSE(split->isSuccesful());
    EXPECT_EQ("The faces are in several parts: no order attaches them all",
              GetLastStatusMessage());

    auto again = meshOf(tetrahedron());
    auto* first = bind<TotalUnfolder>(*again);
    XML settings("TotalUnfolder");
    settings.add("DisableTerminateOnSuccess", false);
    first->read(settings);
    ASSERT_TRUE(runToEnd(*first));
    EXPECT_EQ(1, first->getSuccessCount());
    EXPECT_TRUE(first->isSuccesful());
}

TEST(TotalUnfolder, NonConvexPrismCountsFewerSuccessesThanOrders) {
    // Too many orders for the L-prism under the default limit: refused at once.
    auto lShape = lPrism();
    auto* refused = bind<TotalUnfolder>(*lShape);
    EXPECT_TRUE(refused->isDone());
    EXPECT_EQ(0, refused->getNumUnfoldings());
    EXPECT_NE(std::string::npos,
              refused->getRefusal().find(
                  "Too many attachment orders to try: more than the limit of 100000"))
        << refused->getRefusal();

    // A prism over a dart: its walls at the reflex corner overlap in some orders.
    auto mesh = prism({{0, 0}, {1, 2}, {2, 0}, {1, 0.3}}, 0.4);
    auto* u = bind<TotalUnfolder>(*mesh);
    ASSERT_GT(u->getNumUnfoldings(), 0) << u->getRefusal();
    ASSERT_TRUE(runToEnd(*u));
    EXPECT_GT(u->getSuccessCount(), 0);
    EXPECT_LT(u->getSuccessCount(), u->getNumUnfoldings());
    EXPECT_LT(u->getUniqueSuccessCount(), u->getNumUnique());
    EXPECT_TRUE(testsupport::CheckNet(*u).isSound());
    // The spanned search finds as many overlap-free trees as the orders have distinct ones.
    auto again = prism({{0, 0}, {1, 2}, {2, 0}, {1, 0.3}}, 0.4);
    auto* spanned = bind<SpannedUnfolder>(*again);
    runSpannedChecked(*spanned, "dart prism");
    EXPECT_EQ(u->getNumUnique(), spanned->getNumUnfoldings());
    EXPECT_EQ(u->getUniqueSuccessCount(), spanned->getSuccessCount());
}

namespace {

template <typename Panel> std::unique_ptr<Panel> panelFor(SceneObj* target, const char* name) {
    std::unique_ptr<Factorable> built(Factory::BuildObj(name));
    auto* panel = dynamic_cast<Panel*>(built.get());
    if (!panel)
        return nullptr;
    built.release();
    std::unique_ptr<Panel> owned(panel);
    EXPECT_TRUE(owned->create(target)) << name;
    return owned;
}

std::string textOf(const CSettingsDlg& panel, const char* label) {
    const SettingsControl* c = panel.findControl(ControlKind::StaticText, label);
    return c ? c->text : "<missing>";
}

} // namespace

TEST(ExhaustivePanels, TextsSliderAndNextSuccessFollowTheSearch) {
    auto mesh = meshOf(tetrahedron());
    auto* spanned = bind<SpannedUnfolder>(*mesh);
    auto panel = panelFor<CSpannedUnfolderSettings>(spanned, "CSpannedUnfolderSettings");
    ASSERT_NE(nullptr, panel);
    EXPECT_EQ("Unfolding 1 of 16 (0 successful)",
              textOf(*panel, CSpannedUnfolderSettings::PositionLabel));
    EXPECT_FALSE(panel->click(CSpannedUnfolderSettings::NextSuccessLabel)) << "no success yet";
    ASSERT_TRUE(runToEnd(*spanned));
    panel->refresh();
    EXPECT_EQ("Unfolding 16 of 16 (16 successful)",
              textOf(*panel, CSpannedUnfolderSettings::PositionLabel));
    ASSERT_TRUE(panel->setSlider(CSpannedUnfolderSettings::SliderLabel, 5));
    panel->refresh();
    EXPECT_EQ(5, spanned->getShownUnfolding()) << "choosing a tree lays it out";
    EXPECT_EQ("Unfolding 6 of 16 (16 successful)",
              textOf(*panel, CSpannedUnfolderSettings::PositionLabel));
    EXPECT_TRUE(panel->click(CSpannedUnfolderSettings::NextSuccessLabel));
    EXPECT_EQ(6, spanned->getShownUnfolding());

    auto again = meshOf(tetrahedron());
    auto* total = bind<TotalUnfolder>(*again);
    ASSERT_TRUE(runToEnd(*total));
    auto totalPanel = panelFor<CTotalUnfolderSettings>(total, "CTotalUnfolderSettings");
    ASSERT_NE(nullptr, totalPanel);
    EXPECT_EQ("Unfoldings: 36 (16 unique)",
              textOf(*totalPanel, CTotalUnfolderSettings::UnfoldingsLabel));
    EXPECT_EQ("Successes: 36 (16 unique)",
              textOf(*totalPanel, CTotalUnfolderSettings::SuccessesLabel));

    EXPECT_EQ("Unfoldings: 4096 (50.0000%)", CEdgeTreeUnfolderSettings::UnfoldingsText(4096, 0.5));
    auto sphere = meshOf(icosphere(1));
    auto* refused = bind<IterativeTreeUnfolder>(*sphere);
    auto mapPanel = panelFor<CEdgeTreeUnfolderSettings>(refused, "CEdgeTreeUnfolderSettings");
    ASSERT_NE(nullptr, mapPanel);
    EXPECT_EQ(refused->getRefusal(), textOf(*mapPanel, CEdgeTreeUnfolderSettings::RefusalLabel));
    EXPECT_EQ("", textOf(*mapPanel, CEdgeTreeUnfolderSettings::SuccessesLabel));
    EXPECT_NE("", refused->getRefusal());
}
