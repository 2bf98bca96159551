#pragma once

#include <algorithm>
#include <cmath>

template <typename KeyFn>
void ZBufferRaster::fillBall(const RasterVertex& centre, double radius, const RGBAColor& color,
                             KeyFn keyOfDepthOffset) {
    const int x0 = std::max(0, int(std::floor(centre.x - radius)));
    const int x1 = std::min(m_width - 1, int(std::ceil(centre.x + radius)));
    const int y0 = std::max(0, int(std::floor(centre.y - radius)));
    const int y1 = std::min(m_height - 1, int(std::ceil(centre.y + radius)));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            const double dx = x + 0.5 - centre.x;
            const double dy = y + 0.5 - centre.y;
            const double rest = radius * radius - dx * dx - dy * dy;
            if (rest < 0.0)
                continue;
            const double bulge = std::sqrt(rest);
            // Lit from the eye: brightest where the surface faces the viewer.
            const double light = 0.4 + 0.6 * bulge / std::max(radius, 1e-9);
            plot(x, y, keyOfDepthOffset(bulge),
                 {color.r * light, color.g * light, color.b * light, color.a});
        }
}
