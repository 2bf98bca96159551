// The strategies that build their own cut graph: star cuts along shortest edge paths,
// outward-facing cuts and alpha-beta cuts. Paths, trees and nets are checked against
// what the tests work out themselves (Dijkstra, union-find, face adjacency by shared
// net vertices), not against the engine's own graph code.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <list>
#include <map>
#include <memory>
#include <queue>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "common/StatusLine.h"
#include "scene/ShortestPathViz.h"
#include "scene/loaders/OffParser.h"
#include "scene/mesh/MeshShortestPaths.h"
#include "sorvex/DjikstraDistance.h"
#include "tests/support/DataModels.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/SoundNet.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/AlphaBetaUnfolder.h"
#include "unfolders/strategies/CAlphaBetaUnfolderSettings.h"
#include "unfolders/strategies/COutwardFacingUnfolderSettings.h"
#include "unfolders/strategies/CStarUnfolderSettings.h"
#include "unfolders/strategies/OutwardFacingUnfolder.h"
#include "unfolders/strategies/StarUnfolder.h"

using namespace testshapes;
using Sorvex::M3d;

namespace {

constexpr int StepBudget = 20000;

using Edge = std::pair<Vertex*, Vertex*>;
Edge edgeOf(Vertex* a, Vertex* b) {
    return a < b ? Edge{a, b} : Edge{b, a};
}

/// Every edge of the mesh with its length, from the faces' rings.
std::map<Edge, double> meshEdges(PolyMesh& mesh) {
    std::map<Edge, double> edges;
    for (Poly* f : mesh.getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Vertex* a = f->getVertex(i);
            Vertex* b = f->getVertex(i + 1);
            edges[edgeOf(a, b)] = (*a - *b).length();
        }
    return edges;
}

/// Plain Dijkstra over the edge graph from `from`.
std::map<Vertex*, double> dijkstra(PolyMesh& mesh, Vertex* from) {
    std::map<Vertex*, std::vector<std::pair<Vertex*, double>>> adjacent;
    for (const auto& [e, length] : meshEdges(mesh)) {
        adjacent[e.first].emplace_back(e.second, length);
        adjacent[e.second].emplace_back(e.first, length);
    }
    std::map<Vertex*, double> dist{{from, 0.0}};
    using Item = std::pair<double, Vertex*>;
    std::priority_queue<Item, std::vector<Item>, std::greater<>> open;
    open.push({0.0, from});
    while (!open.empty()) {
        auto [d, v] = open.top();
        open.pop();
        if (d > dist[v])
            continue;
        for (auto [w, length] : adjacent[v]) {
            auto it = dist.find(w);
            if (it == dist.end() || d + length < it->second) {
                dist[w] = d + length;
                open.push({d + length, w});
            }
        }
    }
    return dist;
}

/// The cut edges as a list, each once.
std::vector<Edge> cutEdges(Unfolder& u) {
    std::set<Edge> edges;
    for (const auto& [v, neighbours] : u.getCutGraph())
        for (Vertex* w : neighbours)
            edges.insert(edgeOf(v, w));
    return {edges.begin(), edges.end()};
}

/// Union-find over the cut edges: false when an edge closes a cycle. `components`
/// receives a representative per vertex.
bool isForest(const std::vector<Edge>& edges, std::map<Vertex*, Vertex*>& parent) {
    std::function<Vertex*(Vertex*)> find = [&](Vertex* v) {
        if (!parent.count(v))
            parent[v] = v;
        return parent[v] == v ? v : parent[v] = find(parent[v]);
    };
    for (auto [a, b] : edges) {
        Vertex* ra = find(a);
        Vertex* rb = find(b);
        if (ra == rb)
            return false;
        parent[ra] = rb;
    }
    for (auto& [v, p] : parent)
        p = find(v);
    return true;
}

/// Number of pieces of the net: faces joined when they share both ends of an edge.
int netPieces(PolyMesh& net) {
    std::map<Edge, std::vector<Poly*>> byEdge;
    for (Poly* f : net.getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i)
            byEdge[edgeOf(f->getVertex(i), f->getVertex(i + 1))].push_back(f);
    std::set<Poly*> seen;
    int pieces = 0;
    for (Poly* start : net.getPolys()) {
        if (!seen.insert(start).second)
            continue;
        ++pieces;
        std::vector<Poly*> stack{start};
        while (!stack.empty()) {
            Poly* f = stack.back();
            stack.pop_back();
            for (int i = 0; i < f->getVertexCount(); ++i)
                for (Poly* g : byEdge[edgeOf(f->getVertex(i), f->getVertex(i + 1))])
                    if (seen.insert(g).second)
                        stack.push_back(g);
        }
    }
    return pieces;
}

/// 2 pi minus the corner angles at v, from the positions alone.
double deficitOf(const Vertex* v) {
    double sum = 0;
    for (const Poly* f : v->getPolys()) {
        const int k = f->getVertexIndex(v);
        M3d a = *f->getVertex(k + 1) - *v, b = *f->getVertex(k + f->getVertexCount() - 1) - *v;
        sum += std::acos(a.dot(b) / (a.length() * b.length()));
    }
    return 2 * M_PI - sum;
}

/// A pyramid over a quadrilateral whose corners lie at clearly different distances from
/// its centre, so the order of the cuts can be worked out by hand. Vertex 4 is the apex.
std::unique_ptr<PolyMesh> lopsidedPyramid() {
    MeshData d;
    d.vertices = {{0, 0, 0}, {2, 0, 0}, {2.4, 0, 2}, {0, 0, 1.5}, {1.1, 1, 0.875}};
    d.faces = {{0, 1, 2, 3}, {1, 0, 4}, {2, 1, 4}, {3, 2, 4}, {0, 3, 4}};
    return meshOf(d);
}

Vertex* vertex(PolyMesh& mesh, int i) {
    return mesh.getVertex(size_t(i));
}

template <typename T> void stepUntilDone(T& u, int limit) {
    for (int k = 0; k < limit && !u.isDone(); ++k)
        u.unfold();
    if (u.isDone())
        u.onDone();
}

} // namespace

