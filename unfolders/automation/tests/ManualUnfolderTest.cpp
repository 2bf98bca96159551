#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "common/Registry.h"
#include "common/XML.h"
#include "scene/Factory.h"
#include "scene/SceneRoot.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/SoundNet.h"
#include "tests/support/TestShapes.h"
#include "unfolders/automation/CManualUnfolderSettings.h"
#include "unfolders/automation/ClickableLine.h"
#include "unfolders/automation/ManualUnfolder.h"
#include "vorn/core/BuiltinIcosahedron.h"
#include "vorn/core/SceneDocument.h"

using namespace testshapes;

namespace {

using Edge = std::pair<int, int>;

/// Every undirected edge of the mesh by vertex indices, lower index first.
std::set<Edge> meshEdges(PolyMesh& mesh) {
    std::set<Edge> edges;
    for (Poly* f : mesh.getPolys()) {
        for (int i = 0; i < f->getVertexCount(); ++i) {
            const int a = mesh.getIOIndex(f->getVertex(i));
            const int b = mesh.getIOIndex(f->getVertex(i + 1));
            edges.emplace(std::min(a, b), std::max(a, b));
        }
    }
    return edges;
}

/// A random spanning tree of the mesh's vertex graph, grown from vertex 0 by
/// drawing frontier edges at random (independent of the unfolder's code).
std::vector<Edge> randomSpanningTree(PolyMesh& mesh, unsigned seed) {
    const std::set<Edge> edges = meshEdges(mesh);
    std::vector<std::vector<int>> around(mesh.getVertexCount());
    for (const auto& [a, b] : edges) {
        around[size_t(a)].push_back(b);
        around[size_t(b)].push_back(a);
    }
    std::mt19937 random(seed);
    std::vector<bool> inTree(around.size(), false);
    std::vector<Edge> frontier, tree;
    auto reach = [&](int v) {
        inTree[size_t(v)] = true;
        for (int w : around[size_t(v)])
            frontier.emplace_back(v, w);
    };
    reach(0);
    while (!frontier.empty()) {
        const size_t pick = random() % frontier.size();
        const Edge e = frontier[pick];
        frontier.erase(frontier.begin() + std::ptrdiff_t(pick));
        if (inTree[size_t(e.second)])
            continue;
        tree.emplace_back(std::min(e.first, e.second), std::max(e.first, e.second));
        reach(e.second);
    }
    return tree;
}

/// The requested (or any) cut graph as index pairs, markers left out.
std::set<Edge> indexEdges(PolyMesh& mesh, const Graph<Vertex*>& graph) {
    std::set<Edge> edges;
    for (const auto& [v, around] : graph)
        for (Vertex* w : around)
            if (v && w)
                edges.emplace(std::min(mesh.getIOIndex(v), mesh.getIOIndex(w)),
                              std::max(mesh.getIOIndex(v), mesh.getIOIndex(w)));
    return edges;
}

void request(ManualUnfolder& u, PolyMesh& mesh, const std::vector<Edge>& edges) {
    for (const auto& [a, b] : edges)
        u.toggleRequestedEdge(mesh.getIOIndex(a), mesh.getIOIndex(b));
}

/// The whole net as text: per net face, its source face and its corners.
std::string netText(ManualUnfolder& u) {
    std::string text;
    char line[160];
    for (Poly* q : u.getPolys()) {
        std::snprintf(line, sizeof line,
                      "face %d:", q->getTwin() ? u.getSource()->getPolyIndex(q->getTwin()) : -1);
        text += line;
        for (const Vertex* v : q->getVertices()) {
            std::snprintf(line, sizeof line, " (%.17g %.17g %.17g)", v->x(), v->y(), v->z());
            text += line;
        }
        text += '\n';
    }
    return text;
}

/// Net faces reachable from the first across fold edges (shared net vertices).
size_t largestPieceFromFirst(ManualUnfolder& u) {
    if (u.getPolyCount() == 0)
        return 0;
    std::set<Poly*> seen{u.getPoly(0)};
    std::deque<Poly*> queue{u.getPoly(0)};
    while (!queue.empty()) {
        Poly* f = queue.front();
        queue.pop_front();
        for (int i = 0; i < f->getVertexCount(); ++i)
            if (Poly* g = f->getNeighbor(i); g && seen.insert(g).second)
                queue.push_back(g);
    }
    return seen.size();
}

size_t lineCount(ManualUnfolder& u) {
    size_t n = 0;
    for (SceneObj* child : u.getChildren())
        n += dynamic_cast<ClickableLine*>(child) != nullptr;
    return n;
}

} // namespace

