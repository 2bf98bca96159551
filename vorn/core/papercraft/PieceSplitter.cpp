#include "vorn/core/papercraft/PieceSplitter.h"

#include "vorn/core/papercraft/FlatOverlap.h"
#include "vorn/core/papercraft/PaperSurface.h"
#include "vorn/core/papercraft/SlitGuard.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <memory>
#include <numeric>

using Sorvex::M2d;

namespace {

/// A rotation and translation carrying the segment (p0, p1) onto (q0, q1), which have
/// the same length.
struct Rigid {
    double c = 1, s = 0;
    M2d t;
    M2d apply(const M2d& p) const { return M2d(c * p.x() - s * p.y(), s * p.x() + c * p.y()) + t; }
};

Rigid rigidOnto(const M2d& p0, const M2d& p1, const M2d& q0, const M2d& q1) {
    const double a =
        std::atan2(q1.y() - q0.y(), q1.x() - q0.x()) - std::atan2(p1.y() - p0.y(), p1.x() - p0.x());
    Rigid r;
    r.c = std::cos(a);
    r.s = std::sin(a);
    r.t = q0 - M2d(r.c * p0.x() - r.s * p0.y(), r.s * p0.x() + r.c * p0.y());
    return r;
}

/// An axis-aligned box in a piece's frame.
struct Extent {
    double minX = std::numeric_limits<double>::max(), minY = minX;
    double maxX = -std::numeric_limits<double>::max(), maxY = maxX;
    void add(const M2d& p) {
        minX = std::min(minX, p.x()), maxX = std::max(maxX, p.x());
        minY = std::min(minY, p.y()), maxY = std::max(maxY, p.y());
    }
    void add(const Extent& e) {
        minX = std::min(minX, e.minX), maxX = std::max(maxX, e.maxX);
        minY = std::min(minY, e.minY), maxY = std::max(maxY, e.maxY);
    }
};

Extent extentOf(const std::vector<M2d>& corners) {
    Extent e;
    for (const M2d& p : corners)
        e.add(p);
    return e;
}

class Splitter {
public:
    Splitter(const PaperSurface& s, const PieceLimit& limit, double narrowSlitRadians)
        : s(s), limit(limit), tolerance(FlatTolerance(s)), guard(s, narrowSlitRadians) {
        const double edge = s.meanEdge > 0.0 ? s.meanEdge : 1.0;
        cell = 2.0 * edge;
    }

    FlatPieces run() {
        layTrees();
        openSlits();
        cutAtOverlaps();
        regroup();
        // Pieces that can only be joined by closing a slit are joined all the same: a
        // tab fewer is better than a piece more.
        guard.relax();
        regroup();
        return finish();
    }

private:
    /// Orders the faces breadth first down each fold tree and lays every root; the
    /// other faces are laid as they are placed, against the face they end up hanging from.
    void layTrees() {
        const size_t n = s.faces.size();
        out.corners.resize(n);
        out.folded.resize(n);
        std::vector<std::vector<int>> children(n);
        for (size_t f = 0; f < n; ++f) {
            out.folded[f].assign(s.faces[f].corners.size(), 0);
            if (s.parent[f] >= 0) {
                children[size_t(s.parent[f])].push_back(int(f));
                guard.fold(int(f), s.parentEdge[f]);
            }
        }
        order.reserve(n);
        for (size_t root = 0; root < n; ++root) {
            if (s.parent[root] >= 0)
                continue;
            const auto& c = s.faces[root].corners;
            out.corners[root] =
                LayFace(s.faces[root], 0, M2d(0, 0), M2d((c[1 % c.size()] - c[0]).length(), 0));
            const size_t first = order.size();
            order.push_back(int(root));
            for (size_t k = first; k < order.size(); ++k)
                for (int g : children[size_t(order[k])])
                    order.push_back(g);
        }
    }

