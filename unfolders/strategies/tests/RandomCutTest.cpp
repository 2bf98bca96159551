// Random cut strategies: every tree of a Platonic solid succeeds, counts never
// exceed the number of spanning trees, repeats are not counted, the panel.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <memory>
#include <vector>

#include "common/Random.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/CRandomCutUnfolderSettings.h"
#include "unfolders/strategies/RandomCutUnfolder.h"

using namespace testshapes;

namespace {

/// Spanning trees of the face adjacency graph, by the matrix-tree theorem:
/// the determinant of the Laplacian without its last row and column.
double spanningTreeCount(PolyMesh& mesh) {
    std::map<Poly*, int> index;
    for (Poly* f : mesh.getPolys())
        index.emplace(f, int(index.size()));
    const int n = int(index.size()) - 1;
    std::vector<std::vector<double>> m(size_t(n), std::vector<double>(size_t(n), 0.0));
    for (const auto& [f, i] : index) {
        for (int e = 0; e < f->getVertexCount(); ++e) {
            Poly* g = f->getNeighbor(e);
            if (!g || i == n)
                continue;
            m[size_t(i)][size_t(i)] += 1;
            if (index[g] != n)
                m[size_t(i)][size_t(index[g])] -= 1;
        }
    }
    double det = 1;
    for (int c = 0; c < n; ++c) {
        int pivot = c;
        for (int r = c + 1; r < n; ++r) {
            if (std::fabs(m[size_t(r)][size_t(c)]) > std::fabs(m[size_t(pivot)][size_t(c)]))
                pivot = r;
        }
        std::swap(m[size_t(c)], m[size_t(pivot)]);
        det *= pivot == c ? m[size_t(c)][size_t(c)] : -m[size_t(c)][size_t(c)];
        for (int r = c + 1; r < n; ++r) {
            const double k = m[size_t(r)][size_t(c)] / m[size_t(c)][size_t(c)];
            for (int k2 = c; k2 < n; ++k2)
                m[size_t(r)][size_t(k2)] -= k * m[size_t(c)][size_t(k2)];
        }
    }
    return std::round(std::fabs(det));
}

/// Draws `count` trees with the given strategy class on `mesh`.
template <typename T> T* drawTrees(PolyMesh& mesh, int count) {
    T* u = bind<T>(mesh);
    for (int i = 0; i < count; ++i)
        u->unfold();
    return u;
}

} // namespace

TEST(RandomCut, EveryTreeOfAPlatonicSolidIsASuccessAndTreesAreNeverOverCounted) {
    struct Case {
        const char* name;
        MeshData data;
        double trees;
    };
    const Case cases[] = {{"tetrahedron", tetrahedron(), 16},
                          {"cube", cube(), 384},
                          {"octahedron", octahedron(), 384},
                          {"icosahedron", unitIcosahedron(), 5184000}};
    vornSrand(7);
    for (const Case& c : cases) {
        auto mesh = meshOf(c.data);
        EXPECT_EQ(c.trees, spanningTreeCount(*mesh)) << c.name;
        auto* u = drawTrees<RandomCutUnfolder>(*mesh, 300);
        EXPECT_GT(u->getNumUnfoldings(), 0) << c.name;
        EXPECT_EQ(u->getSuccessCount(), u->getNumUnfoldings()) << c.name;
        EXPECT_LE(u->getNumUnfoldings(), spanningTreeCount(*mesh)) << c.name;
        // A source face is twinned with one net face, so each strategy gets its own mesh.
        auto again = meshOf(c.data);
        auto* quick = drawTrees<QuickRandomCutUnfolder>(*again, 50);
        EXPECT_EQ(quick->getSuccessCount(), quick->getNumUnfoldings()) << c.name;
        EXPECT_EQ(again->getPolyCount(), quick->getPolyCount()) << c.name;
    }
    // 300 draws find every one of the tetrahedron's 16 trees.
    auto tetra = meshOf(tetrahedron());
    EXPECT_EQ(16, drawTrees<RandomCutUnfolder>(*tetra, 300)->getNumUnfoldings());
}

