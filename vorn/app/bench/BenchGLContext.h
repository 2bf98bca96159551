#pragma once

#include <memory>
#include <string>

class QOpenGLContext;
class QOffscreenSurface;
class QOpenGLFramebufferObject;
class QImage;

/// An OpenGL context made current on an offscreen surface with a framebuffer object of
/// the given size bound, for drawing without a window. `make` fails (with a reason) where
/// the platform offers no OpenGL.
class BenchGLContext {
public:
    BenchGLContext();
    ~BenchGLContext();

    bool make(int width, int height, std::string* error);
    /// Waits until every queued drawing command is done, so a frame's time is complete.
    void finish();
    /// The framebuffer's picture (drawing finished first).
    QImage grab();

private:
    std::unique_ptr<QOffscreenSurface> m_surface;
    std::unique_ptr<QOpenGLContext> m_context;
    std::unique_ptr<QOpenGLFramebufferObject> m_fbo;
};
