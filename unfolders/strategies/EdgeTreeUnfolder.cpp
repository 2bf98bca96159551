#include "unfolders/strategies/EdgeTreeUnfolder.h"

#include <limits>
#include <vector>

#include "common/XML.h"

VORN_DEFINE_FACTORY(EdgeTreeUnfolder, "Unfolder")

void EdgeTreeUnfolder::unfold() {
    if (isDone())
        return;
    FaceTreeMap* m = getTreeMap();
    if (!m) {
        done = true;
        return;
    }
    if (recursiveFlatten(*m)) {
        succeeded = true;
        if (successCount == -1) {
            done = true;
            return;
        }
        ++successCount;
    }
    tryNextTree();
}

Poly* EdgeTreeUnfolder::setStartingFace(Poly* f) {
    Poly* placed = Unfolder::setStartingFace(f);
    startSource = placed;
    return placed;
}

void EdgeTreeUnfolder::resetNetToStart() {
    cutGraphValid = false;
    conflictsValid = false;
    hull().reset();
    translate(-getTranslation());
    clear();
    // The base's own placement: strategies that prepare candidates when a starting face
    // is chosen must not start over for every candidate.
    Unfolder::setStartingFace(startSource);
}

bool EdgeTreeUnfolder::recursiveFlatten(FaceTreeMap& m) {
    if (!source)
        return false;
    resetNetToStart();
    visited.clear();
    Poly* start = startFace();
    if (!start)
        return false;
    const int placed = recursiveFlatten(nullptr, start, m);
    return placed == int(source->getPolyCount());
}

int EdgeTreeUnfolder::recursiveFlatten(Poly* parent, Poly* face, FaceTreeMap& m) {
    if (!visited.insert(face).second)
        return -1; // the map has a cycle
    auto entry = m.find(face);
    if (entry == m.end())
        return 1;
    std::vector<Poly*> laid;
    for (Poly* n : entry->second) {
        if (n == parent)
            continue;
        // A face met twice closes a cycle: refused before a second copy is laid.
        if (!n || !m.count(n) || visited.count(n))
            return -1;
        const int k = n->getNeighborIndex(face);
        Poly* copy = k < 0 ? nullptr : copyAndFlatten(*n, k, nullptr);
        if (!copy)
            return -1;
        addTwin(*n, *copy);
        laid.push_back(n);
    }
    int total = 1;
    for (Poly* n : laid) {
        const int below = recursiveFlatten(face, n, m);
        if (below < 0)
            return -1;
        total += below;
    }
    return total;
}

size_t EdgeTreeUnfolder::countReachable(const FaceTreeMap& m) const {
    Poly* start = startFace();
    if (!start)
        return 0;
    std::set<Poly*> seen{start};
    std::vector<Poly*> pending{start};
    while (!pending.empty()) {
        Poly* f = pending.back();
        pending.pop_back();
        auto entry = m.find(f);
        if (entry == m.end())
            continue;
        for (Poly* n : entry->second)
            if (n && seen.insert(n).second)
                pending.push_back(n);
    }
    return seen.size();
}

int EdgeTreeUnfolder::ClampCount(double count) {
    return count >= double(std::numeric_limits<int>::max()) ? std::numeric_limits<int>::max()
                                                           : int(count);
}

void EdgeTreeUnfolder::setCandidateLimit(double limit) {
    budget.setLimit(limit);
    budget.announce();
}

void EdgeTreeUnfolder::onDone() {
    Unfolder::onDone();
    budget.announce();
}

void EdgeTreeUnfolder::read(XML& xml) {
    Unfolder::read(xml);
    if (readBool(xml, "DisableTerminateOnSuccess", false))
        successCount = 0;
}

void EdgeTreeUnfolder::write(XML& xml) {
    Unfolder::write(xml);
    xml.add("DisableTerminateOnSuccess", successCount != -1);
}
