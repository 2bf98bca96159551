#include "sorvex/MBezierTriangle.h"

#include <algorithm>
#include <cmath>

namespace Sorvex {

int MBezierTriangle::index(int /*i*/, int j, int k) {
    k = std::clamp(k, 0, 3);
    j = std::clamp(j, 0, 3 - k);
    const int before = 3 - k; // rows of larger k come first: 1, 2, 3 entries long
    return before * (before + 1) / 2 + j;
}

MBezierTriangle::MBezierTriangle() {
    for (int k = 0; k <= 3; ++k)
        for (int j = 0; j + k <= 3; ++j) {
            const int i = 3 - j - k;
            m_points[index(i, j, k)].set(i, j, k);
        }
}

M3d MBezierTriangle::eval(double a, double b, double c) const {
    static const double factorial[4] = {1, 1, 2, 6};
    M3d sum(0, 0, 0);
    for (int k = 0; k <= 3; ++k)
        for (int j = 0; j + k <= 3; ++j) {
            const int i = 3 - j - k;
            const double weight = 6.0 / (factorial[i] * factorial[j] * factorial[k]) *
                                  std::pow(a, i) * std::pow(b, j) * std::pow(c, k);
            sum += m_points[index(i, j, k)] * weight;
        }
    return sum;
}

} // namespace Sorvex
