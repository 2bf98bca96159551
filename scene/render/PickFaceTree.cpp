#include "scene/render/PickFaceTree.h"

#include <algorithm>
#include <cmath>
#include <limits>

using Sorvex::M3d;

namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr std::uint32_t kLeafSize = 4;
// Halving keeps the depth at log2(n / kLeafSize) + 1: 64 levels hold any array.
constexpr int kStackSize = 64;

M3d cross(const M3d& a, const M3d& b) {
    return {a.y() * b.z() - a.z() * b.y(), a.z() * b.x() - a.x() * b.z(),
            a.x() * b.y() - a.y() * b.x()};
}

/// Distance along the ray to the triangle, or infinity (both sides count: faces are hit
/// from behind as well, like the view shows them).
double hitTriangle(const PickTriangle& t, const M3d& o, const M3d& d) {
    const M3d p = cross(d, t.e2);
    const double det = t.e1.dot(p);
    if (std::fabs(det) < 1e-300)
        return kInfinity;
    const double inv = 1.0 / det;
    const M3d s = o - t.a;
    const double u = s.dot(p) * inv;
    if (u < 0.0 || u > 1.0)
        return kInfinity;
    const M3d q = cross(s, t.e1);
    const double v = d.dot(q) * inv;
    if (v < 0.0 || u + v > 1.0)
        return kInfinity;
    const double dist = t.e2.dot(q) * inv;
    return dist > 0.0 ? dist : kInfinity;
}

void include(M3d& lo, M3d& hi, const M3d& p) {
    for (int k = 0; k < 3; ++k) {
        lo[k] = std::min(lo[k], p[k]);
        hi[k] = std::max(hi[k], p[k]);
    }
}

/// The ten bits of `v` spread to every third bit.
std::uint64_t spread(std::uint64_t v) {
    v = (v | (v << 16)) & 0x030000FFull;
    v = (v | (v << 8)) & 0x0300F00Full;
    v = (v | (v << 4)) & 0x030C30C3ull;
    v = (v | (v << 2)) & 0x09249249ull;
    return v;
}

} // namespace

void PickFaceTree::build(std::vector<PickTriangle>& triangles) {
    m_nodes.clear();
    const size_t n = triangles.size();
    if (n == 0)
        return;
    // Each triangle's box, and the box of their centres.
    m_boxLo.resize(n);
    m_boxHi.resize(n);
    M3d centreLo(kInfinity, kInfinity, kInfinity), centreHi = -centreLo;
    for (size_t i = 0; i < n; ++i) {
        const PickTriangle& t = triangles[i];
        M3d lo = t.a, hi = t.a;
        include(lo, hi, t.a + t.e1);
        include(lo, hi, t.a + t.e2);
        m_boxLo[i] = lo;
        m_boxHi[i] = hi;
        include(centreLo, centreHi, (lo + hi) * 0.5);
    }
    // Triangles in the order of their centres along a Morton curve: runs of the order are
    // compact in space, so halving the runs gives a good hierarchy without any search.
    // The index breaks ties, so the order depends on nothing but the triangles.
    m_keys.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const M3d centre = (m_boxLo[i] + m_boxHi[i]) * 0.5;
        std::uint64_t code = 0;
        for (int k = 0; k < 3; ++k) {
            const double extent = centreHi[k] - centreLo[k];
            const double unit = extent > 0.0 ? (centre[k] - centreLo[k]) / extent : 0.0;
            // Not above 1, and 0 for NaN (an overflowing extent on huge coordinates).
            const double bounded = unit > 0.0 ? std::min(unit, 1.0) : 0.0;
            code |= spread(std::uint64_t(bounded * 1023.0)) << k;
        }
        m_keys[i] = code << 32 | i;
    }
    std::sort(m_keys.begin(), m_keys.end());
    m_sorted.clear();
    m_sorted.reserve(n);
    m_sortedLo.resize(n);
    m_sortedHi.resize(n);
    for (size_t i = 0; i < n; ++i) {
        const std::uint32_t from = std::uint32_t(m_keys[i]);
        m_sorted.push_back(triangles[from]);
        m_sortedLo[i] = m_boxLo[from];
        m_sortedHi[i] = m_boxHi[from];
    }
    triangles.swap(m_sorted);
    m_nodes.reserve(2 * (n / kLeafSize) + 1);
    buildNode(0, std::uint32_t(n));
}

std::uint32_t PickFaceTree::buildNode(std::uint32_t first, std::uint32_t count) {
    const std::uint32_t index = std::uint32_t(m_nodes.size());
    m_nodes.emplace_back();
    if (count <= kLeafSize) {
        M3d lo(kInfinity, kInfinity, kInfinity), hi = -lo;
        for (std::uint32_t i = first; i < first + count; ++i) {
            include(lo, hi, m_sortedLo[i]);
            include(lo, hi, m_sortedHi[i]);
        }
        Node& leaf = m_nodes[index];
        leaf.lo = lo;
        leaf.hi = hi;
        leaf.first = first;
        leaf.count = count;
        return index;
    }
    // The first child follows its parent; the box is the union of the children's.
    const std::uint32_t half = count / 2;
    buildNode(first, half);
    const std::uint32_t right = buildNode(first + half, count - half);
    M3d lo = m_nodes[index + 1].lo, hi = m_nodes[index + 1].hi;
    include(lo, hi, m_nodes[right].lo);
    include(lo, hi, m_nodes[right].hi);
    Node& node = m_nodes[index];
    node.lo = lo;
    node.hi = hi;
    node.right = right;
    return index;
}

namespace {

bool hitsBox(const M3d& lo, const M3d& hi, const M3d& o, const M3d& inv, double limit) {
    double t0 = 0.0, t1 = limit;
    for (int k = 0; k < 3; ++k) {
        double a = (lo[k] - o[k]) * inv[k], b = (hi[k] - o[k]) * inv[k];
        if (a > b)
            std::swap(a, b);
        t0 = std::max(t0, a);
        t1 = std::min(t1, b);
        if (t0 > t1)
            return false;
    }
    return true;
}

} // namespace

std::ptrdiff_t PickFaceTree::nearest(const std::vector<PickTriangle>& triangles, const M3d& o,
                                     const M3d& d, double& best) const {
    if (m_nodes.empty())
        return -1;
    const M3d inv(1.0 / d.x(), 1.0 / d.y(), 1.0 / d.z());
    std::ptrdiff_t found = -1;
    std::uint32_t stack[kStackSize];
    int top = 0;
    stack[top++] = 0;
    while (top > 0) {
        const std::uint32_t at = stack[--top];
        const Node& n = m_nodes[at];
        if (!hitsBox(n.lo, n.hi, o, inv, best))
            continue;
        if (n.count > 0) {
            for (std::uint32_t i = n.first; i < n.first + n.count; ++i) {
                const double t = hitTriangle(triangles[i], o, d);
                if (t < best) {
                    best = t;
                    found = std::ptrdiff_t(i);
                }
            }
        } else if (top + 2 <= kStackSize) {
            stack[top++] = n.right;
            stack[top++] = at + 1;
        }
    }
    return found;
}
