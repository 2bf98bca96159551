// The spanning-tree enumerator against the matrix-tree theorem, computed here with exact
// integer elimination, and against a canonical set of every tree it delivers.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "common/Random.h"
#include "tests/support/TestShapes.h"
#include "unfolders/strategies/enumeration/GraphSpanningTrees.h"
#include "unfolders/strategies/enumeration/SpanningTreeCount.h"
#include "unfolders/strategies/enumeration/SpanningTreeEnumerator.h"

using Edge = SpanningTreeEnumerator::Edge;

namespace {

struct SmallGraph {
    int vertices = 0;
    std::vector<Edge> edges;
};

/// The face graph of a mesh description, found from the face rings alone: one edge per
/// pair of faces sharing a side.
SmallGraph faceGraph(const MeshData& mesh) {
    std::map<std::pair<int, int>, std::vector<int>> sides;
    for (size_t f = 0; f < mesh.faces.size(); ++f) {
        const auto& ring = mesh.faces[f];
        for (size_t i = 0; i < ring.size(); ++i) {
            const int a = ring[i], b = ring[(i + 1) % ring.size()];
            sides[{std::min(a, b), std::max(a, b)}].push_back(int(f));
        }
    }
    SmallGraph g;
    g.vertices = int(mesh.faces.size());
    for (const auto& [side, faces] : sides)
        if (faces.size() == 2)
            g.edges.emplace_back(faces[0], faces[1]);
    return g;
}

/// The matrix-tree count by fraction-free (Bareiss) elimination in exact integers.
long long matrixTreeCount(const SmallGraph& g) {
    const int n = g.vertices - 1;
    if (n < 0)
        return 0;
    if (n == 0)
        return 1;
    std::vector<std::vector<__int128>> m(size_t(n), std::vector<__int128>(size_t(n), 0));
    for (const auto& [u, v] : g.edges) {
        if (u == v)
            continue;
        if (u < n)
            ++m[size_t(u)][size_t(u)];
        if (v < n)
            ++m[size_t(v)][size_t(v)];
        if (u < n && v < n) {
            --m[size_t(u)][size_t(v)];
            --m[size_t(v)][size_t(u)];
        }
    }
    __int128 previous = 1;
    int sign = 1;
    for (int k = 0; k < n - 1; ++k) {
        if (m[size_t(k)][size_t(k)] == 0) {
            int swapRow = -1;
            for (int r = k + 1; r < n && swapRow < 0; ++r)
                if (m[size_t(r)][size_t(k)] != 0)
                    swapRow = r;
            if (swapRow < 0)
                return 0;
            std::swap(m[size_t(k)], m[size_t(swapRow)]);
            sign = -sign;
        }
        for (int i = k + 1; i < n; ++i)
            for (int j = k + 1; j < n; ++j)
                m[size_t(i)][size_t(j)] = (m[size_t(i)][size_t(j)] * m[size_t(k)][size_t(k)] -
                                           m[size_t(i)][size_t(k)] * m[size_t(k)][size_t(j)]) /
                                          previous;
        previous = m[size_t(k)][size_t(k)];
    }
    return (long long)(sign * m[size_t(n - 1)][size_t(n - 1)]);
}

/// Whether `treeEdges` join all vertices without a cycle, by a plain search.
bool spansWithoutCycle(const SmallGraph& g, const std::vector<int>& treeEdges) {
    if (int(treeEdges.size()) != g.vertices - 1)
        return false;
    std::vector<std::vector<int>> adjacent(size_t(g.vertices));
    for (int e : treeEdges) {
        adjacent[size_t(g.edges[size_t(e)].first)].push_back(g.edges[size_t(e)].second);
        adjacent[size_t(g.edges[size_t(e)].second)].push_back(g.edges[size_t(e)].first);
    }
    std::vector<bool> seen(size_t(g.vertices), false);
    std::vector<int> pending{0};
    seen[0] = true;
    int reached = 1;
    while (!pending.empty()) {
        const int v = pending.back();
        pending.pop_back();
        for (int w : adjacent[size_t(v)])
            if (!seen[size_t(w)]) {
                seen[size_t(w)] = true;
                ++reached;
                pending.push_back(w);
            }
    }
    // n - 1 edges reaching n vertices cannot hold a cycle.
    return reached == g.vertices;
}

/// Enumerates every tree, checking each and that none repeats; returns the count.
long long enumerateChecked(const SmallGraph& g, const std::string& what) {
    SpanningTreeEnumerator trees(g.vertices, g.edges);
    std::set<std::vector<int>> seen;
    while (trees.next()) {
        const std::vector<int>& edges = trees.getTreeEdges();
        EXPECT_TRUE(std::is_sorted(edges.begin(), edges.end())) << what;
        EXPECT_TRUE(g.vertices == 0 || spansWithoutCycle(g, edges)) << what;
        EXPECT_TRUE(seen.insert(edges).second) << what << ": a tree came twice";
        if (seen.size() > 2000000)
            break;
    }
    EXPECT_FALSE(trees.next()) << what << ": trees after the end";
    EXPECT_EQ(seen.size(), trees.getTreeCount()) << what;
    return (long long)seen.size();
}

} // namespace

