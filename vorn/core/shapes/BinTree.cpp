#include "vorn/core/shapes/BinTree.h"

#include "common/XML.h"
#include "vorn/core/shapes/MeshTruncate.h"

#include <algorithm>
#include <cmath>
#include <numbers>

using Sorvex::M3d;
using Sorvex::MPlane;

VORN_DEFINE_FACTORY(BinTree, "PolyMesh")

namespace {

constexpr double kFlat = 1e-9;

bool onBase(const Vertex* v) {
    return std::fabs(v->y()) < kFlat;
}

/// The face of `x` whose vertices all lie in the base plane y = 0. The faces are planar, so
/// a level face through x is that face; this spares a walk round the ever longer base.
Poly* baseFaceOf(const Vertex* x) {
    if (!onBase(x))
        return nullptr;
    for (Poly* f : x->getPolys()) {
        const M3d& n = f->getNormal();
        if (std::fabs(n.x()) < kFlat && std::fabs(n.z()) < kFlat && n.y() != 0)
            return f;
    }
    return nullptr;
}

/// The plane cutting off base corner `x` toward `p`, oriented so that `x` is above it
/// (the side a truncation removes). False when x is no longer on a base face.
bool cornerPlane(const Vertex* x, const M3d& p, MPlane& out) {
    const Poly* base = baseFaceOf(x);
    if (!base)
        return false;
    const auto& ring = base->getVertices();
    const int at = base->getVertexIndex(x);
    const int n = int(ring.size());
    const M3d& next = *ring[(at + 1) % n];
    const M3d& prev = *ring[(at + n - 1) % n];
    out = MPlane(*x + (p - *x) * 0.75, *x + (next - *x) * 0.25, *x + (prev - *x) * 0.25);
    if (!out.ptAbove(*x))
        out.flip();
    return true;
}

} // namespace

BinTree::BinTree() {
    setRenderFaceEdges(true);
    setRenderBackFaces(true);
    setColor(0.5, 0.5, 0.5);
    rebuild(3, 0, false, false, 0);
}

void BinTree::rebuild(int valence, int subdivisions, bool chop, bool dual, double twistBy) {
    valence = std::max(valence, 3);
    subdivisions = std::max(subdivisions, 0);
    if (!std::isfinite(twistBy))
        twistBy = 0;
    if (valence == m_valence && subdivisions == m_subdivisions && chop == m_chop &&
        dual == m_dual && twistBy == m_twist)
        return;
    clear();
    m_valence = valence;
    m_subdivisions = subdivisions;
    m_chop = chop;
    m_dual = dual;
    m_twist = twistBy;

    const double pi = std::numbers::pi;
    Vertex* apex = addVertexAt({0, 1, 0});
    std::vector<Vertex*> ring;
    for (int i = 1; i <= valence; ++i)
        ring.push_back(
            addVertexAt({std::cos(2 * pi * i / valence), 0, std::sin(2 * pi * i / valence)}));
    addPoly(new Poly(ring));
    for (int i = 0; i < valence; ++i)
        addPoly(new Poly{apex, ring[(i + 1) % valence], ring[i]});

    subdivide(subdivisions);
    twist(twistBy);
    if (chop)
        TruncateMesh(*this, MPlane(M3d(0.75, 0, 0), M3d(0.75, 1, 1).normalized()));
    if (dual)
        mirror();
    onChanged(true);
}

void BinTree::subdivide(int times) {
    // Each cut is seeded with its corner, so it looks only at the faces around it; a corner
    // that an earlier cut took away (never on a convex pyramid, but cheap to guard) is cut
    // by the plane alone.
    std::vector<std::pair<MPlane, Vertex*>> cuts;
    for (Vertex* v : getVertices()) {
        MPlane plane;
        if (onBase(v) && cornerPlane(v, M3d(0, 1, 0), plane))
            cuts.emplace_back(plane, v);
    }
    for (int round = 0; round < times; ++round) {
        std::vector<std::pair<MPlane, Vertex*>> next;
        m_cutAway.clear();
        for (const auto& [plane, corner] : cuts) {
            Poly* cap = TruncateMesh(*this, plane, m_cutAway.count(corner) ? nullptr : corner);
            if (!cap)
                continue;
            std::vector<Vertex*> lower;
            const Vertex* q = nullptr;
            for (Vertex* v : cap->getVertices())
                (onBase(v) ? lower.push_back(v) : void(q = v));
            if (!q || lower.size() != 2)
                continue;
            // The two new corners are queued in the base ring's direction: later cuts see
            // the base as the earlier ones left it, so the order shapes the tree.
            if (const Poly* base = baseFaceOf(lower[0]);
                base && base->getVertex(base->getVertexIndex(lower[0]) + 1) != lower[1])
                std::swap(lower[0], lower[1]);
            for (Vertex* v : lower) {
                MPlane around;
                if (cornerPlane(v, *q, around))
                    next.emplace_back(around, v);
            }
        }
        cuts = std::move(next);
    }
    m_cutAway.clear();
}

void BinTree::onVertexDestroyedInTruncation(Vertex* v) {
    m_cutAway.insert(v);
}

void BinTree::twist(double amount) {
    for (Vertex* v : getVertices()) {
        const double a = v->y() * amount;
        const double c = std::cos(a), s = std::sin(a);
        v->setPosition({v->x() * c + v->z() * s, v->y(), -v->x() * s + v->z() * c});
    }
}

void BinTree::mirror() {
    Poly* base = nullptr;
    for (Poly* f : getPolys()) {
        const auto& ring = f->getVertices();
        if (std::all_of(ring.begin(), ring.end(), onBase))
            base = f;
    }
    if (base) {
        remPoly(base);
        delete base;
    }
    // Every vertex lies on or above the base, so a mirror image can only meet the vertex it
    // came from: those within kMirrorMerge of the base plane are shared by both halves, the
    // rest get a new vertex the first time a face needs it (in face order, so the vertex
    // list comes out the same as a search for nearby points would make it).
    constexpr double kMirrorMerge = 0.0001;
    std::vector<Vertex*> mirrorOf(getVertexCount(), nullptr);
    std::vector<std::vector<Vertex*>> mirrored;
    mirrored.reserve(getPolyCount());
    for (Poly* f : getPolys()) {
        std::vector<Vertex*> ring;
        ring.reserve(std::size_t(f->getVertexCount()));
        const auto& source = f->getVertices();
        for (auto it = source.rbegin(); it != source.rend(); ++it) {
            Vertex*& image = mirrorOf[std::size_t(getIOIndex(*it))];
            if (!image)
                image = 2 * std::fabs((*it)->y()) <= kMirrorMerge
                            ? *it
                            : addVertexAt({(*it)->x(), -(*it)->y(), (*it)->z()});
            ring.push_back(image);
        }
        mirrored.push_back(std::move(ring));
    }
    for (auto& ring : mirrored)
        addPoly(new Poly(std::move(ring)));
}

void BinTree::write(XML& xml) {
    PolyMesh::write(xml);
    xml.setName("PolyMesh");
}
