#include "vorn/app/CVornView.h"

#include "common/Registry.h"
#include "common/StatusLine.h"
#include "scene/SceneRoot.h"
#include "scene/render/PickRenderer.h"
#include "sorvex/M4x4.h"
#include "vorn/app/CVornDoc.h"
#include "vorn/app/SceneClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>
#include <cstdlib>

using Sorvex::M3d;

namespace {
// A press and release closer than this many pixels in x and y is a click.
constexpr int kClickSlop = 3;
constexpr double kSpinStep = M_PI / 64;
constexpr int kSpinOnceTicks = 128;
constexpr int kViewTickMs = 100;
constexpr double kFlightMs = 1000.0;
constexpr double kOrbitRadiansPerPixel = 0.01;
} // namespace

CVornView::CVornView(CVornDoc& doc, QWidget* parent) : QOpenGLWidget(parent), m_doc(doc) {
    m_shadedBackground = GetRegistryString("Settings", "FancyBackground", "false") != "false";
    m_doc.addView(this);
    setFocusPolicy(Qt::StrongFocus);
    connect(&m_viewTimer, &QTimer::timeout, this, &CVornView::onViewTick);
    m_viewTimer.start(kViewTickMs);
    m_flightClock.start();
}

CVornView::~CVornView() {
    m_doc.removeView(this);
}

void CVornView::initializeGL() {}

void CVornView::resizeGL(int width, int height) {
    m_camera.setViewport(width, height);
}

void CVornView::paintGL() {
    const qreal ratio = devicePixelRatioF();
    Camera frameCamera = m_camera;
    frameCamera.setViewport(int(width() * ratio), int(height() * ratio));
    m_renderer.beginFrame(frameCamera, m_shadedBackground);
    SceneRoot* root = m_doc.getRoot();
    if (!root)
        return;
    m_renderer.setSelection(root->getSelection());
    m_renderer.drawScene(*root);
    if (m_renderer.getTexts().empty())
        return;
    QPainter painter(this);
    for (const GLRenderer::ScreenText& text : m_renderer.getTexts()) {
        painter.setPen(
            QColor::fromRgbF(float(text.color.r), float(text.color.g), float(text.color.b)));
        painter.drawText(QPointF(text.x / ratio, text.y / ratio),
                         QString::fromStdString(text.text));
    }
}

void CVornView::showEvent(QShowEvent* event) {
    QOpenGLWidget::showEvent(event);
    if (!m_firstShow)
        return;
    m_firstShow = false;
    m_camera.setViewport(std::max(width(), 1), std::max(height(), 1));
    aimAtScene();
}

void CVornView::aimAtScene() {
    SceneRoot* root = m_doc.getRoot();
    if (!root || root->getChildren().empty())
        return;
    // A three-quarter view shows the shape's depth better than looking along an axis.
    m_camera.setNamedView("iso");
    recenter();
    const Viewpoint& stored = root->getViewpoint();
    if (stored.isValid())
        m_camera.interpolateTo(stored, kFlightMs);
}

bool CVornView::recenter() {
    SceneRoot* root = m_doc.getRoot();
    if (!root)
        return false;
    PickRenderer collector;
    collector.collectScene(*root);
    M3d lo, hi;
    if (!collector.getBounds(lo, hi) || !m_camera.oversight(lo, hi))
        return false;
    update();
    return true;
}

void CVornView::lookAlong(int axis, bool positive) {
    m_camera.viewAlong(axis, positive);
    update();
}

void CVornView::toggleSpin() {
    m_spinTicks = m_spinTicks == -1 ? 0 : -1;
}

void CVornView::spinOnce() {
    m_spinTicks = kSpinOnceTicks;
}

void CVornView::onViewTick() {
    bool moved = false;
    if (m_spinTicks != 0) {
        m_camera.orbit(kSpinStep);
        if (m_spinTicks > 0)
            --m_spinTicks;
        moved = true;
    }
    const double elapsed = double(m_flightClock.restart());
    if (m_camera.isMoving()) {
        m_camera.advance(elapsed);
        moved = true;
    }
    if (moved)
        update();
}

void CVornView::deleteSelection() {
    SceneRoot* root = m_doc.getRoot();
    SceneObj* selection = root ? root->getSelection() : nullptr;
    if (selection && selection->canDelete())
        SceneObj::DelayedDelete(selection);
}

void CVornView::copySelection() {
    SceneRoot* root = m_doc.getRoot();
    SceneObj* selection = root ? root->getSelection() : nullptr;
    if (!selection || !selection->canCopy())
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        StatusMessage("Cannot open the Clipboard");
        return;
    }
    clipboard->setText(QString::fromStdString(SceneClipboard::copyText(*selection)));
}

