#pragma once

#include <cstddef>
#include <list>
#include <map>

#include "unfolders/engine/Graph.h"

template <typename T> class Tree;

/// One node of a re-rootable tree over values. Nodes are made and freed by
/// their `Tree`; a node owns its children only through the tree's index.
template <typename T> class TreeNode {
public:
    using Index = std::map<T, TreeNode<T>*, GraphOrder<T>>;

    TreeNode(const T& value, TreeNode<T>* parent, Index* index);
    TreeNode(const TreeNode&) = delete;
    TreeNode& operator=(const TreeNode&) = delete;

    const std::list<TreeNode<T>*>& getChildren() const { return children; }
    const T& getValue() const { return value; }
    TreeNode<T>* getParent() const { return parent; }

    /// Makes this node the root of its tree: the parent links on the path
    /// from the old root are reversed, and each former parent becomes the
    /// last child of its former child. Every edge is kept.
    void reroot();

private:
    friend class Tree<T>;

    std::list<TreeNode<T>*> children;
    T value;
    Index* index;
    TreeNode<T>* parent;
};

/// Rooted tree over values, one node per value, with an index from value to
/// node, in the graphs' vertex order. Built from a graph; children appear in the graph's neighbour
/// order.
template <typename T> class Tree {
public:
    Tree() = default;
    /// Builds the tree of the part of `graph` connected to `rootValue`.
    Tree(const Graph<T>& graph, const T& rootValue) { build(graph, rootValue); }
    ~Tree() { clear(); }
    Tree(const Tree&) = delete;
    Tree& operator=(const Tree&) = delete;
    Tree(Tree&& other) noexcept;
    Tree& operator=(Tree&& other) noexcept;

    /// Replaces the tree by the one grown from `rootValue` through `graph`:
    /// each neighbour other than the parent becomes a child, in list order.
    /// A neighbour already in the tree is skipped, so a graph with cycles
    /// yields a spanning tree of the root's component instead of looping.
    void build(const Graph<T>& graph, const T& rootValue);

    /// Re-roots the tree at the node of `value`; false (and nothing changed)
    /// when the value is not in the tree.
    bool setRoot(const T& value);

    TreeNode<T>* getRoot() const { return root; }
    /// The node holding `value`, or null.
    TreeNode<T>* findNode(const T& value) const;
    const typename TreeNode<T>::Index& getIndex() const { return index; }
    size_t size() const { return index.size(); }
    bool isEmpty() const { return root == nullptr; }

    void clear();

private:
    typename TreeNode<T>::Index index;
    TreeNode<T>* root = nullptr;
};

#include "unfolders/engine/Tree.ipp"
