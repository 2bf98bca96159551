#include "unfolders/strategies/EvolvingUnfolder.h"

#include <map>
#include <set>
#include <utility>
#include <vector>

#include "common/StatusLine.h"
#include "unfolders/strategies/enumeration/GraphSpanningTrees.h"

VORN_DEFINE_OFFERED_FACTORY(EvolvingUnfolder, "Unfolder")

using Sorvex::M3d;
using Sorvex::M4x4;

namespace {

/// Appends a copy of each tree found to one generation, rooted at the first face.
class Spanner : public GraphReceiver<Poly*> {
public:
    Spanner(EvolvingUnfolder::Generation& generation, Poly* root)
        : generation(generation), root(root) {}

    void onSpanningFound(Tree<Poly*>& tree) override {
        Graph<Poly*> edges;
        for (const auto& [face, node] : tree.getIndex())
            if (node->getParent())
                edges.addEdge(node->getParent()->getValue(), face);
        generation.emplace_back(edges, root);
    }

private:
    EvolvingUnfolder::Generation& generation;
    Poly* root;
};

using EdgeList = std::vector<std::pair<Poly*, Poly*>>;

/// The tree's edges as (lower, higher) pairs in order, leaving out the node `skip`.
EdgeList edgesOf(const Tree<Poly*>& tree, Poly* skip) {
    EdgeList edges;
    for (const auto& [face, node] : tree.getIndex()) {
        if (!node->getParent() || face == skip)
            continue;
        Poly* other = node->getParent()->getValue();
        if (other == skip)
            continue;
        edges.emplace_back(std::min(face, other), std::max(face, other));
    }
    std::sort(edges.begin(), edges.end());
    return edges;
}

} // namespace

bool EvolvingUnfolder::setParent(SceneObj* parent) {
    if (!Unfolder::setParent(parent))
        return false;
    remaining.clear();
    unfoldings.clear();
    faceGraph.clear();
    inheritance.clear();
    lead = nullptr;
    stopped = false;
    budget.setEstimate(SpanningTreeCount{});
    if (!source)
        return true;
    lead = defoldLead();
    if (!lead)
        return true;
    // Growth order: the lowest face touching the set so far, the first found on ties.
    std::set<Poly*> inList{lead};
    std::vector<Poly*> order{lead};
    for (;;) {
        Poly* next = nullptr;
        double nextY = 0;
        for (Poly* f : order)
            for (int i = 0; i < f->getVertexCount(); ++i) {
                Poly* n = f->getNeighbor(i);
                if (!n || inList.count(n))
                    continue;
                const double y = n->getCenter().y();
                if (!next || y < nextY) {
                    next = n;
                    nextY = y;
                }
            }
        if (!next)
            break;
        inList.insert(next);
        order.push_back(next);
    }
    remaining.assign(order.begin(), order.end());
    setColor(0.4, 0.5, 0.4);
    // The first face is a vertex of the face graph before it has an edge.
    faceGraph.getNeighbors(lead);
    Generation& first = unfoldings.emplace_back();
    first.emplace_back(faceGraph, lead);
    remaining.pop_front();
    return true;
}

Poly* EvolvingUnfolder::dupPoly(Poly* p) {
    auto* copy = new Poly(*p, this);
    copy->transform(M4x4::Translation(p->getNormal() * 0.001));
    PolyMesh::addPoly(copy, false);
    copy->setTwin(p);
    p->setTwin(copy);
    return copy;
}

Poly* EvolvingUnfolder::defoldLead() {
    if (getPolyCount() != 1)
        return nullptr;
    Poly* net = *getPolys().begin();
    Poly* sourceFace = net->getTwin();
    if (!sourceFace)
        return nullptr;
    remPoly(net);
    delete net;
    dupPoly(sourceFace);
    return sourceFace;
}

void EvolvingUnfolder::unfold() {
    if (isDone())
        return;
    Poly* f = remaining.front();
    // Count the next generation before making it: growth stops rather than exhaust memory.
    Graph<Poly*> grown = faceGraph;
    for (int i = 0; i < f->getVertexCount(); ++i)
        if (Poly* n = f->getNeighbor(i); n && grown.hasVertex(n))
            grown.addEdge(n, f);
    budget.setEstimate(NumberedGraph<Poly*>(grown).countTrees(budget.getLimit()));
    if (budget.announce()) {
        stopped = true;
        return;
    }
    remaining.pop_front();
    faceGraph = std::move(grown);
    dupPoly(f);
    Generation* previous = unfoldings.empty() ? nullptr : &unfoldings.back();
    Generation& newest = unfoldings.emplace_back();
    Spanner spanner(newest, lead);
    EnumerateSpanningTrees(faceGraph, spanner);
    if (previous)
        linkGenerations(*previous, newest, f);
    onChanged(true);
}

void EvolvingUnfolder::linkGenerations(Generation& previous, Generation& newest, Poly* added) {
    // A tree of the previous generation lies in a new tree exactly when the new tree is it
    // plus the added face as a leaf, so each new tree has at most one ancestor: found by
    // the edges left when the added face is taken away.
    std::map<EdgeList, Tree<Poly*>*> byEdges;
    for (Tree<Poly*>& p : previous)
        byEdges.emplace(edgesOf(p, nullptr), &p);
    for (Tree<Poly*>& t : newest) {
        TreeNode<Poly*>* node = t.findNode(added);
        if (!node || !node->getChildren().empty())
            continue;
        auto ancestor = byEdges.find(edgesOf(t, added));
        if (ancestor != byEdges.end())
            inheritance.addEdge(&t, ancestor->second);
    }
}

void EvolvingUnfolder::showUnfolding(Tree<Poly*>* tree) {
    if (!source)
        return;
    const int ticks = idleCount;
    if (tree) {
        setColor(0.5, 0.5, 0.5);
        unfoldToNet(*tree);
        findConflicts();
    } else {
        cutGraphValid = false;
        hull().reset();
        translate(-getTranslation());
        clear();
        setColor(0.5, 0.5, 0.5);
        for (Poly* f : source->getPolys())
            dupPoly(f);
    }
    idleCount = ticks;
    onChanged(true);
}

float EvolvingUnfolder::getProgress() {
    if (!source || source->getPolyCount() == 0)
        return 1.0f;
    const size_t total = source->getPolyCount();
    return float(total - remaining.size()) / float(total);
}

void EvolvingUnfolder::onDone() {
    if (!budget.announce())
        StatusMessage("Ready");
}

void EvolvingUnfolder::setCandidateLimit(double limit) {
    budget.setLimit(limit);
    if (stopped && !budget.isRefused())
        stopped = false;
}
