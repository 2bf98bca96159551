#include "scene/render/ZBufferRaster.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

uint32_t pack(double r, double g, double b, double a) {
    auto byte = [](double v) { return uint32_t(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
    return byte(a) << 24 | byte(r * a) << 16 | byte(g * a) << 8 | byte(b * a);
}

/// The pixel column (or row) holding `v`, limited to the picture; done in doubles, since
/// points projected from near the eye can lie far beyond what an int holds.
int clampToPixels(double v, int size) {
    return int(std::clamp(std::floor(v), 0.0, double(size - 1)));
}

double edge(const RasterVertex& a, const RasterVertex& b, double x, double y) {
    return (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
}

} // namespace

ZBufferRaster::ZBufferRaster(int width, int height, const RGBAColor& background)
    : m_width(std::max(1, width)), m_height(std::max(1, height)),
      m_pixels(size_t(m_width) * m_height,
               pack(background.r, background.g, background.b, background.a)),
      m_keys(size_t(m_width) * m_height, -std::numeric_limits<float>::infinity()) {}

void ZBufferRaster::plot(int x, int y, double key, const RGBAColor& color) {
    const size_t i = size_t(y) * m_width + x;
    if (!(key > m_keys[i]))
        return;
    if (color.a >= 1.0) {
        m_keys[i] = float(key);
        m_pixels[i] = pack(color.r, color.g, color.b, 1.0);
        return;
    }
    // Translucent: blend over what is there and leave the depth alone.
    const uint32_t old = m_pixels[i];
    const double keep = 1.0 - std::clamp(color.a, 0.0, 1.0);
    auto channel = [&](int shift, double v) {
        return ((old >> shift) & 0xff) / 255.0 * keep + std::clamp(v, 0.0, 1.0) * color.a;
    };
    const double a = ((old >> 24) & 0xff) / 255.0 * keep + color.a;
    auto byte = [](double v) { return uint32_t(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
    m_pixels[i] = byte(a) << 24 | byte(channel(16, color.r)) << 16 |
                  byte(channel(8, color.g)) << 8 | byte(channel(0, color.b));
}

void ZBufferRaster::fillTriangle(const RasterVertex& a, const RasterVertex& b,
                                 const RasterVertex& c, const RGBAColor& color) {
    const double area = edge(a, b, c.x, c.y);
    if (std::fabs(area) < 1e-12 || !std::isfinite(area))
        return;
    if (std::max({a.x, b.x, c.x}) < 0.0 || std::max({a.y, b.y, c.y}) < 0.0 ||
        std::min({a.x, b.x, c.x}) >= m_width || std::min({a.y, b.y, c.y}) >= m_height)
        return;
    const int x0 = clampToPixels(std::min({a.x, b.x, c.x}), m_width);
    const int x1 = clampToPixels(std::max({a.x, b.x, c.x}), m_width);
    const int y0 = clampToPixels(std::min({a.y, b.y, c.y}), m_height);
    const int y1 = clampToPixels(std::max({a.y, b.y, c.y}), m_height);
    if (x0 > x1 || y0 > y1)
        return;
    const double inv = 1.0 / area;
    // Barycentric weights change by a constant step per pixel along a row.
    const double dwa = -(c.y - b.y) * inv, dwb = -(a.y - c.y) * inv;
    for (int y = y0; y <= y1; ++y) {
        const double py = y + 0.5, px = x0 + 0.5;
        double wa = edge(b, c, px, py) * inv;
        double wb = edge(c, a, px, py) * inv;
        for (int x = x0; x <= x1; ++x, wa += dwa, wb += dwb) {
            const double wc = 1.0 - wa - wb;
            if (wa < 0.0 || wb < 0.0 || wc < 0.0)
                continue;
            plot(x, y, wa * a.key + wb * b.key + wc * c.key, color);
        }
    }
}

void ZBufferRaster::fillStroke(const RasterVertex& a, const RasterVertex& b, double width,
                               const RGBAColor& color) {
    const double half = std::max(width, 1.0) * 0.5;
    double dx = b.x - a.x, dy = b.y - a.y;
    const double length = std::hypot(dx, dy);
    if (length < 1e-9) {
        dx = 1.0;
        dy = 0.0;
    } else {
        dx /= length;
        dy /= length;
    }
    // Square ends: the quad reaches half the width past each end point.
    const double ex = dx * half, ey = dy * half, nx = -dy * half, ny = dx * half;
    const RasterVertex p0{a.x - ex + nx, a.y - ey + ny, a.key};
    const RasterVertex p1{a.x - ex - nx, a.y - ey - ny, a.key};
    const RasterVertex p2{b.x + ex - nx, b.y + ey - ny, b.key};
    const RasterVertex p3{b.x + ex + nx, b.y + ey + ny, b.key};
    fillTriangle(p0, p1, p2, color);
    fillTriangle(p0, p2, p3, color);
}

std::vector<uint32_t> ZBufferRaster::downsampled(int factor, int& width, int& height) const {
    factor = std::max(1, factor);
    width = m_width / factor;
    height = m_height / factor;
    std::vector<uint32_t> out(size_t(width) * height);
    const int n = factor * factor;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint32_t sum[4] = {0, 0, 0, 0};
            for (int j = 0; j < factor; ++j)
                for (int i = 0; i < factor; ++i) {
                    const uint32_t p = getPixel(x * factor + i, y * factor + j);
                    for (int k = 0; k < 4; ++k)
                        sum[k] += (p >> (8 * k)) & 0xff;
                }
            uint32_t v = 0;
            for (int k = 0; k < 4; ++k)
                v |= ((sum[k] + n / 2) / n) << (8 * k);
            out[size_t(y) * width + x] = v;
        }
    return out;
}
