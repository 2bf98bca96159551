// The enclosing tetrahedron of the truncation strategy, and the test of whether a mesh can
// be carved into at all.
#include <algorithm>
#include <array>
#include <cmath>
#include <deque>
#include <unordered_set>

#include "common/StatusLine.h"
#include "sorvex/MBoundingBox.h"
#include "unfolders/strategies/CarvedSolid.h"
#include "unfolders/strategies/TruncationUnfolder.h"

using Sorvex::M3d;
using Sorvex::MPlane;

namespace {

using Corners = std::array<M3d, 4>;

/// The corners of the tetrahedron bounded by four planes, the corner opposite plane i at
/// index i; false when three of them do not meet in a point, when a corner does not lie
/// strictly inside the plane opposite it (the planes bound no tetrahedron) or when the
/// tetrahedron reaches farther than `reach` from `centre`.
bool cornersOf(const std::array<MPlane, 4>& planes, const M3d& centre, double reach,
               double margin, Corners& corners) {
    for (int i = 0; i < 4; ++i) {
        const MPlane& a = planes[std::size_t((i + 1) % 4)];
        const MPlane& b = planes[std::size_t((i + 2) % 4)];
        const MPlane& c = planes[std::size_t((i + 3) % 4)];
        if (!a.intersect(b, c, &corners[std::size_t(i)]))
            return false;
        const M3d& p = corners[std::size_t(i)];
        if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || !std::isfinite(p.z()))
            return false;
        if ((p - centre).length() > reach)
            return false;
        const MPlane& opposite = planes[std::size_t(i)];
        if (opposite.getNormal().dot(p) - opposite.getDist() > -margin)
            return false;
    }
    return true;
}

/// A tall tetrahedron standing on the bottom plane whose sides keep clear of every
/// vertex: its apex is as high above the top as the model is high, so at the top the
/// sides are still half as far out as at the foot, twice the model's horizontal reach.
std::array<MPlane, 4> standingTetrahedron(PolyMesh& mesh, double top, double bottom) {
    Sorvex::MBoundingBox box;
    for (Vertex* v : mesh.getVertices())
        box.extend(*v);
    const M3d mid = box.getCenter();
    double reach = 0;
    for (Vertex* v : mesh.getVertices())
        reach = std::max(reach, std::hypot(v->x() - mid.x(), v->z() - mid.z()));
    const double height = top - bottom;
    const double inradius = 2.1 * reach + 0.1 * height;
    std::array<MPlane, 4> planes;
    for (int k = 0; k < 3; ++k) {
        const double angle = 2 * M_PI * k / 3;
        const M3d out(std::cos(angle), 0, std::sin(angle));
        // The side through the apex and the foot line `inradius` out along `out`.
        const M3d foot(mid.x() + inradius * out.x(), bottom, mid.z() + inradius * out.z());
        M3d normal = out * height * 2 + M3d(0, inradius, 0);
        normal.normalize();
        planes[std::size_t(k)] = MPlane(foot, normal);
    }
    planes[3] = MPlane(M3d(mid.x(), bottom, mid.z()), M3d(0, -1, 0));
    return planes;
}

} // namespace

std::string TruncationUnfolder::findUnusableMesh(PolyMesh& mesh) {
    const std::string needs = "Truncation needs a closed convex mesh in one piece: this one ";
    for (Vertex* v : mesh.getVertices())
        if (!std::isfinite(v->x()) || !std::isfinite(v->y()) || !std::isfinite(v->z()))
            return needs + "has coordinates that are not finite numbers";
    Sorvex::MBoundingBox box;
    for (Vertex* v : mesh.getVertices())
        box.extend(*v);
    const double size = box.getSize().length();
    if (!std::isfinite(size * size * size))
        return needs + "is too large to measure";
    for (Poly* f : mesh.getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Poly* g = f->getNeighbor(i);
            if (!g)
                return needs + "is open (it has a border)";
            // Across a shared edge the neighbour runs the other way.
            const int j = g->getVertexIndex(f->getVertex(i + 1));
            if (j < 0 || g->getVertex(j + 1) != f->getVertex(i))
                return needs + "has faces turned inside out or edges shared by more than two faces";
        }
    // One piece: every face is reached from the first across shared edges.
    if (mesh.getPolyCount() > 0) {
        std::unordered_set<Poly*> reached{mesh.getPoly(0)};
        std::deque<Poly*> queue{mesh.getPoly(0)};
        while (!queue.empty()) {
            Poly* f = queue.front();
            queue.pop_front();
            for (int i = 0; i < f->getVertexCount(); ++i)
                if (reached.insert(f->getNeighbor(i)).second)
                    queue.push_back(f->getNeighbor(i));
        }
        if (reached.size() != mesh.getPolyCount())
            return needs + "has several separate parts";
    }
    // Convex: each face is flat and its neighbours bend away below its plane. On a closed
    // surface in one piece this holds everywhere exactly when the solid is convex.
    const double tolerance = 1e-7 * size;
    double volume = 0;
    for (Poly* f : mesh.getPolys()) {
        volume += f->getArea() * f->getNormal().dot(f->getCenter()) / 3;
        if (f->hasNoArea())
            continue;
        const MPlane plane(f->getCenter(), f->getNormal());
        for (Vertex* v : f->getVertices())
            if (std::fabs(plane.getNormal().dot(*v) - plane.getDist()) > tolerance)
                return needs + "is not convex (a face is not flat)";
        for (int i = 0; i < f->getVertexCount(); ++i)
            for (Vertex* v : f->getNeighbor(i)->getVertices())
                if (plane.getNormal().dot(*v) - plane.getDist() > tolerance)
                    return needs + "is not convex";
    }
    if (volume <= 1e-9 * size * size * size)
        return needs + "encloses no volume";
    return {};
}

