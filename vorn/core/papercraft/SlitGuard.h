#pragma once

#include <cstddef>
#include <vector>

struct PaperSurface;

/// Keeps nearly flat vertices from being left with a single cut edge. All faces round
/// such a vertex lie in one piece, joined by folds, and the cut opens only as wide as the
/// vertex's angle deficit: too narrow for a glue tab on either side of it. The guard
/// counts the cut edges at every vertex as folds are made and undone, and tells which
/// folds would close a vertex into such a slit.
class SlitGuard {
public:
    /// Vertices of `surface` (not on a border) whose angle deficit is below
    /// `narrowRadians` are guarded; none when it is 0. Every edge starts cut.
    SlitGuard(const PaperSurface& surface, double narrowRadians);

    /// Whether folding edge `edge` of face `face` leaves each of its ends either wide or
    /// with at least two cut edges.
    bool mayFold(int face, int edge) const;
    /// Records edge `edge` of face `face` as folded, or as cut again.
    void fold(int face, int edge);
    void cut(int face, int edge);

    /// From now on every fold may be made.
    void relax() { relaxed = true; }

    /// Whether vertex `v` is guarded and has exactly one cut edge: a narrow slit.
    bool isSlit(int v) const;
    bool isNarrow(int v) const { return narrow[std::size_t(v)] != 0; }
    int vertexCount() const { return int(cutEdges.size()); }

private:
    const PaperSurface& s;
    std::vector<char> narrow;
    std::vector<int> cutEdges;
    bool relaxed = false;
};
