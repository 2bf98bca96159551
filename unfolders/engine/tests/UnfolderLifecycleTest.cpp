#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/IdleLoop.h"
#include "common/StatusLine.h"
#include "scene/Factory.h"
#include "tests/support/TestShapes.h"
#include "unfolders/engine/tests/TestUnfolder.h"
#include "unfolders/engine/tests/UnfolderTestUtil.h"

using Sorvex::M3d;
using namespace testmeshes;
using namespace testshapes;

namespace {

TestUnfolder* bind(PolyMesh& mesh, int stepsUntilDone = 0) {
    auto* u = new TestUnfolder;
    u->stepsUntilDone = stepsUntilDone;
    u->setParent(&mesh); // the mesh owns it from now on
    return u;
}

/// Records every status message while alive.
struct StatusLog {
    std::vector<std::string> lines;
    StatusLog() {
        RegisterStatusMessageFn([this](const char* text) { lines.push_back(text); });
    }
    ~StatusLog() { RegisterStatusMessageFn(nullptr); }
};

} // namespace

TEST(UnfolderLifecycle, BindingPlacesTheLowestFaceFlatBelowTheModel) {
    auto mesh = prismCube();
    Poly* bottom = mesh->getPoly(5);
    TestUnfolder* u = bind(*mesh);
    ASSERT_EQ(size_t(1), u->getPolyCount());
    Poly* root = u->getUnfoldingRoot();
    ASSERT_NE(nullptr, root);
    EXPECT_EQ(bottom, root->getTwin());
    EXPECT_EQ(root, bottom->getTwin());
    EXPECT_EQ(M3d(0, -1, 0), root->getNormal());
    EXPECT_EQ(M3d(0, -1, 0), ringNormal(*root));
    for (Vertex* v : root->getVertices())
        EXPECT_NEAR(-0.1, v->y(), 1e-12) << "a tenth of the height below the lowest point";
    EXPECT_NEAR(0.5, root->getCenter().x(), 1e-12);
    EXPECT_NEAR(0.5, root->getCenter().z(), 1e-12);
    EXPECT_FLOAT_EQ(1.0f / 6, u->getProgress());
    EXPECT_FALSE(u->isSuccesful());
    EXPECT_TRUE(u->getDrawTwins()) << "the twins setting defaults to on";
}

TEST(UnfolderLifecycle, TiesOnTheLowestCentreGoToTheFirstFace) {
    // A cube whose bottom is split into two triangles at the same height.
    MeshData data;
    data.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1},
                     {0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {0, 1, 1}};
    std::vector<std::vector<int>> sides = {
        {1, 0, 4, 5}, {2, 1, 5, 6}, {3, 2, 6, 7}, {0, 3, 7, 4}, {7, 6, 5, 4}};
    std::vector<int> triA = {0, 1, 2}, triB = {0, 2, 3};
    for (bool aFirst : {true, false}) {
        data.faces = sides;
        data.faces.push_back(aFirst ? triA : triB);
        data.faces.push_back(aFirst ? triB : triA);
        PolyMesh mesh;
        ASSERT_TRUE(mesh.fromMeshData(data));
        TestUnfolder* u = bind(mesh);
        EXPECT_EQ(mesh.getPoly(5), u->getUnfoldingRoot()->getTwin()) << "aFirst " << aFirst;
    }
}

TEST(UnfolderLifecycle, OneFaceSourceSucceedsAndUnboundUnfolderIsInert) {
    MeshData data;
    data.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 1}};
    data.faces = {{0, 1, 2}};
    PolyMesh triangle;
    ASSERT_TRUE(triangle.fromMeshData(data));
    TestUnfolder* u = bind(triangle);
    EXPECT_FLOAT_EQ(1.0f, u->getProgress());
    u->findConflicts();
    EXPECT_TRUE(u->isSuccesful());

    TestUnfolder unbound;
    EXPECT_EQ(nullptr, unbound.chooseStartingFace());
    EXPECT_EQ(0.0f, unbound.getProgress());
    EXPECT_TRUE(unbound.getConflicts().isEmpty());
    unbound.onSystemIdle();
    EXPECT_EQ(0, unbound.getIdleCount());
    EXPECT_FALSE(unbound.getDrawTwins());
}

TEST(UnfolderLifecycle, StrategyStepsFromTheFifthTickAndFinishesOnce) {
    auto mesh = cornerTetrahedron();
    TestUnfolder* u = bind(*mesh, 2);
    for (int tick = 1; tick <= 4; ++tick) {
        u->onSystemIdle();
        EXPECT_EQ(0, u->unfoldCalls) << "tick " << tick;
    }
    u->onSystemIdle();
    EXPECT_EQ(1, u->unfoldCalls);
    EXPECT_EQ(0, u->doneCalls);
    u->onSystemIdle();
    EXPECT_EQ(2, u->unfoldCalls);
    EXPECT_EQ(1, u->doneCalls);
    u->onSystemIdle();
    EXPECT_EQ(2, u->unfoldCalls) << "a done strategy is not stepped";
    EXPECT_EQ(1, u->doneCalls);
    EXPECT_TRUE(u->isSuccesful()) << "gap filling completes a tetrahedron without overlaps";
}

TEST(UnfolderLifecycle, IdleLoopDrivesRegisteredUnfolders) {
    auto mesh = prismCube();
    TestUnfolder* u = bind(*mesh, 1);
    for (int tick = 0; tick < 5; ++tick)
        OnSystemIdle();
    EXPECT_EQ(1, u->unfoldCalls);
    EXPECT_EQ(size_t(6), u->getPolyCount());
    delete u;
    OnSystemIdle(); // the deleted unfolder must have left the loop
    EXPECT_TRUE(mesh->getChildren().empty());
    for (Poly* f : mesh->getPolys())
        EXPECT_EQ(nullptr, f->getTwin()) << "deleting the net clears the twin links";
}

