#pragma once

#include "vorn/core/papercraft/PaperModel.h"

struct PaperSurface;

/// How the paper turns at a fold between two faces of the model.
struct FoldKind {
    PaperLineKind kind = PaperLineKind::Mountain;
    /// The angle between the two faces' normals in degrees: 0 for coplanar faces, near
    /// 180 for a fold doubling the paper back.
    double degrees = 0.0;
};

/// The fold at edge `edge` of face `face` (which must have a neighbour there), seen from
/// the printed side, which becomes the model's outside: a convex edge is a mountain fold
/// (the paper bends away from the reader), a reflex edge a valley fold. Next to a face
/// without area the fold is flat (0 degrees).
FoldKind ClassifyFold(const PaperSurface& surface, int face, int edge);
