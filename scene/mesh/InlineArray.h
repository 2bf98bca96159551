#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

/// An array kept inside its owner up to `N` elements and on the heap beyond: a face's
/// ring of corners and of neighbours, a vertex's faces. Most faces are triangles and
/// quads, most vertices have a handful of faces, and a batch builds and drops meshes by
/// the thousand: a heap block per list was a large share of building a mesh and a net.
/// Capacity grows by doubling and is never given back before destruction.
///
/// Not copyable or movable (its data may point into itself); owners copy elements.
/// The data pointer doubles as the owner of a heap block (when the capacity exceeds `N`),
/// which keeps a triangle's face eight bytes per array smaller than a separate owner.
template <typename T, std::size_t N> class InlineArray {
public:
    InlineArray() = default;
    InlineArray(const InlineArray&) = delete;
    InlineArray& operator=(const InlineArray&) = delete;
    ~InlineArray() { release(); }

    std::size_t size() const { return m_size; }
    std::size_t capacity() const { return m_capacity; }
    bool empty() const { return m_size == 0; }
    T* data() { return m_data; }
    const T* data() const { return m_data; }
    T& operator[](std::size_t i) { return m_data[i]; }
    const T& operator[](std::size_t i) const { return m_data[i]; }
    T* begin() { return m_data; }
    T* end() { return m_data + m_size; }
    const T* begin() const { return m_data; }
    const T* end() const { return m_data + m_size; }
    std::span<T const> view() const { return {m_data, m_size}; }

    /// `n` copies of `value`.
    void assign(std::size_t n, const T& value) {
        grow(n, false);
        m_size = std::uint32_t(n);
        std::fill(begin(), end(), value);
    }
    /// A copy of `values`, which must not lie in this array.
    void assign(std::span<T const> values) {
        grow(values.size(), false);
        m_size = std::uint32_t(values.size());
        std::copy(values.begin(), values.end(), begin());
    }
    void reserve(std::size_t n) { grow(n, true); }
    void push_back(const T& value) {
        if (m_size == m_capacity)
            grow(2 * std::size_t(m_capacity), true);
        m_data[m_size++] = value;
    }
    /// Removes the element at `at`, keeping the order of the rest.
    void erase(const T* at) {
        T* p = m_data + (at - m_data);
        std::copy(p + 1, end(), p);
        --m_size;
    }

private:
    /// Room for at least `n` elements, keeping the current ones when `keep`.
    void grow(std::size_t n, bool keep) {
        if (n <= m_capacity)
            return;
        auto bigger = std::make_unique_for_overwrite<T[]>(n);
        if (keep)
            std::copy(begin(), end(), bigger.get());
        release();
        m_data = bigger.release();
        m_capacity = std::uint32_t(n);
    }
    void release() {
        if (m_data != m_inline)
            delete[] m_data;
    }

    T m_inline[N] = {};
    T* m_data = m_inline;
    std::uint32_t m_size = 0;
    std::uint32_t m_capacity = N;
};