// ----- Star cuts -----

TEST(StarUnfolder, CutsFormAForestReachingEveryVertexAndTheNetIsOnePiece) {
    const std::vector<std::pair<std::string, std::unique_ptr<PolyMesh>>> meshes = [] {
        std::vector<std::pair<std::string, std::unique_ptr<PolyMesh>>> m;
        m.emplace_back("icosphere", meshOf(icosphere(2)));
        m.emplace_back("channel bracket", testshapes::dataModel("channel-bracket.off"));
        m.emplace_back("cross part", testshapes::dataModel("cross-part.off"));
        m.emplace_back("torus", meshOf(torus(6, 8)));
        return m;
    }();
    for (const auto& [name, mesh] : meshes) {
        auto* u = bind<StarUnfolder>(*mesh);
        ASSERT_TRUE(runToEnd(*u, StepBudget)) << name;
        const std::vector<Edge> edges = cutEdges(*u);
        const std::map<Edge, double> all = meshEdges(*mesh);
        for (const Edge& e : edges)
            EXPECT_TRUE(all.count(e)) << name << ": a cut that is no mesh edge";
        std::map<Vertex*, Vertex*> component;
        EXPECT_TRUE(isForest(edges, component)) << name;
        const std::set<Vertex*> anchors(u->getAnchors().begin(), u->getAnchors().end());
        std::set<Vertex*> anchoredComponents;
        for (Vertex* a : anchors)
            if (component.count(a))
                anchoredComponents.insert(component[a]);
        for (Vertex* v : mesh->getVertices()) {
            if (anchors.count(v))
                continue; // a corner of the source face: its last hop is no edge
            ASSERT_TRUE(component.count(v)) << name << ": a vertex off the cut graph";
            EXPECT_TRUE(anchoredComponents.count(component[v]))
                << name << ": a cut tree that does not lead to the source face";
        }
        EXPECT_EQ(mesh->getPolyCount(), u->getPolyCount()) << name;
        EXPECT_EQ(1, netPieces(*u)) << name;
        EXPECT_TRUE(testsupport::CheckNet(*u).faults.empty()) << name;
    }
}

