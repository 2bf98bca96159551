#pragma once

#include "scene/Renderer.h"

class PolyMesh;

// The Ill-flattened cube (MathFn shape 1018): three faces round a moved corner of a cube,
// beside them the same faces rotated flat about their shared edges, coloured by how much the
// flat faces overlap. See IllFlattenedCube.cpp for the construction.

/// The overlap area scale of the colour ramp: about the largest overlap the sliders reach.
inline constexpr double kIllFlattenedOverlapScale = 0.518;

/// Builds the corner into `mesh` (which must be empty) with its two children, the flat net
/// and the coordinates label. du and dv beyond the sliders' 2 ... 27 are held to that range,
/// so the moved corner stays on the cube's top face.
void BuildIllFlattenedCube(PolyMesh& mesh, int du, int dv);

/// The overlap of the flat net's two folded faces, worked out from the net built above: the
/// triangle whose corners are the shared corner, the cut edge's end in the triangle face and
/// the point where the pentagon's copy of the cut edge crosses the triangle's far edge
/// (0 when those edges do not cross). Also 0 for a mesh that is no such net.
double IllFlattenedOverlapArea(const PolyMesh& net);

/// The net's colour for an overlap `area`: pure blue (0, 0.25, 1) without overlap, else
/// (0.75d + 0.25, 0.25, 1 − (0.75d + 0.25)) with d = area / kIllFlattenedOverlapScale held to
/// at most 1.
RGBAColor IllFlattenedOverlapColor(double area);
