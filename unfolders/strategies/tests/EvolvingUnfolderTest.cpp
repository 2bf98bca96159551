// The evolving unfolder: growth order, generations against the spanning trees of the
// gathered faces, the family links by the containment rule, the in-place and flat views,
// the panel's pick distance and the stop when a generation would be too large.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <set>
#include <vector>

#include "scene/Factory.h"
#include "tests/support/RecordingRenderer.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/CEvolvingUnfolderSettings.h"
#include "unfolders/strategies/EvolvingUnfolder.h"

using namespace testshapes;

namespace {

/// The containment rule as defined: rooted alike, every child of every node of `p` is a
/// child of the same node in `t`.
bool contains(const Tree<Poly*>& t, const Tree<Poly*>& p) {
    for (const auto& [face, node] : p.getIndex()) {
        const TreeNode<Poly*>* inT = t.findNode(face);
        if (!inT)
            return false;
        for (const TreeNode<Poly*>* child : node->getChildren()) {
            const TreeNode<Poly*>* childInT = t.findNode(child->getValue());
            if (!childInT || childInT->getParent() != inT)
                return false;
        }
    }
    return true;
}

std::set<std::pair<Poly*, Poly*>> edgesOf(const Tree<Poly*>& t) {
    std::set<std::pair<Poly*, Poly*>> edges;
    for (const auto& [face, node] : t.getIndex())
        if (node->getParent())
            edges.emplace(std::min(face, node->getParent()->getValue()),
                          std::max(face, node->getParent()->getValue()));
    return edges;
}

} // namespace

TEST(EvolvingUnfolder, OneFaceIsDoneAtOnceWithOneOneNodeTree) {
    auto mesh = oneFace();
    auto* u = bind<EvolvingUnfolder>(*mesh);
    EXPECT_TRUE(u->isDone());
    ASSERT_EQ(size_t(1), u->getUnfoldings().size());
    ASSERT_EQ(size_t(1), u->getUnfoldings().front().size());
    EXPECT_EQ(size_t(1), u->getUnfoldings().front().front().size());
    EXPECT_FLOAT_EQ(1.0f, u->getProgress());
    EXPECT_FALSE(u->isSuccesful());
}

TEST(EvolvingUnfolder, GenerationsHoldEveryTreeOnceLinkedByContainment) {
    auto mesh = meshOf(cube());
    auto* u = bind<EvolvingUnfolder>(*mesh);
    // Grown from the lowest face, always taking the lowest face touching the set.
    const std::list<Poly*> order = u->getRemaining();
    ASSERT_EQ(size_t(5), order.size());
    ASSERT_TRUE(runToEnd(*u));
    const auto& generations = u->getUnfoldings();
    ASSERT_EQ(size_t(6), generations.size());
    // The last generation is every spanning tree of the cube's faces.
    EXPECT_EQ(size_t(384), generations.back().size());

    const auto& links = u->getInheritance();
    auto previous = generations.begin();
    size_t k = 0;
    for (auto current = std::next(previous); current != generations.end();
         ++current, ++previous, ++k) {
        Poly* added = *std::next(order.begin(), std::ptrdiff_t(k));
        std::set<std::set<std::pair<Poly*, Poly*>>> distinct;
        for (const Tree<Poly*>& t : *current) {
            EXPECT_EQ(k + 2, t.size());
            distinct.insert(edgesOf(t));
            // Linked to exactly the trees of the previous generation it contains: one when
            // the added face is a leaf, none otherwise.
            int parents = 0;
            for (const Tree<Poly*>& p : *previous) {
                const bool linked =
                    links.hasEdge(const_cast<Tree<Poly*>*>(&t), const_cast<Tree<Poly*>*>(&p));
                EXPECT_EQ(contains(t, p), linked) << "generation " << k + 1;
                parents += linked ? 1 : 0;
            }
            const bool leaf = t.findNode(added)->getChildren().empty();
            EXPECT_EQ(leaf ? 1 : 0, parents);
        }
        EXPECT_EQ(current->size(), distinct.size()) << "no tree twice";
    }
    // The faces are shown in place, just above their source faces.
    EXPECT_EQ(mesh->getPolyCount(), u->getPolyCount());
    for (Poly* f : mesh->getPolys()) {
        ASSERT_NE(nullptr, f->getTwin());
        const Sorvex::M3d lift = f->getTwin()->getCenter() - f->getCenter();
        EXPECT_NEAR(0.001, lift.dot(f->getNormal()), 1e-12);
    }
}

