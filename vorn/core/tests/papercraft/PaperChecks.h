#pragma once

#include "vorn/core/papercraft/PaperModel.h"

#include "sorvex/M3d.h"

#include <string>
#include <vector>

struct PaperSurface;

// Checks of printed papercraft that share no code with what they check: overlaps by
// edge crossings and sample points, folding by composing hinge rotations.
namespace papercheck {

using Polygon = std::vector<Sorvex::M2d>;

/// Whether the interiors of two simple polygons overlap deeper than `tolerance`: an
/// edge of one properly crosses an edge of the other, or a point just inside one
/// (near an edge's middle or a corner) lies inside the other by more than `tolerance`.
bool PolygonsOverlap(const Polygon& a, const Polygon& b, double tolerance);

/// Every overlapping pair among the faces and tabs of a page, as readable lines.
std::vector<std::string> PageOverlaps(const PaperPage& page, double tolerance);

/// Folds each piece along its printed fold lines (mountain away from the reader,
/// valley towards, by each line's angle), fits the folded piece onto the model with the
/// rotation and shift that carry its first face onto that face's source, and returns the
/// largest distance between a folded corner and its model corner, over all faces of the
/// layout. Numbered edges are then checked to come back together: their two sides'
/// ends must meet within the same distance, reported in `edgeGap`.
double FoldedDistance(const PaperLayout& layout, const PaperSurface& surface, double& edgeGap);

} // namespace papercheck
