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
    if (f.m_mesh) {
        // A ring in a mesh holds a once: look it up (near the last lookup, cheap on long
        // rings) and test the two edges at it.
        const int k = f.getVertexIndex(a);
        if (k < 0)
            return -1;
        const int next = k + 1 == n ? 0 : k + 1;
        const int prev = k == 0 ? n - 1 : k - 1;
        if (f.m_vertices[next] == b && (!requireFree || !f.m_neighbors[k]))
            return k;
        if (f.m_vertices[prev] == b && (!requireFree || !f.m_neighbors[prev]))
            return prev;
        return -1;
    }
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
    // Only a face at both ends can share the edge. The ends' lists of faces tell which
    // ones are, without reading the faces: a face newly laid beside a net meets several
    // faces at a corner and one at the edge.
    const auto aroundB = b->m_polys.view();
    if (aroundB.empty())
        return;
    for (Poly* g : a->m_polys) {
        if (g == &f || std::find(aroundB.begin(), aroundB.end(), g) == aroundB.end())
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

std::pair<Poly*, int> MeshLinks::unlinkEdge(Poly& f, int i) {
    Poly* g = f.m_neighbors[i];
    if (!g)
        return {nullptr, -1};
    f.m_neighbors[i] = nullptr;
    const int n = int(f.m_vertices.size());
    const Vertex* a = f.m_vertices[i];
    const Vertex* b = f.m_vertices[i + 1 == n ? 0 : i + 1];
    // The edge of g that points back at f across this very edge (two faces may share more
    // than one edge).
    const int m = int(g->m_vertices.size());
    for (int k = 0; k < m; ++k) {
        if (g->m_neighbors[k] == &f &&
            joins(g->m_vertices[k], g->m_vertices[k + 1 == m ? 0 : k + 1], a, b)) {
            g->m_neighbors[k] = nullptr;
            return {g, k};
        }
    }
    return {nullptr, -1};
}

void MeshLinks::leave(Vertex& v, const Poly& f) {
    auto& polys = v.m_polys;
    auto it = std::find(polys.begin(), polys.end(), &f);
    if (it != polys.end())
        polys.erase(it);
}

void MeshLinks::detach(Poly& f) {
    // Leave the vertices first, so relinking below cannot pick f again.
    for (Vertex* v : f.m_vertices)
        leave(*v, f);
    for (int i = 0; i < int(f.m_vertices.size()); ++i) {
        const auto [g, k] = unlinkEdge(f, i);
        if (g)
            linkEdge(*g, k);
    }
}

void MeshLinks::splice(Poly& f, int first, int count, const std::vector<Vertex*>& inserted) {
    auto& ring = f.m_vertices;
    auto& links = f.m_neighbors;
    const int n = int(ring.size());
    // The edges from the vertex before the span to the vertex after it change.
    std::vector<std::pair<Poly*, int>> freed;
    for (int e = first - 1; e < first + count; ++e) {
        const auto partner = unlinkEdge(f, (e + n) % n);
        if (partner.first)
            freed.push_back(partner);
    }
    for (int k = first; k < first + count; ++k)
        leave(*ring[k % n], f);

    const int tail = std::min(first + count, n); // the span's part before the ring's end
    const int head = first + count - tail;       // its part wrapped round to the start
    // A face's rings are only ever assigned whole: the new ring and links are put
    // together here and copied in.
    std::vector<Vertex*> newRing(ring.begin(), ring.end());
    std::vector<Poly*> newLinks(links.begin(), links.end());
    newRing.erase(newRing.begin() + first, newRing.begin() + tail);
    newLinks.erase(newLinks.begin() + first, newLinks.begin() + tail);
    newRing.erase(newRing.begin(), newRing.begin() + head);
    newLinks.erase(newLinks.begin(), newLinks.begin() + head);
    const int at = first - head; // where the inserted vertices go
    newRing.insert(newRing.begin() + at, inserted.begin(), inserted.end());
    newLinks.insert(newLinks.begin() + at, inserted.size(), nullptr);
    ring.assign(newRing);
    links.assign(newLinks);
    for (Vertex* v : inserted)
        v->m_polys.push_back(&f);

    const int m = int(ring.size());
    for (int e = at - 1; e < at + int(inserted.size()); ++e)
        linkEdge(f, (e + m) % m);
    // A freed partner edge may have been waiting behind f for another face.
    for (const auto& [g, k] : freed)
        if (!g->m_neighbors[k])
            linkEdge(*g, k);
}
