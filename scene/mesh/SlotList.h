#pragma once

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

/// An insertion-ordered list of pointers with O(1) removal. Each element
/// records its slot (T::m_slot, reachable through friendship), so removing it
/// leaves a hole instead of shifting the rest; removing the last element pops
/// it (and any holes before it), which keeps add-then-remove trials tight.
/// Holes are squeezed out lazily: when iteration starts, when a position is
/// asked for, and when an add finds more holes than elements.
///
/// While iterating, removing elements is safe, and added elements are visited
/// at the end; asking for a position after a removal in the same loop
/// compacts the list and shifts the iteration.
template <typename T> class SlotList {
public:
    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = T*;
        using difference_type = std::ptrdiff_t;
        using pointer = T* const*;
        using reference = T* const&;

        iterator() = default;
        iterator(const std::vector<T*>* items, std::size_t index) : m_items(items), m_index(index) {
            skipHoles();
        }
        T* operator*() const { return (*m_items)[m_index]; }
        iterator& operator++() {
            ++m_index;
            skipHoles();
            return *this;
        }
        iterator operator++(int) {
            iterator old = *this;
            ++*this;
            return old;
        }
        // Every position at or past the end is the end, so an iteration that
        // removes the trailing elements still stops.
        bool operator==(const iterator& o) const {
            const bool atEnd = m_index >= m_items->size();
            const bool otherAtEnd = o.m_index >= o.m_items->size();
            return (atEnd && otherAtEnd) || (!atEnd && !otherAtEnd && m_index == o.m_index);
        }

    private:
        void skipHoles() {
            while (m_index < m_items->size() && (*m_items)[m_index] == nullptr)
                ++m_index;
        }
        const std::vector<T*>* m_items = nullptr;
        std::size_t m_index = 0;
    };

    std::size_t size() const { return m_live; }
    bool empty() const { return m_live == 0; }

    iterator begin() const {
        compact();
        return iterator(&m_items, 0);
    }
    iterator end() const { return iterator(&m_items, SIZE_MAX); }

    void add(T* item) {
        if (m_holes > 32 && m_holes > m_live)
            compact();
        item->m_slot = m_items.size();
        m_items.push_back(item);
        ++m_live;
    }

    bool contains(const T* item) const {
        return item && item->m_slot < m_items.size() && m_items[item->m_slot] == item;
    }

    /// False when the item is not in the list.
    bool remove(T* item) {
        if (!contains(item))
            return false;
        m_items[item->m_slot] = nullptr;
        --m_live;
        ++m_holes;
        while (!m_items.empty() && m_items.back() == nullptr) {
            m_items.pop_back();
            --m_holes;
        }
        return true;
    }

    /// Position among the elements in list order, or -1; O(1) amortised.
    long indexOf(const T* item) const {
        if (!contains(item))
            return -1;
        compact();
        return long(item->m_slot);
    }

    /// The element at position i in list order, or null; O(1) amortised.
    T* at(std::size_t i) const {
        compact();
        return i < m_items.size() ? m_items[i] : nullptr;
    }

    /// The last element (trailing holes are never kept), or null.
    T* back() const { return m_items.empty() ? nullptr : m_items.back(); }

    /// Forgets every element (the caller owns them).
    void clear() {
        m_items.clear();
        m_live = 0;
        m_holes = 0;
    }

    void reserve(std::size_t n) { m_items.reserve(n); }

private:
    void compact() const {
        if (m_holes == 0)
            return;
        std::size_t out = 0;
        for (std::size_t i = 0; i < m_items.size(); ++i) {
            if (T* item = m_items[i]) {
                item->m_slot = out;
                m_items[out++] = item;
            }
        }
        m_items.resize(out);
        m_holes = 0;
    }

    mutable std::vector<T*> m_items;
    mutable std::size_t m_holes = 0;
    std::size_t m_live = 0;
};
