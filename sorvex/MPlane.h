#pragma once

#include "sorvex/M3d.h"

#include <list>

namespace Sorvex {

/// Oriented plane: the points p with normal . p = d. "Above" is the side the normal
/// points to.
class MPlane {
public:
    MPlane() = default;
    /// Plane through point with the given normal (normalised here).
    MPlane(const M3d& point, const M3d& normal);
    /// Plane through a, b, c with normal unit((c - a) x (b - a)).
    MPlane(const M3d& a, const M3d& b, const M3d& c);
    /// Least-squares plane of the points; all members 0 when count < 1.
    MPlane(const M3d* points, int count);
    /// Least-squares plane of the points; all members 0 when the list is empty.
    explicit MPlane(std::list<M3d>& points);
    /// Normal stored as given.
    MPlane(const M3d& normal, double d) : m_normal(normal), m_d(d) {}

    void copy(const MPlane& plane) { *this = plane; }

    const M3d& getNormal() const { return m_normal; }
    void setNormal(const M3d& normal) { m_normal = normal; }
    double getDist() const { return m_d; }
    void setDist(double d) { m_d = d; }

    void flip();
    MPlane flipped() const;

    /// Where the line through p along dir meets the plane; (0, 0, 0) when dir is exactly
    /// parallel to the plane.
    M3d project(const M3d& p, const M3d& dir) const;
    /// Projection of p along the normal.
    M3d project(const M3d& p) const { return project(p, m_normal); }
    /// Unsigned distance from p to the plane.
    double distToPt(const M3d& p) const;
    bool ptAbove(const M3d& p) const;

    /// True when the segment p1-p2 meets the plane: at an end (within 1e-10 per
    /// component) or strictly between them. The meeting point of the line is stored in
    /// out when given, whatever the result.
    bool intersect(const M3d& p1, const M3d& p2, M3d* out = nullptr) const;
    /// The common point of this plane and planes a and b; false when the three normals
    /// are linearly dependent (out is then untouched).
    bool intersect(const MPlane& a, const MPlane& b, M3d* out = nullptr) const;

    /// Normals equal within 1e-10 per component and distances within eps.
    bool cmp(const MPlane& plane, double eps) const;
    bool operator==(const MPlane& plane) const { return cmp(plane, 1e-10); }
    bool operator!=(const MPlane& plane) const { return !cmp(plane, 1e-10); }

    /// Least-squares fit through the points by singular value decomposition of the centred
    /// points: the normal is the right singular vector of the smallest singular value
    /// (its sign is whatever the decomposition gives), d = centroid . normal.
    /// When the decomposition fails its messages go to standard output, the plane is left
    /// unchanged and the result is false; the process is not ended. Non-finite
    /// coordinates and count < 1 also give false and leave the plane unchanged.
    bool bestFit(const M3d* points, int count);
    /// As above; an empty list leaves the plane unchanged.
    bool bestFit(std::list<M3d>& points);

private:
    M3d m_normal{1, 0, 0};
    double m_d = 0.0;
};

} // namespace Sorvex
