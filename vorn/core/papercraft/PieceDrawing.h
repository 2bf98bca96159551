#pragma once

#include "vorn/core/papercraft/PaperModel.h"

#include <vector>

struct PaperSurface;
struct FlatPieces;
struct PapercraftOptions;

/// The printable pieces of a split net at `mmPerUnit`: faces in millimetres, every edge
/// once as a cut line (each side of a cut) or a fold line (mountain or valley, with its
/// angle; folds flatter than the options' limit are left out), the edge numbers of
/// `numbers` inside their faces when the options ask for them, and each piece's number
/// in its largest face. Piece coordinates, before packing.
std::vector<PaperPiece> DrawPieces(const PaperSurface& surface, const FlatPieces& flat,
                                   const std::vector<std::vector<int>>& numbers,
                                   const PapercraftOptions& options, double mmPerUnit);
