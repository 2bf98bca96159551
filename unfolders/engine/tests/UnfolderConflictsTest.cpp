#include <gtest/gtest.h>

#include "tests/support/TestShapes.h"
#include "unfolders/engine/tests/TestUnfolder.h"

using namespace testshapes;

namespace {

/// Lays both notch walls of the L-prism against the bottom (they overlap),
/// then the outer walls, which overlap nothing.
TestUnfolder* layNotch(PolyMesh& mesh) {
    auto* u = new TestUnfolder;
    u->setParent(&mesh);
    Poly* bottom = mesh.getPoly(7);
    u->setCheckIntersections(false);
    for (int wall = 0; wall < 6; ++wall)
        u->unfoldFromEdge(*bottom, bottom->getNeighborIndex(mesh.getPoly(wall)));
    return u;
}

} // namespace

TEST(UnfolderConflicts, OnlyCrossingFacesConflictNeverFoldNeighbours) {
    auto mesh = lPrism();
    TestUnfolder* u = layNotch(*mesh);
    ASSERT_EQ(size_t(7), u->getPolyCount());
    EXPECT_FALSE(u->isConflictsValid());
    EXPECT_TRUE(u->findConflicts());
    const Graph<Poly*>& conflicts = u->getConflicts();
    Poly* wallA = mesh->getPoly(2)->getTwin();
    Poly* wallB = mesh->getPoly(3)->getTwin();
    EXPECT_EQ(size_t(1), conflicts.getEdgeCount());
    EXPECT_TRUE(conflicts.hasEdge(wallA, wallB));
    // Each wall shares a fold edge with the bottom and touches its neighbours
    // at a corner: none of that counts.
    EXPECT_FALSE(conflicts.hasVertex(u->getUnfoldingRoot()));

    std::list<Graph<Poly*>> components;
    u->getConflicted(components);
    ASSERT_EQ(size_t(1), components.size());
    EXPECT_EQ(conflicts, components.front());

    // Removing one of the two ends the overlap.
    u->remPoly(wallB);
    delete wallB;
    EXPECT_FALSE(u->findConflicts());
    EXPECT_FALSE(u->isSuccesful()) << "faces are missing";
}

TEST(UnfolderConflicts, SeparateOverlapsFormSeparateComponents) {
    // Two L-prisms side by side as one source: both notches overlap.
    MeshData data;
    auto first = lPrism();
    for (int copy = 0; copy < 2; ++copy) {
        const int base = int(data.vertices.size());
        for (Vertex* v : first->getVertices())
            data.vertices.push_back(*v + Sorvex::M3d(copy * 10.0, 0, 0));
        for (Poly* f : first->getPolys()) {
            std::vector<int> ring;
            for (Vertex* v : f->getVertices())
                ring.push_back(base + first->getIOIndex(v));
            data.faces.push_back(ring);
        }
    }
    PolyMesh twin;
    ASSERT_TRUE(twin.fromMeshData(data));
    auto* u = new TestUnfolder;
    u->setParent(&twin);
    Graph<Vertex*> none;
    u->unfoldToCutGraph(none, 0); // two pieces, each with its notch overlap
    ASSERT_EQ(size_t(16), u->getPolyCount());
    std::list<Graph<Poly*>> components;
    u->getConflicted(components);
    ASSERT_EQ(size_t(2), components.size());
    for (const Graph<Poly*>& c : components)
        EXPECT_EQ(size_t(1), c.getEdgeCount());
    EXPECT_FALSE(u->isSuccesful());
}
