#include "vorn/app/render/CanvasPane.h"

#include "scene/render/Camera.h"
#include "scene/render/CollectingRenderer.h"
#include "vorn/app/render/WidgetFrame.h"

#include <QMouseEvent>

CanvasPane::CanvasPane(QWidget* parent) : QOpenGLWidget(parent) {}

void CanvasPane::paintGL() {
    m_repaint.paintStarted();
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
    m_lastCamera = camera;
    m_renderer.beginFrame(camera, false);
    // A canvas is a diagram whose colours carry values: show them unlit.
    m_renderer.setFlag(::RenderFlag::Shading, false);
    if (m_draw)
        m_renderer.drawWith(m_draw);
    m_repaint.paintEnded();
}

void CanvasPane::setPointer(std::function<void(double, double, bool)> pointer) {
    m_pointer = std::move(pointer);
    setMouseTracking(bool(m_pointer));
}

void CanvasPane::resizeGL(int width, int height) {
    if (m_resize)
        m_resize(width, height);
}

void CanvasPane::point(const QPointF& at, bool released) {
    if (!m_pointer)
        return;
    // The camera works in device pixels; the drawing lies in the plane z = 0.
    const double ratio = devicePixelRatioF();
    Sorvex::M3d origin, direction;
    m_lastCamera.rayThrough(at.x() * ratio, at.y() * ratio, origin, direction);
    if (direction.z() == 0)
        return;
    const double t = -origin.z() / direction.z();
    const Sorvex::M3d hit = origin + direction * t;
    m_pointer(hit.x(), hit.y(), released);
    update();
}

void CanvasPane::mouseMoveEvent(QMouseEvent* event) {
    point(event->position(), false);
    QOpenGLWidget::mouseMoveEvent(event);
}

void CanvasPane::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        point(event->position(), true);
    QOpenGLWidget::mouseReleaseEvent(event);
}
