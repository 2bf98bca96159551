#pragma once

#include "sorvex/M3d.h"

namespace Sorvex {

/// Angle from a to b about the y axis, in [0, 2*pi); 0 when the directions agree.
double AngleCCW(const M3d& a, const M3d& b);
/// 2*pi - AngleCCW(a, b), or 0 when that is 0.
double AngleCW(const M3d& a, const M3d& b);

} // namespace Sorvex
