#include "unfolders/engine/FaceTransformStore.h"

#include <algorithm>
#include <bit>
#include <stdexcept>

using Sorvex::M4x4;

namespace {

/// The smallest table (a power of two) that holds `entries` at most three quarters full.
std::size_t tableFor(std::size_t entries) {
    return std::bit_ceil(std::max<std::size_t>(16, entries + entries / 3 + 1));
}

} // namespace

void FaceTransformStore::reserve(std::size_t faces) {
    m_transforms.reserve(faces);
    if (tableFor(faces) > m_slots.size())
        rehash(tableFor(faces));
}

void FaceTransformStore::clear() {
    m_transforms.clear();
    std::fill(m_slots.begin(), m_slots.end(), Slot{});
}

std::size_t FaceTransformStore::probe(const Poly* face) const {
    // Addresses of heap objects differ in their high bits and share their low ones;
    // the multiplication spreads them, and the top bits pick the slot.
    const std::size_t mask = m_slots.size() - 1;
    const int shift = 64 - std::countr_zero(m_slots.size());
    std::size_t at = std::size_t((std::uint64_t(reinterpret_cast<std::uintptr_t>(face)) *
                                  0x9E3779B97F4A7C15ull) >> shift);
    while (m_slots[at].face && m_slots[at].face != face)
        at = (at + 1) & mask;
    return at;
}

void FaceTransformStore::rehash(std::size_t capacity) {
    std::vector<Slot> old = std::move(m_slots);
    m_slots.assign(capacity, Slot{});
    for (const Slot& s : old)
        if (s.face)
            m_slots[probe(s.face)] = s;
}

const M4x4* FaceTransformStore::find(const Poly* face) const {
    if (m_slots.empty() || !face)
        return nullptr;
    const Slot& s = m_slots[probe(face)];
    return s.face ? &m_transforms[s.place] : nullptr;
}

M4x4* FaceTransformStore::find(const Poly* face) {
    return const_cast<M4x4*>(static_cast<const FaceTransformStore*>(this)->find(face));
}

M4x4& FaceTransformStore::operator[](const Poly* face) {
    if (M4x4* found = find(face))
        return *found;
    if (!face)
        throw std::invalid_argument("FaceTransformStore: a transform needs a face");
    if (tableFor(m_transforms.size() + 1) > m_slots.size())
        rehash(tableFor(2 * (m_transforms.size() + 1)));
    m_slots[probe(face)] = Slot{face, std::uint32_t(m_transforms.size())};
    return m_transforms.emplace_back();
}

const M4x4& FaceTransformStore::at(const Poly* face) const {
    if (const M4x4* found = find(face))
        return *found;
    throw std::out_of_range("FaceTransformStore::at: the face has no transform");
}

M4x4& FaceTransformStore::at(const Poly* face) {
    return const_cast<M4x4&>(static_cast<const FaceTransformStore*>(this)->at(face));
}
