#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <set>
#include <vector>

#include "scene/mesh/CurvatureArmature.h"
#include "sorvex/MBoundingBox.h"
#include "tests/support/DataModels.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/engine/tests/TestUnfolder.h"
#include "unfolders/engine/tests/UnfolderTestUtil.h"

using Sorvex::M3d;
using namespace testmeshes;
using namespace testshapes;

namespace {

/// The cut graph that cuts every edge of face `f` all round.
Graph<Vertex*> cutAround(Poly* f) {
    Graph<Vertex*> cut;
    for (int i = 0; i < f->getVertexCount(); ++i)
        cut.addEdge(f->getVertex(i), f->getVertex(i + 1));
    return cut;
}

Sorvex::MBoundingBox boundsOfImages(const std::vector<Poly*>& sourceFaces) {
    Sorvex::MBoundingBox box;
    for (Poly* f : sourceFaces)
        for (Vertex* v : f->getTwin()->getVertices())
            box.extend(*v);
    return box;
}

} // namespace

TEST(UnfolderCutGraph, CutGraphOfATreeNetHoldsEveryUnfoldedEdge) {
    auto mesh = prismCube();
    TestUnfolder* u = bind<TestUnfolder>(*mesh);
    Graph<Poly*> tree = breadthFirstTree(*mesh, mesh->getPoly(5));
    Tree<Poly*> faces(tree, mesh->getPoly(5));
    ASSERT_TRUE(u->unfoldToNet(faces));
    EXPECT_FALSE(u->isCutGraphValid());
    Graph<Vertex*>& cut = u->getCutGraph();
    EXPECT_TRUE(u->isCutGraphValid());
    // 12 edges, 5 of them folded: the other 7 form a spanning tree of the vertices.
    EXPECT_EQ(size_t(7), cut.getEdgeCount());
    EXPECT_EQ(size_t(8), cut.getVertexCount());
    EXPECT_FALSE(cut.hasCycle());
    for (const auto& [f, around] : tree)
        for (Poly* g : around) {
            const int i = f->getNeighborIndex(g);
            EXPECT_FALSE(cut.hasEdge(f->getVertex(i), f->getVertex(i + 1)));
        }

    // The two conversions invert each other on a closed mesh.
    std::list<Poly*> all(mesh->getPolys().begin(), mesh->getPolys().end());
    Graph<Poly*> net;
    u->cutGraph2unfoldedNet(all, cut, net);
    Graph<Poly*> laidNet;
    u->getNet(laidNet);
    EXPECT_TRUE(sameEdges(laidNet, net));
    Graph<Vertex*> back;
    u->unfoldedNet2cutGraph(net, back);
    EXPECT_TRUE(sameEdges(cut, back));
}

TEST(UnfolderCutGraph, EmptyCutGraphFloodsTheWholeSurface) {
    auto mesh = lPrism();
    TestUnfolder* u = bind<TestUnfolder>(*mesh);
    Graph<Vertex*> none;
    u->setCheckIntersections(true);
    u->unfoldToCutGraph(none, 0);
    EXPECT_EQ(size_t(8), u->getPolyCount());
    EXPECT_TRUE(u->getCheckIntersections()) << "the check is restored";
    EXPECT_TRUE(u->isCutGraphValid());
    EXPECT_TRUE(u->getCutGraph().isEmpty());
    // Flooded without the check, the notch walls overlap.
    EXPECT_TRUE(
        u->getConflicts().hasEdge(mesh->getPoly(2)->getTwin(), mesh->getPoly(3)->getTwin()));
    EXPECT_EQ(u->getUnfoldingRoot()->getTwin(), mesh->getPoly(7));
}

TEST(UnfolderCutGraph, SeparatedPiecesAreArrangedInAGrid) {
    auto mesh = prismCube();
    TestUnfolder* u = bind<TestUnfolder>(*mesh);
    Poly* top = mesh->getPoly(4);
    Graph<Vertex*> cut = cutAround(top);
    u->unfoldToCutGraph(cut, 0);
    ASSERT_EQ(size_t(6), u->getPolyCount());
    EXPECT_EQ(cut, u->getCutGraph());

    // Bottom and walls make a cross three faces wide; the top is alone.
    std::vector<Poly*> cross = {mesh->getPoly(0), mesh->getPoly(1), mesh->getPoly(2),
                                mesh->getPoly(3), mesh->getPoly(5)};
    const auto crossBox = boundsOfImages(cross);
    const auto topBox = boundsOfImages({top});
    EXPECT_NEAR(3, crossBox.getSize().x(), 1e-6);
    EXPECT_NEAR(3, crossBox.getSize().z(), 1e-6);
    // Two pieces: two columns, centres one cell (the largest piece) apart in x.
    const M3d apart = topBox.getCenter() - crossBox.getCenter();
    EXPECT_NEAR(3, apart.x(), 1e-6);
    EXPECT_NEAR(0, apart.z(), 1e-6);
    EXPECT_NEAR(0, apart.y(), 1e-6);

    // The index and the hull were rebuilt around the moved pieces.
    EXPECT_FALSE(u->findConflicts());
    for (Poly* f : u->getPolys())
        for (Vertex* v : f->getVertices())
            EXPECT_TRUE(u->getConvexHull().contains(v->x(), v->z()));
    std::vector<FaceBox> boxes;
    u->getFaceBoxTree().collectBoxes(boxes);
    EXPECT_EQ(size_t(6), boxes.size());
    for (const FaceBox& b : boxes)
        EXPECT_DOUBLE_EQ(FaceBox(b.face).minX, b.minX);
}

