#include "unfolders/strategies/IterativeTreeUnfolder.h"

#include <algorithm>

VORN_DEFINE_OFFERED_FACTORY(IterativeTreeUnfolder, "EdgeTreeUnfolder")

bool IterativeTreeUnfolder::setParent(SceneObj* parent) {
    if (!EdgeTreeUnfolder::setParent(parent))
        return false;
    choices.clear();
    map.clear();
    done = false;
    succeeded = false;
    std::vector<int> edgeCounts;
    if (source) {
        for (Poly* f : source->getPolys()) {
            choices.emplace_back(f, 0);
            edgeCounts.push_back(std::max(f->getVertexCount(), 1));
        }
    }
    budget.setEstimate(SpanningTreeCount::OfProduct(edgeCounts));
    total = choices.empty() ? 0 : budget.getEstimate().count;
    tried = -1;
    if (!budget.announce())
        tryNextTree();
    return true;
}

void IterativeTreeUnfolder::advanceOdometer() {
    for (auto& [face, index] : choices) {
        if (++index < face->getVertexCount())
            return;
        index = 0; // carry into the next face
    }
}

void IterativeTreeUnfolder::buildMap() {
    map.clear();
    for (const auto& [face, index] : choices) {
        Poly* n = face->getNeighbor(index);
        if (!n)
            continue;
        std::vector<Poly*>& out = map[face];
        if (std::find(out.begin(), out.end(), n) == out.end()) {
            out.push_back(n);
            map[n].push_back(face);
        }
    }
}

void IterativeTreeUnfolder::tryNextTree() {
    if (!source)
        return;
    const size_t faces = source->getPolyCount();
    int rejected = 0;
    while (tried < total) {
        ++tried;
        if (tried >= total)
            return;
        if (tried > 0)
            advanceOdometer();
        buildMap();
        if (rejected == RejectsPerCall || countReachable(map) == faces)
            return;
        ++rejected;
    }
}

FaceTreeMap* IterativeTreeUnfolder::getTreeMap() {
    return tried >= 0 && tried < total ? &map : nullptr;
}

float IterativeTreeUnfolder::getProgress() {
    return total > 0 ? float(std::max(tried, 0.0) / total) : 0.0f;
}

void IterativeTreeUnfolder::setCandidateLimit(double limit) {
    EdgeTreeUnfolder::setCandidateLimit(limit);
    if (!budget.isRefused() && tried < 0)
        tryNextTree();
}
