#pragma once

#include "scene/mesh/PolyMesh.h"

#include <map>
#include <utility>

/// Faces are oriented consistently when no directed edge is used twice and every edge
/// shared by two faces runs opposite ways in them.
inline bool consistentlyOriented(const PolyMesh& mesh) {
    std::map<std::pair<const Vertex*, const Vertex*>, int> directed;
    for (const Poly* f : mesh.getPolys())
        for (int i = 0; i < f->getVertexCount(); ++i)
            if (++directed[{f->getVertex(i), f->getVertex((i + 1) % f->getVertexCount())}] > 1)
                return false;
    return true;
}

/// The smallest face area (0 for a mesh without faces).
inline double smallestArea(const PolyMesh& mesh) {
    double least = 0;
    bool first = true;
    for (const Poly* f : mesh.getPolys()) {
        if (first || f->getArea() < least)
            least = f->getArea();
        first = false;
    }
    return least;
}
