#include "vorn/core/papercraft/FoldClassifier.h"

#include "vorn/core/papercraft/PaperSurface.h"

#include <algorithm>
#include <cmath>

FoldKind ClassifyFold(const PaperSurface& surface, int face, int edge) {
    const auto& f = surface.faces[size_t(face)];
    const auto& g = surface.faces[size_t(f.neighbor[size_t(edge)])];
    FoldKind fold;
    const double cosine = std::clamp(f.normal.dot(g.normal), -1.0, 1.0);
    fold.degrees = std::acos(cosine) * 180.0 / M_PI;
    // The neighbour's corner farthest from this face's plane says which way it bends:
    // below the plane (behind the outside) the edge is convex.
    const Sorvex::M3d& origin = f.corners[size_t(edge)];
    double deepest = 0.0;
    for (const Sorvex::M3d& c : g.corners) {
        const double h = f.normal.dot(c - origin);
        if (std::fabs(h) > std::fabs(deepest))
            deepest = h;
    }
    fold.kind = deepest <= 0.0 ? PaperLineKind::Mountain : PaperLineKind::Valley;
    return fold;
}
