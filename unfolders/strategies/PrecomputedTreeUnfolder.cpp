#include "unfolders/strategies/PrecomputedTreeUnfolder.h"

#include <algorithm>
#include <set>

VORN_DEFINE_OFFERED_FACTORY(PrecomputedTreeUnfolder, "EdgeTreeUnfolder")

Poly* PrecomputedTreeUnfolder::setStartingFace(Poly* f) {
    Poly* placed = EdgeTreeUnfolder::setStartingFace(f);
    prepare();
    return placed;
}

void PrecomputedTreeUnfolder::setCandidateLimit(double limit) {
    EdgeTreeUnfolder::setCandidateLimit(limit);
    if (slots.empty() && !budget.isRefused())
        prepare();
}

void PrecomputedTreeUnfolder::prepare() {
    slots.clear();
    filled = 0;
    surviving = 0;
    current = 0;
    nextFace = 0;
    done = false;
    succeeded = false;
    if (!startFace() || !source)
        return;
    std::vector<int> edgeCounts;
    for (Poly* face : source->getPolys())
        edgeCounts.push_back(std::max(face->getVertexCount(), 1));
    budget.setEstimate(SpanningTreeCount::OfProduct(edgeCounts));
    if (budget.announce())
        return;
    slots.resize(size_t(budget.getEstimate().count));
    slots[0] = std::make_unique<FaceTreeMap>();
    filled = 1;
    surviving = 1;
}

bool PrecomputedTreeUnfolder::isDoneBuilding() const {
    return !source || nextFace >= source->getPolyCount();
}

bool PrecomputedTreeUnfolder::connected(const FaceTreeMap& m, Poly* a, Poly* b) {
    std::set<Poly*> seen{a};
    std::vector<Poly*> pending{a};
    while (!pending.empty()) {
        Poly* f = pending.back();
        pending.pop_back();
        if (f == b)
            return true;
        auto entry = m.find(f);
        if (entry == m.end())
            continue;
        for (Poly* n : entry->second)
            if (seen.insert(n).second)
                pending.push_back(n);
    }
    return false;
}

void PrecomputedTreeUnfolder::build() {
    if (isDoneBuilding() || slots.empty())
        return;
    Poly* face = *std::next(source->getPolys().begin(), std::ptrdiff_t(nextFace));
    ++nextFace;
    const size_t k = size_t(std::max(face->getVertexCount(), 1));
    const size_t block = size_t(filled);
    // Block i holds the maps that choose edge i of this face.
    for (size_t copy = 1; copy < k; ++copy)
        for (size_t s = 0; s < block; ++s)
            if (slots[s])
                slots[copy * block + s] = std::make_unique<FaceTreeMap>(*slots[s]);
    filled *= double(k);
    surviving *= double(k);
    for (int i = 0; i < face->getVertexCount(); ++i) {
        Poly* n = face->getNeighbor(i);
        if (!n)
            continue;
        for (size_t s = size_t(i) * block; s < (size_t(i) + 1) * block; ++s) {
            std::unique_ptr<FaceTreeMap>& m = slots[s];
            if (!m)
                continue;
            std::vector<Poly*>& out = (*m)[face];
            if (std::find(out.begin(), out.end(), n) != out.end())
                continue;
            if (connected(*m, face, n)) {
                m.reset();
                continue;
            }
            out.push_back(n);
            (*m)[n].push_back(face);
        }
    }
    // Maps dropped in earlier steps left empty slots behind: recount.
    surviving = 0;
    for (size_t s = 0; s < size_t(filled); ++s)
        if (slots[s])
            ++surviving;
    if (!isDoneBuilding())
        return;
    const size_t faces = source->getPolyCount();
    for (std::unique_ptr<FaceTreeMap>& m : slots) {
        if (m && countReachable(*m) < faces) {
            m.reset();
            --surviving;
        }
    }
    current = 0;
    while (current < slots.size() && !slots[current])
        ++current;
}

void PrecomputedTreeUnfolder::unfold() {
    if (budget.isRefused())
        return;
    if (!isDoneBuilding()) {
        build();
        return;
    }
    EdgeTreeUnfolder::unfold();
}

FaceTreeMap* PrecomputedTreeUnfolder::getTreeMap() {
    if (!isDoneBuilding() || current >= slots.size())
        return nullptr;
    return slots[current].get();
}

void PrecomputedTreeUnfolder::tryNextTree() {
    ++current;
    while (current < slots.size() && !slots[current])
        ++current;
}

float PrecomputedTreeUnfolder::getProgress() {
    if (!source || source->getPolyCount() == 0)
        return 0.0f;
    if (!isDoneBuilding())
        return float(double(nextFace) / double(source->getPolyCount()));
    return slots.empty() ? 1.0f : float(double(current) / double(slots.size()));
}
