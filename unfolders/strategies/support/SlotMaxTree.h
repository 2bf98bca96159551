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
    /// O(log n), less when the maxima above the slot do not change.
    void set(std::size_t slot, double value);
    /// Appends a slot; returns its index.
    std::size_t push(double value);
    void clear();
    /// Makes room for `slots` slots at once, so that pushing up to that many neither
    /// copies the tree nor touches more memory than the final tree needs.
    void reserve(std::size_t slots);

    /// The first slot >= `from` whose value passes `test`, or size() when none.
    /// Searches upwards from `from` and back down, so the cost grows with the log of
    /// the distance to the answer, not of the whole array.
    template <typename Test> std::size_t findFirst(std::size_t from, Test test) const;

private:
    void grow(std::size_t capacity);

    std::vector<double> m_tree; // heap layout: node 1 is the root, leaves from m_capacity
    std::size_t m_capacity = 0;
    std::size_t m_size = 0;
};

template <typename Test> std::size_t SlotMaxTree::findFirst(std::size_t from, Test test) const {
    if (from >= m_size)
        return m_size;
    // Leaves past the end hold -infinity and subtrees over them only what lies
    // before: a test that passes none of them never leads there, and one that
    // passes -infinity already passes the leaf at `from`.
    std::size_t node = m_capacity + from;
    if (!test(m_tree[node])) {
        // Up while the subtree to the right of the path holds nothing that passes.
        for (;;) {
            if (node == 1)
                return m_size;
            if ((node & 1) == 0 && test(m_tree[node + 1])) {
                ++node;
                break;
            }
            node /= 2;
        }
        // Down to the leftmost leaf that passes.
        while (node < m_capacity)
            node = test(m_tree[2 * node]) ? 2 * node : 2 * node + 1;
    }
    const std::size_t slot = node - m_capacity;
    return slot < m_size ? slot : m_size;
}
