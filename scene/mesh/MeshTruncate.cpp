#include "scene/mesh/MeshTruncate.h"

#include "scene/mesh/PolyMesh.h"

#include <algorithm>
#include <array>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

using Sorvex::M3d;

namespace {

constexpr double kOnPlane = 1e-9;

template <typename T, typename U> bool contains(const std::vector<T>& list, const U& item) {
    return std::find(list.begin(), list.end(), item) != list.end();
}

M3d vectorArea(const std::vector<Vertex*>& ring);

class Cut {
public:
    Cut(PolyMesh& mesh, const Sorvex::MPlane& plane) : m_mesh(mesh), m_plane(plane) {}

    double side(const Vertex* v) const { return m_plane.getNormal() * *v - m_plane.getDist(); }
    bool above(const Vertex* v) const { return side(v) > kOnPlane; }
    bool onPlane(const Vertex* v) const {
        return !above(v) && (side(v) >= -kOnPlane || contains(m_created, v));
    }

    /// Whether edge (a, b) passes through the plane between its ends. An end on the plane
    /// stays as the edge's meeting point: splitting there would put a second vertex on it.
    bool crosses(const Vertex* a, const Vertex* b) const {
        return side(a) * side(b) < 0 && !onPlane(a) && !onPlane(b);
    }

    /// The vertices above the plane: all of them, or those reached from `seed`.
    std::vector<Vertex*> verticesAbove(Vertex* seed) const {
        std::vector<Vertex*> found;
        if (!seed) {
            for (Vertex* v : m_mesh.getVertices())
                if (above(v))
                    found.push_back(v);
            return found;
        }
        if (!above(seed))
            return found;
        found.push_back(seed);
        for (std::size_t next = 0; next < found.size(); ++next)
            for (const Poly* f : found[next]->getPolys()) {
                const int k = f->getVertexIndex(found[next]);
                for (Vertex* w : {f->getVertex(k - 1), f->getVertex(k + 1)})
                    if (above(w) && !contains(found, w))
                        found.push_back(w);
            }
        return found;
    }

    /// The vertex where edge (a, b) meets the plane, made once per edge.
    Vertex* split(Vertex* a, Vertex* b) {
        const auto key = a < b ? std::make_pair(a, b) : std::make_pair(b, a);
        auto found = m_splits.find(key);
        if (found != m_splits.end())
            return found->second;
        const double t = side(a) / (side(a) - side(b));
        Vertex* v = m_mesh.addVertexAt(*a + (*b - *a) * t);
        m_created.push_back(v);
        m_mesh.onEdgeTruncation(a, b, v);
        m_splits[key] = v;
        return v;
    }

    /// Replaces every run of vertices above the plane in `f` (of which `goneHere` are the
    /// ones in f) by the points where its two edges cross the plane, and adds the run's
    /// neighbours on the plane to `rim`. False when nothing of f stays below the plane or
    /// what stays is no polygon.
    bool clip(PolyMesh& mesh, Poly& f, int goneHere, std::vector<Vertex*>& rim) {
        const int n = f.getVertexCount();
        if (goneHere >= n)
            return false;
        // A convex face loses one run of corners: found from one of them, it is cut off
        // without walking round the rest of the face.
        Vertex* some = nullptr;
        for (Vertex* v : m_gone)
            if (std::find(v->getPolys().begin(), v->getPolys().end(), &f) != v->getPolys().end()) {
                some = v;
                break;
            }
        int start = f.getVertexIndex(some);
        int count = 1;
        while (count < n && above(f.getVertex(start - 1))) {
            start = (start - 1 + n) % n;
            ++count;
        }
        while (count < n && above(f.getVertex(start + count)))
            ++count;
        if (count >= n)
            return false;
        if (count < goneHere)
            return clipEveryRun(mesh, f, rim);

        Vertex* before = f.getVertex(start - 1);
        Vertex* after = f.getVertex(start + count);
        for (Vertex* end : {before, after})
            if (onPlane(end) && !contains(rim, end))
                rim.push_back(end);
        // The edges crossing the plane are split in ring order, as a walk from the ring's
        // first vertex would meet them.
        const int enterEdge = (start - 1 + n) % n, leaveEdge = (start + count - 1) % n;
        Vertex* in = nullptr;
        Vertex* out = nullptr;
        auto crossing = [&](Vertex* a, Vertex* b) { return crosses(a, b); };
        for (int edge : enterEdge < leaveEdge ? std::array{enterEdge, leaveEdge}
                                              : std::array{leaveEdge, enterEdge}) {
            if (edge == enterEdge && crossing(before, f.getVertex(start)))
                in = split(before, f.getVertex(start));
            if (edge == leaveEdge && crossing(f.getVertex(start + count - 1), after))
                out = split(f.getVertex(start + count - 1), after);
        }
        // The plane keeps the face's normal; the area loses the piece cut off.
        std::vector<Vertex*> piece{in ? in : before};
        for (int k = 0; k < count; ++k)
            piece.push_back(f.getVertex(start + k));
        piece.push_back(out ? out : after);
        const double area = f.getArea() - vectorArea(piece) * f.getNormal();

        std::vector<Vertex*> inserted;
        for (Vertex* v : {in, out})
            if (v)
                inserted.push_back(v);
        if (!mesh.spliceRing(f, start, count, inserted, false))
            return false;
        f.setScalar(area);
        return true;
    }

