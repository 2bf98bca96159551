#include "vorn/core/papercraft/PaperSurface.h"

#include "scene/mesh/Poly.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/mesh/Vertex.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <unordered_map>

using Sorvex::M2d;
using Sorvex::M3d;

namespace {

/// Newell's normal: sound for non-convex and slightly warped faces.
M3d newellNormal(const std::vector<M3d>& c) {
    double x = 0, y = 0, z = 0;
    for (size_t i = 0; i < c.size(); ++i) {
        const M3d& p = c[i];
        const M3d& q = c[(i + 1) % c.size()];
        x += (p.y() - q.y()) * (p.z() + q.z());
        y += (p.z() - q.z()) * (p.x() + q.x());
        z += (p.x() - q.x()) * (p.y() + q.y());
    }
    const double len = std::sqrt(x * x + y * y + z * z);
    return len > 0.0 ? M3d(x / len, y / len, z / len) : M3d(0, 0, 0);
}

} // namespace

bool PaperSurface::build(const PolyMesh& mesh, std::string& error) {
    faces.clear();
    if (mesh.getPolyCount() == 0) {
        error = "the mesh has no faces";
        return false;
    }
    std::unordered_map<const Vertex*, int> ids;
    double low = std::numeric_limits<double>::max(), high = -low;
    double edgeSum = 0.0;
    size_t edgeCount = 0;
    longestEdge = 0.0;
    for (const Poly* p : mesh.getPolys()) {
        Face f;
        for (const Vertex* v : p->getVertices()) {
            const M3d& pos = v->getPosition();
            if (!std::isfinite(pos.x()) || !std::isfinite(pos.y()) || !std::isfinite(pos.z())) {
                error = "the mesh has a vertex whose position is not finite";
                faces.clear();
                return false;
            }
            f.corners.push_back(pos);
            f.vertexIds.push_back(ids.emplace(v, int(ids.size())).first->second);
            low = std::min(low, pos.y());
            high = std::max(high, pos.y());
        }
        for (size_t i = 0; i < f.corners.size(); ++i) {
            const double len = (f.corners[(i + 1) % f.corners.size()] - f.corners[i]).length();
            longestEdge = std::max(longestEdge, len);
            edgeSum += len;
            ++edgeCount;
        }
        f.normal = newellNormal(f.corners);
        f.neighbor.assign(f.corners.size(), -1);
        f.neighborEdge.assign(f.corners.size(), -1);
        faces.push_back(std::move(f));
    }
    height = high - low;
    meanEdge = edgeCount ? edgeSum / double(edgeCount) : 0.0;

    // Faces meet where one runs an edge from u to v and the other from v to u.
    std::unordered_map<uint64_t, std::pair<int, int>> directed;
    directed.reserve(edgeCount);
    const auto key = [](int u, int v) { return (uint64_t(uint32_t(u)) << 32) | uint32_t(v); };
    for (int fi = 0; fi < int(faces.size()); ++fi) {
        const Face& f = faces[size_t(fi)];
        const int n = int(f.vertexIds.size());
        for (int i = 0; i < n; ++i) {
            if (!directed.emplace(key(f.vertexIds[size_t(i)], f.vertexIds[size_t((i + 1) % n)]),
                                  std::make_pair(fi, i))
                     .second) {
                error = "the mesh is not manifold: an edge is used twice in the same direction";
                faces.clear();
                return false;
            }
        }
    }
    for (const auto& [k, at] : directed) {
        const auto other = directed.find((k << 32) | (k >> 32));
        if (other == directed.end())
            continue;
        faces[size_t(at.first)].neighbor[size_t(at.second)] = other->second.first;
        faces[size_t(at.first)].neighborEdge[size_t(at.second)] = other->second.second;
    }
    parent.assign(faces.size(), -1);
    parentEdge.assign(faces.size(), -1);
    return true;
}

void PaperSurface::setFolds(const std::vector<std::pair<int, int>>& foldEdges) {
    const size_t n = faces.size();
    std::vector<std::vector<int>> folds(n);
    for (const auto& [a, b] : foldEdges) {
        if (a < 0 || b < 0 || size_t(a) >= n || size_t(b) >= n || a == b)
            continue;
        folds[size_t(a)].push_back(b);
        folds[size_t(b)].push_back(a);
    }
    parent.assign(n, -1);
    parentEdge.assign(n, -1);
    std::vector<char> reached(n, 0);
    std::deque<int> queue;
    for (size_t root = 0; root < n; ++root) {
        if (reached[root])
            continue;
        reached[root] = 1;
        queue.push_back(int(root));
        while (!queue.empty()) {
            const int f = queue.front();
            queue.pop_front();
            const Face& face = faces[size_t(f)];
            for (size_t e = 0; e < face.neighbor.size(); ++e) {
                const int g = face.neighbor[e];
                if (g < 0 || reached[size_t(g)])
                    continue;
                const auto& mine = folds[size_t(f)];
                if (std::find(mine.begin(), mine.end(), g) == mine.end())
                    continue;
                reached[size_t(g)] = 1;
                parent[size_t(g)] = f;
                parentEdge[size_t(g)] = face.neighborEdge[e];
                queue.push_back(g);
            }
        }
    }
}

std::vector<M2d> LayFace(const PaperSurface::Face& f, int edge, const M2d& a, const M2d& b) {
    const size_t n = f.corners.size();
    const M3d& p = f.corners[size_t(edge)];
    M3d u = f.corners[(size_t(edge) + 1) % n] - p;
    u.normalize();
    // w lies in the face's plane, to the left of the edge seen from outside.
    M3d w;
    w.cross(f.normal, u);
    M2d u2 = b - a;
    u2.normalize();
    const M2d w2(-u2.y(), u2.x());
    std::vector<M2d> out(n);
    for (size_t i = 0; i < n; ++i) {
        const M3d d = f.corners[i] - p;
        out[i] = a + u2 * d.dot(u) + w2 * d.dot(w);
    }
    // The shared corners are exactly the neighbour's, so hinges do not drift.
    out[size_t(edge)] = a;
    out[(size_t(edge) + 1) % n] = b;
    return out;
}
