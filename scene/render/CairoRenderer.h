#pragma once

#include "scene/render/Camera.h"
#include "scene/render/CollectingRenderer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace Sorvex {
class MRect;
}

/// The file formats a `CairoRenderer` writes.
enum class PictureFormat { PNG, EPS, PDF, SVG };

/// The file renderer: draws a scene through the objects' own `renderSelf` and writes it as
/// PNG, EPS, PDF or SVG. Vector pages are `width` x `height` points and draw faces as
/// depth-sorted filled polygons, lines and tubes as strokes; PNG pictures go through a
/// depth buffer, so whatever lies behind is hidden. Each file is drawn in memory and then
/// replaced atomically (links and permissions kept), so a failed write leaves an old file
/// as it was.
class CairoRenderer : public CollectingRenderer {
public:
    CairoRenderer();

    /// Prepares pictures of `width` x `height` pixels. False (see `getLastError`) when the
    /// size cannot be drawn (below 1 or above 16384 in either direction).
    bool initialise(int width, int height);
    bool isInitialised() const { return m_initialised; }

    /// The camera pictures are taken from. Until a camera is given, every picture frames
    /// what it draws from a three-quarter view.
    Camera& getCamera() { return m_camera; }
    void setCamera(const Camera& camera);
    /// Whether each picture frames what it draws (keeping the camera's direction).
    void setAutoFrame(bool on) { m_autoFrame = on; }
    void setBackground(const RGBAColor& c) { m_background = c; }
    const RGBAColor& getBackground() const { return m_background; }
    /// PNG pictures are drawn this many times larger and shrunk, to smooth edges (1 to 4).
    void setSupersampling(int factor);

    /// Frames `obj` (what it and its children draw) with the camera; false when it draws
    /// nothing.
    bool oversight(SceneObj* obj) override;

    bool render_png(SceneObj& root, const std::string& path) override;
    bool render_eps(SceneObj& root, const std::string& path, Sorvex::MRect* sharedBox) override;
    bool render_pdf(SceneObj& root, const std::string& path) override;
    bool render_svg(SceneObj& root, const std::string& path) override;

    /// Draws `root` as `render_png` would, into memory: `pixels` gets width x height
    /// native 32-bit words 0xAARRGGBB (Cairo's ARGB32), row by row from the top.
    bool render_image(SceneObj& root, std::vector<std::uint32_t>& pixels);

    /// Collects what `obj` and its children draw, in world coordinates (the parents'
    /// transforms applied), replacing what was collected before.
    void collectScene(SceneObj& obj);
    /// Writes what is collected to `path`. With auto framing on, frames it first.
    bool writeCollected(PictureFormat format, const std::string& path,
                        Sorvex::MRect* sharedBox = nullptr);

private:
    bool writeRaster(const std::string& path);
    void drawRaster(std::vector<std::uint32_t>& out);
    bool writeVector(PictureFormat format, const std::string& path, Sorvex::MRect* sharedBox);
    /// Replaces `path` with the drawn `bytes`.
    bool finishFile(const std::string& bytes, const std::string& path);

    Camera m_camera;
    bool m_autoFrame = true;
    bool m_initialised = false;
    RGBAColor m_background{1, 1, 1, 1};
    int m_supersampling = 2;
};