TEST(ManualUnfolder, CubeGetsALinePerEdgeAndItsSpanningCutTreeGivesTheWholeNet) {
    auto mesh = meshOf(cube());
    auto* u = bind<ManualUnfolder>(*mesh);
    EXPECT_EQ(size_t(12), lineCount(*u));
    EXPECT_TRUE(u->isDone());
    EXPECT_FALSE(u->getCheckIntersections());
    // No request: the flood reaches every face, and the cube's flood is sound.
    EXPECT_EQ(size_t(6), u->getPolyCount());
    EXPECT_TRUE(testsupport::CheckNet(*u).isSound());

    const std::vector<Edge> tree = randomSpanningTree(*mesh, 7);
    ASSERT_EQ(size_t(7), tree.size());
    request(*u, *mesh, tree);
    const testsupport::NetReport report = testsupport::CheckNet(*u);
    EXPECT_TRUE(report.faults.empty()) << report.describe();
    EXPECT_EQ(size_t(6), u->getPolyCount());
    EXPECT_EQ(size_t(6), largestPieceFromFirst(*u));
    EXPECT_EQ(report.isSound(), u->isSuccesful());
    // The net's cuts are exactly the requested ones, and cached as valid.
    EXPECT_TRUE(u->isCutGraphValid());
    EXPECT_EQ(std::set<Edge>(tree.begin(), tree.end()), indexEdges(*mesh, u->getCutGraph()));
}

TEST(ManualUnfolder, SpanningCutTreesGiveOnePieceNetsOnConvexAndNonConvexMeshes) {
    std::vector<std::pair<std::string, std::unique_ptr<PolyMesh>>> shapes;
    shapes.emplace_back("icosahedron", meshOf(icosahedron()));
    shapes.emplace_back("icosphere", meshOf(icosphere(2)));
    shapes.emplace_back("random convex", randomConvex(5, 40));
    shapes.emplace_back("L prism", lPrism());
    for (auto& [name, mesh] : shapes) {
        for (unsigned seed = 1; seed <= 3; ++seed) {
            const std::string what = name + " seed " + std::to_string(seed);
            auto* u = bind<ManualUnfolder>(*mesh);
            const std::vector<Edge> tree = randomSpanningTree(*mesh, seed);
            ASSERT_EQ(mesh->getVertexCount() - 1, tree.size()) << what;
            request(*u, *mesh, tree);
            const testsupport::NetReport report = testsupport::CheckNet(*u);
            EXPECT_TRUE(report.faults.empty()) << what << "\n" << report.describe();
            EXPECT_TRUE(report.complete) << what;
            EXPECT_EQ(mesh->getPolyCount(), largestPieceFromFirst(*u)) << what;
            EXPECT_EQ(report.isSound(), u->isSuccesful()) << what;
            EXPECT_EQ(std::set<Edge>(tree.begin(), tree.end()), indexEdges(*mesh, u->getCutGraph()))
                << what;
            delete u;
        }
    }
}

