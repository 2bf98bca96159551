#pragma once

#include "sorvex/M2d.h"

#include <array>
#include <cstdint>
#include <unordered_map>
#include <vector>

/// A flat triangle with the unit normals of its edges, for separating-axis tests.
struct FlatTriangle {
    std::array<Sorvex::M2d, 3> p;
    std::array<Sorvex::M2d, 3> axis;
    double minX, minY, maxX, maxY;
    /// The face (or tab) the triangle belongs to.
    int owner = -1;
};

/// A triangle ready for tests; false for one without area (it covers nothing).
bool MakeFlatTriangle(const Sorvex::M2d& a, const Sorvex::M2d& b, const Sorvex::M2d& c, int owner,
                      FlatTriangle& out);

/// Splits a simple polygon (either winding, convex or not) into triangles by clipping
/// ears; a convex one becomes a fan. Each triangle is three indices into `polygon`.
std::vector<std::array<int, 3>> TriangulatePolygon(const std::vector<Sorvex::M2d>& polygon);

/// True when the interiors of `s` and `t` overlap by more than `tolerance`: no edge
/// normal of either separates them with a gap above -tolerance. Triangles that only
/// touch along an edge or at a corner do not overlap.
bool FlatTrianglesOverlap(const FlatTriangle& s, const FlatTriangle& t, double tolerance);

/// A uniform grid over flat triangles, answering whether a new triangle would overlap
/// one already added. Cells are hashed, so far-apart pieces cost no memory.
class FlatOverlapGrid {
public:
    /// `cell` is the grid spacing (about twice a typical triangle's size);
    /// `tolerance` as FlatTrianglesOverlap's.
    FlatOverlapGrid(double cell, double tolerance);

    void add(const FlatTriangle& t);
    /// The owner of a triangle `t` overlaps, or -1 when it overlaps none. Triangles of
    /// `ignoreOwner` are skipped.
    int findOverlap(const FlatTriangle& t, int ignoreOwner = -2) const;

private:
    /// Triangles over more cells than this are kept aside and tested against everything:
    /// one huge face beside many small ones must not fill the grid.
    static constexpr int kMaxCells = 1024;
    bool isLarge(const FlatTriangle& t) const;
    template <typename Visit> void forCells(const FlatTriangle& t, Visit visit) const;

    double cell;
    double tolerance;
    std::vector<FlatTriangle> triangles;
    std::unordered_map<uint64_t, std::vector<int>> cells;
    std::vector<int> large;
};

/// The triangles of a flat polygon, each owned by `owner`.
void AppendFlatTriangles(const std::vector<Sorvex::M2d>& polygon, int owner,
                         std::vector<FlatTriangle>& out);
