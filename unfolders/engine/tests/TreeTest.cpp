#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "unfolders/engine/GraphReceiver.h"
#include "unfolders/engine/Tree.h"

namespace {

/// The tree as text: value, then the children in parentheses.
template <typename T> std::string describe(const TreeNode<T>* node) {
    std::string text(1, node->getValue());
    if (node->getChildren().empty())
        return text;
    text += '(';
    for (const TreeNode<T>* child : node->getChildren()) {
        if (text.back() != '(')
            text += ' ';
        text += describe(child);
    }
    return text + ')';
}

/// Every child points back at its parent and every node is indexed.
template <typename T> void expectConsistent(const Tree<T>& tree) {
    std::vector<const TreeNode<T>*> stack{tree.getRoot()};
    size_t count = 0;
    EXPECT_EQ(nullptr, tree.getRoot()->getParent());
    while (!stack.empty()) {
        const TreeNode<T>* node = stack.back();
        stack.pop_back();
        ++count;
        EXPECT_EQ(node, tree.findNode(node->getValue()));
        for (const TreeNode<T>* child : node->getChildren()) {
            EXPECT_EQ(node, child->getParent());
            stack.push_back(child);
        }
    }
    EXPECT_EQ(tree.size(), count);
}

} // namespace

TEST(Tree, BuildFollowsNeighborOrderAndTakesOnlyTheRootsComponent) {
    Graph<char> g;
    g.addEdge('a', 'c');
    g.addEdge('a', 'b');
    g.addEdge('b', 'e');
    g.addEdge('x', 'y');
    Tree<char> tree(g, 'a');
    EXPECT_EQ("a(c b(e))", describe(tree.getRoot()));
    EXPECT_EQ(size_t(4), tree.size());
    EXPECT_EQ(nullptr, tree.findNode('x'));
    expectConsistent(tree);

    Tree<char> single(g, 'q');
    EXPECT_EQ("q", describe(single.getRoot()));
    EXPECT_FALSE(g.hasVertex('q')) << "building must not change the graph";
}

TEST(Tree, RerootReversesThePathAndKeepsEveryEdge) {
    Graph<char> g;
    g.addEdge('a', 'b');
    g.addEdge('b', 'e');
    Tree<char> tree(g, 'a');
    ASSERT_EQ("a(b(e))", describe(tree.getRoot()));
    EXPECT_TRUE(tree.setRoot('e'));
    EXPECT_EQ("e(b(a))", describe(tree.getRoot()));
    expectConsistent(tree);

    // The former parent becomes the last child of its former child.
    Graph<char> h;
    h.addEdge('r', 'p');
    h.addEdge('p', 'c');
    h.addEdge('p', 'd');
    h.addEdge('r', 's');
    Tree<char> wide(h, 'r');
    ASSERT_EQ("r(p(c d) s)", describe(wide.getRoot()));
    EXPECT_TRUE(wide.setRoot('c'));
    EXPECT_EQ("c(p(d r(s)))", describe(wide.getRoot()));
    expectConsistent(wide);

    EXPECT_FALSE(wide.setRoot('z'));
    EXPECT_EQ('c', wide.getRoot()->getValue());
}

TEST(Tree, CyclicGraphGivesASpanningTreeInsteadOfLooping) {
    Graph<char> g;
    g.addEdge('a', 'b');
    g.addEdge('b', 'c');
    g.addEdge('c', 'a');
    Tree<char> tree(g, 'a');
    EXPECT_EQ("a(b(c))", describe(tree.getRoot()));
    expectConsistent(tree);
}

TEST(Tree, LongChainsBuildRerootAndFreeWithoutDeepRecursion) {
    Graph<int> path;
    const int n = 200000;
    for (int i = 0; i + 1 < n; ++i)
        path.addEdge(i, i + 1);
    Tree<int> tree(path, 0);
    EXPECT_EQ(size_t(n), tree.size());
    EXPECT_TRUE(tree.setRoot(n - 1));
    EXPECT_EQ(n - 2, tree.getRoot()->getChildren().front()->getValue());
    EXPECT_EQ(nullptr, tree.findNode(n - 1)->getParent());
    EXPECT_EQ(tree.findNode(1), tree.findNode(0)->getParent());
    Tree<int> moved(std::move(tree));
    EXPECT_TRUE(tree.isEmpty());
    EXPECT_TRUE(moved.setRoot(0));
    EXPECT_EQ(size_t(n), moved.size());
}

namespace {
struct CountingReceiver : GraphReceiver<char> {
    int count = 0;
    size_t lastSize = 0;
    void onSpanningFound(Tree<char>& tree) override {
        ++count;
        lastSize = tree.size();
    }
};
} // namespace

TEST(Tree, ReceiverIsCopyableAndReceivesTrees) {
    Graph<char> g;
    g.addEdge('a', 'b');
    Tree<char> tree(g, 'a');
    CountingReceiver receiver;
    GraphReceiver<char>& asBase = receiver;
    asBase.onSpanningFound(tree);
    CountingReceiver copy = receiver;
    copy.onSpanningFound(tree);
    EXPECT_EQ(1, receiver.count);
    EXPECT_EQ(2, copy.count);
    EXPECT_EQ(size_t(2), copy.lastSize);
}
