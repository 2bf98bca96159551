#include "blobby/Falloff.h"

#include <algorithm>
#include <cmath>

double JimBlynn(double r, double s) {
    // With s = 0 the scaled distance is infinite (or NaN at r = 0): neither branch applies.
    const double b = r / std::fabs(s / 2);
    double c = 0;
    if (b >= 0 && b <= 1)
        c = 1 - b * b / 3;
    else if (b >= 1 && b <= 3)
        c = 1.5 * (1 - b / 3) * (1 - b / 3);
    return s >= 0 ? c : -c;
}

double Wyvill(double r) {
    const double a = r * r;
    const double c = 1 - 2.444444 * a + 1.888889 * a * a - 0.444444 * a * a * a;
    return std::max(c, 0.0);
}
