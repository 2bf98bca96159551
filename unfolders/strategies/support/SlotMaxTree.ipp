#pragma once

#include <algorithm>
#include <bit>
#include <limits>

template <typename Value> void SlotMaxTreeOf<Value>::clear() {
    m_tree.clear();
    m_capacity = 0;
    m_size = 0;
}

template <typename Value> void SlotMaxTreeOf<Value>::reserve(std::size_t slots) {
    if (slots > m_capacity)
        grow(std::bit_ceil(slots));
}

template <typename Value> void SlotMaxTreeOf<Value>::grow(std::size_t capacity) {
    std::vector<Value> tree(2 * capacity, -std::numeric_limits<Value>::infinity());
    for (std::size_t i = 0; i < m_size; ++i)
        tree[capacity + i] = m_tree[m_capacity + i];
    for (std::size_t node = capacity - 1; node >= 1; --node)
        tree[node] = std::max(tree[2 * node], tree[2 * node + 1]);
    m_tree.swap(tree);
    m_capacity = capacity;
}

template <typename Value> void SlotMaxTreeOf<Value>::set(std::size_t slot, Value value) {
    std::size_t node = m_capacity + slot;
    m_tree[node] = value;
    for (node /= 2; node >= 1; node /= 2) {
        const Value max = std::max(m_tree[2 * node], m_tree[2 * node + 1]);
        // Equal maxima above stay as they are (a NaN never compares equal, so it goes on).
        if (max == m_tree[node])
            break;
        m_tree[node] = max;
    }
}

template <typename Value> std::size_t SlotMaxTreeOf<Value>::push(Value value) {
    if (m_size == m_capacity)
        grow(std::max<std::size_t>(16, 2 * m_capacity));
    const std::size_t slot = m_size++;
    set(slot, value);
    return slot;
}

template <typename Value>
template <typename Test>
std::size_t SlotMaxTreeOf<Value>::findFirst(std::size_t from, Test test) const {
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
