#include "vorn/core/FiniteNet.h"

#include "scene/mesh/PolyMesh.h"

#include <cmath>

bool HasFinitePositions(const PolyMesh& net) {
    for (const Vertex* v : net.getVertices())
        if (!std::isfinite(v->x()) || !std::isfinite(v->y()) || !std::isfinite(v->z()))
            return false;
    return true;
}