TEST(SpanningTreeEnumerator, FaceGraphsOfSolidsGiveEveryTreeOnce) {
    struct Named {
        const char* name;
        MeshData mesh;
        long long known;
    };
    // The known counts: K4, the octahedral graph, the cube graph, the prism's dual (two
    // hubs over a triangle) and the wheel with four spokes.
    MeshData triangularPrism;
    triangularPrism.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, {0, 1, 0}, {1, 1, 0}, {0, 1, 1}};
    triangularPrism.faces = {{0, 1, 2}, {3, 5, 4}, {0, 3, 4, 1}, {1, 4, 5, 2}, {2, 5, 3, 0}};
    const std::vector<Named> solids = {
        {"tetrahedron", testshapes::tetrahedron(), 16},
        {"cube", testshapes::cube(), 384},
        {"octahedron", testshapes::octahedron(), 384},
        {"triangular prism", triangularPrism, 75},
        {"square pyramid", testshapes::squarePyramid(), 45},
    };
    for (const Named& solid : solids) {
        const SmallGraph g = faceGraph(solid.mesh);
        const long long expected = matrixTreeCount(g);
        EXPECT_EQ(solid.known, expected) << solid.name;
        EXPECT_EQ(expected, enumerateChecked(g, solid.name)) << solid.name;
        EXPECT_EQ(double(expected), SpanningTreeCount::Of(g.vertices, g.edges).count)
            << solid.name;
    }
}

TEST(SpanningTreeEnumerator, RandomGraphsWithParallelEdgesAndLoopsMatchTheCount) {
    vornSrand(17);
    for (int trial = 0; trial < 60; ++trial) {
        SmallGraph g;
        g.vertices = 1 + vornRand() % 8;
        const int edgeCount = vornRand() % 16;
        for (int e = 0; e < edgeCount; ++e)
            g.edges.emplace_back(vornRand() % g.vertices, vornRand() % g.vertices);
        const std::string what = "trial " + std::to_string(trial);
        const long long expected = matrixTreeCount(g);
        EXPECT_EQ(expected, enumerateChecked(g, what)) << what;
        EXPECT_EQ(double(expected), SpanningTreeCount::Of(g.vertices, g.edges).count) << what;
    }
}

TEST(SpanningTreeEnumerator, DegenerateGraphsAndRestart) {
    // No vertices: no tree. One vertex: one tree without edges. Two parts: none.
    EXPECT_EQ(0, enumerateChecked({0, {}}, "empty"));
    EXPECT_EQ(1, enumerateChecked({1, {}}, "one vertex"));
    EXPECT_EQ(0, enumerateChecked({4, {{0, 1}, {2, 3}}}, "two parts"));
    EXPECT_EQ(0.0, SpanningTreeCount::Of(4, {{0, 1}, {2, 3}}).count);
    EXPECT_EQ(1.0, SpanningTreeCount::Of(1, {}).count);

    SpanningTreeEnumerator trees(4, {{0, 1}, {1, 2}, {2, 3}, {3, 0}});
    std::vector<std::vector<int>> first;
    while (trees.next())
        first.push_back(trees.getTreeEdges());
    ASSERT_EQ(size_t(4), first.size());
    trees.restart();
    for (const auto& expected : first) {
        ASSERT_TRUE(trees.next());
        EXPECT_EQ(expected, trees.getTreeEdges());
    }
}