TEST(ManualUnfolder, ClickingALineTwiceRestoresTheNetAndHandsOverTheSelection) {
    SceneRoot root;
    auto* mesh = randomConvex(11, 30).release();
    mesh->setParent(&root);
    auto* u = bind<ManualUnfolder>(*mesh);
    request(*u, *mesh, randomSpanningTree(*mesh, 4));
    const std::string before = netText(*u);
    XML saved("ManualUnfolder");
    u->write(saved);

    // Cut a whole face free: its edges make the net two pieces.
    Poly* face = mesh->getPoly(3);
    std::vector<ClickableLine*> lines;
    for (SceneObj* child : u->getChildren()) {
        auto* line = dynamic_cast<ClickableLine*>(child);
        for (int i = 0; line && i < face->getVertexCount(); ++i)
            if ((line->getA() == face->getVertex(i) && line->getB() == face->getVertex(i + 1)) ||
                (line->getB() == face->getVertex(i) && line->getA() == face->getVertex(i + 1)))
                lines.push_back(line);
    }
    ASSERT_EQ(size_t(face->getVertexCount()), lines.size());
    for (ClickableLine* line : lines) {
        root.select(line);
        line->onLButtonUp(Sorvex::M3d());
        EXPECT_EQ(u, root.getSelection());
    }
    EXPECT_NE(before, netText(*u));
    EXPECT_EQ(mesh->getPolyCount(), u->getPolyCount());
    EXPECT_FALSE(testsupport::CheckNet(*u).faults.size() > 0);

    for (ClickableLine* line : lines)
        line->onLButtonUp(Sorvex::M3d());
    EXPECT_EQ(before, netText(*u));
    XML again("ManualUnfolder");
    u->write(again);
    EXPECT_EQ(saved.toString(), again.toString());
}

TEST(ManualUnfolder, ADocumentRoundTripRestoresTheRequestsAndTheNet) {
    SceneDocument document;
    XML start;
    std::string error;
    ASSERT_TRUE(start.parse(GetIcosahedronSceneText()));
    ASSERT_TRUE(document.openNode(start, "icosahedron", error)) << error;
    PolyMesh* mesh = document.getTargetMesh();
    ASSERT_NE(nullptr, mesh);
    auto* u = bind<ManualUnfolder>(*mesh);
    const std::vector<Edge> tree = randomSpanningTree(*mesh, 9);
    request(*u, *mesh, tree);
    u->setCutPathMode(true);
    const std::string net = netText(*u);
    const std::string text = document.toText();
    EXPECT_NE(std::string::npos, text.find("<ManualCutGraph>"));
    EXPECT_NE(std::string::npos, text.find("<CutPathMode>true</CutPathMode>"));

    XML node;
    ASSERT_TRUE(node.parse(text));
    SceneDocument reopened;
    ASSERT_TRUE(reopened.openNode(node, "round trip", error)) << error;
    PolyMesh* again = reopened.getTargetMesh();
    ASSERT_NE(nullptr, again);
    ManualUnfolder* loaded = nullptr;
    for (SceneObj* child : again->getChildren())
        if (auto* m = dynamic_cast<ManualUnfolder*>(child))
            loaded = m;
    ASSERT_NE(nullptr, loaded);
    EXPECT_EQ(std::set<Edge>(tree.begin(), tree.end()),
              indexEdges(*again, loaded->getRequestedCutGraph()));
    EXPECT_TRUE(loaded->getCutPathMode());
    EXPECT_EQ(net, netText(*loaded));
    EXPECT_EQ(text, reopened.toText());
}

TEST(ManualUnfolder, StoredLinksNamingNoVertexAreDroppedAndFlagsKeepTheirDefaults) {
    auto mesh = meshOf(cube());
    XML stored("ManualUnfolder");
    XML* graph = stored.add("ManualCutGraph");
    const std::vector<std::pair<std::string, std::string>> links = {
        {"0", "1"}, {"0", "99"}, {"-3", "2"}, {"x", "2"}, {"2", ""}};
    for (const auto& [from, to] : links) {
        XML* link = graph->add("Link");
        link->setAttribute("From", from);
        link->setAttribute("To", to);
    }
    auto* u = new ManualUnfolder;
    u->read(stored);
    EXPECT_FALSE(u->getOnlyKnown());
    u->setParent(mesh.get());
    EXPECT_EQ((std::set<Edge>{{0, 1}}), indexEdges(*mesh, u->getRequestedCutGraph()));
    EXPECT_EQ(size_t(6), u->getPolyCount());
}

