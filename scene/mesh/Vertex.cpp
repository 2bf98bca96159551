#include "scene/mesh/Vertex.h"

#include "common/BlockRecycler.h"
#include "scene/mesh/Poly.h"
#include "scene/mesh/MeshLinks.h"

#include <algorithm>

namespace {

using VertexBlocks = BlockRecycler<Vertex, sizeof(Vertex)>;

} // namespace

void* Vertex::operator new(std::size_t size) {
    return size == sizeof(Vertex) ? VertexBlocks::take() : ::operator new(size);
}

void Vertex::operator delete(void* p, std::size_t size) noexcept {
    if (size == sizeof(Vertex))
        VertexBlocks::give(p);
    else
        ::operator delete(p);
}

Poly* Vertex::findOtherPoly(const Poly* exclude, const Vertex* other) const {
    for (Poly* p : m_polys) {
        if (p != exclude && MeshLinks::findEdge(*p, this, other, false) >= 0)
            return p;
    }
    return nullptr;
}

namespace {

/// Walks the distinct edge partners of v in incidence order until fn says
/// stop. A partner counts as seen when an earlier face already has the edge to it,
/// that is when it was the next or previous corner of v in an earlier face: so the
/// partners met so far are what each one is compared with, a few pointers on the
/// stack instead of a search of the earlier faces' rings (this runs per vertex in
/// hot loops).
template <typename Fn> void forEachOtherVertex(const Vertex& v, Fn&& fn) {
    constexpr std::size_t kOnStack = 32;
    const Vertex* onStack[kOnStack];
    std::vector<const Vertex*> spilled; // only round vertices of more than 16 faces
    std::size_t met = 0;
    auto metAt = [&](std::size_t i) { return i < kOnStack ? onStack[i] : spilled[i - kOnStack]; };
    auto remember = [&](const Vertex* u) {
        if (met < kOnStack)
            onStack[met] = u;
        else
            spilled.push_back(u);
        ++met;
    };
    for (const Poly* p : v.getPolys()) {
        const int k = p->getVertexIndex(&v);
        Vertex* next = p->getVertex(k + 1);
        Vertex* prev = p->getVertex(k - 1);
        // Partners of this face are compared with those of the earlier faces only.
        const std::size_t earlier = met;
        for (Vertex* u : {next, prev}) {
            bool seen = false;
            for (std::size_t j = 0; j < earlier && !seen; ++j)
                seen = metAt(j) == u;
            if (!seen && !fn(u))
                return;
        }
        // A face that lacks v has no edge at it to see a partner by.
        if (k >= 0) {
            remember(next);
            remember(prev);
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
