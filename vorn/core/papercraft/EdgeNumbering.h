#pragma once

#include "vorn/core/papercraft/PaperModel.h"

#include <vector>

struct PaperSurface;
struct FlatPieces;

/// Numbers the cut edges that have a matching edge: per face and edge the number both
/// sides carry, from 1 in piece, face and edge order; 0 for folds and open borders.
std::vector<std::vector<int>> NumberCutEdges(const PaperSurface& surface, const FlatPieces& flat);

/// The label of `number` inside the flat face `corners` (counter-clockwise, mm) near its
/// edge `edge`: along the edge, upright seen from inside the face, its letters no taller
/// than `maxTextMm`, 0.4 of the edge's length or about the face's inner radius, rounded
/// down to a whole size step. (Its angle is rounded once the piece is turned onto its page.)
PaperLabel EdgeNumberLabel(const std::vector<Sorvex::M2d>& corners, int edge, int number,
                           double maxTextMm);

/// Label sizes are whole powers of this ratio (rounded down, so a label never outgrows
/// the room it was fitted to) and label angles whole multiples of the angle step. Every
/// size and turn costs the writers a font of its own, with its glyphs loaded anew, and a
/// dense page would otherwise need one for nearly every label (then most of the time a
/// PDF takes); with these steps a page needs a few hundred. No label is more than 8%
/// smaller or 2 degrees turned from its exact fit: on paper its baseline's ends move by
/// less than a tenth of its height.
constexpr double kLabelSizeRatio = 1.08;
constexpr double kLabelAngleStepDegrees = 4.0;
/// The largest size of whole steps not above `sizeMm` (which must be positive).
double RoundLabelSizeDown(double sizeMm);
/// The nearest whole angle step, in radians.
double RoundLabelAngle(double radians);
/// The step a rounded size or angle lies on, as a key for caches of fonts.
int LabelSizeStep(double sizeMm);
int LabelAngleStep(double radians);

/// Letters lower than this are hard to read on paper; the export counts them.
constexpr double kLegibleLabelMm = 0.6;

/// Twice the area over the perimeter: about the radius of the largest circle inside.
double FaceInnerRadius(const std::vector<Sorvex::M2d>& corners);
/// The area-weighted centre of a simple polygon (its corner mean when it has no area).
Sorvex::M2d FaceCentroid(const std::vector<Sorvex::M2d>& corners);
