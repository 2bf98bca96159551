#include "sorvex/MPlane.h"

#include "sorvex/Svd.h"

#include <cmath>
#include <cstdio>
#include <new>
#include <vector>

namespace Sorvex {

namespace {

/// Failure report of the decomposition, in the three lines the system prints.
void reportFitFailure(const char* reason) {
    std::printf("Numerical Recipes run-time error...\n%s\n...now exiting to system...\n", reason);
    std::fflush(stdout);
}

bool isFinite(const M3d& p) {
    return std::isfinite(p.x()) && std::isfinite(p.y()) && std::isfinite(p.z());
}

} // namespace

MPlane::MPlane(const M3d& point, const M3d& normal) : m_normal(normal.normalized()) {
    m_d = point.dot(m_normal);
}

MPlane::MPlane(const M3d& a, const M3d& b, const M3d& c) {
    m_normal.cross(c - a, b - a);
    m_normal.normalize();
    m_d = c.dot(m_normal);
}

MPlane::MPlane(const M3d* points, int count) : m_normal(0, 0, 0) {
    if (count >= 1)
        bestFit(points, count);
}

MPlane::MPlane(std::list<M3d>& points) : m_normal(0, 0, 0) {
    if (!points.empty())
        bestFit(points);
}

void MPlane::flip() {
    m_normal.neg();
    m_d = -m_d;
}

MPlane MPlane::flipped() const {
    MPlane copy(*this);
    copy.flip();
    return copy;
}

M3d MPlane::project(const M3d& p, const M3d& dir) const {
    const double a = m_normal.dot(m_normal * m_d - p);
    const double b = m_normal.dot(dir);
    if (b == 0.0)
        return M3d(0, 0, 0);
    return p + dir * (a / b);
}

double MPlane::distToPt(const M3d& p) const {
    return (p - project(p)).length();
}

bool MPlane::ptAbove(const M3d& p) const {
    return (p - project(p)).dot(m_normal) > 0.0;
}

bool MPlane::intersect(const M3d& p1, const M3d& p2, M3d* out) const {
    const M3d x = project(p1, p2 - p1);
    if (out)
        *out = x;
    return x.cmp(p1, 1e-10) || x.cmp(p2, 1e-10) || (x - p1).dot(x - p2) < 0.0;
}

bool MPlane::intersect(const MPlane& a, const MPlane& b, M3d* out) const {
    const M3d& n = m_normal;
    const M3d& na = a.m_normal;
    const M3d& nb = b.m_normal;
    M3d ab, bn, nna;
    ab.cross(na, nb);
    bn.cross(nb, n);
    nna.cross(n, na);
    const double det = n.dot(ab);
    if (det == 0.0)
        return false;
    if (out)
        *out = (ab * m_d + bn * a.m_d + nna * b.m_d) / det;
    return true;
}

bool MPlane::cmp(const MPlane& plane, double eps) const {
    return m_normal.cmp(plane.m_normal, 1e-10) && std::fabs(m_d - plane.m_d) < eps;
}

bool MPlane::bestFit(const M3d* points, int count) {
    if (!points || count < 1)
        return false;
    M3d centroid(0, 0, 0);
    for (int i = 0; i < count; ++i) {
        if (!isFinite(points[i]))
            return false;
        centroid += points[i];
    }
    centroid /= count;

    std::vector<double> centred, w, v;
    try {
        centred.resize(static_cast<std::size_t>(count) * 3);
    } catch (const std::bad_alloc&) {
        reportFitFailure("allocation failure in vector()");
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const M3d d = points[i] - centroid;
        for (int c = 0; c < 3; ++c)
            centred[static_cast<std::size_t>(i) * 3 + c] = d[c];
    }
    switch (SingularValueDecomposition(centred, count, 3, w, v, false)) {
    case SvdStatus::Ok:
        break;
    case SvdStatus::NoConvergence:
        reportFitFailure("no convergence in 30 svdcmp iterations");
        return false;
    case SvdStatus::AllocationFailure:
        reportFitFailure("allocation failure in vector()");
        return false;
    }
    SortSingularValues(w, v);
    // Column 2 of V (stored row by row) belongs to the smallest singular value.
    m_normal.set(v[2], v[5], v[8]);
    m_d = centroid.dot(m_normal);
    return true;
}

bool MPlane::bestFit(std::list<M3d>& points) {
    if (points.empty())
        return false;
    std::vector<M3d> copied;
    try {
        copied.assign(points.begin(), points.end());
    } catch (const std::bad_alloc&) {
        reportFitFailure("allocation failure in vector()");
        return false;
    }
    return bestFit(copied.data(), static_cast<int>(copied.size()));
}

} // namespace Sorvex
