#include "unfolders/strategies/support/PolyEdgeSet.h"

#include <algorithm>
#include <bit>

namespace {

constexpr std::size_t SmallestTable = 16;

} // namespace

std::size_t PolyEdgeSet::probe(const PolyEdge& edge) const {
    // The multiplication spreads the addresses, whose low bits repeat; the edge index
    // moves neighbouring edges of one face apart.
    const std::uint64_t key = std::uint64_t(reinterpret_cast<std::uintptr_t>(edge.first)) ^
                              (std::uint64_t(std::uint32_t(edge.second)) << 48);
    const std::size_t mask = m_slots.size() - 1;
    const int shift = 64 - std::countr_zero(m_slots.size());
    std::size_t at = std::size_t((key * 0x9E3779B97F4A7C15ull) >> shift);
    while (m_slots[at].face && (m_slots[at].face != edge.first || m_slots[at].edge != edge.second))
        at = (at + 1) & mask;
    return at;
}

void PolyEdgeSet::rehash(std::size_t capacity) {
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(capacity, Slot{});
    for (const Slot& s : old)
        if (s.face)
            m_slots[probe({s.face, s.edge})] = s;
}

bool PolyEdgeSet::insert(const PolyEdge& edge) {
    if (!edge.first) {
        if (std::find(m_nullFaceEdges.begin(), m_nullFaceEdges.end(), edge.second) !=
            m_nullFaceEdges.end())
            return false;
        m_nullFaceEdges.push_back(edge.second);
        ++m_size;
        return true;
    }
    if (2 * (m_size + 1) > m_slots.size())
        rehash(std::max(SmallestTable, 2 * m_slots.size()));
    Slot& s = m_slots[probe(edge)];
    if (s.face)
        return false;
    s = Slot{edge.first, edge.second};
    ++m_size;
    return true;
}

std::size_t PolyEdgeSet::count(const PolyEdge& edge) const {
    if (!edge.first)
        return std::count(m_nullFaceEdges.begin(), m_nullFaceEdges.end(), edge.second) > 0 ? 1 : 0;
    if (m_slots.empty())
        return 0;
    return m_slots[probe(edge)].face ? 1 : 0;
}

void PolyEdgeSet::clear() {
    // A big table emptied keeps its size: the next run of the same net fills it again.
    std::fill(m_slots.begin(), m_slots.end(), Slot{});
    m_nullFaceEdges.clear();
    m_size = 0;
}
