#include "unfolders/engine/FaceOverlap.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "scene/mesh/Poly.h"
#include "scene/mesh/Vertex.h"
#include "unfolders/engine/FaceBox.h"

namespace {

/// Twice the signed area of the triangle o, a, b: positive when it turns
/// counter-clockwise in (x, z).
inline double turn(const NetPoint& o, const NetPoint& a, const NetPoint& b) {
    return (a.x - o.x) * (b.z - o.z) - (a.z - o.z) * (b.x - o.x);
}

/// Whether some edge line of `p` has all of `q` no deeper than `tolerance`
/// on the inner side of `p`.
bool separatedByEdgeOf(const NetPoint* p, int np, const NetPoint* q, int nq, double tolerance) {
    for (int i = 0; i < np; ++i) {
        const NetPoint& from = p[i];
        const NetPoint& to = p[i + 1 == np ? 0 : i + 1];
        const double ex = to.x - from.x, ez = to.z - from.z;
        double deepest = -std::numeric_limits<double>::infinity();
        for (int j = 0; j < nq; ++j)
            deepest = std::max(deepest, ex * (q[j].z - from.z) - ez * (q[j].x - from.x));
        // `deepest` is the depth times the edge's length; squares spare the root.
        if (deepest <= 0 || deepest * deepest <= tolerance * tolerance * (ex * ex + ez * ez))
            return true;
    }
    return false;
}

/// Whether `p` lies inside or on the triangle a, b, c (counter-clockwise).
bool inTriangle(const NetPoint& p, const NetPoint& a, const NetPoint& b, const NetPoint& c) {
    return turn(a, b, p) >= 0 && turn(b, c, p) >= 0 && turn(c, a, p) >= 0;
}

} // namespace

NetOutline::NetOutline(const Poly& face) : points(local.data()) {
    const auto& ring = face.getVertices();
    if (ring.size() > size_t(LocalPoints)) {
        heap.resize(ring.size());
        points = heap.data();
    }
    // Repeated points would make edges without a direction.
    for (const Vertex* v : ring) {
        const NetPoint p{v->x(), v->z()};
        if (count > 0 && p.x == points[count - 1].x && p.z == points[count - 1].z)
            continue;
        points[count++] = p;
    }
    while (count > 1 && points[0].x == points[count - 1].x && points[0].z == points[count - 1].z)
        --count;
    if (count < 3) {
        count = 0;
        return;
    }
    // Summed about the first corner, so that coordinates far from the origin
    // do not drown a small area in rounding.
    for (int i = 1; i + 1 < count; ++i)
        doubleArea += turn(points[0], points[i], points[i + 1]);
    if (doubleArea < 0) {
        std::reverse(points, points + count);
        doubleArea = -doubleArea;
    }
    // A corner bent back by less than the tolerance's angle still counts as
    // convex (compared in squares, sparing the roots). Triangles always are.
    for (int i = 0; i < count && convex && count > 3; ++i) {
        const NetPoint& prev = points[(i + count - 1) % count];
        const NetPoint& at = points[i];
        const NetPoint& next = points[(i + 1) % count];
        const double bend = turn(prev, at, next);
        if (bend < 0) {
            const double in = (at.x - prev.x) * (at.x - prev.x) + (at.z - prev.z) * (at.z - prev.z);
            const double out =
                (next.x - at.x) * (next.x - at.x) + (next.z - at.z) * (next.z - at.z);
            convex = bend * bend <= OverlapTolerance * OverlapTolerance * in * out;
        }
    }
}

