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
/// than `maxTextMm`, 0.4 of the edge's length or about the face's inner radius.
PaperLabel EdgeNumberLabel(const std::vector<Sorvex::M2d>& corners, int edge, int number,
                           double maxTextMm);

/// Twice the area over the perimeter: about the radius of the largest circle inside.
double FaceInnerRadius(const std::vector<Sorvex::M2d>& corners);
/// The area-weighted centre of a simple polygon (its corner mean when it has no area).
Sorvex::M2d FaceCentroid(const std::vector<Sorvex::M2d>& corners);
