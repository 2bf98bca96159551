#include "scene/Vertex.h"

#include "scene/Poly.h"
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

/// Walks the distinct edge partners of v in incidence order until fn says stop.
template <typename Fn> void forEachOtherVertex(const Vertex& v, Fn&& fn) {
    std::vector<const Vertex*> seen;
    seen.reserve(8);
    auto visit = [&](Vertex* u) {
        if (u == &v || std::find(seen.begin(), seen.end(), u) != seen.end())
            return true;
        seen.push_back(u);
        return fn(u);
    };
    for (const Poly* p : v.getPolys()) {
        const int k = p->getVertexIndex(&v);
        if (!visit(p->getVertex(k + 1)) || !visit(p->getVertex(k - 1)))
            return;
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
