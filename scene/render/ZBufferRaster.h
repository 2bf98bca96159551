#pragma once

#include "scene/Renderer.h"

#include <cstdint>
#include <vector>

/// A point handed to the rasteriser: pixel position and a depth key that grows toward the
/// viewer and varies linearly across the screen (1/depth for perspective pictures, -depth
/// for orthographic ones), so that interpolating it is exact.
struct RasterVertex {
    double x = 0.0;
    double y = 0.0;
    double key = 0.0;
};

/// A colour and depth buffer that hides what lies behind: every pixel keeps the nearest
/// opaque surface drawn into it, whatever the drawing order, so meshes that cut through
/// each other come out right. Translucent colours blend over what is there without hiding
/// what comes later.
class ZBufferRaster {
public:
    ZBufferRaster(int width, int height, const RGBAColor& background);

    int getWidth() const { return m_width; }
    int getHeight() const { return m_height; }

    void fillTriangle(const RasterVertex& a, const RasterVertex& b, const RasterVertex& c,
                      const RGBAColor& color);
    /// A stroke `width` pixels wide from `a` to `b`, with square ends.
    void fillStroke(const RasterVertex& a, const RasterVertex& b, double width,
                    const RGBAColor& color);
    /// A shaded ball of `radius` pixels round `centre`; `keyOfDepthOffset(d)` gives the key
    /// of a point `d` (in pixels) nearer than the centre.
    template <typename KeyFn>
    void fillBall(const RasterVertex& centre, double radius, const RGBAColor& color,
                  KeyFn keyOfDepthOffset);

    /// The pixel at (x, y) as 0xAARRGGBB with premultiplied alpha.
    uint32_t getPixel(int x, int y) const { return m_pixels[size_t(y) * m_width + x]; }
    /// The picture shrunk by `factor` in each direction, each pixel the mean of its block
    /// (smooths edges of a picture drawn `factor` times larger).
    std::vector<uint32_t> downsampled(int factor, int& width, int& height) const;

private:
    void plot(int x, int y, double key, const RGBAColor& color);

    int m_width;
    int m_height;
    std::vector<uint32_t> m_pixels;
    std::vector<float> m_keys;
};

#include "scene/render/ZBufferRaster.ipp"
