// The curvature ordering's candidate index: the same choice as findBest over
// the whole net, found in logarithmic time per step of the choice instead of
// a scan of every net face per attempt.

#include <cmath>
#include <limits>
#include <typeinfo>

#include "unfolders/strategies/CurvatureOrderingUnfolder.h"

namespace {

constexpr double Empty = -std::numeric_limits<double>::infinity();
/// Curvatures closer than this count as equal (as in judge).
constexpr double Tie = 1e-6;

} // namespace

bool CurvatureOrderingUnfolder::canUseIndexedSearch() const {
    return typeid(*this) == typeid(CurvatureOrderingUnfolder);
}

void CurvatureOrderingUnfolder::resetIndex() {
    slotValues.clear();
    slots.clear();
    slotsByCandidate.clear();
    indexedFaces = 0;
    lastIndexedFace = nullptr;
}

double CurvatureOrderingUnfolder::slotValue(const Slot& slot) const {
    Candidate c;
    if (!slot.t->getTwin() || !candidateAcross(*slot.t, slot.edge, c))
        return Empty;
    return double(getFaceCurvature(c.first));
}

void CurvatureOrderingUnfolder::refreshSlotsOf(Poly* candidate) {
    auto it = slotsByCandidate.find(candidate);
    if (it == slotsByCandidate.end())
        return;
    for (std::size_t slot : it->second)
        if (slotValues.get(slot) != Empty)
            slotValues.set(slot, slotValue(slots[slot]));
}

void CurvatureOrderingUnfolder::syncIndex() {
    // The index follows the net face list as it grows; anything else (faces
    // removed or replaced) rebuilds it.
    const std::size_t count = getPolyCount();
    if (count < indexedFaces || (indexedFaces > 0 && getPoly(indexedFaces - 1) != lastIndexedFace))
        resetIndex();
    for (std::size_t j = indexedFaces; j < count; ++j) {
        Poly* t = getPoly(j)->getTwin();
        if (!t)
            continue;
        refreshSlotsOf(t); // t is placed now: no longer a candidate anywhere
        for (int i = 0; i < t->getVertexCount(); ++i) {
            const Slot slot{t, i};
            const std::size_t index = slotValues.push(slotValue(slot));
            slots.push_back(slot);
            if (Poly* n = t->getNeighbor(i))
                slotsByCandidate[n].push_back(index);
        }
    }
    indexedFaces = count;
    lastIndexedFace = count > 0 ? getPoly(count - 1) : nullptr;
}

bool CurvatureOrderingUnfolder::checkSlot(std::size_t slot) {
    const double value = slotValue(slots[slot]);
    if (value == Empty)
        slotValues.set(slot, Empty);
    return value != Empty;
}

bool CurvatureOrderingUnfolder::findNextIndexed(Candidate& next) {
    syncIndex();
    const std::size_t none = slotValues.size();
    // The first candidate in scan order starts the best list ...
    std::size_t front = none;
    for (;;) {
        front = slotValues.findFirst(0, [](double x) { return x > Empty; });
        if (front == none || checkSlot(front))
            break;
    }
    if (front == none)
        return false;
    // ... and each later candidate that judge rates better (not a tie)
    // replaces the front. Only the front matters to findNext.
    for (;;) {
        const double v = slotValues.get(front);
        const std::size_t better = slotValues.findFirst(
            front + 1, [v](double x) { return !(std::fabs(x - v) < Tie) && x >= v; });
        if (better == none)
            break;
        if (checkSlot(better))
            front = better;
    }
    return candidateAcross(*slots[front].t, slots[front].edge, next);
}
