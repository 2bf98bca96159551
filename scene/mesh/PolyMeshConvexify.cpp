#include "scene/mesh/PolyMesh.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

extern "C" {
#include <libqhull_r/qhull_ra.h>
}

using Sorvex::M3d;

namespace {

/// Owns a qhull run: its messages go to an in-memory stream (never to the
/// terminal) and its memory is released however the run ends.
class QhullRun {
public:
    QhullRun() : m_messages(open_memstream(&m_buffer, &m_size)) { qh_zero(&m_qh, m_messages); }
    ~QhullRun() {
        int curlong = 0, totlong = 0;
        qh_freeqhull(&m_qh, !qh_ALL);
        qh_memfreeshort(&m_qh, &curlong, &totlong);
        if (m_messages)
            std::fclose(m_messages);
        std::free(m_buffer);
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
    char* m_buffer = nullptr;
    std::size_t m_size = 0;
    FILE* m_messages;
};

/// Orders a facet's point ids counter-clockwise seen from the side its
/// outward normal points to.
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

bool PolyMesh::convexify(bool mergeCoplanar) {
    std::vector<M3d> points;
    std::vector<coordT> coords;
    for (const Vertex* v : m_vertices) {
        const M3d p = *v;
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || !std::isfinite(p.z()))
            return false;
        points.push_back(p);
        coords.insert(coords.end(), {p.x(), p.y(), p.z()});
    }
    if (points.size() < 4)
        return false;

    QhullRun hull;
    if (!hull.run(coords, mergeCoplanar))
        return false;
    qhT* qh = hull.get();

    MeshData data;
    std::map<int, int> newIndex; // point id -> vertex index, in first-use order
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
        for (int id : orderAroundNormal(ids, points, normal)) {
            auto [it, added] = newIndex.emplace(id, int(data.vertices.size()));
            if (added)
                data.vertices.push_back(points[std::size_t(id)]);
            ring.push_back(it->second);
        }
        data.faces.push_back(std::move(ring));
    }
    return fromMeshData(data);
}