void CVornView::cutSelection() {
    copySelection();
    deleteSelection();
}

void CVornView::paste() {
    SceneRoot* root = m_doc.getRoot();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        StatusMessage("Cannot open the Clipboard");
        return;
    }
    if (root)
        SceneClipboard::paste(clipboard->text().toStdString(), *root, m_camera);
}

void CVornView::setShadedBackground(bool on) {
    m_shadedBackground = on;
    SetRegistryString("Settings", "FancyBackground", on ? "true" : "false");
    update();
}

void CVornView::onRedrawRequest() {
    update();
}

void CVornView::onFocusRequest(SceneObj* obj, const Viewpoint& vp) {
    if (!obj)
        return;
    const M3d centre = obj->getCenter();
    if (vp.isValid()) {
        m_camera.interpolateTo(
            Viewpoint(vp.getTarget() + centre, vp.getEye() + centre, vp.getUp(), vp.getDiameter()),
            kFlightMs);
        return;
    }
    M3d up(0, 1, 0);
    const M3d direction = (centre - m_camera.getEye()).normalized();
    if (std::abs(direction.y()) > 0.99)
        up = M3d(0, 0, 1);
    m_camera.interpolateTo(
        Viewpoint(centre, m_camera.getEye(), up, m_camera.getViewpoint().getDiameter()), kFlightMs);
}

void CVornView::onSelect(SceneObj* obj) {
    m_renderer.setSelection(obj);
    if (m_selectionChanged)
        m_selectionChanged(obj);
    update();
}

bool CVornView::onDeselectRequest(SceneObj* obj) {
    SceneRoot* root = m_doc.getRoot();
    return root && deselectBelow(root->getSelection(), obj);
}

bool CVornView::deselectBelow(SceneObj* current, SceneObj* obj) {
    if (!obj || !current)
        return false;
    if (current == obj) {
        m_renderer.setSelection(nullptr);
        if (m_selectionChanged)
            m_selectionChanged(nullptr);
        return true;
    }
    bool any = false;
    for (SceneObj* child : obj->getChildren())
        any = deselectBelow(current, child) || any;
    return any;
}

bool CVornView::onCaptureRequest(const std::string& path, int width, int height,
                                 bool selectedOnly) {
    m_capture.setCamera(m_camera);
    return m_capture.capture(m_doc.getRoot(), path, width, height, selectedOnly);
}

void CVornView::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_leftDown = true;
    m_orbiting = false;
    m_pressPos = m_lastPos = event->position().toPoint();
}

void CVornView::mouseMoveEvent(QMouseEvent* event) {
    if (!m_leftDown)
        return;
    const QPoint pos = event->position().toPoint();
    if (!m_orbiting && (std::abs(pos.x() - m_pressPos.x()) > kClickSlop ||
                        std::abs(pos.y() - m_pressPos.y()) > kClickSlop))
        m_orbiting = true;
    if (!m_orbiting)
        return;
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

void CVornView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_leftDown)
        return;
    m_leftDown = false;
    if (m_orbiting) {
        m_orbiting = false;
        return;
    }
    if (SceneRoot* root = m_doc.getRoot())
        root->select(pickAt(event->position()));
}

SceneObj* CVornView::pickAt(const QPointF& pos) {
    SceneRoot* root = m_doc.getRoot();
    if (!root)
        return nullptr;
    PickRenderer picker;
    picker.collectScene(*root);
    const qreal ratio = devicePixelRatioF();
    Camera pickCamera = m_camera;
    pickCamera.setViewport(int(width() * ratio), int(height() * ratio));
    return picker.pick(pickCamera, pos.x() * ratio, pos.y() * ratio).object;
}

void CVornView::mouseDoubleClickEvent(QMouseEvent* event) {
    SceneRoot* root = m_doc.getRoot();
    SceneObj* obj = event->button() == Qt::LeftButton ? pickAt(event->position()) : nullptr;
    if (!root || !obj)
        return;
    SceneObj* next = obj->doDefaultAction();
    if (next != root->getSelection())
        root->select(next);
}

void CVornView::recordViewpoint(char which) {
    SetRegistryString("Settings", std::string("Viewpoint") + which,
                      m_camera.getViewpoint().toText());
}

bool CVornView::gotoViewpoint(char which) {
    const std::string text = GetRegistryString("Settings", std::string("Viewpoint") + which, "");
    Viewpoint vp;
    if (text.empty() || !vp.fromText(text))
        return false;
    m_camera.interpolateTo(vp, kFlightMs);
    return true;
}

void CVornView::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    // Each notch moves a tenth of the way to the target.
    m_camera.adjustDistance(-notches * 0.1 * m_camera.getDistance());
    update();
}
