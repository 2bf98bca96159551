#include "scene/mesh/IncrementalHull.h"

#include <algorithm>
#include <cmath>

using Sorvex::M3d;

namespace {

/// Where a point lies against a plane, when that is certain.
enum class Side { Below, Above, Unsure };

/// The side of `d` against the plane through a, b, c: Above is the side from which
/// a, b, c turn counter-clockwise. The determinant of (a - d, b - d, c - d) is below
/// zero there; its rounding error is at most about 7.8e-16 of the sum of the absolute
/// products (the standard forward error bound of this expression), and 1e-15 of it
/// keeps a margin. `certainBeyond` bounds that margin from above for every four points
/// of the set (see CertainBeyond): a determinant further from zero decides at once,
/// as the margin would, without the sum being formed.
Side SideOf(const M3d& a, const M3d& b, const M3d& c, const M3d& d, double certainBeyond) {
    const double adx = a.x() - d.x(), ady = a.y() - d.y(), adz = a.z() - d.z();
    const double bdx = b.x() - d.x(), bdy = b.y() - d.y(), bdz = b.z() - d.z();
    const double cdx = c.x() - d.x(), cdy = c.y() - d.y(), cdz = c.z() - d.z();
    const double bdxcdy = bdx * cdy, cdxbdy = cdx * bdy;
    const double cdxady = cdx * ady, adxcdy = adx * cdy;
    const double adxbdy = adx * bdy, bdxady = bdx * ady;
    const double det =
        adz * (bdxcdy - cdxbdy) + bdz * (cdxady - adxcdy) + cdz * (adxbdy - bdxady);
    if (det < -certainBeyond)
        return Side::Above;
    if (det > certainBeyond)
        return Side::Below;
    const double permanent = (std::abs(bdxcdy) + std::abs(cdxbdy)) * std::abs(adz) +
                             (std::abs(cdxady) + std::abs(adxcdy)) * std::abs(bdz) +
                             (std::abs(adxbdy) + std::abs(bdxady)) * std::abs(cdz);
    const double bound = 1e-15 * permanent;
    if (det < -bound)
        return Side::Above;
    if (det > bound)
        return Side::Below;
    return Side::Unsure;
}

/// A margin at least SideOf's for any four points within `extent` of the origin in every
/// coordinate: each difference is at most 2 extent (and one rounding more), so each of
/// the three terms of the sum is at most 2 (2 extent)^2 2 extent, 16 extent^3.
double CertainBeyond(double extent) {
    return 1e-15 * 48.001 * extent * extent * extent;
}

/// Adjacent faces bent by less than this share of the points' extent count as coplanar.
constexpr double kCoplanarShare = 1e-10;

struct Face {
    std::array<int, 3> v;  ///< corners, counter-clockwise from outside
    std::array<int, 3> nb; ///< the face across edge v[i] -> v[i + 1]
    int firstConflict = -1;
    bool alive = true;
};

/// Builds the hull; every method returns false as soon as a decision is unsure. One
/// builder per thread is kept, so that its arrays are allocated once, not per hull.
class Builder {
public:
    /// Kept apart from its caller (neither inlined nor specialised for the one builder),
    /// so that the builder's address, a thread-local of a shared library that costs a
    /// lookup each time it is taken, is taken once per hull, not at every array access.
    [[gnu::noipa]] bool build(const std::vector<M3d>& points,
                              std::vector<std::array<int, 3>>& triangles) {
        if (!reset(points))
            return false;
        for (int p = 0; p < int(points.size()); ++p) {
            if (!m_used[std::size_t(p)] && !assign(p, m_seedFaces))
                return false;
        }
        for (int p = 0; p < int(points.size()); ++p) {
            if (m_conflictFace[std::size_t(p)] >= 0 && !insert(p))
                return false;
        }
        return collect(triangles);
    }

private:
    /// The side of `p` against face `f`. A point at exactly a corner's position is a
    /// repeat of a point already in the hull (points are inserted in index order), so
    /// it counts as inside: the lowest index of a repeated point is the corner.
    Side side(const Face& f, int p) const {
        const M3d& a = at(f.v[0]);
        const M3d& b = at(f.v[1]);
        const M3d& c = at(f.v[2]);
        const M3d& d = at(p);
        const Side s = SideOf(a, b, c, d, m_certainBeyond);
        if (s == Side::Unsure && (same(a, d) || same(b, d) || same(c, d)))
            return Side::Below;
        return s;
    }
    static bool same(const M3d& a, const M3d& b) {
        return a.x() == b.x() && a.y() == b.y() && a.z() == b.z();
    }
    const M3d& at(int p) const { return (*m_points)[std::size_t(p)]; }

