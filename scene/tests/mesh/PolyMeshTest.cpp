#include "scene/mesh/PolyMesh.h"
#include "scene/mesh/CurvatureArmature.h"
#include "tests/support/TestShapes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

using Sorvex::M3d;

namespace {

std::unique_ptr<PolyMesh> makeMesh(const MeshData& d) {
    auto mesh = std::make_unique<PolyMesh>();
    std::string error;
    EXPECT_TRUE(mesh->fromMeshData(d, &error)) << error;
    return mesh;
}

/// Every edge of every face has exactly one neighbour, linked back across the
/// same two vertices.
void expectClosedLinks(PolyMesh& mesh, const char* shape) {
    for (Poly* f : mesh.getPolys()) {
        const int n = f->getVertexCount();
        for (int i = 0; i < n; ++i) {
            Poly* g = f->getNeighbor(i);
            ASSERT_NE(nullptr, g) << shape << ": face " << mesh.getPolyIndex(f) << " edge " << i;
            EXPECT_NE(f, g);
            EXPECT_TRUE(mesh.hasNeighbor(*f, i));
            const int j = g->getNeighborIndex(f);
            ASSERT_GE(j, 0) << shape;
            const std::set<Vertex*> mine{f->getVertex(i), f->getVertex(i + 1)};
            const std::set<Vertex*> theirs{g->getVertex(j), g->getVertex(j + 1)};
            EXPECT_EQ(mine, theirs) << shape;
            EXPECT_EQ(g, f->getNeighbor(i + n));
            EXPECT_EQ(g, f->getNeighbor(i - n));
            EXPECT_EQ(g, f->getNeighbor(i - 2 * n));
        }
        EXPECT_EQ(f->getNeighbor(n - 1), f->getNeighbor(-1));
    }
}

} // namespace

TEST(PolyMeshLinkTest, EveryEdgeOfClosedShapesHasOneNeighbourEachWay) {
    auto cube = makeMesh(testshapes::cube());
    expectClosedLinks(*cube, "cube");
    auto tetra = makeMesh(testshapes::tetrahedron());
    expectClosedLinks(*tetra, "tetrahedron");
    auto ico = makeMesh(testshapes::icosahedron());
    expectClosedLinks(*ico, "icosahedron");
    auto torus = makeMesh(testshapes::torus(7, 5));
    expectClosedLinks(*torus, "torus");

    // Cube: the bottom face (0,3,2,1) meets the left face across 0-3.
    Poly* bottom = cube->getPoly(0);
    EXPECT_EQ(cube->getPoly(4), bottom->getNeighbor(0));
    EXPECT_EQ(cube->getPoly(2), bottom->getNeighbor(-1));
}

TEST(PolyMeshLinkTest, RemovingAndAddingKeepsLinksCurrent) {
    auto ico = makeMesh(testshapes::icosahedron());
    Poly* f = ico->getPoly(7);
    std::vector<Poly*> around;
    for (int i = 0; i < 3; ++i)
        around.push_back(f->getNeighbor(i));
    Vertex* corner = f->getVertex(0);
    ASSERT_EQ(5u, corner->getPolyCount());

    ASSERT_TRUE(ico->remPoly(f));
    EXPECT_EQ(19u, ico->getPolyCount());
    EXPECT_EQ(nullptr, f->getMesh());
    EXPECT_EQ(4u, corner->getPolyCount());
    for (Poly* g : around) {
        EXPECT_EQ(-1, g->getNeighborIndex(f));
        EXPECT_EQ(2, (g->getNeighbor(0) != nullptr) + (g->getNeighbor(1) != nullptr) +
                         (g->getNeighbor(2) != nullptr));
    }
    EXPECT_FALSE(ico->remPoly(f)) << "a removed face cannot be removed again";

    ASSERT_TRUE(ico->addPoly(f));
    EXPECT_EQ(f, ico->getPoly(19)) << "a re-added face goes to the end";
    expectClosedLinks(*ico, "icosahedron after re-adding");

    // The trial pattern: add and remove the most recent face many times.
    for (int k = 0; k < 1000; ++k) {
        ASSERT_TRUE(ico->remPoly(f));
        ASSERT_TRUE(ico->addPoly(f, false));
    }
    expectClosedLinks(*ico, "icosahedron after trials");
    EXPECT_EQ(20u, ico->getPolyCount());
}

