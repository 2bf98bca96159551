#include "tests/support/NetOverlaps.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "scene/mesh/PolyMesh.h"
#include "unfolders/engine/FaceBox.h"
#include "unfolders/engine/FaceOverlap.h"

namespace testsupport {

namespace {

using Polygon = std::vector<NetPoint>;
using Triangle = std::array<NetPoint, 3>;

double cross(const NetPoint& o, const NetPoint& a, const NetPoint& b) {
    return (a.x - o.x) * (b.z - o.z) - (a.z - o.z) * (b.x - o.x);
}

/// The counter-clockwise triangles of a face in the net plane.
std::vector<Triangle> trianglesOf(const Poly& face) {
    const NetOutline outline(face);
    std::vector<Triangle> triangles;
    if (outline.isConvex()) {
        for (int i = 1; i + 1 < outline.size(); ++i)
            triangles.push_back({outline[0], outline[i], outline[i + 1]});
    } else {
        for (const auto& t : outline.triangulate())
            triangles.push_back({outline[t[0]], outline[t[1]], outline[t[2]]});
    }
    return triangles;
}

/// The part of `subject` on the left of the line from `a` to `b`
/// (one step of Sutherland-Hodgman clipping).
Polygon keepLeftOf(const Polygon& subject, const NetPoint& a, const NetPoint& b) {
    Polygon kept;
    const size_t n = subject.size();
    for (size_t i = 0; i < n; ++i) {
        const NetPoint& p = subject[i];
        const NetPoint& q = subject[(i + 1) % n];
        const double sp = cross(a, b, p), sq = cross(a, b, q);
        if (sp >= 0)
            kept.push_back(p);
        if ((sp >= 0) != (sq >= 0)) {
            const double t = sp / (sp - sq);
            kept.push_back({p.x + t * (q.x - p.x), p.z + t * (q.z - p.z)});
        }
    }
    return kept;
}

double thickness(const Polygon& piece) {
    if (piece.size() < 3)
        return 0;
    // Areas are summed about the first corner: far from the origin, a
    // sliver's area would drown in the rounding of the coordinates' products.
    double twiceArea = 0, perimeter = 0;
    for (size_t i = 0; i < piece.size(); ++i) {
        const NetPoint& p = piece[i];
        const NetPoint& q = piece[(i + 1) % piece.size()];
        twiceArea += cross(piece[0], p, q);
        perimeter += std::hypot(q.x - p.x, q.z - p.z);
    }
    return perimeter > 0 ? std::fabs(twiceArea) / perimeter : 0;
}

} // namespace

double OverlapDepth(const Poly& a, const Poly& b) {
    double deepest = 0;
    for (const Triangle& ta : trianglesOf(a)) {
        for (const Triangle& tb : trianglesOf(b)) {
            Polygon piece(ta.begin(), ta.end());
            for (int i = 0; i < 3 && !piece.empty(); ++i)
                piece = keepLeftOf(piece, tb[size_t(i)], tb[size_t(i + 1) % 3]);
            deepest = std::max(deepest, thickness(piece));
        }
    }
    return deepest;
}

double PairSize(const Poly& a, const Poly& b) {
    const FaceBox boxA(const_cast<Poly*>(&a)), boxB(const_cast<Poly*>(&b));
    return std::max({boxA.maxX - boxA.minX, boxA.maxZ - boxA.minZ, boxB.maxX - boxB.minX,
                     boxB.maxZ - boxB.minZ});
}

std::vector<std::pair<Poly*, Poly*>> FindNetOverlaps(PolyMesh& net) {
    std::vector<std::pair<Poly*, Poly*>> pairs;
    const auto& faces = net.getPolys();
    for (auto i = faces.begin(); i != faces.end(); ++i)
        for (auto j = std::next(i); j != faces.end(); ++j)
            if (OverlapDepth(**i, **j) > OverlapTolerance * PairSize(**i, **j))
                pairs.emplace_back(*i, *j);
    return pairs;
}

} // namespace testsupport
