#include <gtest/gtest.h>

#include <cmath>

#include "common/StatusLine.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/BorderAvoiderUnfolder.h"
#include "unfolders/strategies/CurvatureOrderingUnfolder.h"
#include "unfolders/strategies/LeastHeightUnfolder.h"
#include "unfolders/strategies/tests/NetInspection.h"

using namespace testshapes;
using namespace netinspection;
using Order = std::vector<int>;

namespace {

/// Exposes the curvature table so that ties can be set up exactly.
class ProbeCurvature : public CurvatureOrderingUnfolder {
public:
    void setCurvature(Poly* f, float c) { setFaceCurvature(f, c); }
};

/// Net faces in order: source index and every vertex position.
using NetPrint = std::vector<std::pair<int, std::vector<Sorvex::M3d>>>;

NetPrint print(Unfolder& u) {
    NetPrint result;
    for (Poly* f : u.getPolys()) {
        std::vector<Sorvex::M3d> ring;
        for (Vertex* v : f->getVertices())
            ring.push_back(*v);
        result.emplace_back(u.getSource()->getPolyIndex(f->getTwin()), ring);
    }
    return result;
}

template <typename T> NetPrint unfoldWith(PolyMesh& mesh, bool incremental) {
    auto* u = bind<T>(mesh);
    u->setIncrementalScan(incremental);
    runToEnd(*u);
    NetPrint result = print(*u);
    delete u;
    return result;
}

} // namespace

TEST(ScanStrategies, LeastHeightTakesLowFacesFirstAndTheFirstOfEqualScores) {
    auto cube = testshapes::prismCube();
    auto* u = bind<LeastHeightUnfolder>(*cube);
    u->unfold();
    EXPECT_TRUE(u->isDone()) << "a full scan without candidates ends the run";
    EXPECT_EQ(Order({5, 0, 1, 2, 3, 4}), placementOrder(*u));
    EXPECT_EQ(cube->getPoly(0), foldedTo(cube->getPoly(4)));
    // Shared edge at y = 0, wall centre at 0.5.
    EXPECT_DOUBLE_EQ(0.25, u->scoreUnfolding(*cube->getPoly(5), *cube->getPoly(2)));
    EXPECT_DOUBLE_EQ(1.0, u->scoreUnfolding(*cube->getPoly(1), *cube->getPoly(4)));
}

TEST(ScanStrategies, BudgetsPerCallAndOneFace) {
    auto sphere = meshOf(icosphere(2));
    auto* lh = bind<LeastHeightWithoutErrorCorrectionUnfolder>(*sphere);
    lh->unfold();
    EXPECT_EQ(size_t(26), lh->getPolyCount()) << "25 attempts, none refused";

    auto sphere2 = meshOf(icosphere(2));
    auto* co = bind<CurvatureOrderingUnfolder>(*sphere2);
    co->setCheckIntersections(false);
    co->unfold();
    EXPECT_EQ(size_t(11), co->getPolyCount()) << "10 attempts";

    auto single = oneFace();
    auto* lh1 = bind<LeastHeightUnfolder>(*single);
    EXPECT_FALSE(lh1->isDone());
    lh1->unfold();
    EXPECT_TRUE(lh1->isDone());
    auto single2 = oneFace();
    auto* co1 = bind<CurvatureOrderingUnfolder>(*single2);
    co1->unfold();
    EXPECT_TRUE(co1->isDone());
    EXPECT_EQ("Ready", GetLastStatusMessage());
}

TEST(ScanStrategies, RefusedEdgesAreBlockedAndNeverRetried) {
    // Laid out from the bottom, the L-prism's notch walls collide: the scan
    // must still end, with the refused face left out of the net.
    auto mesh = testshapes::lPrism();
    auto* u = bind<LeastHeightUnfolder>(*mesh);
    int calls = 0;
    while (!u->isDone() && calls < 100) {
        u->unfold();
        ++calls;
    }
    EXPECT_TRUE(u->isDone());
    EXPECT_LE(u->getPolyCount(), mesh->getPolyCount());
    auto mesh2 = testshapes::lPrism();
    auto* off = bind<LeastHeightWithoutErrorCorrectionUnfolder>(*mesh2);
    while (!off->isDone())
        off->unfold();
    EXPECT_EQ(mesh2->getPolyCount(), off->getPolyCount());
}