    /// Where the fold tree leaves a nearly flat vertex with one cut edge (a slit too narrow
    /// for a glue tab), cuts one more fold at it: the one above the smallest subtree, which
    /// is then hinged elsewhere. The guard keeps later folds from closing the vertex again.
    void openSlits() {
        const size_t n = s.faces.size();
        opened.assign(n, 0);
        if (guard.vertexCount() == 0)
            return;
        std::vector<int> subtree(n, 1);
        for (size_t k = order.size(); k-- > 0;) {
            const int f = order[k];
            if (s.parent[size_t(f)] >= 0)
                subtree[size_t(s.parent[size_t(f)])] += subtree[size_t(f)];
        }
        // Of the folds at each slit vertex, the one above the smallest subtree.
        std::vector<int> choice(size_t(guard.vertexCount()), -1);
        for (int f : order) {
            if (s.parent[size_t(f)] < 0)
                continue;
            const auto& ids = s.faces[size_t(f)].vertexIds;
            const size_t e = size_t(s.parentEdge[size_t(f)]);
            for (int v : {ids[e], ids[(e + 1) % ids.size()]}) {
                int& best = choice[size_t(v)];
                if (guard.isSlit(v) && (best < 0 || subtree[size_t(f)] < subtree[size_t(best)]))
                    best = f;
            }
        }
        for (size_t v = 0; v < choice.size(); ++v) {
            const int f = choice[v];
            if (f < 0 || opened[size_t(f)] || !guard.isSlit(int(v)))
                continue;
            opened[size_t(f)] = 1;
            guard.cut(f, s.parentEdge[size_t(f)]);
        }
    }

    /// Face `g` laid against edge `fe` of face `f` as placed, across that edge.
    std::vector<M2d> layAgainst(int g, int f, int fe) const {
        const auto& fc = out.corners[size_t(f)];
        const int ge = s.faces[size_t(f)].neighborEdge[size_t(fe)];
        return LayFace(s.faces[size_t(g)], ge, fc[(size_t(fe) + 1) % fc.size()], fc[size_t(fe)]);
    }

    std::vector<FlatTriangle> trianglesOf(int face) const {
        std::vector<FlatTriangle> t;
        AppendFlatTriangles(out.corners[size_t(face)], face, t);
        return t;
    }

    bool admits(const Extent& e) const { return limit.admits(e.maxX - e.minX, e.maxY - e.minY); }

    int newPiece(int root) {
        pieces.push_back({root});
        extents.push_back(extentOf(out.corners[size_t(root)]));
        grids.push_back(std::make_unique<FlatOverlapGrid>(cell, tolerance));
        for (const FlatTriangle& t : trianglesOf(root))
            grids.back()->add(t);
        return int(pieces.size()) - 1;
    }

    bool fits(const std::vector<FlatTriangle>& tris, int piece) const {
        for (const FlatTriangle& t : tris)
            if (grids[size_t(piece)]->findOverlap(t) >= 0)
                return false;
        return true;
    }

    void join(int f, int fe, int g, int ge) {
        out.folded[size_t(f)][size_t(fe)] = 1;
        out.folded[size_t(g)][size_t(ge)] = 1;
    }

    /// Places face `g` laid as `corners` into the piece of face `f`, hinged on edge `fe`
    /// of `f`, when it fits there; true when it did.
    bool placeAgainst(int g, std::vector<M2d>& corners, int f, int fe) {
        const int piece = out.pieceOf[size_t(f)];
        std::vector<FlatTriangle> tris;
        AppendFlatTriangles(corners, g, tris);
        Extent grown = extents[size_t(piece)];
        grown.add(extentOf(corners));
        if (!admits(grown) || !fits(tris, piece))
            return false;
        for (const FlatTriangle& t : tris)
            grids[size_t(piece)]->add(t);
        extents[size_t(piece)] = grown;
        pieces[size_t(piece)].push_back(g);
        out.pieceOf[size_t(g)] = piece;
        out.corners[size_t(g)] = std::move(corners);
        join(f, fe, g, s.faces[size_t(f)].neighborEdge[size_t(fe)]);
        return true;
    }

