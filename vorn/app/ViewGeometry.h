#pragma once

#include "scene/Viewpoint.h"
#include "scene/render/Camera.h"
#include "sorvex/M3d.h"

#include <array>
#include <optional>

/// The pure geometry behind the view's mouse handling, kept apart from the widget so it
/// can be checked without a window: dragging in the view plane and the look-at-surface
/// flight of a Ctrl+click. Pixel coordinates are those of the camera's viewport.
namespace ViewGeometry {

/// A press and release closer than this many pixels in both x and y is a click.
constexpr int kClickSlop = 3;

/// True when the mouse went more than `kClickSlop` pixels from the press in x or y.
bool movedBeyondClick(int pressX, int pressY, int x, int y);

/// The camera's screen x direction in world space (unit; right of the picture).
Sorvex::M3d screenRight(const Camera& camera);

/// Where the ray through pixel (x, y) meets the plane through `centre` perpendicular to
/// the look direction; empty when the ray runs parallel to that plane.
std::optional<Sorvex::M3d> screenToPlane(const Camera& camera, double x, double y,
                                         const Sorvex::M3d& centre);

/// The world move that carries an object at `centre` from pixel `from` to pixel `to` in
/// the view plane. With `alongView` the move is turned by pi/2 about the screen's x
/// direction, so vertical mouse motion moves along the view direction instead (upward
/// motion pushes the object away from the eye). Zero when either ray misses the plane.
Sorvex::M3d dragMove(const Camera& camera, double fromX, double fromY, double toX, double toY,
                     const Sorvex::M3d& centre, bool alongView);

/// Hits beside a picked point, each present only when it lies on the picked object:
/// 0.1 pixel right, above, left and below, in that order (counter-clockwise on screen).
using NeighbourHits = std::array<std::optional<Sorvex::M3d>, 4>;

/// The surface normal at `hit` from its neighbouring hits: the average of the unit cross
/// products of the offsets of each pair of consecutive neighbours, turned to face `eye`.
/// When no pair gives a direction, the unit direction from `hit` toward `eye`.
Sorvex::M3d surfaceNormal(const Sorvex::M3d& hit, const NeighbourHits& neighbours,
                          const Sorvex::M3d& eye);

/// The viewpoint that looks at `hit` along `normal` (unit, toward the viewer) from the
/// camera's present distance to the hit, with the camera's up made perpendicular to the
/// normal (another perpendicular when up and normal are parallel).
Viewpoint lookAtSurface(const Camera& camera, const Sorvex::M3d& hit, const Sorvex::M3d& normal);

} // namespace ViewGeometry
