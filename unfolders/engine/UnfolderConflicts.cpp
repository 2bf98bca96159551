#include <set>
#include <unordered_map>
#include <vector>

#include "unfolders/engine/Unfolder.h"

bool Unfolder::findConflicts() {
    ++conflictsRevision;
    conflicts.clear();
    // A net whose every face was checked against the faces before it as it joined
    // has no overlap to find; the index vouches for it when it holds every face.
    if (faceBoxTree->getStoredCount() == getPolyCount()) {
        if (faceBoxTree->isPairwiseClear()) {
            conflictsValid = true;
            return false;
        }
        // Otherwise only the faces placed without the check can overlap anything: the
        // index answers for every face from theirs, and the answers go out in the same
        // order as the face-by-face search below gives them.
        std::unordered_map<Poly*, std::vector<Poly*>> answers;
        if (faceBoxTree->findAllOverlaps(answers)) {
            for (Poly* f : getPolys()) {
                if (answers.empty())
                    break;
                auto it = answers.find(f);
                if (it == answers.end())
                    continue;
                for (Poly* g : it->second)
                    onConflict(f, g);
                answers.erase(it);
            }
            conflictsValid = true;
            return !conflicts.isEmpty();
        }
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
    ++conflictsRevision;
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
