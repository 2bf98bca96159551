#pragma once

#include "sorvex/M3d.h"

namespace Sorvex {

class M4x4;

/// Axis-aligned box. Corners are named by axis: left/right = minimum/maximum x,
/// lower/upper = minimum/maximum y, back/front = minimum/maximum z.
class MBoundingBox {
public:
    /// Empty, corners (0, 0, 0).
    MBoundingBox() = default;
    /// Both corners at point; not empty.
    explicit MBoundingBox(const M3d& point) : m_min(point), m_max(point), m_empty(false) {}
    /// Bounds of a and b; not empty.
    MBoundingBox(const M3d& a, const M3d& b) { set(a, b); }
    MBoundingBox(const MBoundingBox& box) = default;
    MBoundingBox& operator=(const MBoundingBox& box) = default;

    void copy(const MBoundingBox& box) { *this = box; }
    /// Empty, corners (0, 0, 0).
    void clear() { *this = MBoundingBox(); }
    void set(const M3d& a, const M3d& b);

    /// An empty box takes the point; otherwise the corners grow to include it.
    void extend(const M3d& point);
    /// An empty box takes the other box's corners; otherwise the corners grow to include
    /// them. An empty argument still counts as its corners.
    void extend(const MBoundingBox& box);
    MBoundingBox& operator+=(const MBoundingBox& box) {
        extend(box);
        return *this;
    }
    /// Translates both corners.
    MBoundingBox& operator+=(const M3d& offset);
    MBoundingBox operator+(const M3d& offset) const;
    /// Grows by x on every side.
    void inflate(double x);

    const M3d& getMin() const { return m_min; }
    const M3d& getMax() const { return m_max; }
    M3d getCenter() const { return (m_min + m_max) / 2.0; }
    M3d getSize() const { return m_max - m_min; }
    double getTop() const { return m_max.y(); }
    double getBottom() const { return m_min.y(); }
    bool isEmpty() const { return m_empty; }

    M3d getLowerBackLeft() const { return {m_min.x(), m_min.y(), m_min.z()}; }
    M3d getLowerBackRight() const { return {m_max.x(), m_min.y(), m_min.z()}; }
    M3d getLowerFrontLeft() const { return {m_min.x(), m_min.y(), m_max.z()}; }
    M3d getLowerFrontRight() const { return {m_max.x(), m_min.y(), m_max.z()}; }
    M3d getUpperBackLeft() const { return {m_min.x(), m_max.y(), m_min.z()}; }
    M3d getUpperBackRight() const { return {m_max.x(), m_max.y(), m_min.z()}; }
    M3d getUpperFrontLeft() const { return {m_min.x(), m_max.y(), m_max.z()}; }
    M3d getUpperFrontRight() const { return {m_max.x(), m_max.y(), m_max.z()}; }

    /// True when every component of p lies within [min, max], bounds included.
    bool isInside(const M3d& p) const;
    /// -1 for an empty box, else the axis (0, 1, 2) of the largest extent; ties go to the
    /// later axis.
    int getLongestDimension() const;
    /// The box becomes the bounds of its eight transformed corners (not empty).
    void transform(const M4x4& m);

    bool cmp(const MBoundingBox& box, double eps) const {
        return m_min.cmp(box.m_min, eps) && m_max.cmp(box.m_max, eps);
    }
    bool operator==(const MBoundingBox& box) const { return cmp(box, 1e-10); }
    bool operator!=(const MBoundingBox& box) const { return !cmp(box, 1e-10); }

private:
    M3d m_min{0, 0, 0};
    M3d m_max{0, 0, 0};
    bool m_empty = true;
};

} // namespace Sorvex