TEST(ManualUnfolder, ASourceChangeKeepsTheRequestsOfSurvivingVertices) {
    auto mesh = meshOf(cube());
    auto* u = bind<ManualUnfolder>(*mesh);
    request(*u, *mesh, {{0, 1}, {1, 2}});
    mesh->onChanged(true);
    EXPECT_EQ(size_t(12), lineCount(*u));
    EXPECT_EQ((std::set<Edge>{{0, 1}, {1, 2}}), indexEdges(*mesh, u->getRequestedCutGraph()));
    EXPECT_EQ(size_t(6), u->getPolyCount());
}

TEST(ManualUnfolder, OnlyKnownLaysTheFacesTheRequestsTouchAndSettingsAreWrittenAtOnce) {
    auto mesh = meshOf(icosphere(1));
    auto* u = bind<ManualUnfolder>(*mesh);
    request(*u, *mesh, randomSpanningTree(*mesh, 2));
    const std::vector<Edge> few = {{0, mesh->getIOIndex(mesh->getPoly(0)->getVertex(1))}};
    u->getRequestedCutGraph().clear();
    u->setOnlyKnown(true);
    EXPECT_EQ("true", GetRegistryString("Settings", "ManualUnfoldingOnlyKnown", ""));
    request(*u, *mesh, few);
    EXPECT_LT(u->getPolyCount(), mesh->getPolyCount());
    EXPECT_FALSE(u->isSuccesful());
    EXPECT_TRUE(testsupport::CheckNet(*u).faults.empty());
    // Cut-path mode marks the starting face's corners known; markers are not saved.
    u->setCutPathMode(true);
    EXPECT_EQ("true", GetRegistryString("Settings", "ManualUnfoldingCutPathMode", ""));
    EXPECT_TRUE(u->getRequestedCutGraph().hasVertex(nullptr));
    XML saved("ManualUnfolder");
    u->write(saved);
    EXPECT_EQ(size_t(1), saved.child("ManualCutGraph")->getChildCount());
    u->setCutPathMode(false);
    EXPECT_FALSE(u->getRequestedCutGraph().hasVertex(nullptr));
    u->setOnlyKnown(false);
    EXPECT_EQ("false", GetRegistryString("Settings", "ManualUnfoldingOnlyKnown", ""));
    EXPECT_EQ(mesh->getPolyCount(), u->getPolyCount());
}

