#include "unfolders/strategies/MultiseedUnfolder.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
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
/// No face is passed over.
constexpr float NoLimit = std::numeric_limits<float>::infinity();
/// How far above the cheapest path a face may lie and still be searched: well above
/// what summing the same costs in another order can change in single precision.
constexpr float Slack = 1e-3f;

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
    slotFace.clear();
    edgeStart.clear();
    edgeNeighbor.clear();
    edgeCost.clear();
    marks.clear();
    netDistance.clear();
    netDistanceExact = false;
    if (!placed || !source)
        return placed;
    treeRoot = addNode(placed, nullptr);
    StatusMessage("Building sorted face list");
    sortedFaces.reserve(source->getPolyCount());
    for (Poly* g : source->getPolys())
        if (g != placed)
            sortFace(g);
    numberFaces();
    StatusMessage("Ready");
    return placed;
}

void MultiseedUnfolder::sortFace(Poly* f) {
    const float c = getFaceCurvature(f);
    // The list is descending: the first entry not larger than c is found by bisection.
    auto at =
        std::partition_point(sortedFaces.begin() + std::ptrdiff_t(sortedFront), sortedFaces.end(),
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

void MultiseedUnfolder::numberFaces() {
    const std::vector<Poly*> faces(source->getPolys().begin(), source->getPolys().end());
    faceSlot.reserve(faces.size());
    for (Poly* g : faces) {
        faceSlot.emplace(g, int(slotFace.size()));
        slotFace.push_back(g);
    }
    edgeStart.reserve(faces.size() + 1);
    for (Poly* g : faces) {
        edgeStart.push_back(edgeNeighbor.size());
        for (int i = 0; i < g->getVertexCount(); ++i) {
            Poly* w = g->getNeighbor(i);
            auto it = w ? faceSlot.find(w) : faceSlot.end();
            edgeNeighbor.push_back(it == faceSlot.end() ? -1 : it->second);
            edgeCost.push_back(w ? metric(g, w) : 0.0f);
        }
    }
    edgeStart.push_back(edgeNeighbor.size());
    marks.assign(faces.size(), SearchMark{});
}

UnfoldingTree* MultiseedUnfolder::findShortestPathToGraph(std::list<Poly*>& seeds,
                                                          std::list<Step>& steps) {
    steps.clear();
    if (slotFace.empty())
        return nullptr;
    if (!boundedSearch) {
        netDistance.clear();
        return searchFromSeeds(seeds, steps, NoLimit);
    }
    // The costs to the net bound the search: a face that cannot keep the path within a
    // hair of the cheapest one is passed over. The faces searched are then met in the
    // same order and by the same steps as in a search of every face, so the answer is
    // the same; only the faces around the cheapest paths are visited.
    if (netDistance.size() != slotFace.size())
        rebuildNetDistance();
    for (int round = 0; round < 2; ++round) {
        float cheapest = cheapestSeedDistance(seeds);
        if (cheapest == Unreached && !netDistanceExact) {
            rebuildNetDistance();
            cheapest = cheapestSeedDistance(seeds);
        }
        if (cheapest == Unreached)
            return nullptr; // no seed reaches the net
        if (UnfoldingTree* node = searchFromSeeds(seeds, steps, cheapest * (1 + Slack) + Slack))
            return node;
        if (netDistanceExact)
            break;
        // Blocked edges made the bound too low: measure afresh and search again.
        rebuildNetDistance();
    }
    // Rounding beyond the slack: the search of every face decides.
    return searchFromSeeds(seeds, steps, NoLimit);
}

float MultiseedUnfolder::cheapestSeedDistance(const std::list<Poly*>& seeds) const {
    float cheapest = Unreached;
    for (Poly* s : seeds) {
        auto it = faceSlot.find(s);
        if (it != faceSlot.end() && !s->getTwin())
            cheapest = std::min(cheapest, netDistance[size_t(it->second)]);
    }
    return cheapest;
}

namespace {

using DistanceEntry = std::pair<float, int>;
using DistanceQueue =
    std::priority_queue<DistanceEntry, std::vector<DistanceEntry>, std::greater<DistanceEntry>>;

} // namespace

void MultiseedUnfolder::rebuildNetDistance() {
    netDistance.assign(slotFace.size(), Unreached);
    for (std::size_t slot = 0; slot < slotFace.size(); ++slot)
        if (slotFace[slot]->getTwin())
            lowerNetDistance(int(slot));
    netDistanceExact = true;
}

void MultiseedUnfolder::lowerNetDistance(int slot) {
    DistanceQueue open;
    netDistance[size_t(slot)] = 0;
    open.emplace(0.0f, slot);
    // Outwards over unplaced faces and edges not blocked (blocked from both sides, so
    // the step may be judged from either face), as the path search steps inwards.
    while (!open.empty()) {
        auto [distance, u] = open.top();
        open.pop();
        if (distance > netDistance[size_t(u)])
            continue;
        Poly* face = slotFace[size_t(u)];
        for (std::size_t e = edgeStart[size_t(u)]; e < edgeStart[size_t(u) + 1]; ++e) {
            const int w = edgeNeighbor[e];
            if (w < 0 || slotFace[size_t(w)]->getTwin() ||
                isBlocked(face, int(e - edgeStart[size_t(u)])))
                continue;
            const float through = distance + edgeCost[e];
            if (through < netDistance[size_t(w)]) {
                netDistance[size_t(w)] = through;
                open.emplace(through, w);
            }
        }
    }
}

UnfoldingTree* MultiseedUnfolder::searchFromSeeds(std::list<Poly*>& seeds, std::list<Step>& steps,
                                                  float limit) {
    steps.clear();
    if (++searchStamp == 0) { // the stamp wrapped: forget every old mark
        std::fill(marks.begin(), marks.end(), SearchMark{});
        searchStamp = 1;
    }
    auto markOf = [&](int slot) -> SearchMark& {
        SearchMark& m = marks[size_t(slot)];
        if (m.stamp != searchStamp)
            m = SearchMark{searchStamp, Unreached, -1};
        return m;
    };
    // (distance, order of entry, face slot): the earliest entry wins equal distances.
    using Entry = std::tuple<float, std::uint64_t, int>;
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    std::uint64_t order = 0;
    for (Poly* s : seeds) {
        auto it = faceSlot.find(s);
        if (it == faceSlot.end() || s->getTwin())
            continue;
        if (netDistance.size() == slotFace.size() && !(netDistance[size_t(it->second)] <= limit))
            continue;
        SearchMark& m = markOf(it->second);
        if (m.distance == 0)
            continue;
        m.distance = 0;
        open.emplace(0.0f, order++, it->second);
    }
    int reached = -1;
    while (!open.empty()) {
        auto [distance, entry, u] = open.top();
        open.pop();
        if (distance > markOf(u).distance)
            continue;
        Poly* face = slotFace[size_t(u)];
        if (face->getTwin()) {
            reached = u;
            break;
        }
        for (std::size_t e = edgeStart[size_t(u)]; e < edgeStart[size_t(u) + 1]; ++e) {
            const int w = edgeNeighbor[e];
            if (w < 0 || isBlocked(face, int(e - edgeStart[size_t(u)])))
                continue;
            const float through = distance + edgeCost[e];
            // A face from which the net lies beyond the limit cannot be on the path.
            if (netDistance.size() == slotFace.size() &&
                !(through + netDistance[size_t(w)] <= limit))
                continue;
            SearchMark& mw = markOf(w);
            if (through < mw.distance) {
                mw.distance = through;
                mw.from = u;
                open.emplace(through, order++, w);
            }
        }
    }
    if (reached < 0)
        return nullptr;
    for (int prev = reached, f = markOf(reached).from; f >= 0; prev = f, f = markOf(f).from)
        steps.emplace_back(slotFace[size_t(f)],
                           slotFace[size_t(f)]->getNeighborIndex(slotFace[size_t(prev)]));
    auto node = nodeOf.find(slotFace[size_t(reached)]);
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
    if (netDistance.size() == slotFace.size() && !netDistance.empty())
        if (auto it = faceSlot.find(c.first); it != faceSlot.end())
            lowerNetDistance(it->second);
    UnfoldingTree* node = addNode(c.first, pathNode);
    if (!path.empty() && path.front() == c)
        path.pop_front();
    if (!path.empty())
        pathNode = node;
}

void MultiseedUnfolder::onPolyBlocked(Candidate& c) {
    CurvatureOrderingUnfolder::onPolyBlocked(c);
    netDistanceExact = false;
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
