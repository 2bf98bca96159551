#pragma once

#include "scene/render/Camera.h"

class GLRenderer;
class QOpenGLWidget;

/// `camera` with the viewport of `widget` in device pixels, as its GL frame is drawn.
Camera WidgetFrameCamera(const QOpenGLWidget& widget, const Camera& camera);

/// Paints the texts the renderer projected in its last frame over `widget` (OpenGL has no
/// text of its own). Does nothing when there are none.
void PaintScreenTexts(QOpenGLWidget& widget, const GLRenderer& renderer);
