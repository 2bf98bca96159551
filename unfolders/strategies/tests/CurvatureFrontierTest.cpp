// The tracer and the multiseed strategies: orders of placement worked out by hand on
// the prism cube (its corners are alike, so every curvature, flow and step cost ties
// unless a probe sets them), their special cases, and their nets on solids and real
// models.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "common/StatusLine.h"
#include "scene/Factory.h"
#include "scene/mesh/CurvatureArmature.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/SoundNet.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/MultiseedUnfolder.h"
#include "unfolders/strategies/TracerUnfolder.h"
#include "unfolders/strategies/tests/NetInspection.h"
#include "unfolders/strategies/tests/TestModels.h"

using namespace testshapes;
using namespace netinspection;
using Sorvex::M3d;
using Order = std::vector<int>;

namespace {

/// Sets trace directions by hand.
class ProbeTracer : public TracerUnfolder {
public:
    void setDirection(Poly* f, const M3d& d) { flow[f] = d; }
};

/// Sets face curvatures by hand and sorts the faces again by them.
class ProbeMultiseed : public MultiseedUnfolder {
public:
    void setCurvature(Poly* f, float c) { setFaceCurvature(f, c); }
    void resort() {
        sortedFaces.clear();
        sortedFront = 0;
        for (Poly* f : source->getPolys())
            if (!f->getTwin())
                sortFace(f);
    }
};

/// Every complete net is sound, and success is reported exactly for sound nets.
void expectSoundWhenComplete(Unfolder& u, const std::string& what) {
    const testsupport::NetReport report = testsupport::CheckNet(u);
    EXPECT_TRUE(report.faults.empty()) << what << "\n" << report.describe();
    EXPECT_EQ(report.isSound(), u.isSuccesful()) << what;
}

std::vector<std::pair<std::string, std::unique_ptr<PolyMesh>>> solidsAndModels() {
    std::vector<std::pair<std::string, std::unique_ptr<PolyMesh>>> meshes;
    meshes.emplace_back("tetrahedron", meshOf(tetrahedron()));
    meshes.emplace_back("cube", meshOf(cube()));
    meshes.emplace_back("octahedron", meshOf(octahedron()));
    meshes.emplace_back("icosahedron", meshOf(unitIcosahedron()));
    meshes.emplace_back("icosphere", meshOf(icosphere(2)));
    meshes.emplace_back("torus", meshOf(torus(8, 12)));
    for (const char* file : {"cross-part.off", "letter-o.off", "channel-bracket.off"})
        meshes.emplace_back(file, loadTestModel(file));
    return meshes;
}

} // namespace

TEST(CurvatureFrontier, TraceDirectionRunsAcrossTheCurvatureFlow) {
    // An irregular pyramid has a curvature flow: every face's trace direction lies in
    // the face's plane and is perpendicular to the summed flow of its corners.
    MeshData d;
    d.vertices = {{0, 0, 0}, {2, 0, 0}, {2, 0, 1}, {0, 0, 1}, {0.4, 1.5, 0.3}};
    d.faces = {{0, 1, 2, 3}, {1, 0, 4}, {2, 1, 4}, {3, 2, 4}, {0, 3, 4}};
    auto pyramid = meshOf(d);
    auto* u = bind<TracerUnfolder>(*pyramid);
    CurvatureArmature& field = pyramid->getCurvature(false);
    int directed = 0;
    for (Poly* f : pyramid->getPolys()) {
        const M3d t = u->getTraceDirection(f);
        M3d flow;
        for (Vertex* v : f->getVertices())
            flow += field.getCurvatureFlow(v);
        if (t.squared() == 0)
            continue;
        ++directed;
        EXPECT_NEAR(1.0, t.length(), 1e-9);
        EXPECT_NEAR(0.0, t.dot(f->getNormal()), 1e-9);
        EXPECT_NEAR(0.0, t.dot(flow.normalized()), 1e-9) << "across the flow, not along it";
    }
    EXPECT_GT(directed, 0);
    ASSERT_EQ(size_t(1), u->getTips().size()) << "the starting face is the only tip";
    EXPECT_EQ(u->getUnfoldingRoot()->getTwin(), u->getTips().front());
}

