#include "unfolders/strategies/enumeration/FlatTreeJudge.h"

#include <algorithm>
#include <cmath>

#include "scene/mesh/Poly.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/mesh/Vertex.h"

using Sorvex::M3d;

namespace {

/// A face's own plane: coordinates (a, b) stand for origin + a e1 + b e2. With e1 x e2
/// along the face's normal, the engine's placement (normal onto (0, -1, 0)) carries the
/// frame onto the net's (x, z) without mirroring.
struct Frame {
    M3d origin, e1, e2;

    explicit Frame(const Poly& face) {
        const M3d& n = face.getNormal();
        origin = *face.getVertex(0);
        e1 = *face.getVertex(1) - origin;
        e1 -= n * e1.dot(n);
        e1.normalize();
        e2.cross(n, e1);
        e2.normalize();
    }
    NetPoint local(const M3d& p) const {
        const M3d d = p - origin;
        return {d.dot(e1), d.dot(e2)};
    }
};

double turn(const NetPoint& o, const NetPoint& a, const NetPoint& b) {
    return (a.x - o.x) * (b.z - o.z) - (a.z - o.z) * (b.x - o.x);
}

} // namespace

NetPoint FlatTreeJudge::Motion::apply(const NetPoint& p) const {
    return {xx * p.x + xz * p.z + tx, zx * p.x + zz * p.z + tz};
}

FlatTreeJudge::Motion FlatTreeJudge::Motion::after(const Motion& inner) const {
    Motion m;
    m.xx = xx * inner.xx + xz * inner.zx;
    m.xz = xx * inner.xz + xz * inner.zz;
    m.zx = zx * inner.xx + zz * inner.zx;
    m.zz = zx * inner.xz + zz * inner.zz;
    m.tx = xx * inner.tx + xz * inner.tz + tx;
    m.tz = zx * inner.tx + zz * inner.tz + tz;
    return m;
}

namespace {

/// The motion that lays `child` (in its frame) beside `parent` (in its frame) across the
/// edge the engine hinges it on: the child's edge towards the parent. It carries the
/// child's ends of that edge onto the parent's, turning without mirroring, which puts the
/// child on the far side of the edge as the engine's fold does.
template <typename Motion>
bool hingeMotion(const Poly& child, const Frame& childFrame, const Poly& parent,
                 const Frame& parentFrame, Motion& out) {
    const int k = child.getNeighborIndex(&parent);
    if (k < 0)
        return false;
    const Vertex* u = child.getVertex(k);
    const Vertex* w = child.getVertex(k + 1);
    const NetPoint uc = childFrame.local(*u), wc = childFrame.local(*w);
    const NetPoint up = parentFrame.local(*u), wp = parentFrame.local(*w);
    const double cx = wc.x - uc.x, cz = wc.z - uc.z;
    const double px = wp.x - up.x, pz = wp.z - up.z;
    const double lengths = std::sqrt((cx * cx + cz * cz) * (px * px + pz * pz));
    if (!(lengths > 0))
        return false;
    const double c = (cx * px + cz * pz) / lengths;
    const double s = (cx * pz - cz * px) / lengths;
    out.xx = c;
    out.xz = -s;
    out.zx = s;
    out.zz = c;
    out.tx = up.x - (c * uc.x - s * uc.z);
    out.tz = up.z - (s * uc.x + c * uc.z);
    return true;
}

} // namespace

