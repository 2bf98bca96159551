#include "vorn/app/bench/BenchGLContext.h"

#include <QImage>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>

BenchGLContext::BenchGLContext() = default;

BenchGLContext::~BenchGLContext() {
    // The framebuffer goes while its context is still current.
    if (m_context && m_surface)
        m_context->makeCurrent(m_surface.get());
    m_fbo.reset();
    if (m_context)
        m_context->doneCurrent();
}

bool BenchGLContext::make(int width, int height, std::string* error) {
    m_surface = std::make_unique<QOffscreenSurface>();
    m_surface->create();
    m_context = std::make_unique<QOpenGLContext>();
    if (!m_surface->isValid() || !m_context->create() || !m_context->makeCurrent(m_surface.get())) {
        *error = "no OpenGL context can be made on this display";
        return false;
    }
    m_fbo = std::make_unique<QOpenGLFramebufferObject>(
        width, height, QOpenGLFramebufferObject::CombinedDepthStencil);
    if (!m_fbo->isValid() || !m_fbo->bind()) {
        *error = "no framebuffer object can be made in this OpenGL context";
        return false;
    }
    return true;
}

void BenchGLContext::finish() {
    m_context->functions()->glFinish();
}

QImage BenchGLContext::grab() {
    finish();
    return m_fbo->toImage();
}
