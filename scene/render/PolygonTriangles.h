#pragma once

#include "sorvex/M3d.h"

#include <span>
#include <vector>

/// Splits a planar polygon, given by its corners in order, into corners.size() - 2
/// triangles that cover exactly its inside, each wound as the polygon is. Appends three
/// corner indices per triangle to `triangles`.
///
/// A convex polygon becomes a fan round its first corner (what a renderer that only
/// knows convex polygons does, so such drawings stay as they were). A polygon with a
/// reflex corner (a U-shaped end face, an L-shaped wall) is cut ear by ear instead: a fan
/// of it covers part of the outside and covers some of the inside twice with opposite
/// windings, which shows as filled notches and speckled seams. Polygons that are not
/// simple, or too degenerate to find an ear in, fall back to the fan for what is left.
void TriangulatePolygon(std::span<const Sorvex::M3d> corners, std::vector<int>& triangles);
