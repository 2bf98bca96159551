#include "vorn/core/shapes/RandomConvex.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "common/Random.h"
#include "scene/mesh/ConvexHull.h"
#include "scene/mesh/PolyMesh.h"

using Sorvex::M3d;

namespace {

/// Faces with a smaller area or a shorter edge are collapsed.
constexpr double MinSize = 0.0001;
/// New point sets drawn before giving up; a sound radius needs one or two.
constexpr int MaxAttempts = 1000;

bool makeConvex(PolyMesh& mesh) {
    if (!mesh.convexify(false))
        return false;
    return mesh.convexify(true);
}

bool isDegenerate(const Poly& f) {
    if (f.getArea() < MinSize || f.getNormal().length() == 0)
        return true;
    for (int i = 0; i < f.getVertexCount(); ++i)
        if ((*f.getVertex(i + 1) - *f.getVertex(i)).length() < MinSize)
            return true;
    return false;
}

/// The first degenerate face, or null.
Poly* findDegenerateFace(PolyMesh& mesh) {
    for (Poly* f : mesh.getPolys())
        if (isDegenerate(*f))
            return f;
    return nullptr;
}

bool isClosed(PolyMesh& mesh) {
    if (mesh.getPolyCount() == 0)
        return false;
    for (Poly* f : mesh.getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i)
            if (!mesh.hasNeighbor(*f, i))
                return false;
    return true;
}

/// One attempt on fresh points; true when the hull is closed and has no
/// degenerate face.
bool tryOnce(PolyMesh& mesh, int count, double radius) {
    std::vector<M3d> points;
    points.reserve(std::size_t(count));
    for (int i = 0; i < count; ++i) {
        // Three separate statements: the draws must happen in x, y, z order.
        const double x = vornRand() - 16383;
        const double y = vornRand() - 16383;
        const double z = vornRand() - 16383;
        points.push_back(M3d(x, y, z).normalized() * radius);
    }
    // The hull of the points, triangulated, then the hull of its corners with coplanar
    // triangles merged, as makeConvex gives it; built as data, the mesh only once.
    MeshData triangulated, merged;
    if (!ConvexHullOf(points, false, triangulated) ||
        !ConvexHullOf(triangulated.vertices, true, merged) ||
        !mesh.fromMeshData(merged))
        return false;
    // Each collapse merges a face's corners into one point, so the hull
    // loses vertices every round: at most `count` rounds are needed.
    for (int round = 0; round <= count; ++round) {
        Poly* f = findDegenerateFace(mesh);
        if (!f)
            return isClosed(mesh);
        const M3d centre = f->getCenter();
        for (Vertex* v : f->getVertices())
            v->setPosition(centre);
        if (!makeConvex(mesh))
            return false;
    }
    return false;
}

} // namespace

bool BuildRandomConvex(PolyMesh& mesh, int count, double radius) {
    if (!std::isfinite(radius) || radius <= 0)
        return false;
    count = std::max(count, 4);
    // Built aside so that a failure leaves the caller's mesh untouched; an empty mesh
    // (the batch runner clears its test mesh first) is built in place and emptied
    // again on failure, which saves a copy per polyhedron.
    const bool inPlace = mesh.getPolyCount() == 0 && mesh.getVertexCount() == 0;
    PolyMesh scratch;
    PolyMesh& work = inPlace ? mesh : scratch;
    for (int attempt = 0; attempt < MaxAttempts; ++attempt)
        if (tryOnce(work, count, radius))
            return inPlace || mesh.fromMeshData(scratch.toMeshData());
    if (inPlace)
        mesh.clear();
    return false;
}