TEST(SpanningTreeCount, LargeCountsAreEstimatedWithoutOverflow) {
    // The icosahedron's face graph has 5,184,000 trees; a finely split sphere has more than
    // a double can hold, which the logarithm still gives.
    const SmallGraph ico = faceGraph(testshapes::unitIcosahedron());
    EXPECT_EQ(5184000.0, SpanningTreeCount::Of(ico.vertices, ico.edges).count);
    const SmallGraph fine = faceGraph(testshapes::icosphere(3)); // 1280 faces
    const SpanningTreeCount huge = SpanningTreeCount::Of(fine.vertices, fine.edges);
    EXPECT_TRUE(std::isfinite(huge.logCount));
    EXPECT_GT(huge.logCount, 710.0);
    EXPECT_TRUE(std::isinf(huge.count));
    EXPECT_EQ("about 10^" + std::to_string(int(std::lround(huge.logCount / std::log(10.0)))),
              huge.describe());
    // The quick bound counts a part of the graph: less, but already beyond any limit.
    const SpanningTreeCount bound = SpanningTreeCount::AtLeast(fine.vertices, fine.edges, 1e6);
    EXPECT_TRUE(bound.lowerBound);
    EXPECT_GT(bound.count, 1e6);
    EXPECT_LT(bound.logCount, huge.logCount);
    EXPECT_EQ("at least", bound.describe().substr(0, 8));
    // Below the limit, the whole graph is counted after all.
    const SpanningTreeCount whole =
        SpanningTreeCount::AtLeast(fine.vertices, fine.edges, HUGE_VAL, 400);
    EXPECT_FALSE(whole.lowerBound);
    EXPECT_DOUBLE_EQ(huge.logCount, whole.logCount);
    EXPECT_EQ("5184000", SpanningTreeCount::Of(ico.vertices, ico.edges).describe());
    EXPECT_EQ(4096.0, SpanningTreeCount::OfProduct({4, 4, 4, 4, 4, 4}).count);
    EXPECT_EQ(0.0, SpanningTreeCount::OfProduct({4, 0}).count);
}

namespace {

struct CollectingReceiver : GraphReceiver<Poly*> {
    std::set<std::string> keys;
    size_t nodes = 0;
    void onSpanningFound(Tree<Poly*>& tree) override {
        nodes += tree.size();
        std::string key;
        std::vector<std::string> edges;
        for (const auto& [face, node] : tree.getIndex())
            if (node->getParent()) {
                Poly* a = std::min(face, node->getParent()->getValue());
                Poly* b = std::max(face, node->getParent()->getValue());
                edges.push_back(std::to_string(reinterpret_cast<uintptr_t>(a)) + "-" +
                                std::to_string(reinterpret_cast<uintptr_t>(b)));
            }
        std::sort(edges.begin(), edges.end());
        for (const auto& e : edges)
            key += e + ";";
        keys.insert(key);
    }
};

} // namespace

TEST(GraphSpanningTrees, FaceGraphTreesReachTheReceiverOnceEach) {
    auto cube = testshapes::meshOf(testshapes::cube());
    Graph<Poly*> faces;
    for (Poly* f : cube->getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i)
            if (Poly* n = f->getNeighbor(i))
                faces.addEdge(f, n);
    CollectingReceiver receiver;
    EXPECT_EQ(384ULL, EnumerateSpanningTrees(faces, receiver));
    EXPECT_EQ(size_t(384), receiver.keys.size());
    EXPECT_EQ(size_t(384 * 6), receiver.nodes);
}