TEST(ScanStrategies, BorderAvoiderStartsFarFromTheBorder) {
    auto box = openBox();
    auto* u = bind<BorderAvoiderUnfolder>(*box);
    EXPECT_DOUBLE_EQ(std::sqrt(1.5), u->getLargestBorderDistance());
    EXPECT_EQ(Order({4}), placementOrder(*u)) << "the bottom is farthest from the rim";
    runToEnd(*u);
    EXPECT_EQ(size_t(5), u->getPolyCount());

    // Closed: start lowest, score by the heights of both faces.
    auto cube = testshapes::prismCube();
    auto* closed = bind<BorderAvoiderUnfolder>(*cube);
    EXPECT_EQ(0.0, closed->getLargestBorderDistance());
    EXPECT_DOUBLE_EQ(1.5, closed->scoreUnfolding(*cube->getPoly(0), *cube->getPoly(4)));
    runToEnd(*closed);
    EXPECT_EQ(Order({5, 0, 1, 2, 3, 4}), placementOrder(*closed));

    // Every face touches the border: the net still starts.
    auto flat = flatSquare();
    auto* strip = bind<BorderAvoiderUnfolder>(*flat);
    runToEnd(*strip);
    EXPECT_EQ(size_t(2), strip->getPolyCount());
}

TEST(ScanStrategies, CurvatureJudgeTreatsCloseValuesAsEqual) {
    auto cube = testshapes::prismCube();
    ProbeCurvature u;
    Poly* a = cube->getPoly(0);
    Poly* b = cube->getPoly(1);
    CurvatureOrderingUnfolder::Candidate ca{a, 0}, cb{b, 0};
    u.setCurvature(a, 1.0f);
    u.setCurvature(b, 1.0f + 4e-7f);
    EXPECT_EQ(0, u.judge(ca, cb));
    u.setCurvature(b, 1.0f + 4e-6f);
    EXPECT_EQ(1, u.judge(ca, cb));
    EXPECT_EQ(-1, u.judge(cb, ca));
}

TEST(ScanStrategies, CurvatureOrderingGrowsFromTheMostCurvedFace) {
    // Every cube corner is alike: all faces tie, so the start is the first
    // face and each step takes the first candidate found in net order.
    auto cube = testshapes::prismCube();
    auto* u = bind<CurvatureOrderingUnfolder>(*cube);
    runToEnd(*u);
    EXPECT_EQ(Order({0, 5, 3, 4, 1, 2}), placementOrder(*u));

    // A square pyramid: the apex is the sharpest vertex, so a side starts,
    // and the base (least curved on average) comes last.
    MeshData d;
    d.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}, {0.5, 2, 0.5}};
    d.faces = {{0, 1, 2, 3}, {1, 0, 4}, {2, 1, 4}, {3, 2, 4}, {0, 3, 4}};
    auto pyramid = meshOf(d);
    auto* p = bind<CurvatureOrderingUnfolder>(*pyramid);
    EXPECT_NE(0, placementOrder(*p).front());
    runToEnd(*p);
    ASSERT_EQ(size_t(5), p->getPolyCount());
    EXPECT_EQ(0, placementOrder(*p).back());
}

TEST(ScanStrategies, IncrementalScanGivesTheSameNetsAsTheFullScan) {
    std::vector<std::unique_ptr<PolyMesh>> meshes;
    meshes.push_back(testshapes::prismCube());
    meshes.push_back(testshapes::lPrism());
    meshes.push_back(meshOf(icosphere(3)));
    meshes.push_back(randomConvex(7, 60));
    meshes.push_back(openBox());
    for (auto& mesh : meshes) {
        const size_t faces = mesh->getPolyCount();
        EXPECT_EQ(unfoldWith<LeastHeightUnfolder>(*mesh, false),
                  unfoldWith<LeastHeightUnfolder>(*mesh, true))
            << faces;
        EXPECT_EQ(unfoldWith<LeastHeightWithoutErrorCorrectionUnfolder>(*mesh, false),
                  unfoldWith<LeastHeightWithoutErrorCorrectionUnfolder>(*mesh, true))
            << faces;
        EXPECT_EQ(unfoldWith<BorderAvoiderUnfolder>(*mesh, false),
                  unfoldWith<BorderAvoiderUnfolder>(*mesh, true))
            << faces;
        EXPECT_EQ(unfoldWith<CurvatureOrderingUnfolder>(*mesh, false),
                  unfoldWith<CurvatureOrderingUnfolder>(*mesh, true))
            << faces;
        // A subclass does not use the candidate index but the frontier scan.
        EXPECT_EQ(unfoldWith<CurvatureOrderingUnfolder>(*mesh, false),
                  unfoldWith<ProbeCurvature>(*mesh, true))
            << faces;
    }
}
