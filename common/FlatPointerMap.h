#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <type_traits>
#include <utility>
#include <vector>

/// A map from object addresses (faces, vertices) to values, kept flat in an
/// open-addressing table. A map over a million objects thus costs one or two allocations
/// instead of a million, and freeing it is as cheap.
///
/// Values no larger than a pointer (a curvature, an index) sit in the table beside their
/// keys, so a lookup touches one place in memory. Larger values (transforms) lie in an
/// array of their own, in the order they were first stored, and the table holds
/// (key, place) pairs, so that the table's free slots do not each hold room for a value.
///
/// Entries are never removed one by one (a key stored again gets its new value in
/// place); `clear` forgets them all. Pointers and references into the map stay valid
/// until the next insertion of a new key or `clear`.
template <typename Key, typename Value> class FlatPointerMap {
public:
    std::size_t size() const { return m_count; }
    bool empty() const { return m_count == 0; }
    /// Makes room for `keys` entries, so that filling them neither moves nor rehashes.
    void reserve(std::size_t keys) {
        if constexpr (!ValuesInTable)
            m_values.reserve(keys);
        if (tableFor(keys) > m_slots.size())
            rehash(tableFor(keys));
    }
    /// The block reserved for values kept apart from the table (start and bytes of its
    /// whole room); empty when values sit in the table.
    std::pair<const void*, std::size_t> valueRoom() const {
        if constexpr (ValuesInTable)
            return {nullptr, 0};
        else
            return {m_values.data(), m_values.capacity() * sizeof(Value)};
    }
    void clear() {
        m_values.clear();
        std::fill(m_slots.begin(), m_slots.end(), Slot{});
        m_count = 0;
    }

    /// The value of `key`, or null when it has none.
    const Value* find(const Key* key) const {
        if (m_slots.empty() || !key)
            return nullptr;
        const Slot& s = m_slots[probe(key)];
        if (!s.key)
            return nullptr;
        if constexpr (ValuesInTable)
            return &s.value;
        else
            return &m_values[s.place];
    }
    Value* find(const Key* key) {
        return const_cast<Value*>(static_cast<const FlatPointerMap*>(this)->find(key));
    }
    bool contains(const Key* key) const { return find(key) != nullptr; }
    /// The value of `key`, a value-initialised one stored first when it has none.
    Value& operator[](const Key* key) {
        if (Value* found = find(key))
            return *found;
        return append(key, Value{});
    }
    /// Stores `value` under `key`, replacing the one it had. Unlike `map[key] = value`
    /// it builds no default value first, which counts for large values over huge meshes.
    Value& assign(const Key* key, const Value& value) {
        if (m_slots.empty() || !key)
            return append(key, value);
        // One probe finds the key or the free slot it takes, unless the table must grow
        // first: a huge net assigns a transform per face, each probe a cache miss.
        Slot& s = m_slots[probe(key)];
        if (s.key)
            return valueOf(s) = value;
        if (tableFor(m_count + 1) > m_slots.size())
            return append(key, value);
        return store(s, key, value);
    }
    /// The value of `key`; throws std::out_of_range when it has none.
    const Value& at(const Key* key) const {
        if (const Value* found = find(key))
            return *found;
        throw std::out_of_range("FlatPointerMap::at: the key has no value");
    }
    Value& at(const Key* key) {
        return const_cast<Value&>(static_cast<const FlatPointerMap*>(this)->at(key));
    }

private:
    static constexpr bool ValuesInTable = sizeof(Value) <= sizeof(void*);

    Value& append(const Key* key, const Value& value) {
        if (!key)
            throw std::invalid_argument("FlatPointerMap: a value needs a key");
        if (tableFor(m_count + 1) > m_slots.size())
            rehash(tableFor(2 * (m_count + 1)));
        return store(m_slots[probe(key)], key, value);
    }

    struct SlotWithValue {
        const Key* key = nullptr; // null: free
        Value value{};
    };
    struct SlotWithPlace {
        const Key* key = nullptr; // null: free
        std::uint32_t place = 0;  // index into m_values
    };
    using Slot = std::conditional_t<ValuesInTable, SlotWithValue, SlotWithPlace>;

    /// Stores a new key in its free slot `s`.
    Value& store(Slot& s, const Key* key, const Value& value) {
        s.key = key;
        ++m_count;
        if constexpr (ValuesInTable) {
            s.value = value;
            return s.value;
        } else {
            s.place = std::uint32_t(m_values.size());
            return m_values.emplace_back(value);
        }
    }
    Value& valueOf(Slot& s) {
        if constexpr (ValuesInTable)
            return s.value;
        else
            return m_values[s.place];
    }

    /// The smallest table that holds `entries` at most three quarters full.
    static std::size_t tableFor(std::size_t entries) {
        return std::bit_ceil(std::max<std::size_t>(16, entries + entries / 3 + 1));
    }
    /// The slot holding `key`, or the free slot where it would go.
    std::size_t probe(const Key* key) const {
        // Addresses of heap objects differ in their high bits and share their low ones;
        // the multiplication spreads them, and the top bits pick the slot.
        const std::size_t mask = m_slots.size() - 1;
        const int shift = 64 - std::countr_zero(m_slots.size());
        std::size_t at = std::size_t((std::uint64_t(reinterpret_cast<std::uintptr_t>(key)) *
                                      0x9E3779B97F4A7C15ull) >> shift);
        while (m_slots[at].key && m_slots[at].key != key)
            at = (at + 1) & mask;
        return at;
    }
    void rehash(std::size_t capacity) {
        std::vector<Slot> old = std::move(m_slots);
        m_slots.assign(capacity, Slot{});
        for (const Slot& s : old)
            if (s.key)
                m_slots[probe(s.key)] = s;
    }

    std::vector<Value> m_values; // empty when the values sit in the table
    std::vector<Slot> m_slots;   // empty, or a power of two at most three quarters full
    std::size_t m_count = 0;
};
