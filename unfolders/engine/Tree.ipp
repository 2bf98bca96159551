#pragma once

#include <utility>
#include <vector>

template <typename T>
TreeNode<T>::TreeNode(const T& value, TreeNode<T>* parent, Index* index)
    : value(value), index(index), parent(parent) {
    if (index)
        (*index)[value] = this;
}

template <typename T> void TreeNode<T>::reroot() {
    // The path to the old root is walked iteratively and re-linked from the
    // top down, which is what re-rooting at the parent first would do.
    std::vector<TreeNode<T>*> path;
    for (TreeNode<T>* n = this; n; n = n->parent)
        path.push_back(n);
    for (size_t i = path.size() - 1; i-- > 0;) {
        TreeNode<T>* child = path[i];
        TreeNode<T>* formerParent = path[i + 1];
        formerParent->children.remove(child);
        child->children.push_back(formerParent);
        formerParent->parent = child;
        child->parent = nullptr;
    }
}

template <typename T> Tree<T>::Tree(Tree&& other) noexcept {
    *this = std::move(other);
}

template <typename T> Tree<T>& Tree<T>::operator=(Tree&& other) noexcept {
    if (this != &other) {
        clear();
        index = std::move(other.index);
        root = other.root;
        other.index.clear();
        other.root = nullptr;
        for (auto& entry : index)
            entry.second->index = &index;
    }
    return *this;
}

template <typename T> void Tree<T>::build(const Graph<T>& graph, const T& rootValue) {
    clear();
    root = new TreeNode<T>(rootValue, nullptr, &index);
    using ListIt = typename Graph<T>::NeighborList::const_iterator;
    struct Frame {
        TreeNode<T>* node;
        ListIt next;
        ListIt end;
    };
    // Explicit stack in place of recursion: a face tree may be a long chain.
    std::vector<Frame> stack;
    auto push = [&](TreeNode<T>* node) {
        if (const auto* list = graph.findNeighbors(node->value))
            stack.push_back({node, list->begin(), list->end()});
    };
    push(root);
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.end) {
            stack.pop_back();
            continue;
        }
        const T& candidate = *top.next++;
        TreeNode<T>* node = top.node;
        if (node->parent && candidate == node->parent->value)
            continue;
        if (index.count(candidate))
            continue;
        auto* child = new TreeNode<T>(candidate, node, &index);
        node->children.push_back(child);
        push(child);
    }
}

template <typename T> bool Tree<T>::setRoot(const T& value) {
    TreeNode<T>* node = findNode(value);
    if (!node)
        return false;
    node->reroot();
    root = node;
    return true;
}

template <typename T> TreeNode<T>* Tree<T>::findNode(const T& value) const {
    auto it = index.find(value);
    return it == index.end() ? nullptr : it->second;
}

template <typename T> void Tree<T>::clear() {
    // Every node is in the index, so freeing through it needs no recursion.
    for (auto& entry : index)
        delete entry.second;
    index.clear();
    root = nullptr;
}
