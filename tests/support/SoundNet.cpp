#include "tests/support/SoundNet.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>

#include "tests/support/NetOverlaps.h"
#include "unfolders/engine/Unfolder.h"

using Sorvex::M3d;

namespace testsupport {

namespace {

constexpr double RelativeLimit = 1e-6;

/// The unit normal of the ring as its vertices lie now (Newell's method).
M3d ringNormal(const Poly& f) {
    M3d n;
    const int count = f.getVertexCount();
    for (int i = 0; i < count; ++i) {
        const M3d& p = *f.getVertex(i);
        const M3d& q = *f.getVertex((i + 1) % count);
        n += M3d((p.y() - q.y()) * (p.z() + q.z()), (p.z() - q.z()) * (p.x() + q.x()),
                 (p.x() - q.x()) * (p.y() + q.y()));
    }
    return n.length() > 0 ? n / n.length() : n;
}

/// The size of a mesh: the diagonal of its vertices' box.
double sizeOf(const PolyMesh& mesh) {
    M3d lo(1e300, 1e300, 1e300), hi(-1e300, -1e300, -1e300);
    for (const Vertex* v : mesh.getVertices())
        for (int axis = 0; axis < 3; ++axis) {
            lo[axis] = std::min(lo[axis], (*v)[axis]);
            hi[axis] = std::max(hi[axis], (*v)[axis]);
        }
    return mesh.getVertices().empty() ? 0 : (hi - lo).length();
}

/// How far the corners of the most bent face of `mesh` lie from its mean plane (through
/// its centre, with its Newell normal): 0 for a mesh of planar faces.
double largestBend(const PolyMesh& mesh) {
    double largest = 0;
    for (const Poly* f : mesh.getPolys()) {
        const M3d n = ringNormal(*f);
        const M3d c = f->getCenter();
        for (const Vertex* v : f->getVertices())
            largest = std::max(largest, std::fabs((*v - c).dot(n)));
    }
    return largest;
}

/// The most bent faces (corners off their mean plane) that meet at one corner; at least 1.
int largestBentFan(const PolyMesh& mesh) {
    int largest = 1;
    for (const Vertex* v : mesh.getVertices()) {
        int bent = 0;
        for (const Poly* f : v->getPolys()) {
            const M3d n = ringNormal(*f);
            const M3d c = f->getCenter();
            for (const Vertex* w : f->getVertices())
                if (std::fabs((*w - c).dot(n)) > 1e-12) {
                    ++bent;
                    break;
                }
        }
        largest = std::max(largest, bent);
    }
    return largest;
}

/// The corners of two faces in the net plane, for a failure message.
std::string describePair(const Poly& a, const Poly& b) {
    std::ostringstream out;
    out.precision(17);
    for (const Poly* f : {&a, &b}) {
        out << "\n  " << f->getVertexCount() << " corners:";
        for (const Vertex* v : f->getVertices())
            out << " (" << v->x() << ", " << v->z() << ")";
    }
    return out.str();
}

} // namespace

std::string NetReport::describe() const {
    std::ostringstream out;
    for (const std::string& fault : faults)
        out << fault << '\n';
    out << overlaps.size() << " overlapping pairs" << (complete ? "" : ", incomplete");
    return out.str();
}

NetReport CheckNet(Unfolder& u) {
    NetReport report;
    PolyMesh* source = u.getSource();
    if (!source) {
        report.faults.push_back("no source");
        return report;
    }
    // A bent face cannot lie flat: it is laid by its mean plane, and it and its hinges
    // may stand off the net plane and from congruence by a few times its bend.
    const double bend = largestBend(*source);
    // A bent face laid against a bent neighbour takes its hinge from where that one's
    // corners ended up, so the distortion adds up along a run of bent faces round a
    // corner: allow it for as many bent faces as meet at one corner.
    const double limit = RelativeLimit * sizeOf(*source) + 4 * bend * largestBentFan(*source);
    double low = 0, high = 0;
    source->getHeightRange(low, high);
    const double plane = low - (high - low) / 10;
    auto fault = [&report](int face, const std::string& what) {
        report.faults.push_back("net face " + std::to_string(face) + ": " + what);
    };

    int index = 0;
    for (Poly* f : u.getPolys()) {
        Poly* src = f->getTwin();
        if (!src || src->getTwin() != f || src->getVertexCount() != f->getVertexCount()) {
            fault(index++, "not twinned both ways with a source face of as many corners");
            continue;
        }
        const int n = f->getVertexCount();
        for (int i = 0; i < n; ++i)
            if (std::fabs(f->getVertex(i)->y() - plane) > limit)
                fault(index, "corner " + std::to_string(i) + " lies off the net plane by " +
                                 std::to_string(f->getVertex(i)->y() - plane));
        // A face without area has no direction: it is laid as a segment, on the plane
        // and congruent, but it faces nowhere.
        const double facingLimit = RelativeLimit + 4 * bend / std::sqrt(src->getArea());
        if (!src->hasNoArea() && ((ringNormal(*f) - M3d(0, -1, 0)).length() > facingLimit ||
                                  (bend == 0 && !(f->getNormal() == M3d(0, -1, 0)))))
            fault(index, "does not face down");
        for (int i = 0; i < n; ++i)
            for (int j = i + 1; j < n; ++j) {
                const double inNet = (*f->getVertex(i) - *f->getVertex(j)).length();
                const double onSource = (*src->getVertex(i) - *src->getVertex(j)).length();
                if (std::fabs(inNet - onSource) > limit)
                    fault(index, "not congruent to its source face");
            }
        for (int i = 0; i < n; ++i) {
            Poly* g = f->getNeighbor(i);
            if (!g)
                continue;
            if (g->getVertexIndex(f->getVertex(i)) < 0 ||
                g->getVertexIndex(f->getVertex((i + 1) % n)) < 0)
                fault(index, "fold edge " + std::to_string(i) + " does not share its corners");
            if (!g->getTwin() || src->getNeighbor(i) != g->getTwin())
                fault(index,
                      "fold edge " + std::to_string(i) + " joins faces not joined on the source");
        }
        ++index;
    }

    report.overlaps = FindNetOverlaps(u);
    const Graph<Poly*>& engine = u.getConflicts();
    std::set<std::pair<Poly*, Poly*>> checked;
    for (auto [a, b] : report.overlaps) {
        checked.insert({a, b});
        checked.insert({b, a});
        if (!engine.hasEdge(a, b))
            report.faults.push_back("an overlap of depth " +
                                    std::to_string(OverlapDepth(*a, *b) / PairSize(*a, *b)) +
                                    " of the faces' size is missing from the engine's overlaps: " +
                                    describePair(*a, *b));
    }
    for (const auto& [a, around] : engine)
        for (Poly* b : around)
            if (!checked.count({a, b}))
                report.faults.push_back("the engine reports an overlap of depth " +
                                        std::to_string(OverlapDepth(*a, *b) / PairSize(*a, *b)) +
                                        " of the faces' size, not deeper than the tolerance");
    report.complete = u.getPolyCount() == source->getPolyCount();
    return report;
}

} // namespace testsupport