std::vector<std::array<int, 3>> NetOutline::triangulate() const {
    std::vector<std::array<int, 3>> triangles;
    std::vector<int> left(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        left[size_t(i)] = i;
    while (left.size() > 3) {
        const int n = int(left.size());
        int ear = -1;
        for (int i = 0; i < n && ear < 0; ++i) {
            const NetPoint& a = points[left[size_t((i + n - 1) % n)]];
            const NetPoint& b = points[left[size_t(i)]];
            const NetPoint& c = points[left[size_t((i + 1) % n)]];
            if (turn(a, b, c) <= 0)
                continue;
            bool empty = true;
            for (int k = 0; k < n && empty; ++k) {
                const int other = left[size_t(k)];
                if (k == i || k == (i + 1) % n || k == (i + n - 1) % n)
                    continue;
                const NetPoint& p = points[other];
                // A point shared with a corner of the ear (a pinched outline) does not block it.
                const bool isCorner = (p.x == a.x && p.z == a.z) || (p.x == b.x && p.z == b.z) ||
                                      (p.x == c.x && p.z == c.z);
                empty = isCorner || !inTriangle(p, a, b, c);
            }
            if (empty)
                ear = i;
        }
        // Rounding can leave no clean ear on a nearly degenerate outline; any
        // corner then keeps the clipping going.
        if (ear < 0)
            ear = 0;
        triangles.push_back(
            {left[size_t((ear + n - 1) % n)], left[size_t(ear)], left[size_t((ear + 1) % n)]});
        left.erase(left.begin() + ear);
    }
    if (left.size() == 3)
        triangles.push_back({left[0], left[1], left[2]});
    return triangles;
}

bool ConvexPiecesOverlap(const NetPoint* a, int na, const NetPoint* b, int nb, double tolerance) {
    return !separatedByEdgeOf(a, na, b, nb, tolerance) &&
           !separatedByEdgeOf(b, nb, a, na, tolerance);
}

bool FacesOverlap(const FaceBox& queryBox, const FaceBox& stored) {
    OverlapQuery query(queryBox);
    return query.overlaps(stored);
}

bool OverlapQuery::overlaps(const FaceBox& stored) {
    if (!stored.overlapsArea(box))
        return false;
    const Poly* a = box.face;
    const Poly* b = stored.face;
    if (!a || !b || a == b)
        return false;
    return overlapsInDepth(stored);
}

[[gnu::noinline]] bool OverlapQuery::overlapsInDepth(const FaceBox& stored) {
    const Poly* a = box.face;
    const Poly* b = stored.face;
    // Convex faces joined along a fold edge lie on its two sides; triangles
    // are convex, so the common case needs no outline.
    bool joined = false;
    for (int i = 0; i < b->getVertexCount() && !joined; ++i)
        joined = b->getNeighbor(i) == a;
    if (joined && a->getVertexCount() == 3 && b->getVertexCount() == 3)
        return false;
    const double scale = std::max({box.maxX - box.minX, box.maxZ - box.minZ,
                                   stored.maxX - stored.minX, stored.maxZ - stored.minZ});
    const double tolerance = OverlapTolerance * scale;
    if (!outline)
        outline.emplace(*a);
    const NetOutline& outlineA = *outline;
    const NetOutline outlineB(*b);
    // A face thinner than the tolerance covers nothing.
    if (outlineA.getDoubleArea() <= tolerance * scale ||
        outlineB.getDoubleArea() <= tolerance * scale)
        return false;
    if (outlineA.isConvex() && outlineB.isConvex())
        return !joined && ConvexPiecesOverlap(&outlineA[0], outlineA.size(), &outlineB[0],
                                              outlineB.size(), tolerance);
    // Non-convex faces are compared triangle by triangle; fold neighbours are
    // tested too, since a face bent round a notch can reach over its hinge.
    using Pieces = std::vector<std::array<NetPoint, 3>>;
    auto piecesOf = [tolerance, scale](const NetOutline& face) {
        Pieces pieces;
        if (face.isConvex())
            return pieces;
        for (const auto& t : face.triangulate()) {
            const std::array<NetPoint, 3> piece{face[t[0]], face[t[1]], face[t[2]]};
            // Slivers between collinear corners cover nothing.
            if (turn(piece[0], piece[1], piece[2]) > tolerance * scale)
                pieces.push_back(piece);
        }
        return pieces;
    };
    const Pieces piecesA = piecesOf(outlineA);
    const Pieces piecesB = piecesOf(outlineB);
    auto each = [](const NetOutline& face, const Pieces& pieces, auto&& visit) {
        if (face.isConvex())
            return visit(&face[0], face.size());
        for (const auto& piece : pieces)
            if (visit(piece.data(), 3))
                return true;
        return false;
    };
    return each(outlineA, piecesA, [&](const NetPoint* pa, int na) {
        return each(outlineB, piecesB, [&](const NetPoint* pb, int nb) {
            return ConvexPiecesOverlap(pa, na, pb, nb, tolerance);
        });
    });
}
