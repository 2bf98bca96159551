// The region strategy's joining phase (the region nets reproduced in one net and joined
// along shortest face paths) and its outward growth.
#include <deque>
#include <functional>
#include <unordered_map>
#include <queue>
#include <tuple>
#include <unordered_set>

#include "unfolders/strategies/BorderAvoiderUnfolder.h"
#include "unfolders/strategies/RegionUnfolder.h"
#include "unfolders/strategies/regions/Region.h"

void RegionUnfolder::joinRegions() {
    const bool wasChecking = checkIntersections;
    checkIntersections = false;
    std::vector<PositiveRegion*> positives;
    for (Region* region : regions)
        if (region->isPositive()) {
            auto* positive = static_cast<PositiveRegion*>(region);
            positive->computeHeights();
            positives.push_back(positive);
        }
    if (positives.empty())
        Unfolder::chooseStartingFace();
    else {
        joinNet(*positives.front(), nullptr);
        while (joinNearestRegion()) {
        }
    }
    checkIntersections = wasChecking;
}

void RegionUnfolder::joinNet(PositiveRegion& region, Poly* start) {
    if (!start) {
        // The net starts at the face its own net started at.
        BorderAvoiderUnfolder* own = region.getUnfolder();
        Poly* rootCopy = own && own->getUnfoldingRoot() ? own->getUnfoldingRoot()->getTwin()
                                                        : nullptr;
        start = rootCopy ? getSourceOf(rootCopy) : nullptr;
        if (!start && region.getPolyCount() > 0)
            start = getSourceOf(region.getPoly(0));
        if (!start)
            return;
        if (!start->getTwin())
            setStartingFace(start);
    }
    std::deque<Poly*> queue{start};
    std::unordered_set<Poly*> visited{start};
    while (!queue.empty()) {
        Poly* f = queue.front();
        queue.pop_front();
        Poly* copy = getCopyOf(f);
        Poly* ownNet = copy ? copy->getTwin() : nullptr;
        if (!ownNet || !f->getTwin())
            continue;
        // Copies keep their source's vertex order, so edge i is the same edge in the
        // source, the region and the region's net.
        for (int i = 0; i < f->getVertexCount(); ++i) {
            if (!ownNet->getNeighbor(i))
                continue; // cut in the region's own net
            Poly* g = f->getNeighbor(i);
            if (!g || getRegionOf(g) != &region)
                continue;
            if (!g->getTwin()) {
                Poly* placed = copyAndFlatten(*g, g->getNeighborIndex(f), nullptr);
                if (!placed)
                    continue;
                addTwin(*g, *placed);
            }
            if (visited.insert(g).second)
                queue.push_back(g);
        }
    }
    region.setAttached();
}

bool RegionUnfolder::joinNearestRegion() {
    // Dijkstra from every placed face; a step costs the distance between face centres.
    using Entry = std::tuple<double, std::size_t, Poly*>; // distance, order, face
    std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> open;
    std::unordered_map<Poly*, double> distance;
    std::unordered_map<Poly*, Poly*> previous;
    std::size_t order = 0;
    for (Poly* f : source->getPolys())
        if (f->getTwin()) {
            distance[f] = 0;
            open.emplace(0.0, order++, f);
        }
    while (!open.empty()) {
        auto [d, ignored, f] = open.top();
        open.pop();
        if (d > distance[f])
            continue;
        Region* region = getRegionOf(f);
        if (region && region->isPositive() && !static_cast<PositiveRegion*>(region)->isAttached()) {
            // Lay the path from the net up to f, then f's region's own net from f.
            std::vector<Poly*> path;
            for (Poly* p = f; p && !p->getTwin(); p = previous[p])
                path.push_back(p);
            for (auto it = path.rbegin(); it != path.rend(); ++it) {
                Poly* from = previous[*it];
                Poly* placed = copyAndFlatten(**it, (*it)->getNeighborIndex(from), nullptr);
                if (!placed)
                    return false;
                addTwin(**it, *placed);
            }
            joinNet(*static_cast<PositiveRegion*>(region), f);
            return true;
        }
        const Sorvex::M3d centre = f->getCenter();
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Poly* g = f->getNeighbor(i);
            if (!g || g->getTwin())
                continue;
            const double next = d + (g->getCenter() - centre).length();
            auto known = distance.find(g);
            if (known != distance.end() && known->second <= next)
                continue;
            distance[g] = next;
            previous[g] = f;
            open.emplace(next, order++, g);
        }
    }
    return false;
}

bool RegionUnfolder::grow(PositiveRegion& region) {
    const auto [face, edge] = region.takeBest();
    if (!face)
        return false;
    Poly* placed = copyAndFlatten(*face, edge, nullptr);
    if (!placed)
        return true; // refused (an overlap, or no placed neighbour): dropped
    addTwin(*face, *placed);
    for (int i = 0; i < face->getVertexCount(); ++i) {
        Poly* n = face->getNeighbor(i);
        if (n && !n->getTwin())
            region.addCandidate(n, n->getNeighborIndex(face));
    }
    return true;
}