TEST(CurvatureFrontier, TracerPlacementOrderOnThePrismCube) {
    // All corners alike: the start is face 0 (wall z = 0), the tip. Directions set by
    // hand (walls: 0 z = 0, 1 x = 1, 2 z = 1, 3 x = 0; 4 top, 5 bottom):
    // - tip 0, direction +x: wall 1 is ahead (+0.5), the others not: 1.
    // - tip 1, direction +z: wall 2 (+0.5) beats the bottom and the top (0): 2.
    // - tip 2 has no direction: no candidate scores, so the curvature ordering steps:
    //   the first candidate in net order, the bottom across face 0's first edge: 5.
    // - tip 5 (bottom), direction -x: wall 3 (+0.5): 3, which replaces tip 5.
    // - tip 3, direction +y: the top (+0.5): 4.
    auto cube = prismCube();
    auto* u = bind<ProbeTracer>(*cube);
    u->setDirection(cube->getPoly(0), M3d(1, 0, 0));
    u->setDirection(cube->getPoly(1), M3d(0, 0, 1));
    u->setDirection(cube->getPoly(2), M3d());
    u->setDirection(cube->getPoly(5), M3d(-1, 0, 0));
    u->setDirection(cube->getPoly(3), M3d(0, 1, 0));
    ASSERT_TRUE(runToEnd(*u));
    EXPECT_EQ(Order({0, 1, 2, 5, 3, 4}), placementOrder(*u));
    EXPECT_EQ(cube->getPoly(3), foldedTo(cube->getPoly(4)));
    EXPECT_TRUE(u->isSuccesful());
}

TEST(CurvatureFrontier, TracerWithoutDirectionsIsTheCurvatureOrdering) {
    // The cube's flow vanishes everywhere, so every step falls back.
    auto cube = prismCube();
    auto* u = bind<TracerUnfolder>(*cube);
    for (Poly* f : cube->getPolys())
        EXPECT_EQ(0.0, u->getTraceDirection(f).squared());
    ASSERT_TRUE(runToEnd(*u));
    auto again = prismCube();
    auto* plain = bind<CurvatureOrderingUnfolder>(*again);
    ASSERT_TRUE(runToEnd(*plain));
    EXPECT_EQ(placementOrder(*plain), placementOrder(*u));
}

TEST(CurvatureFrontier, MultiseedPlacementOrderOnThePrismCube) {
    // Start: face 0. Curvatures set by hand: wall 2 is 5, the top 3, the rest 1, so the
    // sorted list is 2, 4, then the ties, later faces first: 5, 3, 1. Every step costs
    // the same (alike corners), so paths are the ones of fewest faces.
    // - Seed {2}: across the bottom to face 0: the path is 5 (against 0), then 2.
    // - Seed {4}: the top touches wall 2, found first: 4 against 2.
    // - Seeds {3, 1}: 3 is searched first and touches the bottom first: 3 against 5.
    // - Seed {1}: against the bottom, its first edge: 1.
    auto cube = prismCube();
    auto* u = bind<ProbeMultiseed>(*cube);
    for (Poly* f : cube->getPolys())
        u->setCurvature(f, 1.0f);
    u->setCurvature(cube->getPoly(2), 5.0f);
    u->setCurvature(cube->getPoly(4), 3.0f);
    u->resort();
    const std::vector<Poly*> sorted = u->getSortedFaces();
    EXPECT_EQ((std::vector<Poly*>{cube->getPoly(2), cube->getPoly(4), cube->getPoly(5),
                                  cube->getPoly(3), cube->getPoly(1)}),
              sorted);
    std::list<Poly*> first;
    u->getFirstSet(first);
    EXPECT_EQ(std::list<Poly*>{cube->getPoly(2)}, first);

    ASSERT_TRUE(runToEnd(*u));
    EXPECT_EQ(Order({0, 5, 2, 4, 3, 1}), placementOrder(*u));
    EXPECT_EQ(cube->getPoly(2), foldedTo(cube->getPoly(4)));
    EXPECT_EQ(cube->getPoly(5), u->getTreeNode(cube->getPoly(1))->parent->face);
    EXPECT_TRUE(u->isSuccesful());
    // The metric is at least one per step.
    EXPECT_GE(u->metric(cube->getPoly(0), cube->getPoly(1)), 1.0f);
}

