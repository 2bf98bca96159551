#pragma once

// Drawing collected primitives onto Cairo surfaces and into the depth buffer; shared by
// the file renderer's vector and raster paths.
#include "scene/render/Camera.h"
#include "scene/render/CollectingRenderer.h"
#include "scene/render/ZBufferRaster.h"

#include <cairo.h>

/// The page rectangle covered by ink, in page points (y down); false when nothing shows.
struct InkBox {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool any = false;
};

/// A face's colour lit by a light at the eye: full colour facing the viewer, darker as it
/// turns away.
RGBAColor ShadeFace(const DrawnFace& face, const Camera& camera);

/// Paints faces, strokes and spheres back to front onto `cr`; returns what was inked.
InkBox PaintVector(cairo_t* cr, const CollectingRenderer& scene, const Camera& camera);
/// Draws the same primitives into `raster`, whose pixels are `scale` times the camera's.
void PaintRaster(ZBufferRaster& raster, const CollectingRenderer& scene, const Camera& camera,
                 double scale);
/// Texts go on top of everything, facing the viewer.
void PaintTexts(cairo_t* cr, const CollectingRenderer& scene, const Camera& camera);