TEST(PolyMeshLinkTest, SharedEdgesOfThreeFacesLinkInPairs) {
    PolyMesh mesh;
    Vertex* a = mesh.addVertexAt({0, 0, 0});
    Vertex* b = mesh.addVertexAt({1, 0, 0});
    auto* f1 = new Poly({a, b, mesh.addVertexAt({0, 1, 0})});
    auto* f2 = new Poly({b, a, mesh.addVertexAt({0, -1, 0})});
    auto* f3 = new Poly({a, b, mesh.addVertexAt({0, 0, 1})});
    ASSERT_TRUE(mesh.addPoly(f1));
    ASSERT_TRUE(mesh.addPoly(f2));
    ASSERT_TRUE(mesh.addPoly(f3));
    EXPECT_EQ(f2, f1->getNeighbor(0));
    EXPECT_EQ(f1, f2->getNeighbor(0));
    EXPECT_EQ(nullptr, f3->getNeighbor(0)) << "the edge's two sides are taken";
    EXPECT_EQ(f1, a->findOtherPoly(f3, b));

    ASSERT_TRUE(mesh.remPolyClean(f1));
    EXPECT_EQ(f3, f2->getNeighbor(0)) << "the waiting face takes the freed side";
    EXPECT_EQ(f2, f3->getNeighbor(0));
    EXPECT_EQ(4u, mesh.getVertexCount()) << "the corner only f1 used is gone";
}

TEST(PolyMeshLinkTest, AddPolyRefusesBadFacesAndChangesNothing) {
    PolyMesh mesh;
    PolyMesh other;
    Vertex* a = mesh.addVertexAt({0, 0, 0});
    Vertex* b = mesh.addVertexAt({1, 0, 0});
    Vertex* c = mesh.addVertexAt({0, 1, 0});
    Vertex* foreign = other.addVertexAt({5, 5, 5});

    Poly repeated({a, b, a});
    Poly twoSided({a, b});
    Poly withForeign({a, b, foreign});
    Poly withNull({a, b, nullptr});
    EXPECT_FALSE(mesh.addPoly(&repeated));
    EXPECT_FALSE(mesh.addPoly(&twoSided));
    EXPECT_FALSE(mesh.addPoly(&withForeign));
    EXPECT_FALSE(mesh.addPoly(&withNull));
    EXPECT_FALSE(mesh.addPoly(nullptr));
    EXPECT_EQ(0u, mesh.getPolyCount());
    EXPECT_EQ(3u, mesh.getVertexCount());
    EXPECT_EQ(0u, a->getPolyCount());

    auto* f = new Poly({a, b, c});
    ASSERT_TRUE(mesh.addPoly(f));
    EXPECT_FALSE(mesh.addPoly(f)) << "already in this mesh";
    EXPECT_FALSE(other.addPoly(f)) << "already in another mesh";
    EXPECT_EQ(nullptr, other.addVertex(a)) << "a vertex belongs to one mesh";
    EXPECT_FALSE(mesh.remVertex(a)) << "still used by a face";

    // Loose vertices of a new face are adopted.
    auto* loose = new Vertex(M3d(1, 1, 0));
    ASSERT_TRUE(mesh.addPoly(new Poly({b, loose, c})));
    EXPECT_EQ(mesh.getIOIndex(loose), 3);
    EXPECT_EQ(f, mesh.getPoly(1)->getNeighbor(2));
}

TEST(PolyMeshTest, RemPolyCleanDeletesOnlyOrphanedVertices) {
    MeshData strip;
    strip.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {2, 0, 0}};
    strip.faces = {{0, 1, 2, 3}, {1, 4, 2}};
    auto mesh = makeMesh(strip);
    Poly* square = mesh->getPoly(0);
    Poly* tri = mesh->getPoly(1);
    ASSERT_EQ(square, tri->getNeighbor(2));
    EXPECT_TRUE(mesh->remPolyClean(square));
    EXPECT_EQ(1u, mesh->getPolyCount());
    EXPECT_EQ(3u, mesh->getVertexCount()) << "vertices 0 and 3 go, 1 and 2 stay with the triangle";
    EXPECT_EQ(nullptr, tri->getNeighbor(2));
    EXPECT_FALSE(mesh->hasNeighbor(*tri, 2));
    EXPECT_FALSE(mesh->remPolyClean(nullptr));
}

