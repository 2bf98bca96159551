#pragma once

#include <cstddef>
#include <vector>

/// A growable array of values with a max tree over it, to find the first
/// slot at or after a position whose value passes a monotone test (one that,
/// once true for a value, stays true for every larger value). `Value` is a
/// floating-point type; single precision halves the tree for values that are
/// floats to begin with.
template <typename Value> class SlotMaxTreeOf {
public:
    std::size_t size() const { return m_size; }
    Value get(std::size_t slot) const { return m_tree[m_capacity + slot]; }
    /// O(log n), less when the maxima above the slot do not change.
    void set(std::size_t slot, Value value);
    /// Appends a slot; returns its index.
    std::size_t push(Value value);
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

    std::vector<Value> m_tree; // heap layout: node 1 is the root, leaves from m_capacity
    std::size_t m_capacity = 0;
    std::size_t m_size = 0;
};

using SlotMaxTree = SlotMaxTreeOf<double>;

#include "unfolders/strategies/support/SlotMaxTree.ipp"
