#include "scene/mesh/PolyMesh.h"
#include "scene/mesh/ConvexHull.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

extern "C" {
#include <libqhull_r/qhull_ra.h>
}

using Sorvex::M3d;

namespace {

/// Where qhull's messages go: nowhere (a failure is reported by its return code). One
/// stream per thread, opened once, because opening one per hull cost more than a
/// hull of a hundred points.
FILE* quietStream() {
    thread_local std::unique_ptr<FILE, int (*)(FILE*)> stream(std::fopen("/dev/null", "w"),
                                                               &std::fclose);
    return stream.get();
}

/// Owns a qhull run; its memory is released however the run ends.
class QhullRun {
public:
    QhullRun() : m_messages(quietStream()) { qh_zero(&m_qh, m_messages); }
    ~QhullRun() {
        int curlong = 0, totlong = 0;
        qh_freeqhull(&m_qh, !qh_ALL);
        qh_memfreeshort(&m_qh, &curlong, &totlong);
    }
    QhullRun(const QhullRun&) = delete;
    QhullRun& operator=(const QhullRun&) = delete;

    /// Runs qhull on 3D points; false on any qhull error (flat or too few points).
    bool run(std::vector<coordT>& coords, bool mergeCoplanar) {
        if (!m_messages)
            return false;
        // "Qt" triangulates the output; without it coplanar facets are merged.
        // "Pp" keeps precision warnings for nearly flat input quiet.
        char flagsTriangulated[] = "qhull Qt Pp";
        char flagsMerged[] = "qhull Pp";
        const int points = int(coords.size() / 3);
        const int code =
            qh_new_qhull(&m_qh, 3, points, coords.data(), False,
                         mergeCoplanar ? flagsMerged : flagsTriangulated, nullptr, m_messages);
        return code == 0;
    }
    qhT* get() { return &m_qh; }

private:
    qhT m_qh;
    FILE* m_messages;
};

/// Orders a facet's point ids counter-clockwise seen from the side its
/// outward normal points to, starting from the smallest angle about the centre
/// measured from the first id.
std::vector<int> orderAroundNormal(std::vector<int> ids, const std::vector<M3d>& points,
                                   const M3d& normal) {
    M3d centre;
    for (int id : ids)
        centre = centre + points[std::size_t(id)];
    centre = centre * (1.0 / double(ids.size()));
    M3d u = points[std::size_t(ids.front())] - centre;
    u = u - normal * u.dot(normal);
    u.normalize();
    M3d v;
    v.cross(normal, u);
    if (ids.size() == 3) {
        // The first corner's angle is about zero (its offset from the centre defines u),
        // and a triangle's other corners lie on either side of the line from it through
        // the centre: one at an angle in (-pi, 0), one in (0, pi). Then the sorted order
        // is known without atan2, provided the first angle is clearly the middle one:
        // |a0| <= |tan a0| = |s0| / c0 and |a| >= |sin a| = |s| / r for the others, so
        // |s0| / c0 below half of each |s| / r (compared squared) proves it with room
        // for rounding. Anything closer takes the general path.
        const M3d d0 = points[std::size_t(ids[0])] - centre;
        const M3d d1 = points[std::size_t(ids[1])] - centre;
        const M3d d2 = points[std::size_t(ids[2])] - centre;
        const double s0 = d0.dot(v), c0 = d0.dot(u);
        const double s1 = d1.dot(v), s2 = d2.dot(v);
        auto clearlyWider = [&](double s, const M3d& d) {
            return s0 * s0 * d.squared() < 0.25 * s * s * c0 * c0;
        };
        if (c0 > 0 && (s1 < 0) != (s2 < 0) && s1 != 0 && s2 != 0 && clearlyWider(s1, d1) &&
            clearlyWider(s2, d2)) {
            if (s1 < 0)
                return {ids[1], ids[0], ids[2]};
            return {ids[2], ids[0], ids[1]};
        }
    }
    std::vector<std::pair<double, int>> byAngle;
    for (int id : ids) {
        const M3d d = points[std::size_t(id)] - centre;
        byAngle.emplace_back(std::atan2(d.dot(v), d.dot(u)), id);
    }
    std::sort(byAngle.begin(), byAngle.end());
    for (std::size_t i = 0; i < ids.size(); ++i)
        ids[i] = byAngle[i].second;
    return ids;
}

} // namespace

bool ConvexHullOf(const std::vector<M3d>& points, bool mergeCoplanar, MeshData& hull) {
    std::vector<coordT> coords;
    coords.reserve(points.size() * 3);
    for (const M3d& p : points) {
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || !std::isfinite(p.z()))
            return false;
        coords.insert(coords.end(), {p.x(), p.y(), p.z()});
    }
    if (points.size() < 4)
        return false;

    QhullRun run;
    if (!run.run(coords, mergeCoplanar))
        return false;
    qhT* qh = run.get();

    MeshData data;
    std::vector<int> newIndex(points.size(), -1); // point id -> vertex index, in first-use order
    facetT* facet;
    FORALLfacets {
        if (facet->upperdelaunay || !facet->normal)
            continue;
        std::vector<int> ids;
        vertexT *vertex, **vertexp;
        FOREACHvertex_(facet->vertices) ids.push_back(qh_pointid(qh, vertex->point));
        if (ids.size() < 3)
            continue;
        const M3d normal(facet->normal[0], facet->normal[1], facet->normal[2]);
        std::vector<int> ring;
        ring.reserve(ids.size());
        for (int id : orderAroundNormal(std::move(ids), points, normal)) {
            int& index = newIndex[std::size_t(id)];
            if (index < 0) {
                index = int(data.vertices.size());
                data.vertices.push_back(points[std::size_t(id)]);
            }
            ring.push_back(index);
        }
        data.faces.push_back(std::move(ring));
    }
    std::string reason;
    if (!data.validate(reason))
        return false;
    hull = std::move(data);
    return true;
}

bool PolyMesh::convexify(bool mergeCoplanar) {
    std::vector<M3d> points;
    points.reserve(m_vertices.size());
    for (const Vertex* v : m_vertices)
        points.push_back(*v);
    MeshData hull;
    return ConvexHullOf(points, mergeCoplanar, hull) && fromMeshData(hull);
}
