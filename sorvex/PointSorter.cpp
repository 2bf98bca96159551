#include "sorvex/PointSorter.h"

#include "sorvex/MBoundingBox.h"

namespace Sorvex {

namespace {

/// A leaf holding this many points splits.
constexpr std::size_t SplitCount = 6;

} // namespace

PointSorter::PointSorter(double tolerance) : m_tolerance(tolerance) {}

PointSorter::PointSorter(const PointSorter& sorter)
    : m_points(sorter.m_points), m_split(sorter.m_split), m_tolerance(sorter.m_tolerance) {
    if (sorter.m_left) {
        m_left = std::make_unique<PointSorter>(*sorter.m_left);
        m_right = std::make_unique<PointSorter>(*sorter.m_right);
    }
}

PointSorter& PointSorter::operator=(const PointSorter& sorter) {
    if (this != &sorter) {
        PointSorter copied(sorter);
        m_points.swap(copied.m_points);
        m_split = copied.m_split;
        m_tolerance = copied.m_tolerance;
        m_left.swap(copied.m_left);
        m_right.swap(copied.m_right);
    }
    return *this;
}

PointSorter::~PointSorter() = default;

void PointSorter::clear() {
    m_left.reset();
    m_right.reset();
    m_points.clear();
}

int PointSorter::side(const M3d& p) const {
    const M3d q = m_split.project(p);
    const M3d offset = p - q;
    if (offset.length() <= 2.0 * m_tolerance)
        return 0;
    return offset.dot(m_split.getNormal()) > 0.0 ? 1 : -1;
}

void PointSorter::add(M3d* p) {
    if (!p)
        return;
    // Walk down iteratively: deep trees (clustered points) must not exhaust the stack.
    PointSorter* node = this;
    while (node->m_left) {
        const int s = node->side(*p);
        if (s == 0)
            break;
        node = s < 0 ? node->m_right.get() : node->m_left.get();
    }
    node->m_points.push_back(p);
    if (!node->m_left && node->m_points.size() >= SplitCount)
        node->split();
}

void PointSorter::split() {
    m_left = std::make_unique<PointSorter>(m_tolerance);
    m_right = std::make_unique<PointSorter>(m_tolerance);
    MBoundingBox box;
    for (const M3d* p : m_points)
        box.extend(*p);
    M3d normal(1, 0, 0);
    switch (box.getLongestDimension()) {
    case 1:
        normal.set(0, 1, 0);
        break;
    case 2:
        normal.set(0, 0, 1);
        break;
    default:
        break;
    }
    m_split = MPlane(box.getCenter(), normal);

    std::vector<M3d*> kept;
    for (M3d* p : m_points) {
        const int s = side(*p);
        if (s < 0)
            m_right->add(p);
        else if (s > 0)
            m_left->add(p);
        else
            kept.push_back(p);
    }
    m_points.swap(kept);
}

M3d* PointSorter::scan(const M3d& p) const {
    for (M3d* q : m_points) {
        if ((*q - p).length() <= m_tolerance)
            return q;
    }
    return nullptr;
}

M3d* PointSorter::findNear(const M3d& p) const {
    const PointSorter* node = this;
    while (node->m_left) {
        const int s = node->side(p);
        if (s == 0)
            break;
        node = s < 0 ? node->m_right.get() : node->m_left.get();
    }
    return node->scan(p);
}

} // namespace Sorvex
