#include "unfolders/strategies/TotalUnfolder.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "common/StatusLine.h"
#include "common/XML.h"

VORN_DEFINE_OFFERED_FACTORY(TotalUnfolder, "Unfolder")

Poly* TotalUnfolder::setStartingFace(Poly* f) {
    Poly* placed = Unfolder::setStartingFace(f);
    startSource = placed;
    prepare();
    return placed;
}

int TotalUnfolder::positionOf(Poly* f) const {
    auto it = positions.find(f);
    return it == positions.end() ? -1 : it->second;
}

void TotalUnfolder::prepare() {
    allKeys.clear();
    successKeys.clear();
    firstSuccess.clear();
    root.reset();
    current = nullptr;
    leaves = 0;
    leavesPassed = 0;
    successCount = 0;
    succeeded = false;
    running = false;
    positions.clear();
    if (!startSource || !source)
        return;
    std::vector<std::pair<int, int>> edges;
    for (Poly* f : source->getPolys())
        positions.emplace(f, int(positions.size()));
    for (Poly* f : source->getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i)
            if (Poly* n = f->getNeighbor(i); n && positionOf(f) < positionOf(n))
                edges.emplace_back(positionOf(f), positionOf(n));
    // Every spanning tree is at least one order: beyond the limit in trees, the orders
    // are too, and the tree of orders is never begun.
    budget.setEstimate(SpanningTreeCount::AtLeast(int(positions.size()), edges, budget.getLimit()));
    if (budget.getEstimate().count == 0) {
        // An order ends when the starting face's part is attached: it would pass for a
        // success with the other parts missing.
        StatusMessage("The faces are in several parts: no order attaches them all");
        return;
    }
    if (budget.isRefused()) {
        budget.announce();
        return;
    }
    root = std::make_unique<AttachmentNode>();
    root->face = startSource;
    std::vector<char> onPath(positions.size(), 0);
    onPath[size_t(positionOf(startSource))] = 1;
    if (!buildNode(*root, {}, onPath, budget.getLimit())) {
        root.reset();
        allKeys.clear();
        budget.setEstimate(SpanningTreeCount{std::log(leaves), leaves}, true);
        budget.announce();
        leaves = 0;
        return;
    }
    budget.setEstimate(SpanningTreeCount{std::log(std::max(leaves, 1.0)), leaves});
    current = root.get();
    running = true;
}

bool TotalUnfolder::buildNode(AttachmentNode& node, Frontier frontier, std::vector<char>& onPath,
                              double maxLeaves) {
    Poly* face = node.face;
    frontier.erase(std::remove_if(frontier.begin(), frontier.end(),
                                  [face](const auto& entry) { return entry.first == face; }),
                   frontier.end());
    for (int i = 0; i < face->getVertexCount(); ++i) {
        Poly* n = face->getNeighbor(i);
        if (!n || onPath[size_t(positionOf(n))])
            continue;
        const int j = n->getNeighborIndex(face);
        if (j < 0 || std::find(frontier.begin(), frontier.end(), std::make_pair(n, j)) !=
                         frontier.end())
            continue;
        frontier.emplace_back(n, j);
    }
    if (frontier.empty()) {
        node.leavesBelow = 1;
        ++leaves;
        ++allKeys[treeKey(node)];
        return leaves <= maxLeaves;
    }
    for (const auto& [n, j] : frontier) {
        auto child = std::make_unique<AttachmentNode>();
        child->parent = &node;
        child->face = n;
        child->edge = j;
        onPath[size_t(positionOf(n))] = 1;
        const bool within = buildNode(*child, frontier, onPath, maxLeaves);
        onPath[size_t(positionOf(n))] = 0;
        node.leavesBelow += child->leavesBelow;
        node.children.push_back(std::move(child));
        if (!within)
            return false;
    }
    return true;
}

