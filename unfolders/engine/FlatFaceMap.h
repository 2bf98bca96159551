#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

class Poly;

/// A map from faces to values, kept flat: the values lie in one array in the order they
/// were first stored, and an open-addressing table of (face, place) pairs finds them. A
/// map over a million faces thus costs two allocations instead of a million, and freeing
/// it is as cheap.
///
/// Entries are never removed one by one (a face stored again gets its new value in
/// place); `clear` forgets them all. Pointers and references into the map stay valid
/// until the next insertion of a new face or `clear`.
template <typename Value> class FlatFaceMap {
public:
    std::size_t size() const { return m_values.size(); }
    bool empty() const { return m_values.empty(); }
    /// Makes room for `faces` entries, so that filling them neither moves nor rehashes.
    void reserve(std::size_t faces) {
        m_values.reserve(faces);
        if (tableFor(faces) > m_slots.size())
            rehash(tableFor(faces));
    }
    void clear() {
        m_values.clear();
        std::fill(m_slots.begin(), m_slots.end(), Slot{});
    }

    /// The value of `face`, or null when it has none.
    const Value* find(const Poly* face) const {
        if (m_slots.empty() || !face)
            return nullptr;
        const Slot& s = m_slots[probe(face)];
        return s.face ? &m_values[s.place] : nullptr;
    }
    Value* find(const Poly* face) {
        return const_cast<Value*>(static_cast<const FlatFaceMap*>(this)->find(face));
    }
    bool contains(const Poly* face) const { return find(face) != nullptr; }
    /// The value of `face`, a value-initialised one stored first when it has none.
    Value& operator[](const Poly* face) {
        if (Value* found = find(face))
            return *found;
        if (!face)
            throw std::invalid_argument("FlatFaceMap: a value needs a face");
        if (tableFor(m_values.size() + 1) > m_slots.size())
            rehash(tableFor(2 * (m_values.size() + 1)));
        m_slots[probe(face)] = Slot{face, std::uint32_t(m_values.size())};
        return m_values.emplace_back();
    }
    /// The value of `face`; throws std::out_of_range when it has none.
    const Value& at(const Poly* face) const {
        if (const Value* found = find(face))
            return *found;
        throw std::out_of_range("FlatFaceMap::at: the face has no value");
    }
    Value& at(const Poly* face) {
        return const_cast<Value&>(static_cast<const FlatFaceMap*>(this)->at(face));
    }

private:
    struct Slot {
        const Poly* face = nullptr; // null: free
        std::uint32_t place = 0;    // index into m_values
    };
    /// The smallest table that holds `entries` at most three quarters full.
    static std::size_t tableFor(std::size_t entries) {
        return std::bit_ceil(std::max<std::size_t>(16, entries + entries / 3 + 1));
    }
    /// The slot holding `face`, or the free slot where it would go.
    std::size_t probe(const Poly* face) const {
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
    void rehash(std::size_t capacity) {
        std::vector<Slot> old = std::move(m_slots);
        m_slots.assign(capacity, Slot{});
        for (const Slot& s : old)
            if (s.face)
                m_slots[probe(s.face)] = s;
    }

    std::vector<Value> m_values;
    std::vector<Slot> m_slots; // empty, or a power of two at most three quarters full
};
