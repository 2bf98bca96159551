#include "scene/mesh/MeshLinks.h"

#include "scene/mesh/Poly.h"
#include "scene/mesh/Vertex.h"

#include <algorithm>

namespace {

bool joins(const Vertex* p, const Vertex* q, const Vertex* a, const Vertex* b) {
    return (p == a && q == b) || (p == b && q == a);
}

} // namespace

int MeshLinks::findEdge(const Poly& f, const Vertex* a, const Vertex* b, bool requireFree) {
    const int n = int(f.m_vertices.size());
    for (int k = 0; k < n; ++k) {
        if (f.m_vertices[k] != a)
            continue;
        // The edge either leaves a (k -> k+1) or arrives at it (k-1 -> k).
        const int next = k + 1 == n ? 0 : k + 1;
        const int prev = k == 0 ? n - 1 : k - 1;
        if (f.m_vertices[next] == b && (!requireFree || !f.m_neighbors[k]))
            return k;
        if (f.m_vertices[prev] == b && (!requireFree || !f.m_neighbors[prev]))
            return prev;
    }
    return -1;
}

void MeshLinks::linkEdge(Poly& f, int i) {
    const int n = int(f.m_vertices.size());
    Vertex* a = f.m_vertices[i];
    Vertex* b = f.m_vertices[i + 1 == n ? 0 : i + 1];
    for (Poly* g : a->m_polys) {
        if (g == &f)
            continue;
        const int j = findEdge(*g, a, b, true);
        if (j >= 0) {
            f.m_neighbors[i] = g;
            g->m_neighbors[j] = &f;
            return;
        }
    }
}

void MeshLinks::attach(Poly& f) {
    f.m_neighbors.assign(f.m_vertices.size(), nullptr);
    for (int i = 0; i < int(f.m_vertices.size()); ++i)
        linkEdge(f, i);
    for (Vertex* v : f.m_vertices)
        v->m_polys.push_back(&f);
}

void MeshLinks::detach(Poly& f) {
    // Leave the vertices first, so relinking below cannot pick f again.
    for (Vertex* v : f.m_vertices) {
        auto& polys = v->m_polys;
        auto it = std::find(polys.begin(), polys.end(), &f);
        if (it != polys.end())
            polys.erase(it);
    }
    const int n = int(f.m_vertices.size());
    for (int i = 0; i < n; ++i) {
        Poly* g = f.m_neighbors[i];
        if (!g)
            continue;
        f.m_neighbors[i] = nullptr;
        const Vertex* a = f.m_vertices[i];
        const Vertex* b = f.m_vertices[i + 1 == n ? 0 : i + 1];
        // The edge of g that points back at f across this very edge (two faces
        // may share more than one edge).
        const int m = int(g->m_vertices.size());
        for (int k = 0; k < m; ++k) {
            if (g->m_neighbors[k] == &f &&
                joins(g->m_vertices[k], g->m_vertices[k + 1 == m ? 0 : k + 1], a, b)) {
                g->m_neighbors[k] = nullptr;
                linkEdge(*g, k);
                break;
            }
        }
    }
}
