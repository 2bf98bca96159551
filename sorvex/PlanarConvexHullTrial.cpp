// The hull's area after some additions, worked out without making them: the additions
// are replayed on a light description of the changed hull (runs of the real hull's
// vertices and the points added), with the very tests addPoint makes, and the area of
// each run is read off running sums of getArea's triangles.

#include "sorvex/PlanarConvexHull.h"

#include "sorvex/PlanarConvexHullIndex.h"

using namespace hulldetail;
using Node = PlanarConvexHull::Node;

namespace {

struct Point {
    double x, y, angle, dist;
};

/// The hull after the additions so far. Vertices are named by id: the real hull's by
/// their place in list order (0 is the head), added points by h + their number. The
/// pieces list them in list order from the head: a run [lo, hi] of consecutive real
/// vertices, or one added point (lo = hi = its id).
class VirtualHull {
public:
    VirtualHull(const PlanarConvexHull::Index& index, double cx, double cy, bool sorted)
        : index(index), order(index.order), h(int(order.nodes.size())), cx(cx), cy(cy),
          sorted(sorted) {
        pieces.push_back({0, h - 1});
    }

    /// addAcceptedPoint's steps for a hull of three or more vertices.
    void add(double x, double y) {
        const Point p{x, y, polarAngle(x - cx, y - cy), std::hypot(x - cx, y - cy)};
        // addPoint rejects duplicates before points inside; either way nothing changes,
        // so the cheap test for inside comes first (most corners asked about are).
        int n = firstNotBelow(p.angle);
        if (std::fabs(at(n).angle - p.angle) < Tolerance) {
            if (p.dist < at(n).dist + Tolerance)
                return;
            n = next(n);
        }
        int m = prev(n);
        const double edge = edgeAngle(m, n);
        if (leftOf(direction(at(m).x, at(m).y, x, y), edge))
            return;
        if (!leftOf(direction(x, y, at(n).x, at(n).y), edge))
            return;
        if (isDuplicate(x, y))
            return;
        // Each vertex's edge runs to its present successor, as the hull keeps it.
        for (int k = prev(m); k != n && m != n; k = prev(m)) {
            if (leftOf(direction(at(k).x, at(k).y, x, y), edgeAngle(k, m)))
                break;
            remove(m);
            m = k;
        }
        for (int s = next(n); s != m && n != m; s = next(n)) {
            if (!leftOf(direction(x, y, at(s).x, at(s).y), edgeAngle(n, s)))
                break;
            remove(n);
            n = s;
        }
        const int id = h + int(added.size());
        added.push_back(p);
        insertBefore(id, n, n == head() && p.angle < at(n).angle);
        // An addition out of angular order (possible within the tolerance) makes the
        // search from the head a scan, as it does in the hull.
        if (id != head() && at(prev(id)).angle > p.angle)
            sorted = false;
        if (next(id) != head() && at(next(id)).angle < p.angle)
            sorted = false;
    }

    /// Twice the area, as getArea sums it over consecutive vertices.
    double twiceArea() const {
        double sum = 0.0;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            const Piece& piece = pieces[i];
            if (piece.lo < h)
                sum += order.prefix[std::size_t(piece.hi)] - order.prefix[std::size_t(piece.lo)];
            const Point& a = at(piece.hi);
            const Point& b = at(pieces[(i + 1) % pieces.size()].lo);
            sum += doubleTriangle(a.x, a.y, b.x, b.y, cx, cy);
        }
        return sum;
    }

private:
    struct Piece {
        int lo, hi;
    };

    Point at(int id) const {
        if (id >= h)
            return added[std::size_t(id - h)];
        const Node* node = order.nodes[std::size_t(id)];
        return {node->x, node->y, node->angle, node->dist};
    }
    double edgeAngle(int from, int to) const {
        const Point a = at(from), b = at(to);
        return direction(a.x, a.y, b.x, b.y);
    }
    int head() const { return pieces.front().lo; }
    /// The piece holding the vertex, or -1 when it was taken out.
    int pieceOf(int id) const {
        for (std::size_t i = 0; i < pieces.size(); ++i)
            if (pieces[i].lo <= id && id <= pieces[i].hi)
                return int(i);
        return -1;
    }
    int next(int id) const {
        const std::size_t i = std::size_t(pieceOf(id));
        return id < pieces[i].hi ? id + 1 : pieces[(i + 1) % pieces.size()].lo;
    }
    int prev(int id) const {
        const std::size_t i = std::size_t(pieceOf(id));
        return id > pieces[i].lo ? id - 1 : pieces[(i + pieces.size() - 1) % pieces.size()].hi;
    }

