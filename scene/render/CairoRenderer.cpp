#include "scene/render/CairoRenderer.h"

#include "common/AtomicFile.h"
#include "scene/SceneObj.h"
#include "scene/render/EPSBoundingBox.h"
#include "scene/render/ScenePainting.h"
#include "scene/render/ZBufferRaster.h"
#include "sorvex/MRect.h"

#include <cairo-pdf.h>
#include <cairo-ps.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>

using Sorvex::M3d;

namespace {

constexpr int kLargestSide = 16384;

/// Cairo's output stream into memory, so that the finished file replaces the old one in
/// one step.
cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

/// The creation date stamped into PDF files: SOURCE_DATE_EPOCH when set (reproducible
/// builds and tests), otherwise now.
std::string pdfDate() {
    std::time_t when = std::time(nullptr);
    if (const char* epoch = std::getenv("SOURCE_DATE_EPOCH")) {
        char* end = nullptr;
        const long long v = std::strtoll(epoch, &end, 10);
        if (end != epoch && *end == '\0')
            when = std::time_t(v);
    }
    std::tm utc{};
    gmtime_r(&when, &utc);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}

bool isEmpty(const Sorvex::MRect& r) {
    return r.width() <= 0.0 && r.height() <= 0.0;
}

} // namespace

CairoRenderer::CairoRenderer() {
    m_camera.setLookAt(M3d(1, 1, 1).normalized() * 10.0, M3d(0, 0, 0), M3d(0, 1, 0));
}

bool CairoRenderer::initialise(int width, int height) {
    if (width < 1 || height < 1 || width > kLargestSide || height > kLargestSide) {
        m_initialised = false;
        setLastError("cannot draw a picture of " + std::to_string(width) + " x " +
                     std::to_string(height) + " pixels");
        return false;
    }
    m_camera.setViewport(width, height);
    m_initialised = true;
    return true;
}

void CairoRenderer::setCamera(const Camera& camera) {
    const int width = m_camera.getWidth(), height = m_camera.getHeight();
    m_camera = camera;
    m_camera.setViewport(width, height);
    m_autoFrame = false;
}

void CairoRenderer::setSupersampling(int factor) {
    m_supersampling = std::clamp(factor, 1, 4);
}

void CairoRenderer::collectScene(SceneObj& obj) {
    SceneObj* parent = obj.getParent();
    reset(parent ? parent->getWorldTransform() : Sorvex::M4x4());
    renderScene(obj);
}

bool CairoRenderer::oversight(SceneObj* obj) {
    if (!obj)
        return false;
    collectScene(*obj);
    M3d lo, hi;
    if (!getBounds(lo, hi)) {
        setLastError("nothing is drawn to frame");
        return false;
    }
    return m_camera.oversight(lo, hi);
}

bool CairoRenderer::render_png(SceneObj& root, const std::string& path) {
    collectScene(root);
    return writeCollected(PictureFormat::PNG, path);
}

bool CairoRenderer::render_eps(SceneObj& root, const std::string& path, Sorvex::MRect* sharedBox) {
    collectScene(root);
    return writeCollected(PictureFormat::EPS, path, sharedBox);
}

bool CairoRenderer::render_pdf(SceneObj& root, const std::string& path) {
    collectScene(root);
    return writeCollected(PictureFormat::PDF, path);
}

bool CairoRenderer::render_svg(SceneObj& root, const std::string& path) {
    collectScene(root);
    return writeCollected(PictureFormat::SVG, path);
}

bool CairoRenderer::writeCollected(PictureFormat format, const std::string& path,
                                   Sorvex::MRect* sharedBox) {
    if (!m_initialised) {
        setLastError("the renderer was not initialised with a picture size");
        return false;
    }
    if (path.empty()) {
        setLastError("no file name given");
        return false;
    }
    M3d lo, hi;
    if (m_autoFrame && getBounds(lo, hi))
        m_camera.oversight(lo, hi);
    if (format == PictureFormat::PNG)
        return writeRaster(path);
    return writeVector(format, path, sharedBox);
}

bool CairoRenderer::finishFile(const std::string& bytes, const std::string& path) {
    // Pictures can be drawn again, so they are not flushed to disk one by one.
    std::string why;
    if (!WriteFileAtomically(path, bytes, &why, FileSync::Quick)) {
        setLastError("cannot write '" + path + "'");
        return false;
    }
    return true;
}

