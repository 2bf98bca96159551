#pragma once

#include "vorn/core/papercraft/PaperModel.h"

#include <string>
#include <vector>

struct PapercraftOptions;

/// The trapezoid of a tab on the outside of the edge from `a` to `b` of a
/// counter-clockwise face: `heightMm` high, its sides at `angleDegrees` to the base. When
/// the sides would meet below that height the tab becomes a triangle. Corners
/// counter-clockwise, `a` first and `b` last.
std::vector<Sorvex::M2d> TabOutline(const Sorvex::M2d& a, const Sorvex::M2d& b, double heightMm,
                                    double angleDegrees);
/// The same with the side at `a` at `angleAtA` to the base and the side at `b` at
/// `angleAtB`.
std::vector<Sorvex::M2d> TabOutline(const Sorvex::M2d& a, const Sorvex::M2d& b, double heightMm,
                                    double angleAtA, double angleAtB);

/// The narrowest slit a glue tab of `options` fits in, in radians: where a cut ends at a
/// vertex whose faces all lie in one piece, the cut opens only by the vertex's angle
/// deficit, and the flattest tab end tried must fit that wedge. 0 without tabs.
double NarrowestTabSlit(const PapercraftOptions& options);

/// Gives every cut edge pair numbered in `numbers` (per source face and edge) exactly one glue tab,
/// on one of its two sides (first the side in the lower-numbered piece), overlapping no face and no
/// tab of its piece: the full tab on either side, then lower ones whose sides meet the edge at
/// smaller angles (at both ends, or at one end where the other is free), down to narrow
/// triangles; where none fits the tab is dropped and a warning added. The edge under a tab becomes
/// a mountain fold line. `toleranceMm`: touching is no overlap. Returns the number of tabs placed.
int PlaceGlueTabs(std::vector<PaperPiece>& pieces, const std::vector<std::vector<int>>& numbers,
                  const PapercraftOptions& options, double toleranceMm,
                  std::vector<std::string>& warnings);
