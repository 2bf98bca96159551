// How the faces of a MeshData hang together: components and non-manifold vertices.
#include "scene/mesh/MeshData.h"

#include <algorithm>
#include <map>
#include <numeric>
#include <utility>

namespace {

/// Union-find over 0..n-1 with path halving.
class FaceSets {
public:
    explicit FaceSets(std::size_t n) : m_parent(n) {
        std::iota(m_parent.begin(), m_parent.end(), std::size_t(0));
    }
    std::size_t find(std::size_t i) {
        while (m_parent[i] != i)
            i = m_parent[i] = m_parent[m_parent[i]];
        return i;
    }
    void join(std::size_t a, std::size_t b) { m_parent[find(a)] = find(b); }

private:
    std::vector<std::size_t> m_parent;
};

bool validIndex(int index, std::size_t count) {
    return index >= 0 && std::size_t(index) < count;
}

} // namespace

int MeshData::countComponents() const {
    FaceSets sets(faces.size());
    // The first face seen on each undirected edge; later faces on it join its set.
    std::map<std::pair<int, int>, std::size_t> firstOnEdge;
    for (std::size_t f = 0; f < faces.size(); ++f) {
        const std::vector<int>& face = faces[f];
        for (std::size_t i = 0; i < face.size(); ++i) {
            const int a = face[i], b = face[(i + 1) % face.size()];
            const auto [it, fresh] = firstOnEdge.emplace(std::minmax(a, b), f);
            if (!fresh)
                sets.join(f, it->second);
        }
    }
    int components = 0;
    for (std::size_t f = 0; f < faces.size(); ++f)
        components += sets.find(f) == f;
    return components;
}

int MeshData::countNonManifoldVertices() const {
    // Per vertex, its faces joined across the edges they share at it: more than one fan
    // means the surface pinches there.
    std::vector<std::vector<std::size_t>> facesAt(vertices.size());
    for (std::size_t f = 0; f < faces.size(); ++f)
        for (int v : faces[f])
            if (validIndex(v, vertices.size()))
                facesAt[std::size_t(v)].push_back(f);
    int pinched = 0;
    for (std::size_t v = 0; v < vertices.size(); ++v) {
        const std::vector<std::size_t>& around = facesAt[v];
        if (around.size() < 2)
            continue;
        FaceSets sets(around.size());
        std::map<int, std::size_t> firstAcross; // other end of an edge at v -> face slot
        for (std::size_t k = 0; k < around.size(); ++k) {
            const std::vector<int>& face = faces[around[k]];
            const std::size_t n = face.size();
            for (std::size_t i = 0; i < n; ++i) {
                if (face[i] != int(v))
                    continue;
                for (int other : {face[(i + 1) % n], face[(i + n - 1) % n]}) {
                    const auto [it, fresh] = firstAcross.emplace(other, k);
                    if (!fresh)
                        sets.join(k, it->second);
                }
            }
        }
        std::size_t fans = 0;
        for (std::size_t k = 0; k < around.size(); ++k)
            fans += sets.find(k) == k;
        pinched += fans > 1;
    }
    return pinched;
}