TEST(UnfolderCutGraph, TouchingDistinguishesEndsOfCutPaths) {
    auto mesh = prismCube();
    TestUnfolder* u = bind<TestUnfolder>(*mesh);
    Poly* top = mesh->getPoly(4);
    // A path of two edges along the top: its middle vertex has two cut edges.
    Graph<Vertex*> path;
    path.addEdge(top->getVertex(0), top->getVertex(1));
    path.addEdge(top->getVertex(1), top->getVertex(2));
    Vertex* end = top->getVertex(0);
    Vertex* middle = top->getVertex(1);
    for (Poly* f : mesh->getPolys()) {
        const bool hasEnd = f->getVertexIndex(end) >= 0;
        const bool hasMiddle = f->getVertexIndex(middle) >= 0;
        const bool hasAny = hasEnd || hasMiddle || f->getVertexIndex(top->getVertex(2)) >= 0;
        EXPECT_EQ(hasAny, u->touchedByAnAngle(path, f, true));
        EXPECT_EQ(hasMiddle, u->touchedByAnAngle(path, f, false));
    }
}

TEST(UnfolderCutGraph, CurvatureSumsFlowInwardsFromTheLeaves) {
    auto mesh = prismCube();
    TestUnfolder* u = bind<TestUnfolder>(*mesh);
    Graph<Poly*> tree = breadthFirstTree(*mesh, mesh->getPoly(5));
    Tree<Poly*> faces(tree, mesh->getPoly(5));
    ASSERT_TRUE(u->unfoldToNet(faces));
    std::map<Vertex*, double> sums;
    u->sumCutGraph(sums, true);
    Graph<Vertex*>& cut = u->getCutGraph();
    CurvatureArmature& armature = mesh->getCurvature(false);
    // A tree: every vertex gets a sum; a leaf its own curvature, an inner
    // vertex the sum of its summed neighbours.
    EXPECT_EQ(cut.getVertexCount(), sums.size());
    int leaves = 0;
    for (const auto& [v, around] : cut) {
        if (around.size() == 1) {
            ++leaves;
            EXPECT_DOUBLE_EQ(armature.getCurvature(v), sums[v]);
        }
    }
    EXPECT_GE(leaves, 2);

    // A cut graph that is a single cycle gives nobody a sum.
    Graph<Vertex*> cycle = cutAround(mesh->getPoly(4));
    u->unfoldToCutGraph(cycle, 0);
    u->sumCutGraph(sums, false);
    EXPECT_TRUE(sums.empty());
}

TEST(UnfolderCutGraph, SumsOnAPathAddUpFromBothEnds) {
    auto mesh = prismCube();
    TestUnfolder* u = bind<TestUnfolder>(*mesh);
    Poly* top = mesh->getPoly(4);
    Graph<Vertex*> path;
    path.addEdge(top->getVertex(0), top->getVertex(1));
    path.addEdge(top->getVertex(1), top->getVertex(2));
    u->unfoldToCutGraph(path, 0);
    std::map<Vertex*, double> sums;
    u->sumCutGraph(sums, false);
    CurvatureArmature& armature = mesh->getCurvature(false);
    const double a = armature.getCurvature(top->getVertex(0));
    const double c = armature.getCurvature(top->getVertex(2));
    ASSERT_EQ(size_t(3), sums.size());
    EXPECT_DOUBLE_EQ(a + c, sums[top->getVertex(1)]);
}

