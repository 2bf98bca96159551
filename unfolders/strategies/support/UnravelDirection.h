#pragma once

#include "sorvex/M3d.h"

class Poly;

/// The direction the unravel strategies peel towards from a face: mostly straight
/// down, twisted sideways by the face's orientation so that the band winds round
/// the mesh as it descends.
///
/// With n the face's normal and r = (0, -1, 0), or (0, 0, 1) when n is within about
/// 18 degrees of vertical (|n . r| >= 0.95 in single precision, so the twist r x n
/// never vanishes), the direction is normalised((r x n) + 5 r).
Sorvex::M3d UnravelDirection(const Poly& face);

/// How far neighbour `next` lies in the preferred direction `d` from face `from`:
/// the unit step from `from`'s centre to `next`'s, dotted with `d` (-1 to 1).
double UnravelPreference(const Poly& from, const Poly& next, const Sorvex::M3d& d);