TEST(UnfolderLifecycle, GapFillingAttachesEveryFaceAndReportsTheOverlaps) {
    auto mesh = lPrism();
    TestUnfolder* u = bind(*mesh, 1);
    StatusLog log;
    for (int tick = 0; tick < 5; ++tick)
        u->onSystemIdle();
    ASSERT_EQ(1, u->doneCalls);
    EXPECT_EQ(size_t(8), u->getPolyCount());
    ASSERT_FALSE(log.lines.empty());
    EXPECT_EQ("Filling in the gaps - 7 polys to go...", log.lines.front());
    EXPECT_EQ("Ready", log.lines.back());
    EXPECT_TRUE(u->getCheckIntersections()) << "the check is restored";

    // Laid out from the bottom, the two walls of the notch overlap.
    Graph<Poly*>& conflicts = u->getConflicts();
    Poly* wallA = mesh->getPoly(2)->getTwin();
    Poly* wallB = mesh->getPoly(3)->getTwin();
    EXPECT_TRUE(conflicts.hasEdge(wallA, wallB));
    EXPECT_EQ(size_t(2), conflicts.getVertexCount());
    EXPECT_TRUE(u->getConflicted(wallA));
    EXPECT_FALSE(u->getConflicted(u->getUnfoldingRoot()));
    EXPECT_FALSE(u->isSuccesful());
    EXPECT_EQ(0, u->getSuccessCount());
}

TEST(UnfolderLifecycle, ForbiddingAutoCompletionLeavesTheNetAsItIs) {
    struct NoCompletion : TestUnfolder {
        bool allowAutoComplete() override { return false; }
    };
    auto mesh = prismCube();
    auto* u = new NoCompletion;
    u->stepsUntilDone = 1;
    u->setParent(mesh.get());
    for (int tick = 0; tick < 5; ++tick)
        u->onSystemIdle();
    EXPECT_EQ(size_t(1), u->getPolyCount());
    EXPECT_TRUE(u->isConflictsValid());
    EXPECT_FALSE(u->isSuccesful());
}

TEST(UnfolderLifecycle, StructuralChangeOfTheSourceClearsTheNet) {
    auto mesh = prismCube();
    TestUnfolder* u = bind(*mesh);
    ASSERT_EQ(size_t(1), u->getPolyCount());
    mesh->onChanged(false);
    EXPECT_EQ(size_t(1), u->getPolyCount());
    mesh->onChanged(true);
    EXPECT_EQ(size_t(0), u->getPolyCount());
    EXPECT_EQ(nullptr, u->getUnfoldingRoot());
    EXPECT_EQ(size_t(0), u->getFaceBoxTree().getBoxCount());
    for (Poly* f : mesh->getPolys())
        EXPECT_EQ(nullptr, f->getTwin());
}

TEST(UnfolderLifecycle, RebindingStartsAFreshNet) {
    auto first = prismCube();
    auto second = cornerTetrahedron();
    TestUnfolder* u = bind(*first, 1);
    for (int tick = 0; tick < 5; ++tick)
        u->onSystemIdle();
    ASSERT_EQ(size_t(6), u->getPolyCount());
    ASSERT_TRUE(first->getRenderTwinnedInBlue());

    u->setParent(second.get());
    EXPECT_FALSE(first->getRenderTwinnedInBlue());
    EXPECT_EQ(size_t(1), u->getPolyCount());
    EXPECT_EQ(second.get(), u->getSource());
    for (Poly* f : first->getPolys())
        EXPECT_EQ(nullptr, f->getTwin()) << "the old source keeps no links to the net";
    EXPECT_EQ(second.get(), u->getUnfoldingRoot()->getTwin()->getMesh());

    SceneObj plain;
    u->setParent(&plain);
    EXPECT_EQ(nullptr, u->getSource());
    EXPECT_EQ(0.0f, u->getProgress());
    u->setParent(nullptr);
    delete u;
}

TEST(UnfolderLifecycle, FactoryListsTheUnfolderUnderMeshes) {
    Factory* factory = Factory::GetFactory("Unfolder");
    ASSERT_NE(nullptr, factory);
    EXPECT_EQ(&Unfolder::g_UnfolderBuilder, factory);
    EXPECT_TRUE(factory->isListedUnder("PolyMesh"));
    std::unique_ptr<Factorable> built(Factory::BuildObj("Unfolder"));
    ASSERT_NE(nullptr, built);
    EXPECT_EQ("Unfolder", built->getClassName());
    auto* u = dynamic_cast<Unfolder*>(built.get());
    ASSERT_NE(nullptr, u);
    EXPECT_FALSE(u->canSave());
    EXPECT_EQ(nullptr, u->convertToAnimation(false)) << "no parent: nothing to convert";
}

TEST(UnfolderLifecycle, HeightBandsFollowTheirSwitch) {
    auto mesh = prismCube();
    TestUnfolder* u = bind(*mesh, 1);
    u->setDrawHeightBands(true);
    EXPECT_TRUE(u->getHeightBands().empty()) << "nothing is computed before the end";
    for (int tick = 0; tick < 5; ++tick)
        u->onSystemIdle();
    EXPECT_EQ(size_t(10), u->getHeightBands().size());
    u->setDrawHeightBands(false);
    EXPECT_TRUE(u->getHeightBands().empty());
    u->setDrawHeightBands(true);
    EXPECT_EQ(size_t(10), u->getHeightBands().size());
}
