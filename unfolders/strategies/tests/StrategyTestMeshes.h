#pragma once

#include <cmath>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "common/Random.h"
#include "scene/mesh/MeshData.h"
#include "scene/mesh/PolyMesh.h"
#include "unfolders/engine/Unfolder.h"

namespace strategymeshes {

inline std::unique_ptr<PolyMesh> fromData(const MeshData& data) {
    auto mesh = std::make_unique<PolyMesh>();
    mesh->fromMeshData(data);
    return mesh;
}

/// The regular icosahedron on the unit sphere, faces wound outwards.
inline MeshData icosahedronData() {
    const double t = (1 + std::sqrt(5.0)) / 2;
    MeshData d;
    d.vertices = {{-1, t, 0},  {1, t, 0},  {-1, -t, 0}, {1, -t, 0}, {0, -1, t},  {0, 1, t},
                  {0, -1, -t}, {0, 1, -t}, {t, 0, -1},  {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    for (auto& v : d.vertices)
        v.normalize();
    d.faces = {{0, 11, 5},  {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
               {11, 10, 2}, {10, 7, 6}, {7, 1, 8},  {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
               {3, 8, 9},   {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
    return d;
}

/// The icosahedron with every triangle split into four `levels` times, the
/// new vertices pushed onto the unit sphere: 20 * 4^levels faces.
inline MeshData icosphereData(int levels) {
    MeshData d = icosahedronData();
    for (int level = 0; level < levels; ++level) {
        std::map<std::pair<int, int>, int> midpoints;
        auto midpoint = [&](int a, int b) {
            auto key = std::minmax(a, b);
            auto it = midpoints.find(key);
            if (it != midpoints.end())
                return it->second;
            Sorvex::M3d m = (d.vertices[size_t(a)] + d.vertices[size_t(b)]) * 0.5;
            m.normalize();
            d.vertices.push_back(m);
            return midpoints[key] = int(d.vertices.size()) - 1;
        };
        std::vector<std::vector<int>> faces;
        for (const auto& f : d.faces) {
            const int ab = midpoint(f[0], f[1]), bc = midpoint(f[1], f[2]),
                      ca = midpoint(f[2], f[0]);
            faces.push_back({f[0], ab, ca});
            faces.push_back({f[1], bc, ab});
            faces.push_back({f[2], ca, bc});
            faces.push_back({ab, bc, ca});
        }
        d.faces = std::move(faces);
    }
    return d;
}

/// The hull of `count` random points on the unit sphere, from `seed`.
inline std::unique_ptr<PolyMesh> randomConvex(unsigned seed, int count) {
    vornSrand(seed);
    auto mesh = std::make_unique<PolyMesh>();
    for (int i = 0; i < count; ++i) {
        const double x = vornRand() - 16383, y = vornRand() - 16383, z = vornRand() - 16383;
        mesh->addVertexAt(Sorvex::M3d(x, y, z).normalized());
    }
    mesh->convexify(true);
    return mesh;
}

/// One horizontal triangle.
inline std::unique_ptr<PolyMesh> oneFace() {
    MeshData d;
    d.vertices = {{0, 0, 0}, {0, 0, 1}, {1, 0, 0}};
    d.faces = {{0, 1, 2}};
    return fromData(d);
}

/// A horizontal unit square of two triangles: no face crosses its centre plane.
inline std::unique_ptr<PolyMesh> flatSquare() {
    MeshData d;
    d.vertices = {{0, 0, 0}, {0, 0, 1}, {1, 0, 1}, {1, 0, 0}};
    d.faces = {{0, 1, 2}, {0, 2, 3}};
    return fromData(d);
}

/// A unit cube without its top: an open mesh with a square border at y = 1.
/// Faces: the four walls, then the bottom.
inline std::unique_ptr<PolyMesh> openBox() {
    MeshData d;
    d.vertices = {{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1},
                  {0, 1, 0}, {1, 1, 0}, {1, 1, 1}, {0, 1, 1}};
    d.faces = {{1, 0, 4, 5}, {2, 1, 5, 6}, {3, 2, 6, 7}, {0, 3, 7, 4}, {0, 1, 2, 3}};
    return fromData(d);
}

/// Builds strategy T and binds it to `mesh` (which then owns it).
template <typename T> T* bind(PolyMesh& mesh) {
    auto* u = new T;
    u->setParent(&mesh);
    return u;
}

/// Drives the unfolder as the idle loop does until it reports done (and has
/// run onDone); false when it had not finished after `maxTicks` ticks.
inline bool runToEnd(Unfolder& u, int maxTicks = 200000) {
    for (int tick = 0; tick < maxTicks; ++tick) {
        if (u.isDone() && tick > 0)
            return true;
        u.onSystemIdle();
    }
    return u.isDone();
}

/// Source face indices of the net faces, in net order (-1 for an untwinned face).
inline std::vector<int> placementOrder(Unfolder& u) {
    std::vector<int> order;
    for (Poly* f : u.getPolys())
        order.push_back(u.getSource()->getPolyIndex(f->getTwin()));
    return order;
}

/// The source face of the net face that `sourceFace`'s net face is folded to
/// across an edge, when there is exactly one; else null.
inline Poly* foldedTo(Poly* sourceFace) {
    Poly* found = nullptr;
    Poly* net = sourceFace->getTwin();
    for (int i = 0; i < net->getVertexCount(); ++i)
        if (Poly* g = net->getNeighbor(i)) {
            if (found)
                return nullptr;
            found = g->getTwin();
        }
    return found;
}

} // namespace strategymeshes
