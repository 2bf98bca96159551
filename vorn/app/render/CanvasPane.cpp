#include "vorn/app/render/CanvasPane.h"

#include "scene/render/Camera.h"
#include "scene/render/CollectingRenderer.h"
#include "vorn/app/render/WidgetFrame.h"

CanvasPane::CanvasPane(QWidget* parent) : QOpenGLWidget(parent) {}

void CanvasPane::paintGL() {
    Camera camera = WidgetFrameCamera(*this, Camera());
    camera.setNamedView("front");
    if (m_draw) {
        // A first pass finds the bounds the camera must frame; drawings here are small.
        CollectingRenderer bounds;
        m_draw(bounds);
        Sorvex::M3d lo, hi;
        if (bounds.getBounds(lo, hi))
            camera.oversight(lo, hi);
    }
    m_renderer.beginFrame(camera, false);
    // A canvas is a diagram whose colours carry values: show them unlit.
    m_renderer.setFlag(::RenderFlag::Shading, false);
    if (m_draw)
        m_renderer.drawWith(m_draw);
}
