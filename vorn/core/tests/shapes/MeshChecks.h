#pragma once

#include "scene/mesh/PolyMesh.h"

#include <map>
#include <utility>
#include <vector>

/// Faces are oriented consistently when no directed edge is used twice and every edge
/// shared by two faces runs opposite ways in them.
inline bool consistentlyOriented(const PolyMesh& mesh) {
    std::map<std::pair<const Vertex*, const Vertex*>, int> directed;
    for (const Poly* f : mesh.getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i)
            if (++directed[{f->getVertex(i), f->getVertex((i + 1) % f->getVertexCount())}] > 1)
                return false;
    return true;
}

/// The smallest face area (0 for a mesh without faces).
inline double smallestArea(const PolyMesh& mesh) {
    double least = 0;
    bool first = true;
    for (const Poly* f : mesh.getPolys()) {
        if (first || f->getArea() < least)
            least = f->getArea();
        first = false;
    }
    return least;
}

/// Whether the faces could be oriented consistently at all: flipping faces as needed, can
/// every edge shared by two faces run opposite ways in them? Worked out by spreading a
/// choice of side from face to face; false on the first contradiction (a Möbius band) or
/// on an edge of more than two faces.
inline bool orientable(const PolyMesh& mesh) {
    // Each undirected edge with the faces using it and the direction each uses it in.
    std::map<std::pair<const Vertex*, const Vertex*>, std::vector<std::pair<const Poly*, bool>>>
        edges;
    for (const Poly* f : mesh.getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i) {
            const Vertex* a = f->getVertex(i);
            const Vertex* b = f->getVertex(i + 1);
            edges[{std::min(a, b), std::max(a, b)}].push_back({f, a < b});
        }
    std::map<const Poly*, std::vector<std::pair<const Poly*, bool>>> across; // (face, same way)
    for (const auto& [edge, users] : edges) {
        if (users.size() > 2)
            return false;
        if (users.size() == 2) {
            const bool sameWay = users[0].second == users[1].second;
            across[users[0].first].push_back({users[1].first, sameWay});
            across[users[1].first].push_back({users[0].first, sameWay});
        }
    }
    std::map<const Poly*, bool> flipped;
    for (const Poly* start : mesh.getPolys()) {
        if (flipped.count(start))
            continue;
        flipped[start] = false;
        std::vector<const Poly*> todo{start};
        while (!todo.empty()) {
            const Poly* f = todo.back();
            todo.pop_back();
            for (const auto& [g, sameWay] : across[f]) {
                const bool wanted = flipped[f] != sameWay; // a same-way edge needs one flip
                auto found = flipped.find(g);
                if (found == flipped.end()) {
                    flipped[g] = wanted;
                    todo.push_back(g);
                } else if (found->second != wanted) {
                    return false;
                }
            }
        }
    }
    return true;
}