TEST(PolyMeshTest, IOIndexFollowsTheVertexListThroughRemovals) {
    PolyMesh mesh;
    std::vector<Vertex*> vs;
    for (int i = 0; i < 10; ++i)
        vs.push_back(mesh.addVertexAt({double(i), 0, 0}));
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ(i, mesh.getIOIndex(vs[i]));
    ASSERT_TRUE(mesh.remVertex(vs[2]));
    ASSERT_TRUE(mesh.remVertex(vs[5]));
    ASSERT_TRUE(mesh.remVertex(vs[9]));
    EXPECT_EQ(-1, mesh.getIOIndex(vs[2]));
    EXPECT_EQ(2, mesh.getIOIndex(vs[3]));
    EXPECT_EQ(4, mesh.getIOIndex(vs[6]));
    EXPECT_EQ(6, mesh.getIOIndex(vs[8]));
    EXPECT_EQ(vs[8], mesh.getIOIndex(6));
    EXPECT_EQ(vs[0], mesh.getIOIndex(0));
    EXPECT_EQ(nullptr, mesh.getIOIndex(7));
    EXPECT_EQ(nullptr, mesh.getIOIndex(-1));
    EXPECT_EQ(7u, mesh.getVertexCount());
    PolyMesh other;
    EXPECT_EQ(-1, other.getIOIndex(vs[3]));
    EXPECT_EQ(-1, mesh.getIOIndex(nullptr));
    // Removed vertices are the caller's again, and can join another mesh.
    EXPECT_EQ(vs[2], other.addVertex(vs[2]));
    EXPECT_EQ(0, other.getIOIndex(vs[2]));
    delete vs[5];
    delete vs[9];
}

TEST(PolyMeshTest, IterationSurvivesRemovals) {
    auto mesh = makeMesh(testshapes::torus(4, 4));
    int visited = 0;
    int index = 0;
    for (Poly* f : mesh->getPolys()) {
        ++visited;
        if (index++ % 2 == 0)
            mesh->remPolyClean(f);
    }
    EXPECT_EQ(32, visited);
    EXPECT_EQ(16u, mesh->getPolyCount());
    // The last face removed while iterating ends the loop too.
    visited = 0;
    for (Poly* f : mesh->getPolys()) {
        ++visited;
        mesh->remPolyClean(f);
    }
    EXPECT_EQ(16, visited);
    EXPECT_EQ(0u, mesh->getPolyCount());
    EXPECT_EQ(0u, mesh->getVertexCount());
}

TEST(PolyMeshTest, DeletingAFaceInAMeshTakesItOut) {
    auto mesh = makeMesh(testshapes::tetrahedron());
    Poly* f = mesh->getPoly(1);
    Poly* g = f->getNeighbor(0);
    delete f;
    EXPECT_EQ(3u, mesh->getPolyCount());
    EXPECT_EQ(-1, g->getNeighborIndex(f));
}

TEST(PolyMeshTest, CopyMakesNewVerticesAndFacesInTheSameOrder) {
    auto ico = makeMesh(testshapes::icosahedron());
    PolyMesh target;
    target.addVertexAt({9, 9, 9});
    ico->copy(target);
    ASSERT_EQ(ico->getVertexCount(), target.getVertexCount());
    ASSERT_EQ(ico->getPolyCount(), target.getPolyCount());
    for (std::size_t i = 0; i < ico->getVertexCount(); ++i) {
        EXPECT_NE(ico->getVertex(i), target.getVertex(i));
        EXPECT_EQ(*ico->getVertex(i), *target.getVertex(i));
    }
    EXPECT_EQ(ico->toMeshData().faces, target.toMeshData().faces);
    for (std::size_t i = 0; i < ico->getPolyCount(); ++i) {
        EXPECT_EQ(ico->getPoly(i)->getNormal(), target.getPoly(i)->getNormal());
        EXPECT_DOUBLE_EQ(ico->getPoly(i)->getArea(), target.getPoly(i)->getArea());
    }
    expectClosedLinks(target, "copied icosahedron");
}