    bool reset(const std::vector<M3d>& points) {
        m_points = &points;
        m_faces.clear();
        m_conflictFace.assign(points.size(), -1);
        m_nextConflict.assign(points.size(), -1);
        m_used.assign(points.size(), 0);
        m_startsAt.assign(points.size(), -1);
        m_startsStamp.assign(points.size(), -1);
        m_stamp = 0;
        m_extent = 0;
        for (const M3d& p : points) {
            if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || !std::isfinite(p.z()))
                return false;
            m_extent = std::max({m_extent, std::abs(p.x()), std::abs(p.y()), std::abs(p.z())});
        }
        m_certainBeyond = CertainBeyond(m_extent);
        return startTetrahedron();
    }

    /// The first tetrahedron: the first point, the first at another position, the
    /// first not on their line, and the first certainly off their plane. Points before
    /// each of them repeat or line up with the ones chosen, so a repeat of a corner
    /// always comes after it.
    bool startTetrahedron() {
        const int n = int(m_points->size());
        if (n < 4)
            return false;
        const int a = 0;
        int b = 1;
        while (b < n && same(at(a), at(b)))
            ++b;
        int c = b + 1, d = -1;
        const double tiny = 1e-20 * m_extent * m_extent;
        for (; c < n; ++c) {
            M3d normal;
            normal.cross(at(b) - at(a), at(c) - at(a));
            if (normal.squared() > tiny * tiny)
                break;
        }
        if (c >= n)
            return false;
        Side dSide = Side::Unsure;
        for (int p = b + 1; p < n && d < 0; ++p) {
            if (p == c)
                continue;
            dSide = SideOf(at(a), at(b), at(c), at(p), m_certainBeyond);
            if (dSide != Side::Unsure)
                d = p;
        }
        if (d < 0)
            return false;
        // Base a, b, c with the apex below it; otherwise the base turns the other way.
        std::array<int, 3> base = {a, b, c};
        if (dSide == Side::Above)
            std::swap(base[1], base[2]);
        const int f0 = addFace({base[0], base[1], base[2]});
        const int f1 = addFace({base[1], base[0], d});
        const int f2 = addFace({base[2], base[1], d});
        const int f3 = addFace({base[0], base[2], d});
        // Edge k of the base meets edge 0 of the side face built on it.
        m_faces[std::size_t(f0)].nb = {f1, f2, f3};
        m_faces[std::size_t(f1)].nb = {f0, f3, f2};
        m_faces[std::size_t(f2)].nb = {f0, f1, f3};
        m_faces[std::size_t(f3)].nb = {f0, f2, f1};
        m_seedFaces = {f0, f1, f2, f3};
        for (int p : {a, b, c, d})
            m_used[std::size_t(p)] = 1;
        return true;
    }

    int addFace(std::array<int, 3> v) {
        Face f;
        f.v = v;
        f.nb = {-1, -1, -1};
        m_faces.push_back(f);
        return int(m_faces.size() - 1);
    }

    /// Files `p` under the first of `faces` it is certainly above; a point above none
    /// lies inside the hull and is dropped.
    bool assign(int p, const std::vector<int>& faces) {
        for (int f : faces) {
            Face& face = m_faces[std::size_t(f)];
            const Side s = side(face, p);
            if (s == Side::Unsure)
                return false;
            if (s == Side::Above) {
                m_conflictFace[std::size_t(p)] = f;
                m_nextConflict[std::size_t(p)] = face.firstConflict;
                face.firstConflict = p;
                return true;
            }
        }
        m_conflictFace[std::size_t(p)] = -1;
        return true;
    }

