#include "vorn/core/batch/RandomPolyhedron.h"

#include "common/Random.h"
#include "scene/mesh/CurvatureArmature.h"
#include "scene/mesh/PolyMesh.h"

namespace {

bool acceptable(PolyMesh& mesh) {
    return mesh.getPolyCount() >= 4 && CurvatureArmature::AngleDeficitsAtLeast(mesh, 0.0001);
}

} // namespace

bool MakeRandomPolyhedron(PolyMesh& mesh, bool varyRandoms, RandomConvexBuilder build,
                          int maxTries) {
    mesh.clear();
    if (!build)
        return false;
    int count = 100;
    for (int tries = 0; tries < maxTries; ++tries) {
        if (varyRandoms)
            count = 4 + vornRand() % 96;
        build(mesh, count, 1.0);
        if (acceptable(mesh))
            return true;
    }
    return false;
}
