#include "unfolders/engine/FaceBox.h"

#include "scene/mesh/Poly.h"
#include "scene/mesh/Vertex.h"

FaceBox::FaceBox(Poly* face) : face(face) {
    if (!face)
        return;
    for (const Vertex* v : face->getVertices()) {
        if (v->x() < minX)
            minX = v->x();
        if (v->x() > maxX)
            maxX = v->x();
        if (v->z() < minZ)
            minZ = v->z();
        if (v->z() > maxZ)
            maxZ = v->z();
    }
}

namespace {

/// The y component of (a - o) x (b - o) for points in the (x, z) plane: its
/// sign says on which side of the line o-b the point a lies.
inline double sideOf(double ax, double az, double ox, double oz, double bx, double bz) {
    const double ux = ax - ox, uz = az - oz;
    const double vx = bx - ox, vz = bz - oz;
    return uz * vx - ux * vz;
}

} // namespace

bool EdgesCrossProperly(double p1x, double p1z, double p2x, double p2z, double q1x, double q1z,
                        double q2x, double q2z) {
    const double c1 = sideOf(p1x, p1z, q1x, q1z, q2x, q2z);
    const double c2 = sideOf(p2x, p2z, q1x, q1z, q2x, q2z);
    if (!(c1 * c2 < 0))
        return false;
    const double c3 = sideOf(q1x, q1z, p1x, p1z, p2x, p2z);
    const double c4 = sideOf(q2x, q2z, p1x, p1z, p2x, p2z);
    return c3 * c4 < 0;
}

bool FacesOverlap(const FaceBox& queryBox, const FaceBox& stored) {
    if (!stored.overlapsArea(queryBox))
        return false;
    const Poly* a = queryBox.face;
    const Poly* b = stored.face;
    if (!a || !b || a == b)
        return false;
    const int nb = b->getVertexCount();
    const int na = a->getVertexCount();
    // Faces joined along a fold edge never conflict.
    for (int i = 0; i < nb; ++i)
        if (b->getNeighbor(i) == a)
            return false;
    const auto& bv = b->getVertices();
    const auto& av = a->getVertices();
    for (int i = 0; i < nb; ++i) {
        const Vertex* p1 = bv[i];
        const Vertex* p2 = bv[(i + 1) % nb];
        for (int j = 0; j < na; ++j) {
            const Vertex* q1 = av[j];
            const Vertex* q2 = av[(j + 1) % na];
            if (EdgesCrossProperly(p1->x(), p1->z(), p2->x(), p2->z(), q1->x(), q1->z(), q2->x(),
                                   q2->z()))
                return true;
        }
    }
    return false;
}
