#pragma once

#include "sorvex/M3d.h"

#include <array>
#include <vector>

/// The convex hull of `points` as triangles of point indices, each counter-clockwise
/// seen from outside, built by inserting the points one at a time with conflict lists.
///
/// It answers only when every decision was certain: each side-of-plane test is made in
/// double precision with a bound on its rounding error, and a test within the bound
/// makes it give up. A point repeating an earlier one exactly is left out (the lowest
/// index is the corner). It also gives up when the points are flat or fewer than four distinct,
/// and when two adjacent triangles of the result are so nearly coplanar (bent by less
/// than 1e-10 of the points' extent) that a hull with coplanar faces merged could join
/// them. False then, `triangles` unspecified: the caller turns to a general hull.
/// For points in general position the triangles are the hull's unique faces.
bool GeneralPositionHull(const std::vector<Sorvex::M3d>& points,
                         std::vector<std::array<int, 3>>& triangles);
