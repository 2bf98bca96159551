#include "unfolders/strategies/support/SlotMaxTree.h"

#include <algorithm>
#include <bit>
#include <limits>

namespace {
constexpr double Lowest = -std::numeric_limits<double>::infinity();
}

void SlotMaxTree::clear() {
    m_tree.clear();
    m_capacity = 0;
    m_size = 0;
}

void SlotMaxTree::reserve(std::size_t slots) {
    if (slots > m_capacity)
        grow(std::bit_ceil(slots));
}

void SlotMaxTree::grow(std::size_t capacity) {
    std::vector<double> tree(2 * capacity, Lowest);
    for (std::size_t i = 0; i < m_size; ++i)
        tree[capacity + i] = m_tree[m_capacity + i];
    for (std::size_t node = capacity - 1; node >= 1; --node)
        tree[node] = std::max(tree[2 * node], tree[2 * node + 1]);
    m_tree.swap(tree);
    m_capacity = capacity;
}

void SlotMaxTree::set(std::size_t slot, double value) {
    std::size_t node = m_capacity + slot;
    m_tree[node] = value;
    for (node /= 2; node >= 1; node /= 2) {
        const double max = std::max(m_tree[2 * node], m_tree[2 * node + 1]);
        // Equal maxima above stay as they are (a NaN never compares equal, so it goes on).
        if (max == m_tree[node])
            break;
        m_tree[node] = max;
    }
}

std::size_t SlotMaxTree::push(double value) {
    if (m_size == m_capacity)
        grow(std::max<std::size_t>(16, 2 * m_capacity));
    const std::size_t slot = m_size++;
    set(slot, value);
    return slot;
}
