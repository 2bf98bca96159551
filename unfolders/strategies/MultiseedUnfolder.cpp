#include "unfolders/strategies/MultiseedUnfolder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <queue>
#include <tuple>

#include "common/StatusLine.h"
#include "scene/Renderer.h"
#include "scene/mesh/CurvatureArmature.h"

VORN_DEFINE_OFFERED_FACTORY(MultiseedUnfolder, "Unfolder")

namespace {

/// Seeds whose curvature is this close to the most curved one's join its set.
constexpr double SeedSetWidth = 0.0001;
/// The distance of a face the search has not reached: the largest single-precision value.
constexpr float Unreached = 3.4028234663852886e38f;

} // namespace

UnfoldingTree* MultiseedUnfolder::addNode(Poly* f, UnfoldingTree* parent) {
    UnfoldingTree& node = treeNodes.emplace_back();
    node.face = f;
    node.parent = parent;
    if (parent)
        parent->children.push_back(&node);
    nodeOf[f] = &node;
    return &node;
}

const UnfoldingTree* MultiseedUnfolder::getTreeNode(Poly* f) const {
    auto it = nodeOf.find(f);
    return it == nodeOf.end() ? nullptr : it->second;
}

Poly* MultiseedUnfolder::setStartingFace(Poly* f) {
    Poly* placed = CurvatureOrderingUnfolder::setStartingFace(f);
    treeNodes.clear();
    nodeOf.clear();
    treeRoot = nullptr;
    path.clear();
    pathNode = nullptr;
    sortedFaces.clear();
    sortedFront = 0;
    faceSlot.clear();
    marks.clear();
    if (!placed || !source)
        return placed;
    treeRoot = addNode(placed, nullptr);
    StatusMessage("Building sorted face list");
    sortedFaces.reserve(source->getPolyCount());
    faceSlot.reserve(source->getPolyCount());
    for (Poly* g : source->getPolys()) {
        faceSlot[g] = faceSlot.size();
        if (g != placed)
            sortFace(g);
    }
    marks.assign(faceSlot.size(), SearchMark{});
    StatusMessage("Ready");
    return placed;
}

void MultiseedUnfolder::sortFace(Poly* f) {
    const float c = getFaceCurvature(f);
    // The list is descending: the first entry not larger than c is found by bisection.
    auto at = std::partition_point(sortedFaces.begin() + std::ptrdiff_t(sortedFront),
                                   sortedFaces.end(),
                                   [&](Poly* g) { return getFaceCurvature(g) > c; });
    sortedFaces.insert(at, f);
}

std::vector<Poly*> MultiseedUnfolder::getSortedFaces() const {
    std::vector<Poly*> faces;
    for (std::size_t i = sortedFront; i < sortedFaces.size(); ++i)
        if (!sortedFaces[i]->getTwin())
            faces.push_back(sortedFaces[i]);
    return faces;
}

bool MultiseedUnfolder::skipPlaced() {
    while (sortedFront < sortedFaces.size() && sortedFaces[sortedFront]->getTwin())
        ++sortedFront;
    return sortedFront < sortedFaces.size();
}

void MultiseedUnfolder::getFirstSet(std::list<Poly*>& set) {
    if (!skipPlaced())
        return;
    const double first = getFaceCurvature(sortedFaces[sortedFront]);
    for (std::size_t i = sortedFront; i < sortedFaces.size(); ++i) {
        Poly* f = sortedFaces[i];
        if (f->getTwin())
            continue;
        if (std::fabs(double(getFaceCurvature(f)) - first) >= SeedSetWidth)
            break;
        set.push_back(f);
    }
}

float MultiseedUnfolder::metric(Poly* a, Poly* b) {
    const int k = a->getNeighborIndex(b);
    if (k == -1 || !source)
        return 1.0f;
    CurvatureArmature& field = source->getCurvature(false);
    const double c0 = field.getCurvature(a->getVertex(k));
    const double c1 = field.getCurvature(a->getVertex((k + 1) % a->getVertexCount()));
    return float(1.0 + (std::fabs(c0) + std::fabs(c1)) / 2);
}