TEST(StarUnfolder, EveryPathIsAShortestEdgePathToTheSourcePoint) {
    std::vector<std::unique_ptr<PolyMesh>> meshes;
    meshes.push_back(meshOf(icosphere(1)));
    meshes.push_back(testshapes::dataModel("channel-bracket.off"));
    for (auto& mesh : meshes) {
        auto* u = bind<StarUnfolder>(*mesh);
        ASSERT_TRUE(runToEnd(*u, StepBudget));
        const std::map<Edge, double> edges = meshEdges(*mesh);
        std::map<Vertex*, std::map<Vertex*, double>> fromAnchor;
        for (Vertex* a : u->getAnchors())
            fromAnchor[a] = dijkstra(*mesh, a);
        for (Vertex* v : mesh->getVertices()) {
            double best = 1e300;
            for (Vertex* a : u->getAnchors())
                best = std::min(best, fromAnchor[a][v] + (*a - u->getSourcePoint()).length());
            const std::vector<Vertex*> path = u->getPathToSource(v);
            ASSERT_FALSE(path.empty());
            EXPECT_EQ(v, path.front());
            double length = (*path.back() - u->getSourcePoint()).length();
            for (size_t k = 0; k + 1 < path.size(); ++k) {
                const auto e = edges.find(edgeOf(path[k], path[k + 1]));
                ASSERT_NE(edges.end(), e) << "a hop that is no mesh edge";
                length += e->second;
            }
            // The table holds single-precision sums.
            EXPECT_NEAR(best, length, 1e-5 * (1 + best));
        }
    }
}

TEST(StarUnfolder, APathDisplayChildGivesTheSourceAndTheCutsSpanEveryVertex) {
    auto mesh = meshOf(icosphere(1));
    auto* viz = new ShortestPathViz;
    const M3d point(0.1, -0.9, 0.3);
    viz->translate(point);
    ASSERT_TRUE(viz->setParent(mesh.get()));
    auto* u = bind<StarUnfolder>(*mesh);
    EXPECT_TRUE(u->isSourceFromViz());
    EXPECT_EQ(point, u->getSourcePoint());
    ASSERT_EQ(1u, u->getAnchors().size());
    EXPECT_EQ(viz->getSourceVertex(), u->getAnchors().front());
    ASSERT_TRUE(runToEnd(*u, StepBudget));
    // One anchor: every path ends there, so the cuts are one tree over all vertices.
    const std::vector<Edge> edges = cutEdges(*u);
    std::map<Vertex*, Vertex*> component;
    ASSERT_TRUE(isForest(edges, component));
    EXPECT_EQ(mesh->getVertexCount() - 1, edges.size());
    EXPECT_EQ(mesh->getVertexCount(), component.size());
    EXPECT_TRUE(u->isSuccesful()) << "a convex sphere cut along a shortest-path tree";
    EXPECT_TRUE(testsupport::CheckNet(*u).isSound());
}

TEST(StarUnfolder, FinishedSharedPathsAreUsedAtOnceAndAreLeftForOthers) {
    auto mesh = meshOf(icosphere(1));
    MeshShortestPaths& shared = mesh->getShortestPaths();
    shared.advance(shared.getVertexCount());
    ASSERT_TRUE(shared.isDone());
    auto* u = bind<StarUnfolder>(*mesh);
    EXPECT_FALSE(u->isDone()) << "the net is still to be laid";
    u->unfold();
    EXPECT_TRUE(u->isDone());
    EXPECT_EQ(mesh->getPolyCount(), u->getPolyCount());
    EXPECT_TRUE(mesh->getShortestPaths().isDone()) << "the shared paths were not restarted";
}

TEST(StarUnfolder, PathsAdvanceAFewPivotsPerStepWithProgressInTheStatusLine) {
    auto mesh = meshOf(icosphere(1)); // 42 vertices
    auto* u = bind<StarUnfolder>(*mesh);
    u->unfold();
    EXPECT_FLOAT_EQ(float(StarUnfolder::PivotsPerStep) / 42.0f, u->getPathProgress());
    EXPECT_EQ("Running Dijkstra's algorithm to build shortest edge paths: 11.90%",
              GetLastStatusMessage());
    EXPECT_FALSE(u->isDone());
    stepUntilDone(*u, 100);
    EXPECT_EQ("Ready", GetLastStatusMessage());
}