FlatTreeJudge::FlatTreeJudge(const std::vector<Poly*>& faces,
                             const std::vector<SpanningTreeEnumerator::Edge>& edges, int root,
                             const Sorvex::M4x4& rootPlacement)
    : root(root) {
    const size_t n = faces.size();
    if (root < 0 || size_t(root) >= n) {
        judgeable = false;
        return;
    }
    std::vector<Frame> frames;
    frames.reserve(n);
    shapes.resize(n);
    for (size_t f = 0; f < n; ++f) {
        frames.emplace_back(*faces[f]);
        judgeable = judgeable && prepareShape(*faces[f], shapes[f]);
    }
    hinges.resize(edges.size());
    for (size_t e = 0; e < edges.size() && judgeable; ++e) {
        Hinge& h = hinges[e];
        h.a = edges[e].first;
        h.b = edges[e].second;
        const Poly& a = *faces[size_t(h.a)];
        const Poly& b = *faces[size_t(h.b)];
        judgeable = hingeMotion(b, frames[size_t(h.b)], a, frames[size_t(h.a)], h.bIntoA) &&
                    hingeMotion(a, frames[size_t(h.a)], b, frames[size_t(h.b)], h.aIntoB);
    }
    if (!judgeable)
        return;

    // The starting face goes where the engine put it: its frame's origin and axes carried
    // by the placement, read in (x, z).
    const Frame& r = frames[size_t(root)];
    const M3d o = rootPlacement * r.origin;
    const M3d x = rootPlacement * (r.origin + r.e1) - o;
    const M3d z = rootPlacement * (r.origin + r.e2) - o;
    rootMotion.xx = x.x();
    rootMotion.zx = x.z();
    rootMotion.xz = z.x();
    rootMotion.zz = z.z();
    rootMotion.tx = o.x();
    rootMotion.tz = o.z();

    adjacencyStart.assign(n + 1, 0);
    adjacencyFill.resize(n);
    adjacency.resize(2 * (n > 0 ? n - 1 : 0));
    parent.resize(n);
    order.reserve(n);
    placed.resize(n);
    laid.resize(n);
    for (size_t f = 0; f < n; ++f)
        laid[f].resize(shapes[f].outline.size());
    boxes.resize(n);
    byMinX.resize(n);
}

bool FlatTreeJudge::prepareShape(Poly& face, Shape& shape) const {
    if (face.hasNoArea() || face.getVertexCount() < 3)
        return false;
    // The outline is made by the engine's own rules (repeated points dropped, turned
    // counter-clockwise, convexity within the tolerance, ear clipping) from the face laid
    // in its own frame: a rigid motion away from where the net puts it.
    const Frame frame(face);
    PolyMesh scratch;
    std::vector<Vertex*> ring;
    for (const Vertex* v : face.getVertices()) {
        const NetPoint p = frame.local(*v);
        ring.push_back(scratch.addVertexAt(M3d(p.x, 0, p.z)));
    }
    auto* flat = new Poly(ring);
    if (!scratch.addPoly(flat)) {
        delete flat;
        return false;
    }
    const NetOutline outline(*flat);
    if (outline.size() < 3)
        return false;
    shape.corners = face.getVertexCount();
    shape.convex = outline.isConvex();
    shape.doubleArea = outline.getDoubleArea();
    for (int i = 0; i < outline.size(); ++i)
        shape.outline.push_back(outline[i]);
    if (!shape.convex) {
        shape.triangles = outline.triangulate();
        for (const auto& t : shape.triangles)
            shape.triangleTurns.push_back(turn(outline[t[0]], outline[t[1]], outline[t[2]]));
    }
    return true;
}

bool FlatTreeJudge::place(const std::vector<int>& treeEdges) {
    const size_t n = shapes.size();
    if (treeEdges.size() + 1 != n)
        return false;
    std::fill(adjacencyStart.begin(), adjacencyStart.end(), 0);
    for (int e : treeEdges) {
        ++adjacencyStart[size_t(hinges[size_t(e)].a) + 1];
        ++adjacencyStart[size_t(hinges[size_t(e)].b) + 1];
    }
    for (size_t f = 0; f < n; ++f)
        adjacencyStart[f + 1] += adjacencyStart[f];
    std::copy(adjacencyStart.begin(), adjacencyStart.end() - 1, adjacencyFill.begin());
    for (int e : treeEdges) {
        const Hinge& h = hinges[size_t(e)];
        adjacency[size_t(adjacencyFill[size_t(h.a)]++)] = {h.b, e};
        adjacency[size_t(adjacencyFill[size_t(h.b)]++)] = {h.a, e};
    }

    // Breadth first from the starting face; each face's motion is its parent's after the
    // hinge between them.
    std::fill(parent.begin(), parent.end(), -2);
    order.clear();
    order.push_back(root);
    parent[size_t(root)] = -1;
    placed[size_t(root)] = rootMotion;
    for (size_t next = 0; next < order.size(); ++next) {
        const int f = order[next];
        for (int k = adjacencyStart[size_t(f)]; k < adjacencyStart[size_t(f) + 1]; ++k) {
            const auto [g, e] = adjacency[size_t(k)];
            if (parent[size_t(g)] != -2)
                continue;
            parent[size_t(g)] = f;
            const Hinge& h = hinges[size_t(e)];
            placed[size_t(g)] = placed[size_t(f)].after(h.a == g ? h.aIntoB : h.bIntoA);
            order.push_back(g);
        }
    }
    if (order.size() != n)
        return false;

    for (size_t f = 0; f < n; ++f) {
        const std::vector<NetPoint>& outline = shapes[f].outline;
        std::vector<NetPoint>& out = laid[f];
        Box& box = boxes[f];
        box = {HUGE_VAL, -HUGE_VAL, HUGE_VAL, -HUGE_VAL};
        for (size_t i = 0; i < outline.size(); ++i) {
            const NetPoint p = placed[f].apply(outline[i]);
            out[i] = p;
            box.minX = std::min(box.minX, p.x);
            box.maxX = std::max(box.maxX, p.x);
            box.minZ = std::min(box.minZ, p.z);
            box.maxZ = std::max(box.maxZ, p.z);
        }
    }
    return true;
}

