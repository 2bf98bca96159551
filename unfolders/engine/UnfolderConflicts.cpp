#include <set>
#include <vector>

#include "unfolders/engine/Unfolder.h"

bool Unfolder::findConflicts() {
    conflicts.clear();
    // A net whose every face was checked against the faces before it as it joined
    // has no overlap to find; the index vouches for it when it holds every face.
    if (faceBoxTree->isPairwiseClear() && faceBoxTree->getStoredCount() == getPolyCount()) {
        conflictsValid = true;
        return false;
    }
    std::vector<Poly*> overlapping;
    for (Poly* f : getPolys()) {
        overlapping.clear();
        faceBoxTree->query(FaceBox(f), &overlapping);
        // Each overlapping pair is met from both sides; the graph keeps it once.
        for (Poly* g : overlapping)
            onConflict(f, g);
    }
    conflictsValid = true;
    return !conflicts.isEmpty();
}

void Unfolder::getConflicted(std::list<Graph<Poly*>>& components) {
    if (!conflictsValid && source)
        findConflicts();
    std::set<Poly*> visited;
    std::vector<Poly*> pending;
    for (const auto& entry : conflicts) {
        if (visited.count(entry.first))
            continue;
        Graph<Poly*>& component = components.emplace_back();
        visited.insert(entry.first);
        pending.assign(1, entry.first);
        while (!pending.empty()) {
            Poly* f = pending.back();
            pending.pop_back();
            for (Poly* g : *conflicts.findNeighbors(f)) {
                component.addEdge(f, g);
                if (visited.insert(g).second)
                    pending.push_back(g);
            }
        }
    }
}

void Unfolder::onConflict(Poly* a, Poly* b) {
    conflicts.addEdge(a, b);
}

void Unfolder::onConflict(Poly& f, int e) {
    checkIntersections = false;
    if (Poly* copy = copyAndFlatten(f, e, nullptr)) {
        std::vector<Poly*> overlapping;
        faceBoxTree->query(FaceBox(copy), &overlapping);
        for (Poly* g : overlapping)
            onConflict(copy, g);
        addPoly(copy);
    }
    checkIntersections = true;
}