    /// Breadth first down each tree, a face joins the piece of the face it hangs from
    /// when it fits there; else it is re-hinged onto another neighbour already placed
    /// (its subtree follows it), larger pieces first; else it starts a piece of its own.
    void cutAtOverlaps() {
        out.pieceOf.assign(s.faces.size(), -1);
        std::vector<std::pair<size_t, int>> others; // (piece size, edge of g)
        for (int g : order) {
            const int f = s.parent[size_t(g)];
            if (f < 0) {
                out.pieceOf[size_t(g)] = newPiece(g);
                continue;
            }
            const auto& face = s.faces[size_t(g)];
            const int ge = s.parentEdge[size_t(g)];
            const int fe = face.neighborEdge[size_t(ge)];
            std::vector<M2d> onParent = layAgainst(g, f, fe);
            std::vector<M2d> laid = onParent;
            if (!opened[size_t(g)]) {
                if (placeAgainst(g, laid, f, fe))
                    continue;
                guard.cut(g, ge);
            }
            others.clear();
            for (size_t e = 0; e < face.neighbor.size(); ++e) {
                const int h = face.neighbor[e];
                if (h >= 0 && h != f && out.pieceOf[size_t(h)] >= 0 && guard.mayFold(g, int(e)))
                    others.emplace_back(pieces[size_t(out.pieceOf[size_t(h)])].size(), int(e));
            }
            std::stable_sort(others.begin(), others.end(),
                             [](const auto& a, const auto& b) { return a.first > b.first; });
            bool placed = false;
            for (const auto& [size, e] : others) {
                const int h = face.neighbor[size_t(e)];
                const int he = face.neighborEdge[size_t(e)];
                laid = layAgainst(g, h, he);
                if ((placed = placeAgainst(g, laid, h, he))) {
                    guard.fold(g, int(e));
                    break;
                }
            }
            if (!placed) {
                out.corners[size_t(g)] = std::move(onParent);
                out.pieceOf[size_t(g)] = newPiece(g);
            }
        }
    }

    /// Joins piece `q` to piece `p` across edge `fe` of face `f` (in p) when the joined
    /// piece lies flat; true when it did.
    bool tryJoin(int p, int f, int fe) {
        if (!guard.mayFold(f, fe))
            return false;
        const auto& face = s.faces[size_t(f)];
        const int g = face.neighbor[size_t(fe)];
        const int ge = face.neighborEdge[size_t(fe)];
        const int q = out.pieceOf[size_t(g)];
        const auto& fc = out.corners[size_t(f)];
        const auto& gc = out.corners[size_t(g)];
        const Rigid r = rigidOnto(gc[size_t(ge)], gc[(size_t(ge) + 1) % gc.size()],
                                  fc[(size_t(fe) + 1) % fc.size()], fc[size_t(fe)]);
        std::vector<std::vector<M2d>> moved;
        moved.reserve(pieces[size_t(q)].size());
        Extent grown = extents[size_t(p)];
        for (int h : pieces[size_t(q)]) {
            std::vector<M2d> c = out.corners[size_t(h)];
            for (M2d& v : c) {
                v = r.apply(v);
                grown.add(v);
            }
            moved.push_back(std::move(c));
        }
        if (!admits(grown))
            return false;
        std::vector<FlatTriangle> tris;
        for (size_t k = 0; k < moved.size(); ++k) {
            tris.clear();
            AppendFlatTriangles(moved[k], pieces[size_t(q)][k], tris);
            if (!fits(tris, p))
                return false;
        }
        // The hinge corners are set exactly, as a tree layout would.
        size_t k = 0;
        for (int h : pieces[size_t(q)]) {
            out.corners[size_t(h)] = std::move(moved[k++]);
            tris.clear();
            AppendFlatTriangles(out.corners[size_t(h)], h, tris);
            for (const FlatTriangle& t : tris)
                grids[size_t(p)]->add(t);
            out.pieceOf[size_t(h)] = p;
        }
        auto& gMoved = out.corners[size_t(g)];
        gMoved[size_t(ge)] = fc[(size_t(fe) + 1) % fc.size()];
        gMoved[(size_t(ge) + 1) % gMoved.size()] = fc[size_t(fe)];
        join(f, fe, g, ge);
        guard.fold(f, fe);
        extents[size_t(p)] = grown;
        auto& into = pieces[size_t(p)];
        into.insert(into.end(), pieces[size_t(q)].begin(), pieces[size_t(q)].end());
        pieces[size_t(q)].clear();
        grids[size_t(q)].reset();
        return true;
    }

