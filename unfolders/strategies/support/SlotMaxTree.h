#pragma once

#include <cstddef>
#include <vector>

/// A growable array of values with a max tree over it, to find the first
/// slot at or after a position whose value passes a monotone test (one that,
/// once true for a value, stays true for every larger value).
class SlotMaxTree {
public:
    std::size_t size() const { return m_size; }
    double get(std::size_t slot) const { return m_tree[m_capacity + slot]; }
    void set(std::size_t slot, double value);
    /// Appends a slot; returns its index.
    std::size_t push(double value);
    void clear();

    /// The first slot >= `from` whose value passes `test`, or size() when none.
    template <typename Test> std::size_t findFirst(std::size_t from, Test test) const {
        return m_size == 0 ? m_size : descend(1, 0, m_capacity, from, test);
    }

private:
    template <typename Test>
    std::size_t descend(std::size_t node, std::size_t begin, std::size_t end, std::size_t from,
                        Test& test) const {
        if (end <= from || begin >= m_size || !test(m_tree[node]))
            return m_size;
        if (end - begin == 1)
            return begin;
        const std::size_t mid = (begin + end) / 2;
        const std::size_t left = descend(2 * node, begin, mid, from, test);
        return left != m_size ? left : descend(2 * node + 1, mid, end, from, test);
    }
    void grow();

    std::vector<double> m_tree; // heap layout: node 1 is the root, leaves from m_capacity
    std::size_t m_capacity = 0;
    std::size_t m_size = 0;
};