    /// clip for faces that lose several runs of corners (not convex): every run is cut
    /// and the face's normal and area recomputed.
    bool clipEveryRun(PolyMesh& mesh, Poly& f, std::vector<Vertex*>& rim) {
        const int n = f.getVertexCount();
        std::vector<Vertex*> splitAt(std::size_t(n), nullptr);
        for (int i = 0; i < n; ++i) {
            Vertex* a = f.getVertex(i);
            Vertex* b = f.getVertex(i + 1);
            if (above(a) != above(b) && crosses(a, b))
                splitAt[std::size_t(i)] = split(a, b);
        }
        struct Run {
            int start, count;
            std::vector<Vertex*> inserted;
        };
        std::vector<Run> runs;
        for (int start = 0; start < n; ++start) {
            if (!above(f.getVertex(start)) || above(f.getVertex(start - 1)))
                continue;
            Run run{start, 1, {}};
            while (above(f.getVertex(start + run.count)))
                ++run.count;
            for (Vertex* end : {f.getVertex(start - 1), f.getVertex(start + run.count)})
                if (onPlane(end) && !contains(rim, end))
                    rim.push_back(end);
            if (Vertex* in = splitAt[std::size_t((start - 1 + n) % n)])
                run.inserted.push_back(in);
            if (Vertex* out = splitAt[std::size_t((start + run.count - 1) % n)])
                run.inserted.push_back(out);
            runs.push_back(std::move(run));
        }
        // Spliced from the last run to the first, so earlier positions stay valid; only
        // the last run can wrap past the ring's end, and it shifts the others by what it
        // takes from the ring's start.
        int shift = 0;
        for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
            if (!mesh.spliceRing(f, run->start - shift, run->count, run->inserted))
                return false;
            if (run == runs.rbegin())
                shift = std::max(0, run->start + run->count - n);
        }
        return true;
    }

    void setGone(const std::vector<Vertex*>& gone) { m_gone = gone; }
    const std::vector<Vertex*>& created() const { return m_created; }

private:
    PolyMesh& m_mesh;
    const Sorvex::MPlane& m_plane;
    std::map<std::pair<Vertex*, Vertex*>, Vertex*> m_splits;
    std::vector<Vertex*> m_created; // a handful per cut
    std::vector<Vertex*> m_gone;
};

/// Half the Newell sum of a ring: its area times its unit normal.
M3d vectorArea(const std::vector<Vertex*>& ring) {
    M3d sum;
    const M3d& origin = *ring[0];
    for (std::size_t k = 1; k + 1 < ring.size(); ++k) {
        M3d c;
        c.cross(*ring[k] - origin, *ring[k + 1] - origin);
        sum += c;
    }
    return sum * 0.5;
}

/// The cap's ring: the reversed free edges on the plane at the given vertices, chained into
/// one loop. Empty when they do not form one.
std::vector<Vertex*> capRing(const Cut& cut, const std::vector<Vertex*>& candidates) {
    std::map<Vertex*, Vertex*> next;
    for (Vertex* v : candidates) {
        if (!cut.onPlane(v))
            continue;
        for (const Poly* g : v->getPolys()) {
            const int k = g->getVertexIndex(v);
            Vertex* after = g->getVertex(k + 1);
            Vertex* before = g->getVertex(k - 1);
            if (!g->getNeighbor(k) && cut.onPlane(after))
                next[after] = v;
            if (!g->getNeighbor(k - 1) && cut.onPlane(before))
                next[v] = before;
        }
    }
    if (next.size() < 3)
        return {};
    // The loop starts at the first candidate on it, so that it does not depend on where
    // the vertices happen to lie in memory.
    auto start = std::find_if(candidates.begin(), candidates.end(),
                              [&](Vertex* v) { return next.count(v) > 0; });
    std::vector<Vertex*> ring{*start};
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

Poly* TruncateMesh(PolyMesh& mesh, const Sorvex::MPlane& plane, Vertex* seed) {
    Cut cut(mesh, plane);
    const std::vector<Vertex*> gone = cut.verticesAbove(seed);
    if (gone.empty())
        return nullptr;

    cut.setGone(gone);
    // The faces around the vertices cut away, each with how many of them it has.
    // Kept in the order first met, which fixes the order of the new vertices. A seeded cut
    // meets a handful of faces and looks them up in the list; a cut across the whole mesh
    // meets thousands and keeps an index beside it.
    std::vector<std::pair<Poly*, int>> affected;
    std::unordered_map<const Poly*, std::size_t> where;
    const bool indexed = gone.size() > 16;
    for (const Vertex* v : gone)
        for (Poly* f : v->getPolys()) {
            std::size_t at = affected.size();
            if (indexed) {
                at = where.try_emplace(f, affected.size()).first->second;
            } else {
                auto it = std::find_if(affected.begin(), affected.end(),
                                       [f](const auto& entry) { return entry.first == f; });
                at = std::size_t(it - affected.begin());
            }
            if (at == affected.size())
                affected.emplace_back(f, 1);
            else
                ++affected[at].second;
        }
    // The cap closes the free edges next to the cut: at the new vertices, and at the
    // vertices of faces that vanish whole (their on-plane edges are freed).
    std::vector<Poly*> vanishing;
    std::vector<Vertex*> rim;
    for (const auto& [f, goneHere] : affected) {
        if (cut.clip(mesh, *f, goneHere, rim))
            continue;
        vanishing.push_back(f);
        for (Vertex* v : f->getVertices())
            if (!cut.above(v) && !contains(rim, v))
                rim.push_back(v);
    }
    for (Poly* f : vanishing) {
        mesh.onFaceDestroyedInTruncation(f);
        mesh.remPoly(f);
        delete f;
    }
    for (Vertex* v : gone) {
        mesh.onVertexDestroyedInTruncation(v);
        if (mesh.remVertex(v))
            delete v;
    }
    for (Vertex* v : cut.created())
        if (!contains(rim, v))
            rim.push_back(v);

    const std::vector<Vertex*> cap = capRing(cut, rim);
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