void TruncationUnfolder::buildTetrahedron() {
    PolyMesh& mesh = *source;
    if (mesh.getVertexCount() == 0)
        throw "ERROR: erm... model appears to be empty";
    for (Vertex* v : mesh.getVertices())
        if (!std::isfinite(v->x()) || !std::isfinite(v->y()) || !std::isfinite(v->z())) {
            refuse(findUnusableMesh(mesh));
            return;
        }
    Vertex* top = nullptr;
    Vertex* bottom = nullptr;
    for (Vertex* v : mesh.getVertices()) {
        if (!top || v->y() > top->y())
            top = v;
        if (!bottom || v->y() < bottom->y())
            bottom = v;
    }
    if (top == bottom)
        throw "ERROR: erm... model appears to be flat";
    if (const std::string why = findUnusableMesh(mesh); !why.empty()) {
        refuse(why);
        return;
    }

    Sorvex::MBoundingBox box;
    for (Vertex* v : mesh.getVertices())
        box.extend(*v);
    modelSize = box.getSize().length();
    meshPoints = Sorvex::PointSorter(0.0001 * std::min(1.0, modelSize));
    for (Vertex* v : mesh.getVertices())
        meshPoints.add(v);

    // The planes of the first three faces at the top vertex and the bottom plane, when they
    // bound a tetrahedron of sensible size; otherwise (a horizontal top face, a top vertex
    // with coplanar faces) a tall tetrahedron round the whole model.
    std::array<MPlane, 4> planes;
    std::array<Poly*, 3> matched{};
    int found = 0;
    for (Poly* f : top->getPolys())
        if (found < 3 && !f->hasNoArea()) {
            matched[std::size_t(found)] = f;
            planes[std::size_t(found++)] = MPlane(*top, f->getNormal());
        }
    planes[3] = MPlane(*bottom, M3d(0, -1, 0));
    const M3d centre = box.getCenter();
    const double margin = 1e-9 * modelSize;
    Corners corners;
    if (found < 3 || !cornersOf(planes, centre, 1000 * modelSize, margin, corners)) {
        matched = {};
        planes = standingTetrahedron(mesh, top->y(), bottom->y());
        if (!cornersOf(planes, centre, 1e6 * modelSize, margin, corners))
            throw "ERROR: Planes of topmost vertex do not intersect bottom-most plane";
    }

    carved = std::make_unique<CarvedSolid>(*this);
    std::array<Vertex*, 4> v{};
    for (std::size_t i = 0; i < 4; ++i) {
        v[i] = carved->addVertexAt(corners[i]);
        if (Sorvex::M3d* near = meshPoints.findNear(*v[i]))
            vertexMap[v[i]] = static_cast<Vertex*>(near);
    }
    const M3d middle = (corners[0] + corners[1] + corners[2] + corners[3]) / 4.0;
    // The face on plane i has every corner but corner i, turned to face outwards.
    for (std::size_t i = 0; i < 4; ++i) {
        std::vector<Vertex*> ring;
        for (std::size_t k = 1; k < 4; ++k)
            ring.push_back(v[(i + k) % 4]);
        M3d normal;
        normal.cross(*ring[1] - *ring[0], *ring[2] - *ring[0]);
        if (normal.dot(*ring[0] - middle) < 0)
            std::swap(ring[1], ring[2]);
        auto* face = new Poly(ring);
        carved->addPoly(face);
        if (i == 3)
            bottomFace = face;
        else if (matched[i]) {
            faceMap[face] = matched[i];
            seen.insert(matched[i]);
            applied.insert(matched[i]);
        }
    }
    for (Vertex* corner : v)
        chooseAscent(corner);

    std::vector<Vertex*> around;
    top->collectOtherVertices(around);
    for (Vertex* w : around)
        for (Poly* f : w->getPolys())
            queue(f);
    if (pending.empty())
        for (Poly* f : mesh.getPolys())
            queue(f);
    climbStart = v[3];
    layCarvedNet();
}
