#include <gtest/gtest.h>

#include <cmath>

#include "scene/Factory.h"
#include "scene/mesh/Vertex.h"
#include "sorvex/PlanarConvexHull.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/engine/tests/TestUnfolder.h"
#include "unfolders/engine/tests/UnfolderTestUtil.h"

using Sorvex::M3d;
using Sorvex::M4x4;
using namespace testmeshes;
using namespace testshapes;

namespace {

double edgeLength(const Poly& f, int i) {
    return (*f.getVertex(i + 1) - *f.getVertex(i)).length();
}

/// Every net face: flat at the net height, facing down, congruent with its
/// source face, and sharing vertex objects with each net neighbour. Fold
/// angles are single precision, so a folded face may tilt by about 1e-7.
void expectSoundNet(TestUnfolder& u, double netY) {
    const double tolerance = 1e-6;
    for (Poly* f : u.getPolys()) {
        Poly* src = f->getTwin();
        ASSERT_NE(nullptr, src);
        EXPECT_EQ(M3d(0, -1, 0), f->getNormal());
        EXPECT_TRUE(ringNormal(*f).cmp(M3d(0, -1, 0), tolerance));
        for (int i = 0; i < f->getVertexCount(); ++i) {
            EXPECT_NEAR(netY, f->getVertex(i)->y(), tolerance);
            EXPECT_NEAR(edgeLength(*src, i), edgeLength(*f, i), 1e-12);
            if (Poly* g = f->getNeighbor(i)) {
                // A fold edge: the neighbours share both vertex objects.
                EXPECT_EQ(src->getNeighbor(i), g->getTwin());
                EXPECT_GE(g->getVertexIndex(f->getVertex(i)), 0);
                EXPECT_GE(g->getVertexIndex(f->getVertex(i + 1)), 0);
            }
        }
    }
}

} // namespace

TEST(UnfolderLayout, RotationIntoThePlaneHonoursBothThresholds) {
    auto mesh = prismCube();
    TestUnfolder* u = bind<TestUnfolder>(*mesh);
    Poly* face = mesh->getPoly(0);
    const M3d centre = face->getCenter();

    face->setNormal(M3d(0, -0.99995, std::sqrt(1 - 0.99995 * 0.99995)));
    EXPECT_EQ(M4x4(), u->getRotationToPlane(*face)) << "within 0.9999: not turned";

    face->setNormal(M3d(0, 0.999995, std::sqrt(1 - 0.999995 * 0.999995)));
    M4x4 halfTurn = u->getRotationToPlane(*face);
    EXPECT_EQ(centre + M3d(1, -1, -1), halfTurn * (centre + M3d(1, 1, 1))) << "half a turn about x";
    EXPECT_EQ(centre, halfTurn * centre) << "the turn is about the face's centre";

    // A general normal is carried onto (0, -1, 0).
    for (M3d n : {M3d(1, 0, 0), M3d(0, 0, -1), M3d(0.6, 0.8, 0), M3d(-0.3, -0.5, 0.81)}) {
        n.normalize();
        face->setNormal(n);
        M4x4 r = u->getRotationToPlane(*face);
        M3d turned = r * (centre + n) - r * centre;
        EXPECT_TRUE(turned.cmp(M3d(0, -1, 0), 1e-9)) << turned.x() << " " << turned.y();
    }
}

TEST(UnfolderLayout, FaceTreesOfACubeAndATetrahedronGiveSoundNets) {
    for (auto make : {&prismCube, &cornerTetrahedron}) {
        auto mesh = make();
        TestUnfolder* u = bind<TestUnfolder>(*mesh);
        // Root the tree elsewhere: the layout re-roots it at the starting face.
        Graph<Poly*> graph = breadthFirstTree(*mesh, mesh->getPoly(0));
        Tree<Poly*> tree(graph, mesh->getPoly(0));
        EXPECT_TRUE(u->unfoldToNet(tree));
        EXPECT_EQ(u->getUnfoldingRoot()->getTwin(), tree.getRoot()->getValue());
        EXPECT_EQ(mesh->getPolyCount(), u->getPolyCount());
        double low, high;
        mesh->getHeightRange(low, high);
        expectSoundNet(*u, low - (high - low) / 10);
        Graph<Poly*> net;
        u->getNet(net);
        EXPECT_EQ(graph.getEdgeCount(), net.getEdgeCount()) << "every tree edge is a fold";
        for (const auto& [f, around] : graph)
            for (Poly* g : around)
                EXPECT_TRUE(net.hasEdge(f, g));
        EXPECT_FALSE(u->findConflicts()) << "these nets do not overlap";
        EXPECT_EQ(M3d(0, 0, 0), u->getTranslation());
    }
}

