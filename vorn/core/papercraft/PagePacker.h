#pragma once

#include "vorn/core/papercraft/PaperModel.h"

#include <string>
#include <vector>

struct PapercraftOptions;

/// The convex hull of points, counter-clockwise, without collinear points.
std::vector<Sorvex::M2d> ConvexHull2d(std::vector<Sorvex::M2d> points);

/// Places `pieces` (piece coordinates, y up) onto pages of the options' size inside the
/// margins, in page coordinates (y down, the printed side still facing the reader: pieces
/// are turned, never mirrored). Each piece is first turned to its smallest bounding box,
/// then the pieces are shelved tallest first onto the first page with room (turned a
/// quarter when that fits better), keeping the options' spacing between boxes, so no two
/// pieces on a page overlap. False with `error`, and `layout` untouched, when a piece
/// cannot fit the printable area at all; the error names the piece, its size and the
/// scale that would fit.
bool PackPages(std::vector<PaperPiece> pieces, const PapercraftOptions& options, double mmPerUnit,
               PaperLayout& layout, std::string& error);
