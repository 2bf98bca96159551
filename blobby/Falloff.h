#pragma once

/// The piecewise-quadratic soft-object falloff of a source of strength `s` at distance `r`:
/// 1 at the centre, 0 at and beyond the effective radius 1.5·|s|, with a continuous slope;
/// negated for negative strengths. Strength 0 contributes nothing.
double JimBlynn(double r, double s);

/// The polynomial falloff of unit radius, max(0, 1 - 2.444444 r^2 + 1.888889 r^4 -
/// 0.444444 r^6); the decimal constants are the defined ones, not the fractions they round.
double Wyvill(double r);