TEST(UnfolderLayout, ReflexEdgesFoldToTheFarSideOfTheHinge) {
    auto mesh = lPrism();
    TestUnfolder* u = bind<TestUnfolder>(*mesh);
    Poly* bottom = mesh->getPoly(7);
    ASSERT_EQ(bottom, u->getUnfoldingRoot()->getTwin());
    Poly* wallA = mesh->getPoly(2);
    Poly* wallB = mesh->getPoly(3);
    ASSERT_EQ(wallA, u->unfoldFromEdge(*bottom, bottom->getNeighborIndex(wallA)));
    // Walls 2 and 3 meet at the reflex edge of the notch.
    const int k = wallB->getNeighborIndex(wallA);
    ASSERT_GE(k, 0);
    // Unrolled from wall A, wall B lies on the bottom face, corners on its
    // sides: a nested overlap with no crossing edges, which is refused.
    EXPECT_EQ(nullptr, u->unfoldToEdge(*wallB, k));
    u->setCheckIntersections(false);
    ASSERT_EQ(wallB, u->unfoldToEdge(*wallB, k));
    expectSoundNet(*u, -0.05);

    // The two centres lie on opposite sides of the hinge line.
    Poly* netB = wallB->getTwin();
    const M3d p0 = *netB->getVertex(k), p1 = *netB->getVertex(k + 1);
    auto side = [&](const M3d& c) {
        return (c.z() - p0.z()) * (p1.x() - p0.x()) - (c.x() - p0.x()) * (p1.z() - p0.z());
    };
    EXPECT_LT(side(wallA->getTwin()->getCenter()) * side(netB->getCenter()), 0);
    EXPECT_TRUE(u->findConflicts());
    EXPECT_EQ(size_t(1), u->getConflicts().getEdgeCount());
    EXPECT_TRUE(u->getConflicts().hasEdge(netB, bottom->getTwin()));
}

TEST(UnfolderLayout, OverlappingPlacementIsRefusedAndTheBlockerNamed) {
    auto mesh = lPrism();
    TestUnfolder* u = bind<TestUnfolder>(*mesh);
    Poly* bottom = mesh->getPoly(7);
    Poly* wallA = mesh->getPoly(2);
    Poly* wallB = mesh->getPoly(3);
    ASSERT_EQ(wallA, u->unfoldFromEdge(*bottom, bottom->getNeighborIndex(wallA)));
    const size_t vertices = u->getVertexCount();

    EXPECT_EQ(nullptr, u->unfoldFromEdge(*bottom, bottom->getNeighborIndex(wallB)));
    Poly* blocker = nullptr;
    EXPECT_EQ(nullptr, u->copyAndFlatten(*wallB, wallB->getNeighborIndex(bottom), &blocker));
    EXPECT_EQ(wallA, blocker);
    EXPECT_EQ(size_t(2), u->getPolyCount());
    EXPECT_EQ(vertices, u->getVertexCount()) << "a refused copy leaves no vertices behind";
    EXPECT_EQ(nullptr, wallB->getTwin());
    EXPECT_NE(nullptr, u->getFaceTransform(wallB)) << "the transform entry stays";

    // A face with no placed neighbour cannot be laid at all.
    Poly* top = mesh->getPoly(6);
    EXPECT_EQ(nullptr, u->copyAndFlatten(*top, 0, nullptr));
    EXPECT_EQ(nullptr, u->unfoldToEdge(*top, -1));

    // Placed anyway, the overlap is recorded against the blocker.
    u->onConflict(*wallB, wallB->getNeighborIndex(bottom));
    EXPECT_EQ(size_t(3), u->getPolyCount());
    EXPECT_TRUE(u->getCheckIntersections());
    EXPECT_FALSE(u->isConflictsValid()) << "a new face makes the overlap graph stale";
    Graph<Poly*>& conflicts = u->getConflicts();
    EXPECT_EQ(size_t(2), conflicts.getVertexCount());
    EXPECT_TRUE(conflicts.hasVertex(wallA->getTwin()));
}