TEST(RandomCut, ATreeDrawnAgainCountsForNothingAndSeedsRepeatRuns) {
    auto mesh = meshOf(unitIcosahedron());
    auto* u = bind<RandomCutUnfolder>(*mesh);
    vornSrand(42);
    u->unfold();
    ASSERT_EQ(1, u->getNumUnfoldings());
    ASSERT_EQ(1, u->getSuccessCount());
    vornSrand(42);
    u->unfold();
    EXPECT_EQ(1, u->getNumUnfoldings());
    EXPECT_EQ(1, u->getSuccessCount());

    Tree<Poly*> a, b;
    vornSrand(9);
    RandomCutUnfolder::BuildRandomUnfolding(*mesh, a);
    vornSrand(9);
    RandomCutUnfolder::BuildRandomUnfolding(*mesh, b);
    EXPECT_EQ(mesh->getPolyCount(), a.size());
    EXPECT_EQ(RandomCutUnfolder::TreeKey(a), RandomCutUnfolder::TreeKey(b));
}

TEST(RandomCut, OverlappingTreesFailAndTheLastSuccessCanBeShownAgain) {
    // Random trees of a 40-point hull overlap often, but not always.
    auto mesh = randomConvex(3, 40);
    auto* u = bind<RandomCutUnfolder>(*mesh);
    EXPECT_FALSE(u->lastSuccess());
    vornSrand(5);
    for (int i = 0; i < 200; ++i)
        u->unfold();
    EXPECT_EQ(200, u->getNumUnfoldings());
    EXPECT_LT(u->getSuccessCount(), 200);
    ASSERT_GT(u->getSuccessCount(), 0);
    ASSERT_TRUE(u->lastSuccess());
    EXPECT_EQ(mesh->getPolyCount(), u->getPolyCount());
    EXPECT_TRUE(u->getConflicts().isEmpty());
}

TEST(RandomCut, RepeatingNeverEndsAndBadInputEndsCleanly) {
    auto cube = prismCube();
    auto* repeating = bind<RandomCutUnfolder>(*cube);
    repeating->setRepeating(true);
    EXPECT_FALSE(runToEnd(*repeating, 50));
    EXPECT_GT(repeating->getNumUnfoldings(), 1);

    auto one = oneFace();
    auto* lone = bind<RandomCutUnfolder>(*one);
    EXPECT_TRUE(runToEnd(*lone, 50));
    EXPECT_EQ(1u, lone->getPolyCount());

    // Two tetrahedra apart: a tree spans one of them, so no net is a success.
    const MeshData two = twoTetrahedra();
    for (int kind = 0; kind < 3; ++kind) {
        auto apart = meshOf(two);
        RandomCutUnfolder* u = nullptr;
        if (kind == 0)
            u = bind<RandomCutUnfolder>(*apart);
        else if (kind == 1)
            u = bind<QuickRandomCutUnfolder>(*apart);
        else
            u = bind<QuickRandomCutUnfolder25>(*apart);
        EXPECT_TRUE(runToEnd(*u, 50)) << kind;
        EXPECT_EQ(0, u->getSuccessCount()) << kind;
    }
}

TEST(RandomCut, ThePanelDrawsCountsRepeatsAndShowsTheLastSuccess) {
    EXPECT_EQ("0 successes in 0 nets (0.00%)", CRandomCutUnfolderSettings::Statistics(0, 0));
    EXPECT_EQ("1 successes in 3 nets (33.33%)", CRandomCutUnfolderSettings::Statistics(1, 3));

    auto mesh = meshOf(cube());
    auto* u = bind<RandomCutUnfolder>(*mesh);
    std::unique_ptr<Factorable> built(Factory::BuildObj("CRandomCutUnfolderSettings"));
    auto* panel = dynamic_cast<CRandomCutUnfolderSettings*>(built.get());
    ASSERT_NE(nullptr, panel);
    ASSERT_TRUE(panel->create(u));
    EXPECT_EQ("Random Unfolder Settings", panel->getTitle());
    auto text = [&] {
        return panel
            ->findControl(ControlKind::StaticText, CRandomCutUnfolderSettings::StatisticsLabel)
            ->text;
    };
    EXPECT_EQ("0 successes in 0 nets (0.00%)", text());
    vornSrand(3);
    ASSERT_TRUE(panel->click("Next"));
    panel->refresh();
    EXPECT_EQ("1 successes in 1 nets (100.00%)", text());
    ASSERT_TRUE(panel->setCheck("Repeat", true));
    EXPECT_TRUE(u->isRepeating());
    EXPECT_TRUE(panel->click("View Last Success"));
    EXPECT_EQ(mesh->getPolyCount(), u->getPolyCount());
}
