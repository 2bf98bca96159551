#include "scene/mesh/Vertex.h"

#include "scene/mesh/Poly.h"
#include "scene/mesh/MeshLinks.h"

#include <algorithm>

Poly* Vertex::findOtherPoly(const Poly* exclude, const Vertex* other) const {
    for (Poly* p : m_polys) {
        if (p != exclude && MeshLinks::findEdge(*p, this, other, false) >= 0)
            return p;
    }
    return nullptr;
}

namespace {

/// Walks the distinct edge partners of v in incidence order until fn says
/// stop. A partner counts as seen when an earlier face already has the edge,
/// so no scratch list is needed (this runs per vertex in hot loops).
template <typename Fn> void forEachOtherVertex(const Vertex& v, Fn&& fn) {
    const auto& polys = v.getPolys();
    for (std::size_t i = 0; i < polys.size(); ++i) {
        const Poly* p = polys[i];
        const int k = p->getVertexIndex(&v);
        for (Vertex* u : {p->getVertex(k + 1), p->getVertex(k - 1)}) {
            bool seen = false;
            for (std::size_t j = 0; j < i && !seen; ++j)
                seen = MeshLinks::findEdge(*polys[j], &v, u, false) >= 0;
            if (!seen && !fn(u))
                return;
        }
    }
}

} // namespace

int Vertex::getEdgeCount() const {
    int count = 0;
    forEachOtherVertex(*this, [&](Vertex*) {
        ++count;
        return true;
    });
    return count;
}

Vertex* Vertex::findOtherVertex(int i) const {
    Vertex* found = nullptr;
    if (i < 0)
        return nullptr;
    int index = 0;
    forEachOtherVertex(*this, [&](Vertex* u) {
        if (index++ == i) {
            found = u;
            return false;
        }
        return true;
    });
    return found;
}

void Vertex::collectOtherVertices(std::vector<Vertex*>& out) const {
    out.clear();
    forEachOtherVertex(*this, [&](Vertex* u) {
        out.push_back(u);
        return true;
    });
}
