#include "sorvex/MBoundingBox.h"

#include "sorvex/M4x4.h"

namespace Sorvex {

void MBoundingBox::set(const M3d& a, const M3d& b) {
    m_min = a;
    m_min.min(b);
    m_max = a;
    m_max.max(b);
    m_empty = false;
}

void MBoundingBox::extend(const M3d& point) {
    if (m_empty) {
        m_min = m_max = point;
    } else {
        m_min.min(point);
        m_max.max(point);
    }
    m_empty = false;
}

void MBoundingBox::extend(const MBoundingBox& box) {
    if (m_empty) {
        m_min = box.m_min;
        m_max = box.m_max;
    } else {
        m_min.min(box.m_min);
        m_max.max(box.m_max);
    }
    m_empty = false;
}

MBoundingBox& MBoundingBox::operator+=(const M3d& offset) {
    m_min += offset;
    m_max += offset;
    return *this;
}

MBoundingBox MBoundingBox::operator+(const M3d& offset) const {
    MBoundingBox moved(*this);
    moved += offset;
    return moved;
}

void MBoundingBox::inflate(double x) {
    const M3d grow(x, x, x);
    m_min -= grow;
    m_max += grow;
}

bool MBoundingBox::isInside(const M3d& p) const {
    for (int i = 0; i < 3; ++i) {
        if (p[i] < m_min[i] || p[i] > m_max[i])
            return false;
    }
    return true;
}

int MBoundingBox::getLongestDimension() const {
    if (m_empty)
        return -1;
    const M3d size = getSize();
    if (size.x() > size.y() && size.x() > size.z())
        return 0;
    if (size.y() > size.z())
        return 1;
    return 2;
}

void MBoundingBox::transform(const M4x4& m) {
    const M3d corners[8] = {getLowerBackLeft(),   getLowerBackRight(), getLowerFrontLeft(),
                            getLowerFrontRight(), getUpperBackLeft(),  getUpperBackRight(),
                            getUpperFrontLeft(),  getUpperFrontRight()};
    m_empty = true;
    for (M3d corner : corners) {
        m.transform(corner);
        extend(corner);
    }
}

} // namespace Sorvex
