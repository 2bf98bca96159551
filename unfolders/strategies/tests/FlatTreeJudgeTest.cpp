// The judge that tells overlap-free spanning trees without laying them out: its verdict
// against the engine's on every spanning tree of convex and non-convex meshes, and the
// counting run of the spanned search that uses it.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "common/XML.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/SoundNet.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/SpannedUnfolder.h"
#include "unfolders/strategies/enumeration/FlatTreeJudge.h"
#include "unfolders/strategies/enumeration/GraphSpanningTrees.h"
#include "unfolders/strategies/tests/TestModels.h"

using namespace testshapes;

namespace {

/// The face graph numbered as the spanned search numbers it.
NumberedGraph<Poly*> faceGraphOf(PolyMesh& mesh) {
    Graph<Poly*> faces;
    for (Poly* f : mesh.getPolys()) {
        faces.getNeighbors(f);
        for (int i = 0; i < f->getVertexCount(); ++i)
            if (Poly* n = f->getNeighbor(i))
                faces.addEdge(f, n);
    }
    return NumberedGraph<Poly*>(faces);
}

/// A judge placing nets from the unfolder's starting face, as the engine does.
std::unique_ptr<FlatTreeJudge> judgeFor(Unfolder& u, const NumberedGraph<Poly*>& graph) {
    Poly* start = u.getUnfoldingRoot()->getTwin();
    const auto& faces = graph.getVertices();
    const int root = int(std::find(faces.begin(), faces.end(), start) - faces.begin());
    return std::make_unique<FlatTreeJudge>(faces, graph.getEdges(), root,
                                           *u.getFaceTransform(start));
}

struct Verdicts {
    long long trees = 0;
    long long free = 0;
};

/// Every tree (up to `cap`) laid out by the engine (one spanned step each) and judged by
/// the flat judge in the same enumeration order: the two verdicts must agree tree by tree.
Verdicts compareOnEveryTree(PolyMesh& mesh, const std::string& what, long long cap = 1 << 30) {
    auto* u = bind<SpannedUnfolder>(mesh);
    u->setCandidateLimit(1e6);
    const NumberedGraph<Poly*> graph = faceGraphOf(mesh);
    auto judge = judgeFor(*u, graph);
    EXPECT_TRUE(judge->canJudge()) << what;
    SpanningTreeEnumerator trees = graph.makeEnumerator();
    Verdicts v;
    int disagreements = 0;
    while (v.trees < cap && trees.next() && !u->isDone()) {
        u->unfold();
        const bool engine = u->isSuccess(v.trees);
        const bool flat = judge->isOverlapFree(trees.getTreeEdges());
        if (engine != flat && ++disagreements <= 5)
            ADD_FAILURE() << what << ": tree " << v.trees << " engine " << engine << ", flat "
                          << flat;
        v.free += flat;
        ++v.trees;
    }
    if (v.trees < cap) {
        EXPECT_EQ(u->getNumUnfoldings(), v.trees) << what;
        EXPECT_TRUE(u->isDone()) << what;
    }
    return v;
}

} // namespace

TEST(FlatTreeJudge, AgreesWithTheEngineOnEveryTreeOfConvexSolids) {
    for (const auto& [name, data] :
         {std::pair{"cube", cube()}, std::pair{"octahedron", octahedron()},
          std::pair{"tetrahedron", tetrahedron()}}) {
        auto mesh = meshOf(data);
        const Verdicts v = compareOnEveryTree(*mesh, name);
        // Every edge unfolding of these solids is a net.
        EXPECT_EQ(v.trees, v.free) << name;
    }
}