TEST(UnfolderLayout, ShiftToCenterMovesHullAndIndexWithTheNet) {
    auto mesh = prismCube();
    TestUnfolder* u = bind<TestUnfolder>(*mesh);
    Graph<Poly*> graph = breadthFirstTree(*mesh, mesh->getPoly(5));
    Tree<Poly*> tree(graph, mesh->getPoly(5));
    ASSERT_TRUE(u->unfoldToNet(tree));
    const double hullArea = u->getConvexHull().getArea();
    const M3d hullMiddle = u->getConvexHull().getMiddle();
    const int hullLength = u->getConvexHull().getLength();
    const M3d shift = u->shiftToCenter();
    EXPECT_TRUE(u->getCenter().cmp(M3d(0, 0, 0), 1e-12));
    EXPECT_NEAR(hullArea, u->getConvexHull().getArea(), 1e-9);
    EXPECT_EQ(hullLength, u->getConvexHull().getLength());
    EXPECT_TRUE(
        u->getConvexHull().getMiddle().cmp(hullMiddle - M3d(shift.x(), 0, shift.z()), 1e-12));
    const FaceBSP& index = u->getFaceBoxTree();
    std::vector<FaceBox> boxes;
    index.collectBoxes(boxes);
    ASSERT_EQ(size_t(6), boxes.size());
    for (const FaceBox& b : boxes) {
        EXPECT_TRUE(index.contains(b));
        EXPECT_DOUBLE_EQ(FaceBox(b.face).minX, b.minX);
        EXPECT_DOUBLE_EQ(FaceBox(b.face).maxZ, b.maxZ);
    }
}

namespace {

/// The hull's vertices in list order, with their user pointers, and its revision.
struct HullState {
    std::vector<double> coordinates;
    std::vector<const void*> data;
    unsigned long long revision = 0;
    bool operator==(const HullState&) const = default;
};

HullState stateOf(PlanarConvexHull& hull) {
    HullState state;
    const PlanarConvexHull::Node* node = hull.getHead();
    for (int i = 0; node && i < hull.getLength(); ++i, node = node->next) {
        state.coordinates.insert(state.coordinates.end(), {node->x, node->y});
        state.data.push_back(node->data);
    }
    state.revision = hull.getRevision();
    return state;
}

} // namespace