TEST(StarUnfolder, WithoutMemoryForThePathsTheRunEndsWithAMessage) {
    auto mesh = meshOf(icosphere(2));
    Sorvex::DjikstraDistance::SetMemoryLimit(1000);
    auto* u = bind<StarUnfolder>(*mesh);
    Sorvex::DjikstraDistance::SetMemoryLimit(0);
    EXPECT_FALSE(u->isInitialised());
    EXPECT_EQ("Not enough memory for the shortest paths between 162 vertices",
              GetLastStatusMessage());
    ASSERT_TRUE(runToEnd(*u, 10));
    EXPECT_FALSE(u->isSuccesful());
}

TEST(StarUnfolder, PanelShowsTheSourceAndPlacesAMarkerThatRecutUses) {
    auto mesh = meshOf(icosphere(1));
    auto* u = bind<StarUnfolder>(*mesh);
    CStarUnfolderSettings panel;
    ASSERT_TRUE(panel.create(u));
    EXPECT_EQ("Star Unfolder Settings", panel.getTitle());
    EXPECT_NE(std::string::npos,
              CStarUnfolderSettings::SourceText(*u).find("centre of the highest face"));
    EXPECT_EQ("Shortest paths: 0.00% of 42 vertices", CStarUnfolderSettings::PathsText(*u));
    ASSERT_TRUE(panel.click("Place Source Marker"));
    ShortestPathViz* viz = nullptr;
    for (SceneObj* child : mesh->getChildren())
        if (auto* found = dynamic_cast<ShortestPathViz*>(child))
            viz = found;
    ASSERT_NE(nullptr, viz);
    EXPECT_EQ(u->getSourcePoint(), viz->getPoint());
    viz->translate(M3d(0, -2, 0)); // dragged towards the bottom
    ASSERT_TRUE(panel.click("Recut"));
    EXPECT_TRUE(u->isSourceFromViz());
    EXPECT_EQ(viz->getPoint(), u->getSourcePoint());
    ASSERT_TRUE(runToEnd(*u, StepBudget));
    EXPECT_EQ(mesh->getPolyCount(), u->getPolyCount());
}

// ----- Outward-facing and alpha-beta cuts -----

TEST(OutwardFacingUnfolder, CutsTheNearestBorderVertexTowardsTheOutermostNeighbour) {
    // Worked by hand: the base lies flat first; its corners lie 1.405 (v0), 1.255 (v1),
    // 1.719 (v2) and 1.265 (v3) from its centre. v1 is cut first; trying its neighbours,
    // the apex's nearest image (its side triangle laid flat, 2.204 out) beats the other
    // base corners. Then v3, again to the apex, and the four side triangles are placed.
    auto mesh = lopsidedPyramid();
    auto* u = bind<OutwardFacingUnfolder>(*mesh);
    Vertex* apex = vertex(*mesh, 4);
    EXPECT_EQ(vertex(*mesh, 1), u->findNearestBorderVertex());
    u->unfold();
    EXPECT_EQ(std::vector<Edge>{edgeOf(vertex(*mesh, 1), apex)}, cutEdges(*u));
    EXPECT_NEAR(2.2038, u->radius(apex), 1e-4);
    EXPECT_EQ(3u, u->getPolyCount());
    EXPECT_FALSE(u->isDone());
    u->unfold();
    const std::vector<Edge> expected{edgeOf(vertex(*mesh, 1), apex),
                                     edgeOf(vertex(*mesh, 3), apex)};
    std::vector<Edge> got = cutEdges(*u);
    EXPECT_EQ(std::set<Edge>(expected.begin(), expected.end()),
              std::set<Edge>(got.begin(), got.end()));
    EXPECT_TRUE(u->isDone());
    u->onDone();
    EXPECT_TRUE(u->isSuccesful());
    EXPECT_TRUE(testsupport::CheckNet(*u).isSound());
    // An edge already cut is never tried again.
    EXPECT_NE(apex, u->findFurthest(vertex(*mesh, 1)));
}