TEST(UnfolderCutGraph, IndexAndHullBuiltAtTheEndMatchAddingTheFacesOneByOne) {
    auto letterO = dataModel("letter-o.off");
    auto torus = meshOf(testshapes::torus(6, 10));
    auto sphere = meshOf(icosphere(2));
    struct Case {
        PolyMesh* mesh;
        Graph<Vertex*> cut;
    };
    // One piece with overlaps; two pieces (a face cut all round); one sound piece.
    Case cases[] = {{letterO.get(), {}},
                    {torus.get(), cutAround(torus->getPoly(7))},
                    {sphere.get(), {}}};
    for (Case& c : cases) {
        TestUnfolder* u = bind<TestUnfolder>(*c.mesh);
        u->unfoldToCutGraph(c.cut, 0);
        ASSERT_EQ(c.mesh->getPolyCount(), u->getPolyCount());

        // The index and hull a face-by-face layout keeps, built here from the net.
        FaceBSP grown;
        PlanarConvexHull hull;
        for (Poly* f : u->getPolys()) {
            const FaceBox box(f);
            if (!grown.contains(box))
                grown.grow(box);
            grown.insert(box);
            u->addPolyToHull(f, &hull);
        }
        const FaceBSP& built = u->getFaceBoxTree();
        EXPECT_EQ(grown.getMinX(), built.getMinX());
        EXPECT_EQ(grown.getMaxX(), built.getMaxX());
        EXPECT_EQ(grown.getMinZ(), built.getMinZ());
        EXPECT_EQ(grown.getMaxZ(), built.getMaxZ());
        EXPECT_EQ(grown.getBoxCount(), built.getBoxCount());
        for (Poly* f : u->getPolys()) {
            std::vector<Poly*> expected, found;
            grown.query(FaceBox(f), &expected);
            built.query(FaceBox(f), &found);
            EXPECT_EQ(std::set<Poly*>(expected.begin(), expected.end()),
                      std::set<Poly*>(found.begin(), found.end()));
        }

        const PlanarConvexHull& kept = u->getConvexHull();
        ASSERT_EQ(hull.getLength(), kept.getLength());
        const PlanarConvexHull::Node* a = hull.getHead();
        const PlanarConvexHull::Node* b = kept.getHead();
        for (int i = 0; i < hull.getLength(); ++i, a = a->next, b = b->next) {
            EXPECT_EQ(a->x, b->x);
            EXPECT_EQ(a->y, b->y);
            EXPECT_EQ(a->data, b->data);
        }

        // The last face is journaled: taking it out restores the hull of the others.
        Poly* last = u->getPoly(u->getPolyCount() - 1);
        PlanarConvexHull others;
        for (Poly* f : u->getPolys())
            if (f != last)
                u->addPolyToHull(f, &others);
        ASSERT_TRUE(u->remPoly(last));
        EXPECT_EQ(others.getLength(), u->getConvexHull().getLength());
        EXPECT_EQ(others.getArea(), u->getConvexHull().getArea());
        delete last;
    }
}

namespace {

/// The cut graph built from scratch by its definition: every net face in net order, every
/// edge without a net neighbour but with a source one, as source vertices.
Graph<Vertex*> cutGraphAfresh(Unfolder& u) {
    Graph<Vertex*> cut;
    for (Poly* f : u.getPolys()) {
        Poly* placed = f->getTwin();
        for (int i = 0; placed && i < f->getVertexCount(); ++i)
            if (!u.hasNeighbor(*f, i) && u.getSource()->hasNeighbor(*placed, i))
                cut.addEdge(placed->getVertex(i), placed->getVertex(i + 1));
    }
    return cut;
}

/// Places up to `count` more faces breadth first across the edges of placed ones.
int growBy(TestUnfolder& u, int count) {
    int placed = 0;
    for (Poly* f : u.getSource()->getPolys()) {
        for (int e = 0; f->getTwin() && e < f->getVertexCount() && placed < count; ++e)
            if (u.unfoldFromEdge(*f, e))
                ++placed;
        if (placed == count)
            break;
    }
    return placed;
}

} // namespace

TEST(UnfolderCutGraph, GrowingNetKeepsTheGraphOfAFreshBuild) {
    // A real part with a hole through it, its net grown a face or two at a time.
    auto mesh = dataModel("letter-o.off");
    TestUnfolder* u = bind<TestUnfolder>(*mesh);
    ASSERT_EQ(size_t(1), u->getPolyCount());
    u->setCheckIntersections(false);
    // Neighbour lists in the order a fresh build gives them, not only the same edges.
    EXPECT_EQ(cutGraphAfresh(*u), u->getCutGraph());
    for (int step = 0; growBy(*u, 1 + step % 2) > 0; ++step) {
        u->onChanged(true); // a strategy's step reports its faces
        EXPECT_EQ(cutGraphAfresh(*u), u->getCutGraph()) << "after growth step " << step;
    }
    ASSERT_EQ(mesh->getPolyCount(), u->getPolyCount());

    // Faces taken out (the last one, as trials do, and one in the middle), then growth.
    u->remPolyClean(u->getPoly(u->getPolyCount() - 1));
    EXPECT_EQ(cutGraphAfresh(*u), u->getCutGraph()) << "last face removed";
    growBy(*u, 3);
    EXPECT_EQ(cutGraphAfresh(*u), u->getCutGraph()) << "grown after the last face went";
    u->remPolyClean(u->getPoly(u->getPolyCount() / 2));
    growBy(*u, 1);
    EXPECT_EQ(cutGraphAfresh(*u), u->getCutGraph()) << "a middle face removed, one added";
    growBy(*u, 1);
    EXPECT_EQ(cutGraphAfresh(*u), u->getCutGraph()) << "grown on";

    // A graph laid out from a cut graph is the one asked for; growth from there is not
    // taken into it, the net's own graph is built.
    Graph<Vertex*> none;
    u->unfoldToCutGraph(none, 0);
    EXPECT_TRUE(u->getCutGraph().isEmpty());
    u->remPolyClean(u->getPoly(u->getPolyCount() - 1));
    EXPECT_EQ(cutGraphAfresh(*u), u->getCutGraph()) << "after a layout from a cut graph";
}
