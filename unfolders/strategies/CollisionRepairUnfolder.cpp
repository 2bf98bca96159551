// The repair loop, its choice of crossing and its drawing; the net queries
// it relies on are in CollisionRepairQueries.cpp.
#include "unfolders/strategies/CollisionRepairUnfolder.h"

#include <cfloat>

#include "scene/Renderer.h"
#include "unfolders/strategies/support/NetKey.h"

using Sorvex::M3d;

VORN_DEFINE_OFFERED_FACTORY(CollisionRepairUnfolder, "SteepestAscentUnfolder")

namespace {

/// Repairs allowed per source face before the run gives up: the visit
/// counts break short cycles, this ends long ones.
constexpr int RepairsPerFace = 20;

} // namespace

bool CollisionRepairUnfolder::isLess(Vertex* a, Vertex* b) {
    if (getPolyCount() < 2)
        return SteepestAscentUnfolder::isLess(a, b);
    return radius(a) < radius(b);
}

void CollisionRepairUnfolder::unfold() {
    if (!source || gaveUp)
        return;
    if (getPolyCount() < source->getPolyCount()) {
        if (laidOut) {
            // The whole net was laid and a face still could not be placed:
            // no repair can bring it in.
            gaveUp = true;
            return;
        }
        SteepestAscentUnfolder::unfold();
        return;
    }
    const bool overlapping = findConflicts();
    const size_t overlaps = conflicts.getEdgeCount();
    if (!bestCutValid || overlaps < bestOverlaps) {
        bestOverlaps = overlaps;
        bestCut = getCutGraph();
        bestCutValid = true;
    }
    if (!overlapping)
        return;
    repair();
    if (gaveUp && overlaps > bestOverlaps) {
        // Repairs can make things worse before they make them better; a run
        // that gives up ends with the best net it saw, so it is never worse
        // than the steepest-ascent net it started from.
        Graph<Vertex*> best = bestCut;
        unfoldToCutGraph(best, 0);
        findConflicts();
    }
    onChanged(false);
}

bool CollisionRepairUnfolder::isDone() {
    if (gaveUp)
        return true;
    return source && getPolyCount() >= source->getPolyCount() && conflictsValid &&
           conflicts.isEmpty();
}

bool CollisionRepairUnfolder::isSuccesful() {
    return !gaveUp && isDone() && source && getPolyCount() >= source->getPolyCount() &&
           conflicts.isEmpty();
}

int CollisionRepairUnfolder::beenHereBefore() {
    Graph<Poly*> net;
    getNet(net);
    return visitCounts[NetKey(net)]++;
}

CollisionRepairUnfolder::Crossing CollisionRepairUnfolder::chooseLowestCrossing() {
    collectHull();
    Crossing best{{nullptr, -1}, {nullptr, -1}};
    double bestRadius = FLT_MAX;
    for (const Crossing& c : crossings) {
        const Poly* n1 = c.first.first->getTwin();
        const Poly* n2 = c.second.first->getTwin();
        if (!n1 || !n2)
            continue;
        const Vertex* ends1[] = {n1->getVertex(c.first.second), n1->getVertex(c.first.second + 1)};
        const Vertex* ends2[] = {n2->getVertex(c.second.second),
                                 n2->getVertex(c.second.second + 1)};
        bool touching = false;
        for (const Vertex* a : ends1) {
            for (const Vertex* b : ends2)
                touching = touching || a == b;
        }
        if (touching)
            continue;
        const bool c1 = isConflicted(getDual(c.first));
        const bool c2 = isConflicted(getDual(c.second));
        const bool i1 = dualInside(c.first);
        const bool i2 = dualInside(c.second);
        if ((c1 || !i1) && (c2 || !i2))
            continue;
        const double r = radius(c);
        if (r < bestRadius) {
            bestRadius = r;
            best = c;
        }
    }
    return best;
}

Poly* CollisionRepairUnfolder::getLower(const Crossing& c) {
    if (!isConflicted(getDual(c.first)) && dualInside(c.first))
        return c.first.first;
    return c.second.first;
}

bool CollisionRepairUnfolder::planRepair(Poly*& x, Poly*& y, bool countVisit) {
    const Crossing c = chooseLowestCrossing();
    if (!c.first.first)
        return false;
    x = getLower(c);
    y = x == c.first.first ? c.second.first : c.first.first;
    if (countVisit) {
        const int visits = beenHereBefore();
        // A third visit repeats what the first one did: the run is cycling.
        if (visits >= 2)
            return false;
        // A net seen before is repaired from the other side.
        if (visits % 2 == 1)
            std::swap(x, y);
    }
    if (!x || !y)
        return false;
    findParents();
    if (isAncestor(x, y))
        std::swap(x, y);
    return true;
}

void CollisionRepairUnfolder::repair() {
    Poly* x = nullptr;
    Poly* y = nullptr;
    if (repairs >= RepairsPerFace * int(source->getPolyCount()) + 100 || !planRepair(x, y, true)) {
        gaveUp = true;
        return;
    }
    ++repairs;
    Graph<Vertex*>& cut = getCutGraph();
    std::list<Poly*> path;
    findPath(x, y, path);
    applyPath(path, cut);
    unfoldToCutGraph(cut, 0);
}

void CollisionRepairUnfolder::renderSelf(Renderer* r) {
    shownPath.clear();
    Poly* x = nullptr;
    Poly* y = nullptr;
    if (!gaveUp && conflictsValid && !crossings.empty() && planRepair(x, y, false))
        findPath(x, y, shownPath);
    Unfolder::renderSelf(r);
    if (unfoldingRoot) {
        r->color(1, 0, 0);
        r->renderSphere(unfoldingRoot->getCenter(), 0.0125);
    }
}

void CollisionRepairUnfolder::limnFace(Renderer* r, Poly& face) {
    Poly* src = face.getTwin();
    auto at = shownPath.begin();
    while (at != shownPath.end() && *at != src)
        ++at;
    if (!src || at == shownPath.end()) {
        Unfolder::limnFace(r, face);
        return;
    }
    // This face's part of the path: the tube to the next face, shaded from
    // green at the path's start to red at its end.
    const auto next = std::next(at);
    if (next == shownPath.end() || !(*next)->getTwin())
        return;
    const double n = double(shownPath.size() - 1);
    const double index = double(std::distance(shownPath.begin(), at));
    const M3d lift(0, 0.05, 0);
    const M3d a = face.getCenter() + lift;
    const M3d b = (*next)->getTwin()->getCenter() + lift;
    for (int step = 0; step < 10; ++step) {
        const double t0 = step / 10.0, t1 = (step + 1) / 10.0;
        const double share = (index + t0) / n;
        r->color(share, 1 - share, 0);
        r->renderTube(a + (b - a) * t0, a + (b - a) * t1, 0.01);
    }
}