TEST(PolyMeshTest, CentreShiftAndHeightRange) {
    MeshData d = testshapes::cube();
    for (auto& p : d.vertices)
        p += M3d(2, 3, 4);
    d.vertices[6].y() = 10; // stretch one corner upwards
    auto mesh = makeMesh(d);
    double low = 0, high = 0;
    mesh->getHeightRange(low, high);
    EXPECT_DOUBLE_EQ(3, low);
    EXPECT_DOUBLE_EQ(10, high);
    EXPECT_EQ(M3d(2.5, 6.5, 4.5), mesh->getCenter());

    EXPECT_EQ(M3d(2.5, 6.5, 4.5), mesh->shiftToCenter());
    EXPECT_EQ(M3d(0, 0, 0), mesh->getCenter());
    mesh->getHeightRange(low, high);
    EXPECT_DOUBLE_EQ(-3.5, low);
    EXPECT_DOUBLE_EQ(3.5, high);
    EXPECT_EQ(M3d(-0.5, -3.5, -0.5), *mesh->getVertex(0));

    PolyMesh empty;
    empty.getHeightRange(low, high);
    EXPECT_EQ(0.0, low);
    EXPECT_EQ(0.0, high);
    EXPECT_EQ(M3d(0, 0, 0), empty.shiftToCenter());
}

TEST(PolyMeshTest, NearestFaceAndAreaOfAList) {
    auto cube = makeMesh(testshapes::cube());
    EXPECT_EQ(cube->getPoly(1), cube->findNearestFace({0.5, 0.5, 3}));
    EXPECT_EQ(cube->getPoly(5), cube->findNearestFace({2, 0.4, 0.6}));
    EXPECT_EQ(nullptr, PolyMesh().findNearestFace({0, 0, 0}));
    EXPECT_DOUBLE_EQ(6.0, PolyMesh::getPolyListArea(cube->getPolys()));
    std::vector<Poly*> two{cube->getPoly(0), cube->getPoly(3)};
    EXPECT_DOUBLE_EQ(2.0, PolyMesh::getPolyListArea(two));
}

TEST(PolyMeshTest, ClearEmptiesAndCutsTwinLinks) {
    auto source = makeMesh(testshapes::cube());
    PolyMesh net;
    auto* copy = new Poly(*source->getPoly(0), &net);
    ASSERT_TRUE(net.addPoly(copy, false));
    copy->setTwin(source->getPoly(0));
    source->getPoly(0)->setTwin(copy);
    net.clear();
    EXPECT_EQ(0u, net.getPolyCount());
    EXPECT_EQ(0u, net.getVertexCount());
    EXPECT_EQ(nullptr, source->getPoly(0)->getTwin());
}

TEST(VertexTest, OtherVerticesAndEdgeCount) {
    auto cube = makeMesh(testshapes::cube());
    Vertex* origin = cube->getVertex(0);
    ASSERT_EQ(3, origin->getEdgeCount());
    std::set<int> joined;
    for (int i = 0; i < origin->getEdgeCount(); ++i)
        joined.insert(cube->getIOIndex(origin->findOtherVertex(i)));
    EXPECT_EQ((std::set<int>{1, 3, 4}), joined);
    EXPECT_EQ(nullptr, origin->findOtherVertex(3));
    EXPECT_EQ(nullptr, origin->findOtherVertex(-1));

    auto ico = makeMesh(testshapes::icosahedron());
    for (Vertex* v : ico->getVertices())
        EXPECT_EQ(5, v->getEdgeCount());

    // An open fan: the rim vertex joins two, the hub three.
    MeshData fan;
    fan.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-1, 0, 0}};
    fan.faces = {{0, 1, 2}, {0, 2, 3}};
    auto open = makeMesh(fan);
    EXPECT_EQ(3, open->getVertex(0)->getEdgeCount());
    EXPECT_EQ(2, open->getVertex(1)->getEdgeCount());
    EXPECT_EQ(open->getPoly(1),
              open->getVertex(0)->findOtherPoly(open->getPoly(0), open->getVertex(2)));
    EXPECT_EQ(nullptr, open->getVertex(0)->findOtherPoly(open->getPoly(0), open->getVertex(1)));
}