    /// Adds `p`: removes the faces it sees, joins it to their rim, and files the
    /// removed faces' points under the new faces (only new faces can be seen from a
    /// point that saw a removed one, unless the point is now inside).
    bool insert(int p) {
        ++m_stamp;
        m_visible.clear();
        m_horizon.clear();
        const int start = m_conflictFace[std::size_t(p)];
        m_faces[std::size_t(start)].alive = false;
        m_visible.push_back(start);
        for (std::size_t k = 0; k < m_visible.size(); ++k) {
            const Face& f = m_faces[std::size_t(m_visible[k])];
            for (int e = 0; e < 3; ++e) {
                const int g = f.nb[std::size_t(e)];
                Face& other = m_faces[std::size_t(g)];
                if (!other.alive)
                    continue; // already found visible
                const Side s = side(other, p);
                if (s == Side::Unsure)
                    return false;
                if (s == Side::Above) {
                    other.alive = false;
                    m_visible.push_back(g);
                } else {
                    m_horizon.push_back({m_visible[k], e});
                }
            }
        }
        // One new face per rim edge, in the visible face's turning direction.
        m_newFaces.clear();
        for (const auto& [fi, e] : m_horizon) {
            const Face& f = m_faces[std::size_t(fi)];
            const int u = f.v[std::size_t(e)], w = f.v[std::size_t((e + 1) % 3)];
            const int below = f.nb[std::size_t(e)];
            const int nf = addFace({u, w, p});
            Face& created = m_faces[std::size_t(nf)];
            created.nb[0] = below;
            Face& under = m_faces[std::size_t(below)];
            for (int& n : under.nb)
                if (n == fi)
                    n = nf;
            // The rim is one simple loop: each rim corner starts exactly one new face.
            if (m_startsStamp[std::size_t(u)] == m_stamp)
                return false;
            m_startsStamp[std::size_t(u)] = m_stamp;
            m_startsAt[std::size_t(u)] = nf;
            m_newFaces.push_back(nf);
        }
        for (int nf : m_newFaces) {
            Face& created = m_faces[std::size_t(nf)];
            const int w = created.v[1];
            if (m_startsStamp[std::size_t(w)] != m_stamp)
                return false;
            const int next = m_startsAt[std::size_t(w)];
            created.nb[1] = next;
            m_faces[std::size_t(next)].nb[2] = nf;
        }
        m_used[std::size_t(p)] = 1;
        m_conflictFace[std::size_t(p)] = -1;
        for (int fi : m_visible) {
            for (int q = m_faces[std::size_t(fi)].firstConflict; q >= 0;) {
                const int following = m_nextConflict[std::size_t(q)];
                if (q != p && !assign(q, m_newFaces))
                    return false;
                q = following;
            }
        }
        return true;
    }

    /// The live faces, once every edge is certainly a convex bend.
    bool collect(std::vector<std::array<int, 3>>& triangles) {
        triangles.clear();
        const double margin = kCoplanarShare * m_extent;
        for (const Face& f : m_faces) {
            if (!f.alive)
                continue;
            M3d normal;
            normal.cross(at(f.v[1]) - at(f.v[0]), at(f.v[2]) - at(f.v[0]));
            const double length = normal.length();
            if (!(length > 0))
                return false;
            for (int e = 0; e < 3; ++e) {
                const Face& g = m_faces[std::size_t(f.nb[std::size_t(e)])];
                // The corner of g off the shared edge.
                const int u = f.v[std::size_t(e)], w = f.v[std::size_t((e + 1) % 3)];
                int far = g.v[0];
                for (int v : g.v)
                    if (v != u && v != w)
                        far = v;
                if (normal.dot(at(far) - at(f.v[0])) > -margin * length)
                    return false;
            }
            triangles.push_back(f.v);
        }
        return true;
    }

    const std::vector<M3d>* m_points = nullptr;
    std::vector<Face> m_faces;
    std::vector<int> m_conflictFace; ///< per point: the face it is filed under, or -1
    std::vector<int> m_nextConflict; ///< per point: the next point filed under that face
    std::vector<char> m_used;        ///< per point: already a corner of the hull
    std::vector<int> m_startsAt;     ///< per rim corner: the new face starting there
    std::vector<int> m_startsStamp;  ///< per point: the insertion that set m_startsAt
    std::vector<int> m_seedFaces;
    std::vector<int> m_visible;
    std::vector<std::pair<int, int>> m_horizon; ///< (visible face, edge) pairs on the rim
    std::vector<int> m_newFaces;
    double m_extent = 0;
    double m_certainBeyond = 0;
    int m_stamp = 0;
};

} // namespace

bool GeneralPositionHull(const std::vector<M3d>& points,
                         std::vector<std::array<int, 3>>& triangles) {
    thread_local Builder builder;
    return builder.build(points, triangles);
}