TEST(UnfolderLayout, AHullFedWhenFirstUsedIsTheHullFedFaceByFace) {
    // The net's faces reach the hull only when it is used. A net whose hull is read after
    // every step and one whose hull is first read at the end, after a shift or a removal
    // (which move or delete vertices), must have the very same hull.
    struct Run {
        std::unique_ptr<PolyMesh> mesh = meshOf(icosphere(2));
        Unfolder* u = nullptr;
    };
    const auto lay = [](Run& run, bool readEachStep) {
        run.u = dynamic_cast<Unfolder*>(Factory::BuildObj("BreadthFirstUnfolder"));
        ASSERT_NE(nullptr, run.u);
        run.u->setParent(run.mesh.get());
        for (int tick = 0; tick < 100000 && !run.u->isDone(); ++tick) {
            run.u->onSystemIdle();
            if (readEachStep)
                run.u->getConvexHull().getLength();
        }
        ASSERT_TRUE(run.u->isDone());
    };
    const auto removeFace = [](Run& run) {
        Poly* src = run.mesh->getPoly(7);
        Poly* net = src->getTwin();
        src->setTwin(nullptr);
        return run.u->remPoly(net);
    };
    const auto expectSameHull = [](Run& eager, Run& lazy, const char* what) {
        const HullState a = stateOf(eager.u->getConvexHull());
        const HullState b = stateOf(lazy.u->getConvexHull());
        EXPECT_EQ(a.coordinates, b.coordinates) << what;
        EXPECT_EQ(a.revision, b.revision) << what;
        ASSERT_EQ(a.data.size(), b.data.size()) << what;
        EXPECT_GT(a.data.size(), std::size_t(3)) << what;
        for (std::size_t i = 0; i < a.data.size(); ++i)
            EXPECT_EQ(eager.u->getIOIndex(static_cast<const Vertex*>(a.data[i])),
                      lazy.u->getIOIndex(static_cast<const Vertex*>(b.data[i])))
                << what;
    };
    Run eager, lazy;
    lay(eager, true);
    lay(lazy, false);
    expectSameHull(eager, lazy, "laid");

    Run eagerShift, lazyShift;
    lay(eagerShift, true);
    lay(lazyShift, false);
    eagerShift.u->shiftToCenter();
    lazyShift.u->shiftToCenter();
    expectSameHull(eagerShift, lazyShift, "shifted");

    Run eagerRemoved, lazyRemoved;
    lay(eagerRemoved, true);
    lay(lazyRemoved, false);
    ASSERT_TRUE(removeFace(eagerRemoved));
    ASSERT_TRUE(removeFace(lazyRemoved));
    expectSameHull(eagerRemoved, lazyRemoved, "a face taken out");
}

TEST(UnfolderLayout, HeightBandsAreNestedAndTheLastHoldsEveryVertex) {
    auto mesh = lPrism();
    TestUnfolder* u = bind<TestUnfolder>(*mesh);
    Graph<Poly*> graph = breadthFirstTree(*mesh, mesh->getPoly(7));
    Tree<Poly*> tree(graph, mesh->getPoly(7));
    u->setCheckIntersections(false);
    u->unfoldToNet(tree);
    u->findHeightBands();
    ASSERT_EQ(size_t(10), u->getHeightBands().size());
    const PlanarConvexHull& last = u->getHeightBands().back();
    for (Vertex* v : u->getVertices()) {
        PlanarConvexHull probe = last;
        EXPECT_FALSE(probe.addPoint(v->x(), v->z(), nullptr)) << "inside or on the last band";
    }
    double previous = 0;
    for (const PlanarConvexHull& band : u->getHeightBands()) {
        EXPECT_GE(band.getArea(), previous - 1e-12);
        previous = band.getArea();
    }

    // A flat source has no bands.
    MeshData data;
    data.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}};
    data.faces = {{0, 2, 1}};
    PolyMesh flat;
    ASSERT_TRUE(flat.fromMeshData(data));
    TestUnfolder* v = bind<TestUnfolder>(flat);
    v->findHeightBands();
    EXPECT_TRUE(v->getHeightBands().empty());
}

TEST(UnfolderLayout, DevelopmentCentreAveragesTheDistinctImages) {
    auto mesh = prismCube();
    TestUnfolder* u = bind<TestUnfolder>(*mesh);
    Graph<Poly*> graph = breadthFirstTree(*mesh, mesh->getPoly(5));
    Tree<Poly*> tree(graph, mesh->getPoly(5));
    ASSERT_TRUE(u->unfoldToNet(tree));
    for (Vertex* v : mesh->getVertices()) {
        std::vector<M3d> images;
        for (Poly* f : v->getPolys()) {
            M3d p = *f->getTwin()->getVertex(f->getVertexIndex(v));
            if (std::find(images.begin(), images.end(), p) == images.end())
                images.push_back(p);
        }
        M3d mean;
        for (const M3d& p : images)
            mean += p;
        mean /= double(images.size());
        EXPECT_TRUE(u->findDevelopmentCenter(v).cmp(mean, 1e-12));
        // A cube vertex is cut open in a tree net: it has several images.
        EXPECT_GE(images.size(), size_t(1));
    }
    Vertex loose(M3d(1, 2, 3));
    EXPECT_EQ(M3d(0, 0, 0), u->findDevelopmentCenter(&loose));
}