TEST(ManualUnfolder, PanelRequestsTheNetsCutsResetsAndBevelsTips) {
    auto mesh = meshOf(cube());
    auto* u = bind<ManualUnfolder>(*mesh);
    CManualUnfolderSettings panel;
    ASSERT_TRUE(panel.create(u));
    EXPECT_EQ("Manual Unfolder Settings", panel.getTitle());
    ASSERT_TRUE(panel.click("Request Graph"));
    EXPECT_EQ(u->getCutGraph(), u->getRequestedCutGraph());
    ASSERT_TRUE(panel.click("Reset"));
    EXPECT_TRUE(u->getRequestedCutGraph().isEmpty());

    // A cut path 0-1-2 on the cube: its two tips have three edges each.
    Vertex* middle = nullptr;
    for (Poly* f : mesh->getPolys())
        for (int i = 0; i < f->getVertexCount() && !middle; ++i)
            if (f->getVertex(i) == mesh->getIOIndex(0))
                middle = f->getVertex(i + 1);
    Vertex* tipA = mesh->getIOIndex(0);
    Vertex* tipB = nullptr;
    for (Poly* f : middle->getPolys())
        for (int i = 0; i < f->getVertexCount() && !tipB; ++i)
            if (f->getVertex(i) == middle && f->getVertex(i + 1) != tipA)
                tipB = f->getVertex(i + 1);
    u->toggleRequestedEdge(tipA, middle);
    u->toggleRequestedEdge(middle, tipB);
    ASSERT_TRUE(panel.click("Bevel"));
    EXPECT_EQ(size_t(8), mesh->getPolyCount());
    EXPECT_EQ(size_t(12), mesh->getVertexCount());
    EXPECT_EQ(size_t(18), lineCount(*u));
    // Each tip became a cap hanging by one edge: the path grew by two cuts a side.
    EXPECT_EQ(size_t(6), u->getRequestedCutGraph().getEdgeCount());
    EXPECT_EQ(size_t(2), u->getRequestedCutGraph().getDegree(middle));
    const testsupport::NetReport report = testsupport::CheckNet(*u);
    EXPECT_TRUE(report.faults.empty()) << report.describe();
    EXPECT_EQ(size_t(8), u->getPolyCount());
    EXPECT_EQ(report.isSound(), u->isSuccesful());
}

TEST(ManualUnfolder, EditReplacesAnUnfolderByAManualOneSeededWithItsCuts) {
    SceneRoot root;
    auto* mesh = lPrism().release();
    mesh->setParent(&root);
    auto* strategy = dynamic_cast<Unfolder*>(Factory::BuildObj("BreadthFirstUnfolder"));
    ASSERT_NE(nullptr, strategy);
    strategy->setParent(mesh);
    ASSERT_TRUE(runToEnd(*strategy));
    strategy->setDrawHull(true);
    const std::set<Edge> cuts = indexEdges(*mesh, strategy->getCutGraph());
    const size_t placed = strategy->getPolyCount();

    std::unique_ptr<Factorable> built(Factory::BuildObj("CUnfolderSettings"));
    auto* panel = dynamic_cast<CSettingsDlg*>(built.get());
    ASSERT_TRUE(panel->create(strategy));
    ASSERT_TRUE(panel->click("Edit"));
    SceneObj::ProcessDelayedOperations();
    ASSERT_EQ(size_t(1), mesh->getChildren().size());
    auto* manual = dynamic_cast<ManualUnfolder*>(mesh->getChildren().front());
    ASSERT_NE(nullptr, manual);
    EXPECT_EQ(manual, root.getSelection());
    EXPECT_TRUE(manual->getDrawHull());
    EXPECT_EQ(cuts, indexEdges(*mesh, manual->getRequestedCutGraph()));
    EXPECT_EQ(cuts, indexEdges(*mesh, manual->getCutGraph()));
    EXPECT_EQ(placed, manual->getPolyCount());
    EXPECT_TRUE(testsupport::CheckNet(*manual).faults.empty());
}

TEST(ManualUnfolder, FoldingKeepsTheManualUnfolderSoItCanFoldAgain) {
    SceneRoot root;
    auto* mesh = randomConvex(11, 30).release();
    mesh->setParent(&root);
    auto* u = bind<ManualUnfolder>(*mesh);
    request(*u, *mesh, randomSpanningTree(*mesh, 4));
    const size_t before = root.getChildren().size();

    SceneObj* first = u->convertToAnimation(true);
    ASSERT_NE(nullptr, first);
    SceneObj* second = u->convertToAnimation();
    ASSERT_NE(nullptr, second);
    EXPECT_NE(first, second);
    EXPECT_EQ(before + 2, root.getChildren().size());
    SceneObj::ProcessDelayedOperations();
    // Neither conversion deleted the unfolder or its mesh.
    EXPECT_EQ(u, mesh->getChildren().front());
    EXPECT_EQ(mesh, root.getChildren().front());
}