TEST(PolyMeshLinkTest, SplicedRingsLinkAsIfBuiltAfresh) {
    // Cut the cube's corner 6 off by hand: the three faces round it lose the corner to two
    // new points each (one run wrapping past a ring's end), and a triangle closes the hole.
    auto cube = makeMesh(testshapes::cube());
    Vertex* corner = cube->getVertex(6);
    std::vector<Poly*> around(corner->getPolys().begin(), corner->getPolys().end());
    ASSERT_EQ(3u, around.size());
    std::map<std::set<Vertex*>, Vertex*> splitOf;
    auto pointOn = [&](Vertex* a) {
        auto [it, isNew] = splitOf.try_emplace({a, corner}, nullptr);
        if (isNew)
            it->second = cube->addVertexAt((*a + *corner) * 0.5);
        return it->second;
    };
    for (Poly* f : around) {
        // The span is the corner and the vertex after it, which goes back in: on the face
        // (2, 3, 7, 6), whose ring ends at the corner, the span wraps past the ring's end.
        const int k = f->getVertexIndex(corner);
        Vertex* after = f->getVertex(k + 1);
        ASSERT_TRUE(
            cube->spliceRing(*f, k, 2, {pointOn(f->getVertex(k - 1)), pointOn(after), after}));
        EXPECT_EQ(after, f->getVertex(k + 2 == 5 ? 4 : k + 2)) << "ring order kept";
    }
    EXPECT_EQ(cube->getVertex(3), cube->getPoly(3)->getVertex(0))
        << "after a wrapping span the ring starts past it";
    EXPECT_TRUE(corner->getPolys().empty());
    ASSERT_TRUE(cube->remVertex(corner));
    delete corner;
    for (Poly* f : around) {
        EXPECT_EQ(5, f->getVertexCount());
        EXPECT_NEAR(1.0 - 0.125, f->getArea(), 1e-12) << "area recomputed";
    }

    // Brute force: an edge's neighbour is the other face holding both its vertices.
    auto expectLinksByScan = [&](const char* when) {
        for (Poly* f : cube->getPolys())
            for (int i = 0; i < f->getVertexCount(); ++i) {
                Poly* expected = nullptr;
                for (Poly* g : cube->getPolys())
                    if (g != f && g->getVertexIndex(f->getVertex(i)) >= 0 &&
                        g->getVertexIndex(f->getVertex(i + 1)) >= 0)
                        expected = g;
                EXPECT_EQ(expected, f->getNeighbor(i))
                    << when << " face " << cube->getPolyIndex(f) << " edge " << i;
            }
    };
    expectLinksByScan("before the cap");
    std::vector<Vertex*> cap;
    for (auto& [edge, v] : splitOf)
        cap.push_back(v);
    Poly* capFace = new Poly(cap);
    ASSERT_TRUE(cube->addPoly(capFace));
    expectLinksByScan("after the cap");
    expectClosedLinks(*cube, "cube with a corner cut");
    EXPECT_EQ(7u, cube->getPolyCount());
    EXPECT_EQ(10u, cube->getVertexCount());
}

TEST(PolyMeshLinkTest, SpliceRefusesBadEditsAndChangesNothing) {
    auto cube = makeMesh(testshapes::cube());
    Poly* f = cube->getPoly(0);
    const std::vector<Vertex*> ring(f->getVertices().begin(), f->getVertices().end());
    Vertex* elsewhere = cube->getVertex(7); // not on the bottom face
    PolyMesh other;
    Vertex* foreign = other.addVertexAt({0, 0, 0});
    EXPECT_FALSE(cube->spliceRing(*f, 0, 2, {}));                     // two corners left
    EXPECT_FALSE(cube->spliceRing(*f, 4, 1, {elsewhere}));            // span outside the ring
    EXPECT_FALSE(cube->spliceRing(*f, 0, 1, {ring[2]}));              // repeats a corner
    EXPECT_FALSE(cube->spliceRing(*f, 0, 1, {elsewhere, elsewhere})); // repeats itself
    EXPECT_FALSE(cube->spliceRing(*f, 0, 1, {foreign}));              // another mesh's
    EXPECT_FALSE(cube->spliceRing(*f, 0, 1, {nullptr}));
    EXPECT_TRUE(std::ranges::equal(ring, f->getVertices()));
    expectClosedLinks(*cube, "cube after refused splices");
    // Putting a corner back in place of itself is allowed and changes nothing.
    EXPECT_TRUE(cube->spliceRing(*f, 1, 1, {ring[1]}));
    EXPECT_TRUE(std::ranges::equal(ring, f->getVertices()));
    expectClosedLinks(*cube, "cube after a null edit");
}
