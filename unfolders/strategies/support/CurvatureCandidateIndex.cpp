#include "unfolders/strategies/support/CurvatureCandidateIndex.h"

#include <cmath>
#include <limits>

#include "scene/mesh/PolyMesh.h"

namespace {

constexpr float Empty = -std::numeric_limits<float>::infinity();
/// Curvatures closer than this count as equal (as in the ordering's judge).
constexpr double Tie = 1e-6;
/// Past this many faces placed between two searches, the best list is checked slot by
/// slot rather than against each of them.
constexpr std::size_t MaxPlacedToCompare = 8;

} // namespace

void CurvatureCandidateIndex::reset() {
    m_values.clear();
    m_slots.clear();
    m_firstSlot.clear();
    m_best.clear();
    m_placedSince.clear();
    m_recheckBest = false;
    m_indexedFaces = 0;
    m_lastIndexedFace = nullptr;
}

float CurvatureCandidateIndex::slotValue(const Slot& slot) const {
    Candidate c;
    if (!slot.t->getTwin() || !m_rules.candidateAcross(*slot.t, slot.edge, c))
        return Empty;
    return m_rules.getFaceCurvature(c.first);
}

void CurvatureCandidateIndex::refresh(Poly* candidate) {
    m_recheckBest = true;
    // The slots across which the candidate is offered are the edges of its indexed
    // neighbours that lead to it; they are found through the mesh, not stored.
    for (int k = 0; k < candidate->getVertexCount(); ++k) {
        Poly* t = candidate->getNeighbor(k);
        if (!t)
            continue;
        bool seen = false; // a neighbour met across several edges is revalued once
        for (int j = 0; j < k && !seen; ++j)
            seen = candidate->getNeighbor(j) == t;
        const std::size_t first = seen ? NotIndexed : firstSlotOf(t);
        if (first == NotIndexed)
            continue;
        for (int i = 0; i < t->getVertexCount(); ++i) {
            const std::size_t slot = first + std::size_t(i);
            if (t->getNeighbor(i) == candidate && m_values.get(slot) != Empty)
                m_values.set(slot, slotValue(m_slots[slot]));
        }
    }
}

void CurvatureCandidateIndex::sync(const PolyMesh& net) {
    // The index follows the net face list as it grows; anything else (faces
    // removed or replaced) rebuilds it.
    const std::size_t count = net.getPolyCount();
    if (count < m_indexedFaces ||
        (m_indexedFaces > 0 && net.getPoly(m_indexedFaces - 1) != m_lastIndexedFace))
        reset();
    if (count > m_indexedFaces && (m_roomFaces > 0 || m_roomSides > 0)) {
        m_values.reserve(m_roomSides);
        m_slots.reserve(m_roomSides);
        m_firstSlot.assign(m_roomFaces, NotIndexed);
        m_roomFaces = m_roomSides = 0;
    }
    for (std::size_t j = m_indexedFaces; j < count; ++j) {
        Poly* t = net.getPoly(j)->getTwin();
        if (!t)
            continue;
        if (m_placedSince.size() < MaxPlacedToCompare)
            m_placedSince.push_back(t);
        else
            m_recheckBest = true;
        if (std::size_t* first = firstSlotPlace(t))
            *first = m_slots.size();
        for (int i = 0; i < t->getVertexCount(); ++i) {
            const Slot slot{t, i};
            m_values.push(slotValue(slot));
            m_slots.push_back(slot);
        }
    }
    m_indexedFaces = count;
    m_lastIndexedFace = count > 0 ? net.getPoly(count - 1) : nullptr;
}

void CurvatureCandidateIndex::dropFaces(const PolyMesh& net, const std::vector<Poly*>& sources) {
    for (Poly* t : sources) {
        const std::size_t firstSlot = firstSlotOf(t);
        if (firstSlot == NotIndexed)
            continue;
        // The slots stay (their places order the rest) but name nothing any more.
        for (std::size_t slot = firstSlot; slot < m_slots.size() && m_slots[slot].t == t; ++slot)
            m_values.set(slot, Empty);
        *firstSlotPlace(t) = NotIndexed;
    }
    m_indexedFaces = net.getPolyCount();
    m_lastIndexedFace = m_indexedFaces > 0 ? net.getPoly(m_indexedFaces - 1) : nullptr;
    m_recheckBest = true;
}

namespace {

/// Position of `t` in its mesh's face list, or -1 for a face in no mesh.
long positionOf(const Poly* t) {
    const PolyMesh* mesh = t->getMesh();
    return mesh ? mesh->getPolyIndex(t) : -1;
}

} // namespace

std::size_t CurvatureCandidateIndex::firstSlotOf(const Poly* t) const {
    const long at = positionOf(t);
    return at >= 0 && std::size_t(at) < m_firstSlot.size() ? m_firstSlot[std::size_t(at)]
                                                           : NotIndexed;
}

std::size_t* CurvatureCandidateIndex::firstSlotPlace(const Poly* t) {
    const long at = positionOf(t);
    if (at < 0)
        return nullptr;
    if (std::size_t(at) >= m_firstSlot.size())
        m_firstSlot.resize(std::size_t(at) + 1, NotIndexed);
    return &m_firstSlot[std::size_t(at)];
}

bool CurvatureCandidateIndex::checkSlot(std::size_t slot, Candidate& c) {
    // Only whether the slot still names a candidate: its value, the curvature across,
    // does not change while it does, and the searches only reach slots valued above -inf.
    const Slot& s = m_slots[slot];
    if (s.t->getTwin() && m_rules.candidateAcross(*s.t, s.edge, c))
        return true;
    m_values.set(slot, Empty);
    return false;
}

bool CurvatureCandidateIndex::stillStands(const Member& member) {
    if (m_values.get(member.slot) == Empty)
        return false;
    Candidate c;
    if (m_recheckBest)
        return checkSlot(member.slot, c);
    // A slot offers its face until that face is placed or the edge is refused: with no
    // refusal (or replacement) since, only the faces just placed can end a member's offer.
    for (const Poly* placed : m_placedSince)
        if (placed == member.face) {
            m_values.set(member.slot, Empty);
            return false;
        }
    return true;
}

bool CurvatureCandidateIndex::findNext(const PolyMesh& net, Candidate& next) {
    sync(net);
    // The scan's best list: the first candidate in scan order, then each later one rated
    // better (not a tie) than the one before. A slot's value never changes but to
    // Empty, and new slots only come at the end, so the list of the last call still
    // holds up to its first member that lost its candidacy: every slot before a member
    // that did not make the list then still does not. The search resumes from there,
    // mostly one or two tree searches instead of one per member.
    std::size_t kept = 0;
    while (kept < m_best.size() && stillStands(m_best[kept]))
        ++kept;
    m_best.resize(kept);
    m_placedSince.clear();
    m_recheckBest = false;
    const std::size_t none = m_values.size();
    Candidate c;
    while (m_best.empty()) {
        const std::size_t front = m_values.findFirst(0, [](double x) { return x > Empty; });
        if (front == none)
            return false;
        if (checkSlot(front, c))
            m_best.push_back({front, c.first});
    }
    // Only the last member matters to the choice.
    for (;;) {
        const double v = m_values.get(m_best.back().slot);
        const std::size_t better = m_values.findFirst(
            m_best.back().slot + 1, [v](double x) { return !(std::fabs(x - v) < Tie) && x >= v; });
        if (better == none)
            break;
        if (checkSlot(better, c))
            m_best.push_back({better, c.first});
    }
    const Slot& best = m_slots[m_best.back().slot];
    return m_rules.candidateAcross(*best.t, best.edge, next);
}
