#pragma once

class PlanarConvexHull;

/// Moves every vertex of `hull` by (dx, dy), keeping each vertex's user data
/// and the counter-clockwise vertex order. The hull is rebuilt from its own
/// vertices, taken from the head round the list.
void TranslateHull(PlanarConvexHull& hull, double dx, double dy);
