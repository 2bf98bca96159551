#pragma once

#include <algorithm>
#include <cmath>

template <typename KeyFn>
void ZBufferRaster::fillBall(const RasterVertex& centre, double radius, const RGBAColor& color,
                             KeyFn keyOfDepthOffset) {
    if (!(radius > 0.0) || !std::isfinite(centre.x + centre.y + radius))
        return;
    // Limits in doubles first: a ball near the eye can reach past what an int holds.
    auto limit = [](double v, int size) {
        return int(std::clamp(std::floor(v), 0.0, double(size - 1)));
    };
    if (centre.x + radius < 0 || centre.y + radius < 0 || centre.x - radius >= m_width ||
        centre.y - radius >= m_height)
        return;
    const int x0 = limit(centre.x - radius, m_width);
    const int x1 = limit(centre.x + radius, m_width);
    const int y0 = limit(centre.y - radius, m_height);
    const int y1 = limit(centre.y + radius, m_height);
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
