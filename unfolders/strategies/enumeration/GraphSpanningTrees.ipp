#pragma once

template <typename T> NumberedGraph<T>::NumberedGraph(const Graph<T>& graph) {
    std::map<T, int> number;
    for (const auto& entry : graph) {
        number.emplace(entry.first, int(vertices.size()));
        vertices.push_back(entry.first);
    }
    for (const auto& [v, neighbours] : graph) {
        const int a = number[v];
        for (const T& w : neighbours) {
            const int b = number[w];
            if (a < b)
                edges.emplace_back(a, b);
        }
    }
}

template <typename T>
void NumberedGraph<T>::buildTree(const std::vector<int>& treeEdges, Tree<T>& tree) const {
    tree.clear();
    if (vertices.empty())
        return;
    Graph<T> g;
    for (int e : treeEdges)
        g.addEdge(vertices[size_t(edges[size_t(e)].first)],
                  vertices[size_t(edges[size_t(e)].second)]);
    if (g.isEmpty())
        g.getNeighbors(vertices.front()); // a lone vertex is a one-node tree
    tree.build(g, vertices.front());
}

template <typename T>
unsigned long long EnumerateSpanningTrees(const Graph<T>& graph, GraphReceiver<T>& receiver) {
    const NumberedGraph<T> numbered(graph);
    const double expected = numbered.countTrees().count;
    SpanningTreeEnumerator trees = numbered.makeEnumerator();
    const int edgeCount = int(numbered.getEdges().size());
    auto report = [&] {
        const double share =
            expected > 0 ? 100.0 * double(trees.getTreeCount()) / expected : 100.0;
        StatusMessage("Enumerating spanning trees: edge %i / %i (%4.2f%% complete)",
                      std::min(trees.getOpenEdge() + 1, edgeCount), edgeCount, share);
    };
    Tree<T> tree;
    while (trees.next()) {
        numbered.buildTree(trees.getTreeEdges(), tree);
        receiver.onSpanningFound(tree);
        if ((trees.getTreeCount() & 0xFFFF) == 0)
            report();
    }
    report();
    return trees.getTreeCount();
}