    void remove(int id) {
        const auto i = std::size_t(pieceOf(id));
        Piece& piece = pieces[i];
        if (piece.lo == piece.hi)
            pieces.erase(pieces.begin() + std::ptrdiff_t(i));
        else if (id == piece.lo)
            ++piece.lo;
        else if (id == piece.hi)
            --piece.hi;
        else {
            const Piece after{id + 1, piece.hi};
            piece.hi = id - 1;
            pieces.insert(pieces.begin() + std::ptrdiff_t(i) + 1, after);
        }
    }

    void insertBefore(int id, int before, bool becomesHead) {
        const auto i = std::size_t(pieceOf(before));
        const Piece point{id, id};
        if (before > pieces[i].lo) {
            const Piece tail{before, pieces[i].hi};
            pieces[i].hi = before - 1;
            pieces.insert(pieces.begin() + std::ptrdiff_t(i) + 1, {point, tail});
        } else if (i == 0 && !becomesHead) {
            pieces.push_back(point); // before the head round the cycle: the new tail
        } else {
            pieces.insert(pieces.begin() + std::ptrdiff_t(i), point);
        }
    }

    bool isDuplicate(double x, double y) const {
        auto near = [x, y](const Point& q) {
            return std::fabs(q.x - x) < Tolerance && std::fabs(q.y - y) < Tolerance;
        };
        for (std::size_t j = 0; j < added.size(); ++j)
            if (near(added[j]) && pieceOf(h + int(j)) >= 0)
                return true;
        const std::int64_t gx = cellOf(x), gy = cellOf(y);
        for (std::int64_t dx = -1; dx <= 1; ++dx) {
            for (std::int64_t dy = -1; dy <= 1; ++dy) {
                auto cells = index.grid.equal_range(cellKey(gx + dx, gy + dy));
                for (auto it = cells.first; it != cells.second; ++it) {
                    const Node* node = it->second;
                    if (std::fabs(node->x - x) < Tolerance && std::fabs(node->y - y) < Tolerance &&
                        pieceOf(order.position.at(node)) >= 0)
                        return true;
                }
            }
        }
        return false;
    }

    /// The first vertex in list order whose angle is not below `angle`, else the head.
    int firstNotBelow(double angle) const {
        if (!sorted) {
            int id = head();
            do {
                if (at(id).angle >= angle)
                    return id;
                id = next(id);
            } while (id != head());
            return head();
        }
        for (const Piece& piece : pieces) {
            if (at(piece.hi).angle < angle)
                continue;
            if (piece.lo >= h)
                return piece.lo;
            const auto begin = order.angles.begin();
            return int(std::lower_bound(begin + piece.lo, begin + piece.hi + 1, angle) - begin);
        }
        return head();
    }

    const PlanarConvexHull::Index& index;
    const PlanarConvexHull::Index::Order& order;
    const int h;
    const double cx, cy;
    bool sorted;
    std::vector<Piece> pieces;
    std::vector<Point> added;
};

} // namespace

void PlanarConvexHull::refreshOrder() const {
    Index::Order& o = m_index->order;
    if (o.revision == m_revision)
        return;
    o.nodes.clear();
    o.angles.clear();
    o.prefix.clear();
    o.position.clear();
    o.position.reserve(std::size_t(m_length));
    const Node* node = m_head;
    double sum = 0.0;
    for (int i = 0; i < m_length; ++i, node = node->next) {
        if (i > 0) {
            const Node* a = node->prev;
            sum += doubleTriangle(a->x, a->y, node->x, node->y, m_centerX, m_centerY);
        }
        o.nodes.push_back(node);
        o.angles.push_back(node->angle);
        o.prefix.push_back(sum);
        o.position.emplace(node, i);
    }
    o.revision = m_revision;
}

double PlanarConvexHull::getAreaWith(const double* xs, const double* ys, int count) const {
    settle();
    if (m_pointsSeen < 3) {
        // Before the first triangle the hull is a few pending points: play it through.
        PlanarConvexHull copy(*this);
        for (int i = 0; i < count; ++i)
            copy.addPoint(xs[i], ys[i], nullptr);
        return copy.getArea();
    }
    refreshOrder();
    VirtualHull hull(*m_index, m_centerX, m_centerY, m_index->inversions == 0);
    for (int i = 0; i < count; ++i)
        if (std::isfinite(xs[i]) && std::isfinite(ys[i]))
            hull.add(xs[i], ys[i]);
    return hull.twiceArea() / 2.0;
}