bool CairoRenderer::render_image(SceneObj& root, std::vector<uint32_t>& pixels) {
    collectScene(root);
    if (!m_initialised) {
        setLastError("the renderer was not initialised with a picture size");
        return false;
    }
    M3d lo, hi;
    if (m_autoFrame && getBounds(lo, hi))
        m_camera.oversight(lo, hi);
    drawRaster(pixels);
    return true;
}

void CairoRenderer::drawRaster(std::vector<uint32_t>& out) {
    const int w = m_camera.getWidth(), h = m_camera.getHeight();
    // Very large pictures are not enlarged further: memory grows with the square.
    const int factor = size_t(w) * h > 4096u * 4096u ? 1 : m_supersampling;
    ZBufferRaster raster(w * factor, h * factor, m_background);
    PaintRaster(raster, *this, m_camera, factor);
    int outW = 0, outH = 0;
    out = raster.downsampled(factor, outW, outH);
    // Cairo's image rows of 32-bit pixels are exactly the width long, so texts are
    // painted straight into the pixels.
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(out.data()), CAIRO_FORMAT_ARGB32, outW, outH, outW * 4);
    cairo_t* cr = cairo_create(surface);
    PaintTexts(cr, *this, m_camera);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    cairo_surface_destroy(surface);
}

bool CairoRenderer::writeRaster(const std::string& path) {
    std::vector<uint32_t> pixels;
    drawRaster(pixels);
    const int outW = m_camera.getWidth(), outH = m_camera.getHeight();
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        reinterpret_cast<unsigned char*>(pixels.data()), CAIRO_FORMAT_ARGB32, outW, outH, outW * 4);
    std::string bytes;
    const cairo_status_t status = cairo_surface_write_to_png_stream(surface, appendBytes, &bytes);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        setLastError("cannot write '" + path + "': " + cairo_status_to_string(status));
        return false;
    }
    return finishFile(bytes, path);
}

bool CairoRenderer::writeVector(PictureFormat format, const std::string& path,
                                Sorvex::MRect* sharedBox) {
    const double w = m_camera.getWidth(), h = m_camera.getHeight();
    std::string bytes;
    cairo_surface_t* surface = nullptr;
    if (format == PictureFormat::PDF) {
        surface = cairo_pdf_surface_create_for_stream(appendBytes, &bytes, w, h);
        cairo_pdf_surface_set_metadata(surface, CAIRO_PDF_METADATA_CREATE_DATE, pdfDate().c_str());
    } else if (format == PictureFormat::EPS) {
        surface = cairo_ps_surface_create_for_stream(appendBytes, &bytes, w, h);
        cairo_ps_surface_set_eps(surface, 1);
    } else {
        surface = cairo_svg_surface_create_for_stream(appendBytes, &bytes, w, h);
    }
    cairo_t* cr = cairo_create(surface);
    if (m_background.a > 0.0) {
        cairo_set_source_rgba(cr, m_background.r, m_background.g, m_background.b, m_background.a);
        cairo_paint(cr);
    }
    InkBox ink = PaintVector(cr, *this, m_camera);
    PaintTexts(cr, *this, m_camera);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    const cairo_status_t status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) {
        setLastError("cannot write '" + path + "': " + cairo_status_to_string(status));
        return false;
    }
    if (format == PictureFormat::EPS) {
        // The box holds what was inked (the background is paper); PostScript counts y
        // from the bottom.
        if (!ink.any)
            ink = {0, 0, w, h, true};
        const double x1 = std::floor(std::clamp(ink.x1, 0.0, w));
        const double x2 = std::ceil(std::clamp(ink.x2, 0.0, w));
        const double y1 = std::floor(h - std::clamp(ink.y2, 0.0, h));
        const double y2 = std::ceil(h - std::clamp(ink.y1, 0.0, h));
        Sorvex::MRect box(x1, y1, x2 - x1, y2 - y1);
        if (sharedBox) {
            if (!isEmpty(*sharedBox))
                box.setCoord(
                    std::min(box.x1(), sharedBox->x1()), std::min(box.y1(), sharedBox->y1()),
                    std::max(box.x2(), sharedBox->x2()), std::max(box.y2(), sharedBox->y2()));
            *sharedBox = box;
        }
        if (!RewriteEPSBoundingBox(bytes, box)) {
            setLastError("'" + path + "' is not an EPS file (it has no bounding box)");
            return false;
        }
    }
    return finishFile(bytes, path);
}