TEST(AlphaBetaUnfolder, ExpandsTheNearestVertexAlongTheMostOutwardCut) {
    // Worked by hand on the same pyramid: v1 is nearest (1.255). Its deficit is 137.9
    // degrees (corner angles 101.3, 55.9 and 64.9). A cut opens a gap of that angle; its
    // bisector points 135.8 - 69.0 = 66.8 degrees from outward for the cut to v0, 122.9 -
    // 69.0 = 53.9 for v2, and 11.0 for the apex, whose two images (79.9 and 58.0 degrees
    // off, on either side) straddle the outward direction. So v1 is expanded from the
    // apex; then v3 (the apex cut 16 degrees off), which places the last faces: the net is
    // complete and the other vertices need no cut.
    auto mesh = lopsidedPyramid();
    auto* u = bind<AlphaBetaUnfolder>(*mesh);
    Vertex* apex = vertex(*mesh, 4);
    Vertex* v1 = vertex(*mesh, 1);
    Vertex* v3 = vertex(*mesh, 3);
    const std::vector<std::pair<Vertex*, double>> byHand = {
        {vertex(*mesh, 0), 66.8}, {vertex(*mesh, 2), 53.9}, {apex, 11.0}};
    for (auto [w, degrees] : byHand) {
        std::list<Poly*> placed;
        u->cut(v1, w, &placed);
        EXPECT_NEAR(degrees, u->beta(v1, w) * 180 / M_PI, 0.1);
        u->uncut(v1, w, placed);
    }
    EXPECT_EQ(1u, u->getPolyCount()) << "trial cuts are taken back";
    EXPECT_TRUE(u->getCutGraph().isEmpty());
    u->unfold();
    EXPECT_EQ(apex, u->expandedFrom(v1));
    EXPECT_EQ(1, u->numExpanded());
    EXPECT_FLOAT_EQ(0.2f, u->getProgress());
    u->unfold();
    EXPECT_EQ(apex, u->expandedFrom(v3));
    EXPECT_TRUE(u->isDone());
    for (int i : {0, 2, 4})
        EXPECT_EQ(vertex(*mesh, i), u->expandedFrom(vertex(*mesh, i)));
    EXPECT_NEAR(deficitOf(v1) + deficitOf(v3), u->alpha(apex, nullptr), 1e-9);
    EXPECT_NEAR(deficitOf(v1), u->alpha(v1, apex), 1e-9);
    u->onDone();
    EXPECT_TRUE(u->isSuccesful());
    EXPECT_TRUE(testsupport::CheckNet(*u).isSound());
}

TEST(CutGraphStrategies, OnPlatonicSolidsEverySuccessIsASoundNet) {
    const std::vector<std::pair<std::string, MeshData>> solids = {
        {"tetrahedron", tetrahedron()}, {"cube", cube()},
        {"octahedron", octahedron()},   {"icosahedron", unitIcosahedron()}};
    for (const auto& [name, data] : solids) {
        for (int which = 0; which < 3; ++which) {
            auto mesh = meshOf(data);
            Unfolder* u = which == 0   ? static_cast<Unfolder*>(bind<StarUnfolder>(*mesh))
                          : which == 1 ? static_cast<Unfolder*>(bind<OutwardFacingUnfolder>(*mesh))
                                       : static_cast<Unfolder*>(bind<AlphaBetaUnfolder>(*mesh));
            const std::string what = std::string(u->getClassName()) + " on " + name;
            ASSERT_TRUE(runToEnd(*u, StepBudget)) << what;
            EXPECT_EQ(mesh->getPolyCount(), u->getPolyCount()) << what;
            const testsupport::NetReport report = testsupport::CheckNet(*u);
            EXPECT_TRUE(report.faults.empty()) << what << report.describe();
            EXPECT_EQ(report.isSound(), u->isSuccesful()) << what;
            std::map<Vertex*, Vertex*> component;
            EXPECT_TRUE(isForest(cutEdges(*u), component)) << what;
        }
    }
}

TEST(CutGraphStrategies, RealNonConvexMeshesGiveOneFlatPieceWithEveryFace) {
    for (const char* file : {"channel-bracket.off", "cross-part.off", "letter-o.off"}) {
        for (int which = 0; which < 3; ++which) {
            auto mesh = testshapes::dataModel(file);
            Unfolder* u = which == 0   ? static_cast<Unfolder*>(bind<StarUnfolder>(*mesh))
                          : which == 1 ? static_cast<Unfolder*>(bind<OutwardFacingUnfolder>(*mesh))
                                       : static_cast<Unfolder*>(bind<AlphaBetaUnfolder>(*mesh));
            const std::string what = std::string(u->getClassName()) + " on " + file;
            ASSERT_TRUE(runToEnd(*u, StepBudget)) << what;
            const testsupport::NetReport report = testsupport::CheckNet(*u);
            EXPECT_TRUE(report.faults.empty()) << what << report.describe();
            EXPECT_EQ(report.isSound(), u->isSuccesful()) << what;
            // The alpha-beta cuts refuse overlapping faces and may stop short, saying so.
            if (which == 2 && u->getPolyCount() < mesh->getPolyCount()) {
                const std::string message = GetLastStatusMessage();
                EXPECT_TRUE(message.find("could not be placed without overlap") !=
                                std::string::npos ||
                            message.find("No vertex left to expand") != std::string::npos)
                    << what << ": " << message;
            }
            if (which < 2 || u->isSuccesful()) {
                EXPECT_EQ(mesh->getPolyCount(), u->getPolyCount()) << what;
                EXPECT_EQ(1, netPieces(*u)) << what;
            }
        }
    }
}

