#include "vorn/core/tests/papercraft/PaperChecks.h"

#include "vorn/core/papercraft/PaperSurface.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <map>
#include <sstream>

using Sorvex::M2d;
using Sorvex::M3d;

namespace papercheck {

namespace {

double orient(const M2d& a, const M2d& b, const M2d& c) {
    return (b.x() - a.x()) * (c.y() - a.y()) - (b.y() - a.y()) * (c.x() - a.x());
}

double area(const Polygon& p) {
    double s = 0;
    for (size_t i = 0; i < p.size(); ++i)
        s += orient(M2d(0, 0), p[i], p[(i + 1) % p.size()]);
    return 0.5 * s;
}

double distanceToSegment(const M2d& p, const M2d& a, const M2d& b) {
    const M2d d = b - a;
    const double t = std::clamp((p - a).dot(d) / std::max(d.squared(), 1e-300), 0.0, 1.0);
    return (a + d * t - p).length();
}

/// Strictly inside by more than `tolerance` (even-odd rule, away from every edge).
bool deepInside(const M2d& p, const Polygon& poly, double tolerance) {
    bool inside = false;
    for (size_t i = 0, j = poly.size() - 1; i < poly.size(); j = i++) {
        if (distanceToSegment(p, poly[i], poly[j]) <= tolerance)
            return false;
        if ((poly[i].y() > p.y()) != (poly[j].y() > p.y()) &&
            p.x() < (poly[j].x() - poly[i].x()) * (p.y() - poly[i].y()) /
                            (poly[j].y() - poly[i].y()) +
                        poly[i].x())
            inside = !inside;
    }
    return inside;
}

/// Points just inside `poly`: beside each edge's middle and each corner.
std::vector<M2d> innerSamples(const Polygon& poly, double step) {
    std::vector<M2d> out;
    const double sign = area(poly) >= 0 ? 1.0 : -1.0;
    const size_t n = poly.size();
    for (size_t i = 0; i < n; ++i) {
        const M2d a = poly[i], b = poly[(i + 1) % n];
        M2d d = b - a;
        const double len = d.length();
        if (len <= 0)
            continue;
        const M2d in = M2d(-d.y(), d.x()) * (sign / len);
        for (double t : {0.5, 0.1, 0.9}) {
            const M2d p = a + d * t + in * std::min(step, 0.2 * len);
            if (deepInside(p, poly, 0.0))
                out.push_back(p);
        }
    }
    return out;
}

bool properCross(const M2d& a, const M2d& b, const M2d& c, const M2d& d, double tolerance) {
    const double scaleAB = (b - a).length(), scaleCD = (d - c).length();
    const double o1 = orient(a, b, c) / scaleAB, o2 = orient(a, b, d) / scaleAB;
    const double o3 = orient(c, d, a) / scaleCD, o4 = orient(c, d, b) / scaleCD;
    return ((o1 > tolerance && o2 < -tolerance) || (o1 < -tolerance && o2 > tolerance)) &&
           ((o3 > tolerance && o4 < -tolerance) || (o3 < -tolerance && o4 > tolerance));
}

} // namespace

bool PolygonsOverlap(const Polygon& a, const Polygon& b, double tolerance) {
    if (std::fabs(area(a)) <= tolerance * tolerance || std::fabs(area(b)) <= tolerance * tolerance)
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        for (size_t j = 0; j < b.size(); ++j)
            if (properCross(a[i], a[(i + 1) % a.size()], b[j], b[(j + 1) % b.size()], tolerance))
                return true;
    const double step = 1000.0 * tolerance;
    for (const M2d& p : innerSamples(a, step))
        if (deepInside(p, b, tolerance))
            return true;
    for (const M2d& p : innerSamples(b, step))
        if (deepInside(p, a, tolerance))
            return true;
    return false;
}

std::vector<std::string> PageOverlaps(const PaperPage& page, double tolerance) {
    struct Item {
        std::string name;
        Polygon polygon;
    };
    std::vector<Item> items;
    for (const PaperPiece& piece : page.pieces) {
        for (const PaperFace& f : piece.faces)
            items.push_back({"face " + std::to_string(f.sourceFace), f.corners});
        for (const GlueTab& t : piece.tabs)
            items.push_back({"tab " + std::to_string(t.number), t.corners});
    }
    std::vector<std::string> found;
    for (size_t i = 0; i < items.size(); ++i)
        for (size_t j = i + 1; j < items.size(); ++j)
            if (PolygonsOverlap(items[i].polygon, items[j].polygon, tolerance))
                found.push_back(items[i].name + " overlaps " + items[j].name);
    return found;
}

namespace {

/// A rigid motion of space: p -> R p + t.
struct Motion {
    std::array<M3d, 3> rows{M3d(1, 0, 0), M3d(0, 1, 0), M3d(0, 0, 1)};
    M3d t{0, 0, 0};
    M3d apply(const M3d& p) const {
        return M3d(rows[0].dot(p), rows[1].dot(p), rows[2].dot(p)) + t;
    }
    Motion then(const Motion& outer) const { // outer after this
        Motion m;
        for (int r = 0; r < 3; ++r) {
            M3d row;
            for (int c = 0; c < 3; ++c) {
                M3d column(rows[0][c], rows[1][c], rows[2][c]);
                row[c] = outer.rows[size_t(r)].dot(column);
            }
            m.rows[size_t(r)] = row;
        }
        m.t = outer.apply(t);
        return m;
    }
};

/// Rotation by `angle` about the line through `p` along unit `d` (Rodrigues).
Motion rotationAbout(const M3d& p, const M3d& d, double angle) {
    const double c = std::cos(angle), s = std::sin(angle), k = 1 - c;
    Motion m;
    m.rows[0] = M3d(c + d.x() * d.x() * k, d.x() * d.y() * k - d.z() * s,
                    d.x() * d.z() * k + d.y() * s);
    m.rows[1] = M3d(d.y() * d.x() * k + d.z() * s, c + d.y() * d.y() * k,
                    d.y() * d.z() * k - d.x() * s);
    m.rows[2] = M3d(d.z() * d.x() * k - d.y() * s, d.z() * d.y() * k + d.x() * s,
                    c + d.z() * d.z() * k);
    m.t = p - M3d(m.rows[0].dot(p), m.rows[1].dot(p), m.rows[2].dot(p));
    return m;
}

/// An orthonormal frame from three points: origin a, x towards b, z normal.
std::array<M3d, 3> frameOf(const M3d& a, const M3d& b, const M3d& c) {
    M3d x = b - a;
    x.normalize();
    M3d z;
    z.cross(x, c - a);
    z.normalize();
    M3d y;
    y.cross(z, x);
    return {x, y, z};
}

M3d lift(const M2d& p) { return M3d(p.x(), p.y(), 0.0); }

bool samePoint(const M2d& a, const M2d& b, double tolerance) {
    return (a - b).length() <= tolerance;
}

} // namespace

double FoldedDistance(const PaperLayout& layout, const PaperSurface& surface, double& edgeGap) {
    double worst = 0.0;
    edgeGap = 0.0;
    std::map<int, std::vector<std::pair<M3d, M3d>>> numbered; // number -> folded edge ends
    const double mm = layout.mmPerUnit;
    for (const PaperPage& page : layout.pages) {
        for (const PaperPiece& piece : page.pieces) {
            const size_t n = piece.faces.size();
            const double tiny = 1e-7 * std::max(1.0, surface.longestEdge * mm);
            // Faces joined by a printed fold line share that segment.
            std::vector<Motion> motion(n);
            std::vector<char> reached(n, 0);
            reached[0] = 1;
            std::deque<size_t> queue{0};
            while (!queue.empty()) {
                const size_t f = queue.front();
                queue.pop_front();
                const auto& fc = piece.faces[f].corners;
                for (const PaperLine& line : piece.lines) {
                    if (line.kind == PaperLineKind::Cut)
                        continue;
                    for (size_t g = 0; g < n; ++g) {
                        if (reached[g])
                            continue;
                        const auto& gc = piece.faces[g].corners;
                        // The line must be an edge of both faces.
                        const auto hasEdge = [&](const std::vector<M2d>& c) {
                            for (size_t i = 0; i < c.size(); ++i) {
                                const M2d& p = c[i];
                                const M2d& q = c[(i + 1) % c.size()];
                                if ((samePoint(p, line.a, tiny) && samePoint(q, line.b, tiny)) ||
                                    (samePoint(p, line.b, tiny) && samePoint(q, line.a, tiny)))
                                    return true;
                            }
                            return false;
                        };
                        if (!hasEdge(fc) || !hasEdge(gc))
                            continue;
                        // Page y points down, so the reader looks along +z: mountain folds
                        // carry the far face to +z.
                        M3d d = lift(line.b) - lift(line.a);
                        d.normalize();
                        M2d mean;
                        for (const M2d& p : gc)
                            mean += p * (1.0 / double(gc.size()));
                        const M2d w = mean - line.a;
                        const double side = d.x() * w.y() - d.y() * w.x();
                        double angle = line.foldDegrees * M_PI / 180.0;
                        if ((line.kind == PaperLineKind::Mountain) != (side > 0))
                            angle = -angle;
                        motion[g] = rotationAbout(lift(line.a), d, angle).then(motion[f]);
                        reached[g] = 1;
                        queue.push_back(g);
                    }
                }
            }
            // Fit the folded piece onto the model by its first face.
            const auto& first = piece.faces[0];
            const auto& model = surface.faces[size_t(first.sourceFace)].corners;
            const auto from = frameOf(motion[0].apply(lift(first.corners[0])),
                                      motion[0].apply(lift(first.corners[1])),
                                      motion[0].apply(lift(first.corners[2])));
            const auto to = frameOf(model[0] * mm, model[1] * mm, model[2] * mm);
            Motion fit; // rotation taking `from` onto `to`
            for (int r = 0; r < 3; ++r)
                fit.rows[size_t(r)] = from[0] * to[0][r] + from[1] * to[1][r] + from[2] * to[2][r];
            fit.t = model[0] * mm - fit.apply(motion[0].apply(lift(first.corners[0])));
            for (size_t f = 0; f < n; ++f) {
                const auto& face = piece.faces[f];
                const auto& src = surface.faces[size_t(face.sourceFace)].corners;
                const Motion total = motion[f].then(fit);
                if (!reached[f])
                    worst = std::max(worst, 1e300);
                for (size_t k = 0; k < face.corners.size(); ++k)
                    worst = std::max(worst, (total.apply(lift(face.corners[k])) - src[k] * mm).length());
            }
            for (const PaperLabel& label : piece.labels) {
                if (label.isPieceNumber)
                    continue;
                for (size_t f = 0; f < n; ++f) {
                    const auto& face = piece.faces[f];
                    if (face.sourceFace != label.sourceFace)
                        continue;
                    const Motion total = motion[f].then(fit);
                    const size_t e = size_t(label.edge), m = face.corners.size();
                    numbered[std::stoi(label.text)].emplace_back(
                        total.apply(lift(face.corners[e])),
                        total.apply(lift(face.corners[(e + 1) % m])));
                }
            }
        }
    }
    for (const auto& [number, sides] : numbered) {
        if (sides.size() != 2) {
            edgeGap = 1e300;
            continue;
        }
        // The matching edge runs the other way.
        edgeGap = std::max({edgeGap, (sides[0].first - sides[1].second).length(),
                            (sides[0].second - sides[1].first).length()});
    }
    return worst;
}

} // namespace papercheck
