#include "vorn/app/SceneObjPane.h"

#include "scene/SceneObj.h"
#include "scene/render/CollectingRenderer.h"
#include "sorvex/M4x4.h"
#include "vorn/app/render/WidgetFrame.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <GL/gl.h>

#include <algorithm>

using Sorvex::M3d;

namespace {
constexpr double kOrbitRadiansPerPixel = 0.01;
} // namespace

SceneObjPane::SceneObjPane(QWidget* parent) : QOpenGLWidget(parent) {
    // A three-quarter view shows a solid's depth; a flat net still reads well from it.
    m_camera.setNamedView("iso");
}

SceneObjPane::~SceneObjPane() {
    detach();
}

void SceneObjPane::detach() {
    if (m_object)
        m_object->remChangeListener(this);
    m_object = nullptr;
}

void SceneObjPane::setObject(SceneObj* obj) {
    if (obj == m_object)
        return;
    detach();
    m_object = obj;
    if (m_object)
        m_object->addChangeListener(this);
    frame();
    update();
}

bool SceneObjPane::frame() {
    if (!m_object)
        return false;
    if (m_fixedViewpoint.isValid()) {
        m_camera.setViewpoint(m_fixedViewpoint);
        m_repaint.request();
        return true;
    }
    // Bounds in the frame the pane draws in: the object's own transform applies, its
    // ancestors' do not.
    CollectingRenderer collector;
    collector.renderScene(*m_object);
    M3d lo, hi;
    if (!collector.getBounds(lo, hi) || !m_camera.oversight(lo, hi))
        return false;
    m_repaint.request();
    return true;
}

void SceneObjPane::setFixedViewpoint(const Viewpoint& vp) {
    m_fixedViewpoint = vp;
    frame();
}

void SceneObjPane::setBackground(const RGBAColor& color) {
    m_background = color;
    update();
}

void SceneObjPane::onTargetChanged(SceneObj* /*target*/, bool /*structural*/) {
    m_repaint.request();
}

void SceneObjPane::onTargetDestroyed(SceneObj* target) {
    // The object already dropped this listener; only the pointer is left to forget.
    if (target == m_object)
        m_object = nullptr;
    update();
}

void SceneObjPane::initializeGL() {}

void SceneObjPane::resizeGL(int width, int height) {
    m_camera.setViewport(width, height);
}

void SceneObjPane::paintGL() {
    m_renderer.beginFrame(WidgetFrameCamera(*this, m_camera), false);
    // The renderer clears to the workbench's own colour; panes use a plain one of their own.
    glClearColor(float(m_background.r), float(m_background.g), float(m_background.b),
                 float(m_background.a));
    glClear(GL_COLOR_BUFFER_BIT);
    if (!m_object)
        return;
    m_repaint.paintStarted();
    m_renderer.drawScene(*m_object);
    PaintScreenTexts(*this, m_renderer);
    m_repaint.paintEnded();
}

void SceneObjPane::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_leftDown = true;
    m_lastPos = event->position().toPoint();
}

void SceneObjPane::mouseMoveEvent(QMouseEvent* event) {
    if (!m_leftDown)
        return;
    const QPoint pos = event->position().toPoint();
    const QPoint delta = pos - m_lastPos;
    m_lastPos = pos;
    // Horizontal motion turns about the up vector, vertical motion about the screen's x.
    m_camera.orbit(-delta.x() * kOrbitRadiansPerPixel);
    M3d right;
    right.cross(m_camera.getViewDirection(), m_camera.getUp());
    if (right.length() > 1e-12) {
        right.normalize();
        const Sorvex::M4x4 tilt = Sorvex::M4x4::Rotation(right, -delta.y() * kOrbitRadiansPerPixel);
        const M3d offset = tilt * (m_camera.getEye() - m_camera.getTarget());
        const M3d up = tilt * m_camera.getUp();
        m_camera.setLookAt(m_camera.getTarget() + offset, m_camera.getTarget(), up.normalized());
    }
    update();
}

void SceneObjPane::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton)
        m_leftDown = false;
}

void SceneObjPane::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    // Each notch moves a tenth of the way to the target.
    m_camera.adjustDistance(-notches * 0.1 * m_camera.getDistance());
    update();
}