TEST(EvolvingUnfolder, PanelPicksWithinFourPixelsAndShowsNetOrFacesInPlace) {
    auto mesh = meshOf(cube());
    auto* u = bind<EvolvingUnfolder>(*mesh);
    ASSERT_TRUE(runToEnd(*u));
    std::unique_ptr<Factorable> built(Factory::BuildObj("CEvolvingUnfolderSettings"));
    auto* panel = dynamic_cast<CEvolvingUnfolderSettings*>(built.get());
    ASSERT_NE(nullptr, panel);
    ASSERT_TRUE(panel->create(u));
    EXPECT_EQ("Evolving Unfolder Settings", panel->getTitle());
    panel->setCanvasWidth(316);
    RecordingRenderer r;
    panel->paint(r);
    size_t trees = 0;
    for (const auto& generation : u->getUnfoldings())
        trees += generation.size();
    ASSERT_EQ(trees, panel->getPositions().size()) << "every tree of every generation is drawn";

    // The last generation's middle tree: 384 trees over 300 pixels.
    auto* wholeTree = const_cast<Tree<Poly*>*>(&*std::next(u->getUnfoldings().back().begin(), 192));
    const Sorvex::M2d at = panel->getPositions().at(wholeTree);
    // The first generation's one tree sits in the middle of the first row.
    auto* second = const_cast<Tree<Poly*>*>(&u->getUnfoldings().begin()->front());
    const Sorvex::M2d top = panel->getPositions().at(second);
    EXPECT_DOUBLE_EQ(158.0, top.x());

    EXPECT_TRUE(panel->pointAt(CEvolvingUnfolderSettings::CanvasLabel, top.x() + 4, top.y() - 4,
                               false));
    EXPECT_EQ(size_t(1), u->getPolyCount()) << "the one-face tree is laid flat";
    EXPECT_EQ(nullptr, panel->treeAt(top.x() + 5, top.y()));
    EXPECT_EQ(nullptr, panel->treeAt(top.x(), top.y() + 5));
    panel->pointAt(CEvolvingUnfolderSettings::CanvasLabel, top.x() + 5, top.y(), true);
    EXPECT_EQ(mesh->getPolyCount(), u->getPolyCount()) << "back to the faces in place";

    EXPECT_EQ(wholeTree, panel->treeAt(at.x(), at.y()));
    panel->pointAt(CEvolvingUnfolderSettings::CanvasLabel, at.x(), at.y(), false);
    ASSERT_EQ(mesh->getPolyCount(), u->getPolyCount());
    for (Poly* f : u->getPolys())
        EXPECT_NEAR(1.0, -f->getNormal().y(), 1e-12) << "laid flat";
}

TEST(EvolvingUnfolder, GrowthStopsBeforeAGenerationBeyondTheLimit) {
    auto mesh = meshOf(unitIcosahedron());
    auto* u = bind<EvolvingUnfolder>(*mesh);
    u->setCandidateLimit(3000);
    ASSERT_TRUE(runToEnd(*u));
    EXPECT_FALSE(u->getRemaining().empty());
    EXPECT_NE(std::string::npos, u->getRefusal().find("Too many spanning trees in the next"));
    for (const auto& generation : u->getUnfoldings())
        EXPECT_LE(generation.size(), size_t(3000));
    EXPECT_GT(u->getCandidateEstimate(), 3000.0);

    // Two solids apart: only the first one's faces are gathered.
    auto two = meshOf(twoTetrahedra());
    auto* split = bind<EvolvingUnfolder>(*two);
    ASSERT_TRUE(runToEnd(*split));
    EXPECT_EQ(size_t(4), split->getUnfoldings().size());
    EXPECT_EQ(size_t(16), split->getUnfoldings().back().size());
}
