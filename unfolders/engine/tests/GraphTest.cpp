#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unfolders/engine/Graph.h"

namespace {

std::vector<char> neighbors(Graph<char>& g, char v) {
    return {g.getNeighbors(v).begin(), g.getNeighbors(v).end()};
}

} // namespace

TEST(Graph, EdgesAreStoredOnceInEachDirection) {
    Graph<char> g;
    g.addEdge('a', 'b');
    g.addEdge('a', 'b');
    g.addEdge('b', 'a');
    g.addEdge('a', 'e');
    EXPECT_EQ(std::vector<char>({'b', 'e'}), neighbors(g, 'a'));
    EXPECT_EQ(std::vector<char>({'a'}), neighbors(g, 'b'));
    EXPECT_EQ(size_t(2), g.getEdgeCount());
    EXPECT_TRUE(g.hasEdge('b', 'a'));
    EXPECT_FALSE(g.hasEdge('b', 'e'));
    EXPECT_FALSE(g.hasEdge('x', 'a'));

    g.addEdge('c', 'c');
    EXPECT_FALSE(g.hasVertex('c')) << "a self-loop must not be stored";
}

TEST(Graph, VerticesIterateInValueOrderAndListsInInsertionOrder) {
    Graph<int> g;
    g.addEdge(5, 1);
    g.addEdge(3, 5);
    g.addEdge(5, 2);
    std::vector<int> order;
    for (const auto& entry : g)
        order.push_back(entry.first);
    EXPECT_EQ(std::vector<int>({1, 2, 3, 5}), order);
    const auto* list = g.findNeighbors(5);
    ASSERT_NE(nullptr, list);
    EXPECT_EQ(std::vector<int>({1, 3, 2}), std::vector<int>(list->begin(), list->end()));
}

TEST(Graph, RemovingEdgesAndVerticesDropsIsolatedVertices) {
    Graph<char> g;
    g.addEdge('a', 'b');
    EXPECT_FALSE(g.removeEdge('a', 'x'));
    EXPECT_FALSE(g.removeEdge('x', 'y'));
    EXPECT_EQ(size_t(2), g.getVertexCount());
    EXPECT_TRUE(g.removeEdge('b', 'a'));
    EXPECT_TRUE(g.isEmpty());

    // Star a-b, a-c, a-d plus c-d: removing a frees b but keeps c and d.
    g.addEdge('a', 'b');
    g.addEdge('a', 'c');
    g.addEdge('a', 'd');
    g.addEdge('c', 'd');
    g.removeVertex('a');
    EXPECT_FALSE(g.hasVertex('a'));
    EXPECT_FALSE(g.hasVertex('b'));
    EXPECT_TRUE(g.hasEdge('c', 'd'));
    EXPECT_EQ(size_t(2), g.getVertexCount());
    g.removeVertex('z');
    EXPECT_EQ(size_t(2), g.getVertexCount());
}

TEST(Graph, NeighborQueryInsertsTheVertex) {
    Graph<int> g;
    EXPECT_TRUE(g.getNeighbors(7).empty());
    EXPECT_TRUE(g.hasVertex(7));
    EXPECT_EQ(nullptr, g.findNeighbors(8));
    EXPECT_FALSE(g.hasVertex(8));
}

TEST(Graph, CycleDetection) {
    Graph<char> g;
    EXPECT_FALSE(g.hasCycle());
    g.addEdge('a', 'b');
    g.addEdge('b', 'e');
    EXPECT_FALSE(g.hasCycle());
    g.addEdge('a', 'e');
    EXPECT_TRUE(g.hasCycle());

    // A forest with a cycle only in its second component.
    Graph<int> forest;
    forest.addEdge(1, 2);
    forest.addEdge(2, 3);
    forest.addEdge(10, 11);
    forest.addEdge(11, 12);
    forest.addEdge(11, 13);
    EXPECT_FALSE(forest.hasCycle());
    forest.addEdge(12, 13);
    EXPECT_TRUE(forest.hasCycle());
}

TEST(Graph, CycleDetectionOnLongPathsNeedsNoDeepRecursion) {
    Graph<int> path;
    const int n = 200000;
    for (int i = 0; i + 1 < n; ++i)
        path.addEdge(i, i + 1);
    EXPECT_FALSE(path.hasCycle());
    path.addEdge(0, n - 1);
    EXPECT_TRUE(path.hasCycle());
}