bool FlatTreeJudge::facesOverlap(int a, int b, bool joined) {
    const Shape& sa = shapes[size_t(a)];
    const Shape& sb = shapes[size_t(b)];
    if (joined && sa.corners == 3 && sb.corners == 3)
        return false;
    const Box& ba = boxes[size_t(a)];
    const Box& bb = boxes[size_t(b)];
    const double scale =
        std::max({ba.maxX - ba.minX, ba.maxZ - ba.minZ, bb.maxX - bb.minX, bb.maxZ - bb.minZ});
    const double tolerance = OverlapTolerance * scale;
    if (sa.doubleArea <= tolerance * scale || sb.doubleArea <= tolerance * scale)
        return false;
    const std::vector<NetPoint>& pa = laid[size_t(a)];
    const std::vector<NetPoint>& pb = laid[size_t(b)];
    if (sa.convex && sb.convex)
        return !joined &&
               ConvexPiecesOverlap(pa.data(), int(pa.size()), pb.data(), int(pb.size()), tolerance);
    // As the engine does: a face that is not convex is compared by its triangles, leaving
    // out slivers between collinear corners; fold neighbours are compared too.
    auto piecesOf = [&](const Shape& s, const std::vector<NetPoint>& p,
                        std::vector<std::array<NetPoint, 3>>& pieces) {
        pieces.clear();
        for (size_t t = 0; t < s.triangles.size(); ++t) {
            if (s.triangleTurns[t] > tolerance * scale) {
                const auto& i = s.triangles[t];
                pieces.push_back({p[size_t(i[0])], p[size_t(i[1])], p[size_t(i[2])]});
            }
        }
    };
    piecesOf(sa, pa, piecesA);
    piecesOf(sb, pb, piecesB);
    auto each = [](const Shape& s, const std::vector<NetPoint>& p,
                   const std::vector<std::array<NetPoint, 3>>& pieces, auto&& visit) {
        if (s.convex)
            return visit(p.data(), int(p.size()));
        for (const auto& piece : pieces)
            if (visit(piece.data(), 3))
                return true;
        return false;
    };
    return each(sa, pa, piecesA, [&](const NetPoint* qa, int na) {
        return each(sb, pb, piecesB, [&](const NetPoint* qb, int nb) {
            return ConvexPiecesOverlap(qa, na, qb, nb, tolerance);
        });
    });
}

bool FlatTreeJudge::isOverlapFree(const std::vector<int>& treeEdges) {
    if (!judgeable || !place(treeEdges))
        return false;
    // Sweep along x: a pair is tested only when the boxes meet in x, then in z.
    const size_t n = shapes.size();
    for (size_t f = 0; f < n; ++f)
        byMinX[f] = int(f);
    std::sort(byMinX.begin(), byMinX.end(),
              [this](int a, int b) { return boxes[size_t(a)].minX < boxes[size_t(b)].minX; });
    for (size_t i = 0; i < n; ++i) {
        const int a = byMinX[i];
        const Box& ba = boxes[size_t(a)];
        for (size_t j = i + 1; j < n; ++j) {
            const int b = byMinX[j];
            const Box& bb = boxes[size_t(b)];
            if (bb.minX >= ba.maxX)
                break;
            // The engine's box test: overlapping with area, touching is not enough.
            if (!(bb.maxX > ba.minX && bb.maxZ > ba.minZ && bb.minZ < ba.maxZ))
                continue;
            const bool joined = parent[size_t(a)] == b || parent[size_t(b)] == a;
            if (facesOverlap(a, b, joined))
                return false;
        }
    }
    return true;
}
