#pragma once

#include "sorvex/M2d.h"

#include <limits>
#include <vector>

struct PaperSurface;

/// A net split into pieces that each lie flat without overlaps, in model units.
struct FlatPieces {
    /// Per face: its corners laid flat in its piece's frame (counter-clockwise).
    std::vector<std::vector<Sorvex::M2d>> corners;
    /// Per face: the index of its piece in `pieces`.
    std::vector<int> pieceOf;
    /// Per face and edge: 1 when the face is joined to its neighbour across that edge
    /// (a fold of the piece), 0 when the edge is cut. A piece's folds form a tree.
    std::vector<std::vector<char>> folded;
    /// The faces of each piece, largest piece first; the first face is the piece's root.
    std::vector<std::vector<int>> pieces;
};

/// The largest box a piece may fill, in model units: a piece must fit its page (turned
/// a quarter if need be). Unlimited by default.
struct PieceLimit {
    double width = std::numeric_limits<double>::infinity();
    double height = std::numeric_limits<double>::infinity();
    /// Whether a box of `w` x `h` fits, either way round.
    bool admits(double w, double h) const {
        return (w <= width && h <= height) || (w <= height && h <= width);
    }
};

/// Splits the net given by the fold tree of `surface` into overlap-free pieces. Each
/// tree is laid flat from its root; breadth first, a face that would overlap the piece
/// of the face it hangs from is hinged instead onto another neighbour already laid
/// where it fits (neighbours in larger pieces first), else it starts a piece of its own;
/// its subtree follows it either way. Then,
/// largest piece first, neighbouring pieces across cut edges are joined whenever the
/// joined piece still lies flat without overlaps, larger neighbours tried first. A net
/// without overlaps stays one piece. Faces without area never count as overlapping.
/// A face that would make its piece's box (in the piece's own frame) exceed `limit`
/// starts a new piece too, and joins that would are not made, so every piece fits a
/// page unless a single face does not.
/// With `narrowSlitRadians`, a vertex whose angle deficit is below it and which the fold
/// tree leaves with one cut edge (a slit no glue tab fits) is opened by cutting one more
/// fold at it, and joins avoid closing such slits (see SlitGuard); a last round of joins
/// then makes those that only close slits, so that a piece is not spent on a tab.
/// Cost: about linear in the faces for nets with few overlaps (a hashed grid answers
/// the overlap queries).
FlatPieces SplitIntoPieces(const PaperSurface& surface, const PieceLimit& limit = {},
                           double narrowSlitRadians = 0.0);

/// The overlap tolerance and grid cell used for `surface`, in model units: touching
/// faces and rounding in deep trees are no overlap.
double FlatTolerance(const PaperSurface& surface);