std::string TotalUnfolder::treeKey(const AttachmentNode& leaf) const {
    std::map<int, std::set<int>> adjacent;
    for (const AttachmentNode* n = &leaf; n; n = n->parent) {
        const int a = positionOf(n->face);
        adjacent[a];
        if (n->edge < 0)
            continue;
        const int b = positionOf(n->face->getNeighbor(n->edge));
        adjacent[a].insert(b);
        adjacent[b].insert(a);
    }
    std::string key;
    char part[16];
    for (const auto& [face, neighbours] : adjacent) {
        std::snprintf(part, sizeof part, "%08X:", unsigned(face));
        key += part;
        for (int n : neighbours) {
            std::snprintf(part, sizeof part, "[%08X]", unsigned(n));
            key += part;
        }
        key += '\n';
    }
    return key;
}

void TotalUnfolder::removeFromNet(Poly* f) {
    Poly* net = f->getTwin();
    if (!net)
        return;
    const std::vector<Vertex*> corners(net->getVertices().begin(), net->getVertices().end());
    remPoly(net);
    delete net;
    // Corners no other net face uses would pile up over the many orders tried.
    for (Vertex* v : corners)
        if (v->getPolys().empty() && remVertex(v))
            delete v;
}

void TotalUnfolder::unfold() {
    if (!running)
        return;
    for (int moves = 0; moves < MovesPerStep && current; ++moves) {
        if (current->nextChild < current->children.size()) {
            AttachmentNode* child = current->children[current->nextChild++].get();
            Poly* copy = copyAndFlatten(*child->face, child->edge, nullptr);
            if (!copy) {
                leavesPassed += child->leavesBelow; // refused: the whole subtree is skipped
                continue;
            }
            addTwin(*child->face, *copy);
            current = child;
            if (!child->children.empty())
                continue;
            ++leavesPassed;
            ++successCount;
            ++successKeys[treeKey(*child)];
            if (!disableTerminateOnSuccess) {
                current = nullptr;
                succeeded = true;
                StatusMessage("Ready");
                return;
            }
            if (successCount == 1) {
                firstSuccess.clear();
                for (const AttachmentNode* n = child; n; n = n->parent)
                    firstSuccess.emplace_back(n->face, n->edge);
                std::reverse(firstSuccess.begin(), firstSuccess.end());
            }
            removeFromNet(child->face);
            current = child->parent;
        } else if (current == root.get()) {
            current = nullptr;
            succeeded = successCount > 0;
            if (succeeded)
                restoreFirstSuccess();
            StatusMessage("Ready");
            return;
        } else {
            removeFromNet(current->face);
            current = current->parent;
        }
    }
}

void TotalUnfolder::restoreFirstSuccess() {
    const int ticks = idleCount;
    cutGraphValid = false;
    conflictsValid = false;
    hull().reset();
    translate(-getTranslation());
    clear();
    Unfolder::setStartingFace(startSource);
    idleCount = ticks;
    for (const auto& [face, edge] : firstSuccess) {
        if (edge < 0)
            continue;
        if (Poly* copy = copyAndFlatten(*face, edge, nullptr))
            addTwin(*face, *copy);
    }
    onChanged(true);
}

bool TotalUnfolder::isSuccesful() {
    if (!root)
        return Unfolder::isSuccesful();
    return succeeded;
}

float TotalUnfolder::getProgress() {
    if (!root || leaves == 0)
        return Unfolder::getProgress();
    if (!current)
        return 1.0f;
    return float(leavesPassed / leaves);
}

SceneObj* TotalUnfolder::doDefaultAction() {
    if (!running) {
        running = root != nullptr;
        return this;
    }
    return convertToAnimation(false);
}

void TotalUnfolder::setCandidateLimit(double limit) {
    budget.setLimit(limit);
    if (!root && source && startSource && !budget.isRefused())
        prepare();
    budget.announce();
}

void TotalUnfolder::onDone() {
    Unfolder::onDone();
    budget.announce();
}

void TotalUnfolder::read(XML& xml) {
    Unfolder::read(xml);
    disableTerminateOnSuccess =
        readBool(xml, "DisableTerminateOnSuccess", disableTerminateOnSuccess);
}

void TotalUnfolder::write(XML& xml) {
    Unfolder::write(xml);
    xml.add("DisableTerminateOnSuccess", disableTerminateOnSuccess);
}