    void regroup() {
        std::vector<int> byRank(pieces.size());
        std::iota(byRank.begin(), byRank.end(), 0);
        std::stable_sort(byRank.begin(), byRank.end(), [&](int a, int b) {
            return pieces[size_t(a)].size() > pieces[size_t(b)].size();
        });
        std::vector<int> rank(pieces.size());
        for (size_t i = 0; i < byRank.size(); ++i)
            rank[size_t(byRank[i])] = int(i);
        // A pair of pieces that failed this many seams is not tried again.
        constexpr int kSeamTries = 6;
        struct Candidate {
            int f, fe, q;
        };
        for (int p : byRank) {
            if (pieces[size_t(p)].empty())
                continue;
            std::vector<int> frontier = pieces[size_t(p)];
            std::vector<std::pair<int, int>> failures; // (piece, failed seams)
            while (!frontier.empty()) {
                std::vector<Candidate> candidates;
                for (int f : frontier) {
                    const auto& face = s.faces[size_t(f)];
                    for (size_t e = 0; e < face.neighbor.size(); ++e) {
                        const int g = face.neighbor[e];
                        if (g < 0)
                            continue;
                        const int q = out.pieceOf[size_t(g)];
                        if (q != p && rank[size_t(q)] > rank[size_t(p)])
                            candidates.push_back({f, int(e), q});
                    }
                }
                std::stable_sort(candidates.begin(), candidates.end(),
                                 [&](const Candidate& a, const Candidate& b) {
                                     return pieces[size_t(a.q)].size() > pieces[size_t(b.q)].size();
                                 });
                frontier.clear();
                for (const Candidate& c : candidates) {
                    const int g = s.faces[size_t(c.f)].neighbor[size_t(c.fe)];
                    const int q = out.pieceOf[size_t(g)];
                    if (q != c.q || pieces[size_t(q)].empty())
                        continue; // joined meanwhile
                    auto failed = std::find_if(failures.begin(), failures.end(),
                                               [&](const auto& x) { return x.first == q; });
                    if (failed != failures.end() && failed->second >= kSeamTries)
                        continue;
                    const size_t before = pieces[size_t(p)].size();
                    if (tryJoin(p, c.f, c.fe)) {
                        frontier.insert(frontier.end(), pieces[size_t(p)].begin() + long(before),
                                        pieces[size_t(p)].end());
                    } else if (failed != failures.end()) {
                        ++failed->second;
                    } else {
                        failures.emplace_back(q, 1);
                    }
                }
            }
        }
    }

    FlatPieces finish() {
        std::vector<int> alive;
        for (size_t p = 0; p < pieces.size(); ++p)
            if (!pieces[p].empty())
                alive.push_back(int(p));
        std::stable_sort(alive.begin(), alive.end(), [&](int a, int b) {
            return pieces[size_t(a)].size() > pieces[size_t(b)].size();
        });
        for (int p : alive) {
            for (int f : pieces[size_t(p)])
                out.pieceOf[size_t(f)] = int(out.pieces.size());
            out.pieces.push_back(std::move(pieces[size_t(p)]));
        }
        return std::move(out);
    }

    const PaperSurface& s;
    PieceLimit limit;
    double tolerance;
    double cell = 1.0;
    std::vector<int> order;
    std::vector<std::vector<int>> pieces;
    std::vector<std::unique_ptr<FlatOverlapGrid>> grids;
    std::vector<Extent> extents;
    SlitGuard guard;
    /// Per face: its fold to its parent was cut to open a slit.
    std::vector<char> opened;
    FlatPieces out;
};

} // namespace

double FlatTolerance(const PaperSurface& surface) {
    return 1e-6 * (surface.meanEdge > 0.0 ? surface.meanEdge : 1.0);
}

FlatPieces SplitIntoPieces(const PaperSurface& surface, const PieceLimit& limit,
                           double narrowSlitRadians) {
    return Splitter(surface, limit, narrowSlitRadians).run();
}