TEST(CurvatureFrontier, MultiseedSeedSetsAndUnreachableSeeds) {
    // All faces alike: the first seed set is every unplaced face.
    auto cube = prismCube();
    auto* u = bind<MultiseedUnfolder>(*cube);
    std::list<Poly*> first;
    u->getFirstSet(first);
    EXPECT_EQ(size_t(5), first.size());

    // Two tetrahedra: the far one's faces can never be reached from the net; each
    // of its seed sets is dropped as a whole and the run ends.
    auto two = meshOf(twoTetrahedra());
    auto* t = bind<MultiseedUnfolder>(*two);
    ASSERT_TRUE(runToEnd(*t, 1000));
    EXPECT_EQ(size_t(4), t->getPolyCount());
    EXPECT_TRUE(t->getSortedFaces().empty());
    EXPECT_FALSE(t->isSuccesful());
    EXPECT_EQ("Ready", GetLastStatusMessage());
}

TEST(CurvatureFrontier, MultiseedBoundedPathSearchFindsTheSamePaths) {
    // Bounding each path search by the costs to the net (kept as the net grows, rebuilt
    // after blocks) must not change a single path: the runs lay the same faces in the
    // same order as searches of every face, on solids, real models with refusals and a
    // coolinoid that blocks many edges.
    auto meshes = solidsAndModels();
    meshes.emplace_back("icosphere 3", meshOf(icosphere(3)));
    std::unique_ptr<Factorable> built(Factory::BuildObj("Coolinoid"));
    auto* coolinoid = dynamic_cast<PolyMesh*>(built.get());
    ASSERT_NE(nullptr, coolinoid);
    meshes.emplace_back("coolinoid", meshOf(coolinoid->toMeshData()));
    for (auto& [name, mesh] : meshes) {
        std::vector<Order> orders;
        for (bool bounded : {true, false}) {
            auto* u = bind<MultiseedUnfolder>(*mesh);
            u->setBoundedSearch(bounded);
            ASSERT_TRUE(runToEnd(*u)) << name;
            orders.push_back(placementOrder(*u));
            delete u;
        }
        EXPECT_EQ(orders[1], orders[0]) << name;
    }
}

TEST(CurvatureFrontier, CompleteNetsAreSoundOnSolidsAndRealModels) {
    for (auto& [name, mesh] : solidsAndModels()) {
        for (bool tracer : {true, false}) {
            const std::string what = name + (tracer ? " (tracer)" : " (multiseed)");
            Unfolder* u = tracer ? static_cast<Unfolder*>(bind<TracerUnfolder>(*mesh))
                                 : static_cast<Unfolder*>(bind<MultiseedUnfolder>(*mesh));
            ASSERT_TRUE(runToEnd(*u)) << what;
            expectSoundWhenComplete(*u, what);
            delete u;
        }
    }
}

TEST(CurvatureFrontier, OpenMeshesEndCleanly) {
    for (bool tracer : {true, false}) {
        auto box = openBox();
        Unfolder* u = tracer ? static_cast<Unfolder*>(bind<TracerUnfolder>(*box))
                             : static_cast<Unfolder*>(bind<MultiseedUnfolder>(*box));
        ASSERT_TRUE(runToEnd(*u, 1000));
        EXPECT_EQ(box->getPolyCount(), u->getPolyCount());
        EXPECT_EQ("Ready", GetLastStatusMessage());
    }
}
