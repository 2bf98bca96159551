#include "vorn/core/papercraft/FoldClassifier.h"

#include "vorn/core/papercraft/PaperSurface.h"

#include <algorithm>
#include <cmath>

FoldKind ClassifyFold(const PaperSurface& surface, int face, int edge) {
    const auto& f = surface.faces[size_t(face)];
    const auto& g = surface.faces[size_t(f.neighbor[size_t(edge)])];
    FoldKind fold;
    // A face without area has no plane: its folds are drawn flat.
    if (f.normal.squared() == 0.0 || g.normal.squared() == 0.0)
        return fold;
    const double cosine = std::clamp(f.normal.dot(g.normal), -1.0, 1.0);
    fold.degrees = std::acos(cosine) * 180.0 / M_PI;
    // Which way the neighbour leaves the edge: its in-plane direction away from the edge,
    // taken at the edge itself because a non-convex neighbour may reach round to either
    // side of this face's plane further away. Below the plane (behind the outside) the
    // edge is convex.
    const int ge = f.neighborEdge[size_t(edge)];
    Sorvex::M3d along = g.corners[(size_t(ge) + 1) % g.corners.size()] - g.corners[size_t(ge)];
    along.normalize();
    Sorvex::M3d into;
    into.cross(g.normal, along);
    fold.kind = f.normal.dot(into) <= 0.0 ? PaperLineKind::Mountain : PaperLineKind::Valley;
    return fold;
}
