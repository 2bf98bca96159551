#include <limits>
#include <vector>

#include "scene/mesh/MeshTruncate.h"
#include "sorvex/MPlane.h"
#include "unfolders/automation/ManualUnfolder.h"

using Sorvex::M3d;
using Sorvex::MPlane;

namespace {

/// Fractions of the way from the tip to a neighbour where the bevel plane
/// passes: nearer the tip when the neighbour is a tip too, so that the planes
/// of two neighbouring tips do not cross on their common edge.
constexpr double TipNeighbourT = 0.33333;
constexpr double OtherNeighbourT = 0.66666;

/// The distinct mesh neighbours of `v`, one per incident face (the vertex after
/// `v` in each face's ring), in the order of the faces.
std::vector<Vertex*> meshNeighbors(Vertex* v) {
    std::vector<Vertex*> around;
    for (Poly* f : v->getPolys()) {
        const auto ring = f->getVertices();
        for (size_t i = 0; i < ring.size(); ++i) {
            if (ring[i] != v)
                continue;
            Vertex* next = ring[(i + 1) % ring.size()];
            bool known = false;
            for (Vertex* w : around)
                known = known || w == next;
            if (!known)
                around.push_back(next);
        }
    }
    return around;
}

double distanceToSegment(const M3d& p, const M3d& a, const M3d& b) {
    const M3d ab = b - a;
    const double lengthSquared = ab * ab;
    double t = lengthSquared > 0 ? ((p - a) * ab) / lengthSquared : 0.0;
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return (p - (a + ab * t)).length();
}

/// One planned cut: the tip, where it stood, and the plane that cuts it off
/// (its normal pointing to the tip).
struct Bevel {
    Vertex* tip;
    M3d tipAt;
    MPlane plane;
};

} // namespace

void ManualUnfolder::smartBevel() {
    if (!source)
        return;
    auto isTip = [&](Vertex* v) { return requested.getDegree(v) == 1; };
    std::vector<Bevel> bevels;
    for (const auto& [v, around] : requested) {
        if (!v || around.size() != 1 || !around.front())
            continue;
        const std::vector<Vertex*> ring = meshNeighbors(v);
        if (ring.size() != 3)
            continue;
        M3d corner[3];
        for (int k = 0; k < 3; ++k) {
            const double t = isTip(ring[size_t(k)]) ? TipNeighbourT : OtherNeighbourT;
            corner[k] = *v + (*ring[size_t(k)] - *v) * t;
        }
        MPlane plane(corner[0], corner[1], corner[2]);
        if (!(plane.getNormal().length() > 0))
            continue;
        if (plane.getNormal() * *v - plane.getDist() < 0)
            plane = MPlane(-plane.getNormal(), -plane.getDist());
        bevels.push_back({v, *v, plane});
    }

    for (const Bevel& bevel : bevels) {
        // The cut removes everything above the plane. On a mesh that is not
        // convex near the tip it could take more than the tip: then skip it.
        bool onlyTip = true;
        for (Vertex* w : source->getVertices())
            if (w != bevel.tip && bevel.plane.getNormal() * *w - bevel.plane.getDist() > 1e-9)
                onlyTip = false;
        // The tip's requested neighbour now: an earlier bevel of a neighbouring
        // tip has moved it to that bevel's cap.
        const auto* around = requested.findNeighbors(bevel.tip);
        Vertex* along = around && around->size() == 1 ? around->front() : nullptr;
        if (!onlyTip || !along)
            continue;
        Poly* cap = TruncateMesh(*source, bevel.plane);
        if (!cap)
            continue;
        // The tip is gone (compared by address only from here). The cut that
        // ended there now runs to the cap corner on its edge, then on to the
        // cap's other corners, so the cap hangs by one edge.
        requested.removeVertex(bevel.tip);
        Vertex* entry = nullptr;
        double best = std::numeric_limits<double>::max();
        for (Vertex* w : cap->getVertices()) {
            const double d = distanceToSegment(*w, *along, bevel.tipAt);
            if (d < best) {
                best = d;
                entry = w;
            }
        }
        requested.addEdge(along, entry);
        int added = 0;
        for (Vertex* w : cap->getVertices())
            if (w != entry && added++ < 2)
                requested.addEdge(entry, w);
    }
    source->onChanged(true);
    pseudoflatten();
}