TEST(CutGraphStrategies, OpenMeshesAndSeveralPartsEndCleanly) {
    {
        for (int which = 0; which < 3; ++which) {
            auto copy = openBox();
            Unfolder* u = which == 0   ? static_cast<Unfolder*>(bind<StarUnfolder>(*copy))
                          : which == 1 ? static_cast<Unfolder*>(bind<OutwardFacingUnfolder>(*copy))
                                       : static_cast<Unfolder*>(bind<AlphaBetaUnfolder>(*copy));
            ASSERT_TRUE(runToEnd(*u, StepBudget)) << u->getClassName();
            EXPECT_EQ(copy->getPolyCount(), u->getPolyCount()) << u->getClassName();
            EXPECT_TRUE(testsupport::CheckNet(*u).isSound()) << u->getClassName();
        }
    }
    {
        auto mesh = meshOf(twoTetrahedra());
        auto* outward = bind<OutwardFacingUnfolder>(*mesh);
        ASSERT_TRUE(runToEnd(*outward, StepBudget));
        EXPECT_EQ(4u, outward->getPolyCount());
        EXPECT_EQ("4 faces cannot be reached from the starting face", GetLastStatusMessage());
        EXPECT_FALSE(outward->isSuccesful());
    }
    {
        auto mesh = meshOf(twoTetrahedra());
        auto* alphaBeta = bind<AlphaBetaUnfolder>(*mesh);
        ASSERT_TRUE(runToEnd(*alphaBeta, StepBudget));
        EXPECT_TRUE(alphaBeta->hasFailed());
        EXPECT_EQ("No vertex left to expand: 4 of 8 vertices expanded", GetLastStatusMessage());
        EXPECT_FALSE(alphaBeta->isSuccesful());
        EXPECT_EQ("4 of 8 vertices expanded - no vertex left to expand",
                  CAlphaBetaUnfolderSettings::ExpandedText(*alphaBeta));
    }
    {
        auto mesh = meshOf(twoTetrahedra());
        auto* star = bind<StarUnfolder>(*mesh);
        ASSERT_TRUE(runToEnd(*star, StepBudget));
        EXPECT_EQ(8u, star->getPolyCount()) << "the other part is laid beside the net";
        EXPECT_EQ("Ready: 4 vertices have no edge path to the source point; their parts are "
                  "laid out as pieces of their own",
                  GetLastStatusMessage());
    }
}

TEST(CutGraphStrategies, PanelsStepAndCount) {
    auto mesh = lopsidedPyramid();
    auto* outward = bind<OutwardFacingUnfolder>(*mesh);
    COutwardFacingUnfolderSettings panel;
    ASSERT_TRUE(panel.create(outward));
    EXPECT_EQ("0 cuts from 0 of 5 vertices", COutwardFacingUnfolderSettings::CutsText(*outward));
    ASSERT_TRUE(panel.click("Step"));
    EXPECT_EQ("1 cuts from 1 of 5 vertices", COutwardFacingUnfolderSettings::CutsText(*outward));

    auto other = lopsidedPyramid();
    auto* alphaBeta = bind<AlphaBetaUnfolder>(*other);
    CAlphaBetaUnfolderSettings abPanel;
    ASSERT_TRUE(abPanel.create(alphaBeta));
    ASSERT_TRUE(abPanel.click("Step"));
    EXPECT_EQ("1 of 5 vertices expanded", CAlphaBetaUnfolderSettings::ExpandedText(*alphaBeta));
    ASSERT_TRUE(abPanel.click("Step"));
    EXPECT_TRUE(alphaBeta->isSuccesful());
}
