#pragma once

#include "sorvex/M2d.h"

#include <string>
#include <vector>

// The plain geometry every papercraft writer draws: pieces of paper made of flat
// faces, their lines, glue tabs and numbers. Lengths are millimetres. Inside a piece,
// before packing, coordinates are a right-handed plane (y up) with the model's outside
// facing the reader; on a page they are page millimetres from the top left corner with
// y pointing down, as PDF, SVG and PNG pages are addressed.

/// What a line on the paper means to the person cutting and folding it.
enum class PaperLineKind {
    Cut,      ///< cut along it: the piece's outline
    Mountain, ///< fold away from the reader (the printed side ends up outside the crease)
    Valley,   ///< fold towards the reader
};

/// One face of the model laid flat: its corners in ring order (counter-clockwise seen
/// from the printed side).
struct PaperFace {
    int sourceFace = -1;
    std::vector<Sorvex::M2d> corners;
};

/// One line drawn on a piece.
struct PaperLine {
    Sorvex::M2d a, b;
    PaperLineKind kind = PaperLineKind::Cut;
    /// The face and edge index the line is drawn for (a fold names the face whose
    /// edge it is, the other face lies across it).
    int sourceFace = -1;
    int edge = -1;
    /// How far the paper is turned at a fold, in degrees (0 flat, 180 folded back);
    /// 0 for cuts.
    double foldDegrees = 0.0;
};

/// A glue flap on the outside of one cut edge; glued under the matching edge.
struct GlueTab {
    /// Three or four corners, counter-clockwise; the first and last lie on the edge.
    std::vector<Sorvex::M2d> corners;
    int number = 0;      ///< the number its edge and the matching edge carry
    int sourceFace = -1; ///< the face whose edge carries the tab
    int edge = -1;
};

/// A number printed on the paper: an edge number inside its face near the edge, or a
/// piece number.
struct PaperLabel {
    std::string text;
    /// The middle of the text's baseline.
    Sorvex::M2d position;
    /// The baseline's direction: (cos, sin) of this angle in radians, in the
    /// coordinates of the piece or page the label belongs to.
    double angle = 0.0;
    /// Letter height in millimetres.
    double size = 3.0;
    bool isPieceNumber = false;
    /// For edge numbers: the face and edge it names.
    int sourceFace = -1;
    int edge = -1;
};

/// One connected piece of paper: faces joined along its fold lines, without overlaps.
struct PaperPiece {
    int number = 0; ///< from 1, largest piece first
    std::vector<PaperFace> faces;
    std::vector<PaperLine> lines;
    std::vector<GlueTab> tabs;
    std::vector<PaperLabel> labels;
};

/// One sheet: the pieces placed on it, in page coordinates.
struct PaperPage {
    std::vector<PaperPiece> pieces;
};

/// Everything the writers print.
struct PaperLayout {
    double pageWidthMm = 210.0;
    double pageHeightMm = 297.0;
    double marginMm = 10.0;
    std::vector<PaperPage> pages;
    /// One line each: tabs that had to be dropped and other things the user should know.
    std::vector<std::string> warnings;
    /// The scale the pieces were drawn at.
    double mmPerUnit = 1.0;
    int pieceCount = 0;
    int tabCount = 0;
    /// Numbers printed lower than is easily read (kLegibleLabelMm); printed all the same.
    int smallLabelCount = 0;
};
