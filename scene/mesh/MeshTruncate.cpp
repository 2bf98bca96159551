#include "scene/mesh/MeshTruncate.h"

#include "scene/mesh/PolyMesh.h"

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

using Sorvex::M3d;

namespace {

constexpr double kOnPlane = 1e-9;

class Cut {
public:
    Cut(PolyMesh& mesh, const Sorvex::MPlane& plane) : m_mesh(mesh), m_plane(plane) {}

    double side(const Vertex* v) const { return m_plane.getNormal() * *v - m_plane.getDist(); }
    bool above(const Vertex* v) const { return side(v) > kOnPlane; }
    bool onPlane(const Vertex* v) const {
        return !above(v) && (side(v) >= -kOnPlane || m_created.count(v));
    }

    /// The vertex where edge (a, b) meets the plane, made once per edge.
    Vertex* split(Vertex* a, Vertex* b) {
        const auto key = a < b ? std::make_pair(a, b) : std::make_pair(b, a);
        auto found = m_splits.find(key);
        if (found != m_splits.end())
            return found->second;
        const double t = side(a) / (side(a) - side(b));
        Vertex* v = m_mesh.addVertexAt(*a + (*b - *a) * t);
        m_created.insert({v, true});
        m_mesh.onEdgeTruncation(a, b, v);
        m_splits[key] = v;
        return v;
    }

    /// The part of the face's ring on or below the plane.
    std::vector<Vertex*> clip(const Poly& f) {
        std::vector<Vertex*> ring;
        const int n = f.getVertexCount();
        for (int i = 0; i < n; ++i) {
            Vertex* a = f.getVertex(i);
            Vertex* b = f.getVertex((i + 1) % n);
            if (!above(a))
                ring.push_back(a);
            if (above(a) != above(b) && side(a) * side(b) < 0)
                ring.push_back(split(a, b));
        }
        return ring;
    }

private:
    PolyMesh& m_mesh;
    const Sorvex::MPlane& m_plane;
    std::map<std::pair<Vertex*, Vertex*>, Vertex*> m_splits;
    std::map<const Vertex*, bool> m_created;
};

/// The cap's ring: the reversed edges on the plane that no remaining face has the other
/// way round, chained into one loop. Empty when they do not form one.
std::vector<Vertex*> capRing(const Cut& cut, const std::vector<std::vector<Vertex*>>& rings) {
    std::map<std::pair<Vertex*, Vertex*>, bool> edges;
    for (const auto& ring : rings)
        for (std::size_t i = 0; i < ring.size(); ++i)
            edges[{ring[i], ring[(i + 1) % ring.size()]}] = true;
    std::map<Vertex*, Vertex*> next;
    for (const auto& [edge, unused] : edges) {
        auto [a, b] = edge;
        if (cut.onPlane(a) && cut.onPlane(b) && !edges.count({b, a}))
            next[b] = a;
    }
    if (next.size() < 3)
        return {};
    std::vector<Vertex*> ring{next.begin()->first};
    while (ring.size() <= next.size()) {
        auto it = next.find(ring.back());
        if (it == next.end())
            return {};
        if (it->second == ring.front())
            break;
        ring.push_back(it->second);
    }
    return ring.size() == next.size() ? ring : std::vector<Vertex*>{};
}

} // namespace

Poly* TruncateMesh(PolyMesh& mesh, const Sorvex::MPlane& plane) {
    Cut cut(mesh, plane);
    std::vector<Vertex*> gone;
    for (Vertex* v : mesh.getVertices())
        if (cut.above(v))
            gone.push_back(v);
    if (gone.empty())
        return nullptr;

    // Only faces around the vertices cut away change; the cap also needs the faces that
    // stay but touch the plane next to them, to know which edges on the plane are taken.
    std::vector<Poly*> affected;
    for (const Vertex* v : gone)
        for (Poly* f : v->getPolys())
            if (std::find(affected.begin(), affected.end(), f) == affected.end())
                affected.push_back(f);
    std::vector<std::vector<Vertex*>> clipped, nearby;
    std::vector<const Poly*> touching;
    for (Poly* f : affected) {
        std::vector<Vertex*> ring = cut.clip(*f);
        if (ring.size() >= 3)
            clipped.push_back(std::move(ring));
        for (const Vertex* v : f->getVertices()) {
            if (!cut.onPlane(v))
                continue;
            for (const Poly* g : v->getPolys())
                if (std::find(affected.begin(), affected.end(), g) == affected.end() &&
                    std::find(touching.begin(), touching.end(), g) == touching.end()) {
                    touching.push_back(g);
                    nearby.push_back(g->getVertices());
                }
        }
    }
    nearby.insert(nearby.end(), clipped.begin(), clipped.end());
    const std::vector<Vertex*> cap = capRing(cut, nearby);

    for (Poly* f : affected) {
        mesh.onFaceDestroyedInTruncation(f);
        mesh.remPoly(f);
        delete f;
    }
    for (Vertex* v : gone) {
        mesh.onVertexDestroyedInTruncation(v);
        if (mesh.remVertex(v))
            delete v;
    }
    for (auto& ring : clipped) {
        Poly* f = new Poly(ring);
        if (mesh.addPoly(f))
            mesh.onFaceCreatedInTruncation(f);
        else
            delete f;
    }
    if (cap.empty())
        return nullptr;
    Poly* capFace = new Poly(cap);
    if (!mesh.addPoly(capFace)) {
        delete capFace;
        return nullptr;
    }
    mesh.onFaceCreatedInTruncation(capFace);
    return capFace;
}