UnfoldingTree* MultiseedUnfolder::findShortestPathToGraph(std::list<Poly*>& seeds,
                                                          std::list<Step>& steps) {
    steps.clear();
    if (++searchStamp == 0) { // the stamp wrapped: forget every old mark
        std::fill(marks.begin(), marks.end(), SearchMark{});
        searchStamp = 1;
    }
    auto markOf = [&](Poly* f) -> SearchMark* {
        auto it = faceSlot.find(f);
        if (it == faceSlot.end())
            return nullptr;
        SearchMark& m = marks[it->second];
        if (m.stamp != searchStamp)
            m = SearchMark{searchStamp, Unreached, nullptr};
        return &m;
    };
    // (distance, order of entry, face): the earliest entry wins equal distances.
    using Entry = std::tuple<float, std::uint64_t, Poly*>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    std::uint64_t order = 0;
    for (Poly* s : seeds) {
        SearchMark* m = markOf(s);
        if (!m || s->getTwin() || m->distance == 0)
            continue;
        m->distance = 0;
        open.emplace(0.0f, order++, s);
    }
    Poly* reached = nullptr;
    while (!open.empty()) {
        auto [distance, entry, u] = open.top();
        open.pop();
        SearchMark* mu = markOf(u);
        if (distance > mu->distance)
            continue;
        if (u->getTwin()) {
            reached = u;
            break;
        }
        for (int i = 0; i < u->getVertexCount(); ++i) {
            Poly* w = u->getNeighbor(i);
            if (!w || isBlocked(u, i))
                continue;
            SearchMark* mw = markOf(w);
            if (!mw)
                continue;
            const float through = distance + metric(u, w);
            if (through < mw->distance) {
                mw->distance = through;
                mw->from = u;
                open.emplace(through, order++, w);
            }
        }
    }
    if (!reached)
        return nullptr;
    for (Poly* prev = reached, *f = markOf(reached)->from; f; prev = f, f = markOf(f)->from)
        steps.emplace_back(f, f->getNeighborIndex(prev));
    auto node = nodeOf.find(reached);
    return node == nodeOf.end() ? nullptr : node->second;
}

bool MultiseedUnfolder::findNext(Candidate& next) {
    while (path.empty()) {
        std::list<Poly*> seeds;
        getFirstSet(seeds);
        if (seeds.empty())
            return false;
        pathNode = findShortestPathToGraph(seeds, path);
        if (!pathNode) {
            // No seed of this set reaches the net: the whole set leaves the list.
            path.clear();
            for (std::size_t dropped = 0; dropped < seeds.size(); ++sortedFront)
                if (!sortedFaces[sortedFront]->getTwin())
                    ++dropped;
        }
    }
    next = path.front();
    return true;
}

void MultiseedUnfolder::onPolyAdded(Candidate& c) {
    CurvatureOrderingUnfolder::onPolyAdded(c);
    UnfoldingTree* node = addNode(c.first, pathNode);
    if (!path.empty() && path.front() == c)
        path.pop_front();
    if (!path.empty())
        pathNode = node;
}

void MultiseedUnfolder::onPolyBlocked(Candidate& c) {
    CurvatureOrderingUnfolder::onPolyBlocked(c);
    path.clear();
}

void MultiseedUnfolder::renderSelf(Renderer* r) {
    CurvatureOrderingUnfolder::renderSelf(r);
    if (treeRoot && showUnfoldingInScene) {
        r->pushTransform(Sorvex::M4x4::Translation(-getTranslation()));
        r->color(0.1, 0.5, 0.9);
        r->beginLines();
        renderGraph(r, *treeRoot);
        r->end();
        r->popTransform();
    }
}

void MultiseedUnfolder::renderGraph(Renderer* r, UnfoldingTree& root) {
    // Each tree edge joins the centres of the two net faces; an explicit stack keeps
    // long paths off the call stack.
    std::vector<UnfoldingTree*> pending{&root};
    while (!pending.empty()) {
        UnfoldingTree* node = pending.back();
        pending.pop_back();
        Poly* net = node->face->getTwin();
        for (UnfoldingTree* child : node->children) {
            if (Poly* childNet = child->face->getTwin(); net && childNet) {
                r->vertex(net->getCenter());
                r->vertex(childNet->getCenter());
            }
            pending.push_back(child);
        }
    }
}
