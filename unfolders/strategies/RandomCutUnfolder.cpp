#include "unfolders/strategies/RandomCutUnfolder.h"

#include "common/Random.h"
#include "unfolders/strategies/support/NetKey.h"

VORN_DEFINE_OFFERED_FACTORY(RandomCutUnfolder, "Unfolder")
// The quick variants are listed under their family so that they get its panel.
VORN_DEFINE_OFFERED_FACTORY(QuickRandomCutUnfolder, "RandomCutUnfolder")
VORN_DEFINE_OFFERED_FACTORY(QuickRandomCutUnfolder25, "RandomCutUnfolder")

namespace {

/// Trees QuickRandomCutUnfolder25 tries per step.
constexpr int TriesPerStep = 25;

/// A random index below n (n > 0), as the classic rand() % n.
size_t randomIndex(size_t n) {
    return size_t(vornRand()) % n;
}

} // namespace

void RandomCutUnfolder::BuildRandomUnfolding(PolyMesh& mesh, Tree<Poly*>& tree) {
    tree.clear();
    if (mesh.getPolyCount() == 0)
        return;
    std::vector<Poly*> faces(mesh.getPolys().begin(), mesh.getPolys().end());
    Poly* root = faces[randomIndex(faces.size())];
    Graph<Poly*> edges;
    std::map<Poly*, bool> inTree{{root, true}};
    std::vector<std::pair<Poly*, int>> frontier;
    for (int i = 0; i < root->getVertexCount(); ++i) {
        if (root->getNeighbor(i))
            frontier.emplace_back(root, i);
    }
    while (!frontier.empty()) {
        const size_t pick = randomIndex(frontier.size());
        const auto [f, i] = frontier[pick];
        frontier.erase(frontier.begin() + std::ptrdiff_t(pick));
        Poly* n = f->getNeighbor(i);
        if (inTree[n])
            continue;
        inTree[n] = true;
        edges.addEdge(f, n);
        for (int j = 0; j < n->getVertexCount(); ++j) {
            Poly* next = n->getNeighbor(j);
            if (next && !inTree[next])
                frontier.emplace_back(n, j);
        }
    }
    if (edges.isEmpty()) {
        // A lone face: the tree is just its root.
        edges.getNeighbors(root);
    }
    tree.build(edges, root);
}

std::string RandomCutUnfolder::TreeKey(const Tree<Poly*>& tree) {
    Graph<Poly*> edges;
    for (const auto& [face, node] : tree.getIndex()) {
        if (node->getParent())
            edges.addEdge(node->getParent()->getValue(), face);
    }
    return NetKey(edges);
}

bool RandomCutUnfolder::layRandomTree(Tree<Poly*>& tree) {
    BuildRandomUnfolding(*source, tree);
    return unfoldToNet(tree);
}

void RandomCutUnfolder::unfold() {
    if (!source)
        return;
    Tree<Poly*> tree;
    const bool placedAll = layRandomTree(tree);
    drawn = true;
    const bool failed = checkIntersections
                            ? !placedAll || getPolyCount() < source->getPolyCount()
                            : getPolyCount() < source->getPolyCount() || findConflicts();
    const bool fresh = triedTrees[TreeKey(tree)]++ == 0;
    if (fresh && !failed) {
        lastSuccessTree.clear();
        for (const auto& [face, node] : tree.getIndex()) {
            if (node->getParent())
                lastSuccessTree.emplace_back(node->getParent()->getValue(), face);
        }
        ++successCount;
    }
    onChanged(false);
}

bool RandomCutUnfolder::isDone() {
    if (repeating)
        return false;
    // A source of one face never gives a net of two: one draw is all there is.
    return getPolyCount() >= 2 || (drawn && source && source->getPolyCount() < 2);
}

bool RandomCutUnfolder::lastSuccess() {
    if (!source || lastSuccessTree.empty())
        return false;
    Graph<Poly*> edges;
    for (const auto& [parent, child] : lastSuccessTree)
        edges.addEdge(parent, child);
    Tree<Poly*> tree(edges, lastSuccessTree.front().first);
    unfoldToNet(tree);
    findConflicts();
    onChanged(true);
    return true;
}

void QuickRandomCutUnfolder25::unfold() {
    if (!source)
        return;
    Tree<Poly*> tree;
    for (int attempt = 0; attempt < TriesPerStep; ++attempt) {
        if (layRandomTree(tree))
            break;
    }
    onChanged(false);
}
