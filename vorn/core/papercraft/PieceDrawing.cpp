#include "vorn/core/papercraft/PieceDrawing.h"

#include "vorn/core/papercraft/EdgeNumbering.h"
#include "vorn/core/papercraft/FoldClassifier.h"
#include "vorn/core/papercraft/PaperSurface.h"
#include "vorn/core/papercraft/PapercraftOptions.h"
#include "vorn/core/papercraft/PieceSplitter.h"

#include <algorithm>
#include <cmath>

using Sorvex::M2d;

namespace {

PaperLabel pieceNumberLabel(const PaperPiece& piece, double textMm) {
    size_t largest = 0;
    double largestRadius = -1.0;
    for (size_t i = 0; i < piece.faces.size(); ++i) {
        const double r = FaceInnerRadius(piece.faces[i].corners);
        if (r > largestRadius)
            largest = i, largestRadius = r;
    }
    PaperLabel label;
    label.text = "#" + std::to_string(piece.number);
    label.isPieceNumber = true;
    const double fit = std::min(1.5 * textMm, largestRadius);
    label.size = fit > 0.0 ? RoundLabelSizeDown(fit) : 0.0;
    const M2d centre = FaceCentroid(piece.faces[largest].corners);
    label.position = centre - M2d(0, 0.35 * label.size);
    label.sourceFace = piece.faces[largest].sourceFace;
    return label;
}

} // namespace

std::vector<PaperPiece> DrawPieces(const PaperSurface& surface, const FlatPieces& flat,
                                   const std::vector<std::vector<int>>& numbers,
                                   const PapercraftOptions& options, double mmPerUnit) {
    std::vector<PaperPiece> pieces(flat.pieces.size());
    for (size_t p = 0; p < flat.pieces.size(); ++p) {
        PaperPiece& piece = pieces[p];
        piece.number = int(p) + 1;
        piece.faces.reserve(flat.pieces[p].size());
        for (int f : flat.pieces[p]) {
            PaperFace face;
            face.sourceFace = f;
            for (const M2d& c : flat.corners[size_t(f)])
                face.corners.push_back(c * mmPerUnit);
            piece.faces.push_back(std::move(face));
        }
        for (const PaperFace& face : piece.faces) {
            const int f = face.sourceFace;
            const auto& source = surface.faces[size_t(f)];
            const size_t n = face.corners.size();
            for (size_t e = 0; e < n; ++e) {
                PaperLine line;
                line.a = face.corners[e];
                line.b = face.corners[(e + 1) % n];
                line.sourceFace = f;
                line.edge = int(e);
                const int g = source.neighbor[e];
                if (g >= 0 && flat.folded[size_t(f)][e]) {
                    if (g < f)
                        continue; // drawn from the other face
                    const FoldKind fold = ClassifyFold(surface, f, int(e));
                    if (fold.degrees < options.omitFoldsBelowDegrees)
                        continue;
                    line.kind = fold.kind;
                    line.foldDegrees = fold.degrees;
                } else if (g >= 0 && options.edgeNumbers && numbers[size_t(f)][e] > 0) {
                    PaperLabel label = EdgeNumberLabel(face.corners, int(e), numbers[size_t(f)][e],
                                                       options.textMm);
                    label.sourceFace = f;
                    label.edge = int(e);
                    piece.labels.push_back(std::move(label));
                }
                piece.lines.push_back(line);
            }
        }
        piece.labels.push_back(pieceNumberLabel(piece, options.textMm));
    }
    return pieces;
}