TEST(FlatTreeJudge, AgreesWithTheEngineOnNonConvexMeshes) {
    // Reflex walls, faces that are not convex (the U bracket's octagons, the O's hexagons)
    // and walls that land exactly on one another: each mesh has nets of both kinds.
    // The O has over 200,000 trees; the first 20,000 already hold both kinds.
    struct Case {
        std::string name;
        std::unique_ptr<PolyMesh> mesh;
        long long cap;
    };
    std::vector<Case> cases;
    cases.push_back({"L prism", lPrism(), 1 << 30});
    cases.push_back({"channel-bracket.off", loadTestModel("channel-bracket.off"), 1 << 30});
    cases.push_back({"letter-o.off", loadTestModel("letter-o.off"), 20000});
    for (Case& c : cases) {
        const Verdicts v = compareOnEveryTree(*c.mesh, c.name, c.cap);
        EXPECT_GT(v.free, 0) << c.name;
        EXPECT_LT(v.free, v.trees) << c.name;
    }
}

TEST(FlatTreeJudge, RefusesFacesWithoutAreaAndNonSpanningEdges) {
    auto mesh = meshOf(sliveredCube());
    auto* u = bind<SpannedUnfolder>(*mesh);
    const NumberedGraph<Poly*> graph = faceGraphOf(*mesh);
    EXPECT_FALSE(judgeFor(*u, graph)->canJudge()) << "a sliver is laid by its path";

    auto cubeMesh = meshOf(cube());
    auto* c = bind<SpannedUnfolder>(*cubeMesh);
    const NumberedGraph<Poly*> cubeGraph = faceGraphOf(*cubeMesh);
    auto judge = judgeFor(*c, cubeGraph);
    ASSERT_TRUE(judge->canJudge());
    EXPECT_FALSE(judge->isOverlapFree({0, 1, 2})) << "too few edges";
    // Five edges, one of them twice over a cycle: not a tree.
    const auto& edges = cubeGraph.getEdges();
    std::vector<int> cycle;
    for (int e = 0; e < int(edges.size()) && cycle.size() < 5; ++e)
        if (edges[size_t(e)].first == 0 || edges[size_t(e)].second == 0)
            cycle.push_back(e);
    ASSERT_EQ(size_t(4), cycle.size());
    cycle.push_back(cycle.front());
    EXPECT_FALSE(judge->isOverlapFree(cycle));
}

TEST(SpannedUnfolder, ACountingRunJudgesWithoutLayoutsAndShowsTheFirstNet) {
    // Both runs enumerate one mesh, so that the trees come in the same order.
    auto mesh = loadTestModel("channel-bracket.off");
    auto* laid = bind<SpannedUnfolder>(*mesh);
    laid->setCandidateLimit(1e6);
    int guard = 0;
    while (!laid->isDone() && ++guard < 1000000)
        laid->unfold();
    const long long trees = laid->getNumUnfoldings();
    ASSERT_GT(trees, SpannedUnfolder::TreesPerJudgingStep);
    std::vector<bool> laidSuccesses;
    for (long long i = 0; i < trees; ++i)
        laidSuccesses.push_back(laid->isSuccess(i));
    const int laidCount = laid->getSuccessCount();
    // Two nets cannot share the source faces' twins: the first run lets go.
    laid->clear();
    laid->setParent(nullptr);
    delete laid;

    auto* u = bind<SpannedUnfolder>(*mesh);
    u->setCandidateLimit(1e6);
    XML options("SpannedUnfolder");
    options.add("JudgeOnly", true);
    u->read(options);
    int steps = 0;
    while (!u->isDone() && ++steps < 1000)
        u->unfold();
    EXPECT_LE(steps, trees / SpannedUnfolder::TreesPerJudgingStep + 1);
    EXPECT_EQ(laidCount, u->getSuccessCount());
    long long first = -1;
    for (long long i = 0; i < trees; ++i) {
        ASSERT_EQ(laidSuccesses[size_t(i)], u->isSuccess(i)) << "tree " << i;
        if (first < 0 && laidSuccesses[size_t(i)])
            first = i;
    }
    // The net left to see is the first overlap-free one, laid by the engine.
    ASSERT_GE(first, 0);
    EXPECT_EQ(first, u->getShownUnfolding());
    EXPECT_EQ(mesh->getPolyCount(), u->getPolyCount());
    EXPECT_TRUE(testsupport::CheckNet(*u).isSound());
}
