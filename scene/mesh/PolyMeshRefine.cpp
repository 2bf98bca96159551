#include "scene/mesh/MeshData.h"
#include "scene/mesh/PolyMesh.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

using Sorvex::M3d;

namespace {

using Corner = std::pair<int, int>; // (face, ring index)

M3d centreOf(const MeshData& data, const std::vector<int>& ring) {
    M3d sum;
    for (int v : ring)
        sum += data.vertices[std::size_t(v)];
    return sum * (1.0 / double(ring.size()));
}

/// For each directed edge (a, b) of a ring, the corner at a.
std::map<std::pair<int, int>, Corner> directedEdges(const MeshData& data) {
    std::map<std::pair<int, int>, Corner> edges;
    for (int f = 0; f < int(data.faces.size()); ++f) {
        const auto& ring = data.faces[std::size_t(f)];
        const int n = int(ring.size());
        for (int k = 0; k < n; ++k)
            edges.emplace(std::pair{ring[std::size_t(k)], ring[std::size_t((k + 1) % n)]},
                          Corner{f, k});
    }
    return edges;
}

} // namespace

void PolyMesh::subdivide() {
    const MeshData data = toMeshData();
    if (data.faces.empty())
        return;
    MeshData out;
    out.vertices = data.vertices;
    std::map<std::pair<int, int>, int> midpoints;
    auto midpoint = [&](int a, int b) {
        const auto key = std::minmax(a, b);
        const auto [at, added] = midpoints.emplace(key, int(out.vertices.size()));
        if (added)
            out.vertices.push_back((data.vertices[std::size_t(a)] + data.vertices[std::size_t(b)]) *
                                   0.5);
        return at->second;
    };
    for (const auto& ring : data.faces) {
        const int n = int(ring.size());
        auto corner = [&](int k) { return ring[std::size_t((k + n) % n)]; };
        if (n == 3) {
            const int ab = midpoint(ring[0], ring[1]);
            const int bc = midpoint(ring[1], ring[2]);
            const int ca = midpoint(ring[2], ring[0]);
            out.faces.push_back({ring[0], ab, ca});
            out.faces.push_back({ab, ring[1], bc});
            out.faces.push_back({ca, bc, ring[2]});
            out.faces.push_back({ab, bc, ca});
            continue;
        }
        const int centre = int(out.vertices.size());
        out.vertices.push_back(centreOf(data, ring));
        for (int k = 0; k < n; ++k)
            out.faces.push_back({corner(k), midpoint(corner(k), corner(k + 1)), centre,
                                 midpoint(corner(k - 1), corner(k))});
    }
    fromMeshData(out);
}

void PolyMesh::bandify(double keep) {
    if (!(keep > 0 && keep < 1))
        return;
    const MeshData data = toMeshData();
    if (data.faces.empty())
        return;
    MeshData out;
    // copies[f][k]: the shrunk copy of corner k of face f.
    std::vector<std::vector<int>> copies(data.faces.size());
    std::vector<Corner> someCorner(data.vertices.size(), Corner{-1, -1});
    for (std::size_t f = 0; f < data.faces.size(); ++f) {
        const auto& ring = data.faces[f];
        const M3d centre = centreOf(data, ring);
        for (std::size_t k = 0; k < ring.size(); ++k) {
            copies[f].push_back(int(out.vertices.size()));
            out.vertices.push_back(centre + (data.vertices[std::size_t(ring[k])] - centre) * keep);
            someCorner[std::size_t(ring[k])] = Corner{int(f), int(k)};
        }
        out.faces.push_back(copies[f]);
    }
    const auto edges = directedEdges(data);
    auto copyAt = [&](Corner c) {
        const auto& ring = copies[std::size_t(c.first)];
        return ring[std::size_t(c.second) % ring.size()];
    };

    // Bands: edge a -> b of f meets b -> a of g; the quad runs against both shrunk edges.
    for (const auto& [edge, corner] : edges) {
        if (edge.first > edge.second)
            continue;
        const auto other = edges.find({edge.second, edge.first});
        if (other == edges.end())
            continue;
        const auto [f, k] = corner;
        const auto [g, j] = other->second;
        out.faces.push_back({copyAt({f, k + 1}), copyAt({f, k}), copyAt({g, j + 1}), copyAt({g, j})});
    }

    // Vertex faces: round each vertex counter-clockwise seen from outside, from face f to
    // the face across f's edge arriving at the vertex.
    for (std::size_t v = 0; v < data.vertices.size(); ++v) {
        const Corner start = someCorner[v];
        if (start.first < 0)
            continue;
        std::vector<int> ring;
        Corner at = start;
        bool closed = false;
        for (std::size_t step = 0; step <= data.faces.size(); ++step) {
            ring.push_back(copyAt(at));
            const auto& face = data.faces[std::size_t(at.first)];
            const int n = int(face.size());
            const int previous = face[std::size_t((at.second + n - 1) % n)];
            const auto across = edges.find({int(v), previous});
            if (across == edges.end())
                break;
            at = across->second;
            if (at == start) {
                closed = true;
                break;
            }
        }
        if (closed && ring.size() >= 3)
            out.faces.push_back(std::move(ring));
    }
    fromMeshData(out);
}
