#include "vorn/app/CVornView.h"

#include "common/Registry.h"
#include "common/StatusLine.h"
#include "scene/SceneRoot.h"
#include "sorvex/M4x4.h"
#include "vorn/app/CVornDoc.h"
#include "vorn/app/render/WidgetFrame.h"
#include "vorn/core/SceneClipboard.h"

#include <QClipboard>
#include <QGuiApplication>

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <cmath>
#include <cstdlib>

using Sorvex::M3d;

namespace {
constexpr double kSpinStep = M_PI / 64;
constexpr int kSpinOnceTicks = 128;
constexpr int kViewTickMs = 100;
constexpr double kFlightMs = 1000.0;
// How much larger than the scene the framed box is (a 15% margin in all).
constexpr double kFrameMargin = 1.15;
constexpr double kOrbitRadiansPerPixel = 0.01;
constexpr qint64 kHoverMs = 100;
// A camera not moved for this long holds still: its next frame draws every face again.
constexpr int kStillMs = 250;
// How long one recording of a changed scene may spend drawing what is new (faces of a huge
// mesh appearing, a net growing): the rest follows in the next recordings, so a repaint
// never holds the window for long.
constexpr double kRecordBudgetMs = 25.0;
// What a paint that records may take in all, drawing included: the recording gets what the
// last such paint's drawing and unbounded recording work leave of it (see RecordBudget)...
constexpr double kPaintTargetMs = 50.0;
// ...but never less than this, so that a scene too large to draw in the target still grows
// (and a huge mesh just loaded still appears in a few seconds).
constexpr double kRecordFloorMs = 10.0;

CaptureService::CodecChooser& codecChooser() {
    static CaptureService::CodecChooser chooser;
    return chooser;
}
} // namespace

void CVornView::SetCodecChooser(CaptureService::CodecChooser chooser) {
    codecChooser() = std::move(chooser);
}

std::string CVornView::getCaptureError() const {
    const std::string& detail = m_capture.getErrorDetail();
    return detail.empty() ? m_capture.getErrorText() : m_capture.getErrorText() + "\n" + detail;
}

CVornView::CVornView(CVornDoc& doc, QWidget* parent)
    : QOpenGLWidget(parent), m_doc(doc),
      m_recordBudget(kPaintTargetMs, kRecordFloorMs, kRecordBudgetMs) {
    m_shadedBackground = GetRegistryString("Settings", "FancyBackground", "false") != "false";
    m_doc.addView(this);
    // Camera-only frames (orbit, zoom, spin, flights) redraw the kept vertex buffers; the
    // scene asks for a redraw whenever what it draws changes, which drops them.
    m_renderer.setBufferReuse(true);
    m_renderer.setRecordBudgetMs(kRecordBudgetMs);
    // Drawing ends when the frame is on screen: a software renderer finishes the picture
    // there, after paintGL has returned.
    connect(this, &QOpenGLWidget::frameSwapped, this, [this] {
        if (!m_drawClock.isValid())
            return;
        m_recordBudget.noteDraw(double(m_drawClock.nsecsElapsed()) / 1e6);
        m_drawClock.invalidate();
    });
    setFocusPolicy(Qt::StrongFocus);
    // Hovering reports the point under the mouse to the object there.
    setMouseTracking(true);
    connect(&m_viewTimer, &QTimer::timeout, this, &CVornView::onViewTick);
    m_rerecordTimer.setSingleShot(true);
    connect(&m_rerecordTimer, &QTimer::timeout, this, [this] {
        m_renderer.invalidate();
        update();
    });
    m_stillTimer.setSingleShot(true);
    connect(&m_stillTimer, &QTimer::timeout, this, &CVornView::endCameraMotion);
    m_hoverTimer.setSingleShot(true);
    connect(&m_hoverTimer, &QTimer::timeout, this, &CVornView::hoverNow);
    m_viewTimer.start(kViewTickMs);
    m_flightClock.start();
    m_capture.setCodecChooser([]() -> std::optional<MovieCodec> {
        if (const CaptureService::CodecChooser& ask = codecChooser())
            return ask();
        return MovieCodec::Mpeg4;
    });
}

CVornView::~CVornView() {
    m_doc.removeView(this);
}

void CVornView::initializeGL() {}

void CVornView::resizeGL(int width, int height) {
    m_camera.setViewport(width, height);
    // What was framed for the old shape of the view may not fit the new one.
    if (m_followScene && m_hasFramed)
        frameBox(m_framedLo, m_framedHi);
}

void CVornView::paintGL() {
    SceneRoot* root = m_doc.getRoot();
    if (!root) {
        m_renderer.beginFrame(WidgetFrameCamera(*this, m_camera), m_shadedBackground);
        return;
    }
    m_renderer.setSelection(root->getSelection());
    const int recordsBefore = m_renderer.getRecordCount();
    QElapsedTimer paintClock;
    paintClock.start();
    const double budgetMs = m_recordBudget.nextMs();
    m_renderer.setRecordBudgetMs(budgetMs);
    m_renderer.prepareScene(*root);
    const bool recorded = m_renderer.getRecordCount() != recordsBefore;
    // A scene that grew is framed before it is drawn, so following it costs no second paint.
    M3d lo, hi;
    if (m_renderer.getSceneBounds(lo, hi))
        frameGrownScene(lo, hi);
    QElapsedTimer drawClock;
    drawClock.start();
    m_renderer.beginFrame(WidgetFrameCamera(*this, m_camera), m_shadedBackground);
    m_renderer.drawScene(*root);
    if (recorded) {
        m_recordMs = paintClock.elapsed();
        m_sinceRecord.start();
        m_recordBudget.noteRecording(m_renderer.getLastRecordMs(), budgetMs);
        // What paintGL spent sending the drawing; the rest is added once it is on screen.
        m_recordBudget.noteDraw(double(drawClock.nsecsElapsed()) / 1e6);
        m_drawClock = drawClock;
        // What was left out of this recording is drawn by the next ones, asked for until
        // everything is in (a growing net also asks on its own, a finished one does not).
        if (!m_renderer.isCaughtUp())
            QTimer::singleShot(0, this, [this] { requestRecord(1); });
    }
    PaintScreenTexts(*this, m_renderer);
    if (!isRecording())
        return;
    QPainter painter(this);
    // A red quarter disc in the corner tells the user every redraw is being recorded.
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::red);
    painter.drawPie(QRectF(-10, -10, 20, 20), 270 * 16, 90 * 16);
    painter.end();
    // The picture is drawn by the software renderer, not from this GL context, so taking
    // it here neither recurses into painting nor disturbs the frame on screen.
    if (!recordFrame())
        StatusMessage("%s", getCaptureError().c_str());
}

bool CVornView::recordFrame() {
    m_capture.setCamera(m_camera);
    return m_capture.captureFrame(m_doc.getRoot());
}

bool CVornView::captureScreenshot(const std::string& path, int width, int height,
                                  bool selectedOnly) {
    // A single picture is never numbered; a recording in progress keeps its own count.
    const int counter = m_capture.getCounter();
    m_capture.setCounter(-1);
    const bool ok = onCaptureRequest(path, width, height, selectedOnly);
    m_capture.setCounter(counter);
    return ok;
}

void CVornView::startSlideshow(const std::string& path, int width, int height, bool selectedOnly) {
    m_capture.startSlideshow(path, width, height, selectedOnly);
    update();
}

void CVornView::startMovie(const std::string& path, int width, int height, bool selectedOnly) {
    m_capture.startMovie(path, width, height, selectedOnly);
    update();
}

bool CVornView::stopRecording() {
    const bool ok = m_capture.stopRecording();
    update();
    return ok;
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
    if (stored.isValid()) {
        // The viewpoint saved with the scene is one the user chose: it is kept.
        m_camera.interpolateTo(stored, kFlightMs);
        m_followScene = false;
    }
}

bool CVornView::recenter() {
    SceneRoot* root = m_doc.getRoot();
    if (!root)
        return false;
    M3d lo, hi;
    if (!m_picker.collected(*root).getBounds(lo, hi))
        return false;
    frameBox(lo, hi);
    m_followScene = true;
    update();
    return true;
}

void CVornView::frameBox(const M3d& lo, const M3d& hi) {
    // The camera fits the box's sphere to the narrower side of the view; the margin keeps
    // the model off the window's edges.
    const M3d centre = (lo + hi) * 0.5;
    const M3d half = (hi - lo) * (0.5 * kFrameMargin);
    m_camera.oversight(centre - half, centre + half);
    m_framedLo = lo;
    m_framedHi = hi;
    m_hasFramed = true;
}

bool CVornView::keepInSight(const M3d& lo, const M3d& hi) {
    if (!frameGrownScene(lo, hi))
        return false;
    update();
    return true;
}

bool CVornView::frameGrownScene(const M3d& lo, const M3d& hi) {
    if (!m_followScene || m_camera.isMoving())
        return false;
    const bool inside = m_hasFramed && lo.x() >= m_framedLo.x() && lo.y() >= m_framedLo.y() &&
                        lo.z() >= m_framedLo.z() && hi.x() <= m_framedHi.x() &&
                        hi.y() <= m_framedHi.y() && hi.z() <= m_framedHi.z();
    if (inside)
        return false;
    frameBox(lo, hi);
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
    if (selection && selection->canDelete()) {
        m_doc.perform("Delete " + QString::fromUtf8(selection->getClassName().data(),
                                                    int(selection->getClassName().size())),
                      [&] { SceneObj::DelayedDelete(selection); });
    }
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
    m_doc.perform("Cut", [&] {
        copySelection();
        deleteSelection();
    });
}

void CVornView::paste() {
    SceneRoot* root = m_doc.getRoot();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard) {
        StatusMessage("Cannot open the Clipboard");
        return;
    }
    if (root)
        m_doc.perform("Paste", [&] {
            SceneClipboard::paste(clipboard->text().toStdString(), *root, m_camera);
        });
}

void CVornView::setShadedBackground(bool on) {
    m_shadedBackground = on;
    SetRegistryString("Settings", "FancyBackground", on ? "true" : "false");
    m_renderer.invalidate();
    update();
}

void CVornView::onRedrawRequest() {
    requestRecord(5); // record at most one fifth of the time
}

void CVornView::requestRecord(qint64 share) {
    if (m_rerecordTimer.isActive())
        return;
    const qint64 wait =
        m_sinceRecord.isValid() ? share * m_recordMs - m_sinceRecord.elapsed() : 0;
    if (wait > 0) {
        m_rerecordTimer.start(int(wait));
        return;
    }
    m_renderer.invalidate();
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
    m_renderer.invalidate();
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
        m_renderer.invalidate();
        m_renderer.setSelection(nullptr);
        if (m_selectionChanged)
            m_selectionChanged(nullptr);
        // The selection may be going away (a deletion): draw the scene without it.
        update();
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
    const bool ok = m_capture.capture(m_doc.getRoot(), path, width, height, selectedOnly);
    // A movie an object records (the animation panel's) fails here, not in a dialog.
    if (!ok && IsMoviePath(path))
        StatusMessage("%s", getCaptureError().c_str());
    return ok;
}

Camera CVornView::logicalCamera() const {
    Camera camera = m_camera;
    camera.setViewport(std::max(width(), 1), std::max(height(), 1));
    return camera;
}

SceneObj* CVornView::selection() const {
    SceneRoot* root = m_doc.getRoot();
    return root ? root->getSelection() : nullptr;
}

namespace {

ViewNavigator::Button navigatorButton(Qt::MouseButton button) {
    switch (button) {
    case Qt::LeftButton:
        return ViewNavigator::Button::Left;
    case Qt::RightButton:
        return ViewNavigator::Button::Right;
    case Qt::MiddleButton:
        return ViewNavigator::Button::Middle;
    default:
        return ViewNavigator::Button::None;
    }
}

} // namespace

void CVornView::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    m_navigator.press(navigatorButton(event->button()), pos.x(), pos.y(), [&] {
        SceneObj* current = selection();
        return current && pickAt(event->position()) == current;
    });
}

void CVornView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const ViewNavigator::Gesture gesture = m_navigator.move(
        pos.x(), pos.y(), event->buttons() != Qt::NoButton, mods & Qt::ControlModifier,
        mods & Qt::ShiftModifier, selection() != nullptr,
        [this](bool cloneFirst) { return beginDrag(cloneFirst); });
    const QPoint from(m_navigator.getFromX(), m_navigator.getFromY());
    switch (gesture) {
    case ViewNavigator::Gesture::None:
        return;
    case ViewNavigator::Gesture::Hover:
        hover(event->position());
        return;
    case ViewNavigator::Gesture::DragSelection:
    case ViewNavigator::Gesture::DragAlongView:
        dragSelectionBy(from, pos, gesture == ViewNavigator::Gesture::DragAlongView);
        break;
    case ViewNavigator::Gesture::Pan:
        panBy(from, pos);
        noteCameraMotion();
        break;
    case ViewNavigator::Gesture::Orbit:
        orbitBy(pos - from);
        noteCameraMotion();
        break;
    }
    update();
}

void CVornView::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    endCameraMotion();
    switch (m_navigator.release(navigatorButton(event->button()), pos.x(), pos.y())) {
    case ViewNavigator::Release::EndDrag:
        if (SceneObj* current = selection())
            current->onEndDrag();
        if (m_dragAction) {
            m_dragAction = false;
            m_doc.endAction("Move");
        }
        break;
    case ViewNavigator::Release::Click:
        onLeftClick(event->position(), event->modifiers() & Qt::ControlModifier);
        break;
    case ViewNavigator::Release::None:
        break;
    }
}

void CVornView::onLeftClick(const QPointF& pos, bool ctrl) {
    SceneRoot* root = m_doc.getRoot();
    if (!root)
        return;
    ViewGeometry::NeighbourHits neighbours;
    const PickResult hit = pickHit(pos, ctrl ? &neighbours : nullptr);
    if (!hit.object) {
        root->select(nullptr);
        return;
    }
    if (ctrl)
        flyToSurface(hit.hitPoint, neighbours);
    if (hit.object->getClassName() == "ClickableLine") {
        // An edge line toggles its cut and hands the selection to its unfolder, so it is
        // clicked at once rather than selected first: passing the selection through the
        // line would rebuild the settings panels twice a click. Clicking again undoes the
        // toggle, so the step needs no copy of the scene, which on a large mesh would cost
        // more than the click.
        m_doc.performSelfInverseClick(QStringLiteral("Toggle Cut Edge"), *hit.object,
                                      hit.hitPoint);
        return;
    }
    if (root->getSelection() != hit.object)
        root->select(hit.object);
    // A click may change the scene: that is one step to undo.
    if (root->getSelection() == hit.object)
        m_doc.perform(QStringLiteral("Click"), [&] { hit.object->onLButtonUp(hit.hitPoint); });
}

void CVornView::flyToSurface(const M3d& hit, const ViewGeometry::NeighbourHits& neighbours) {
    const M3d normal = ViewGeometry::surfaceNormal(hit, neighbours, m_camera.getEye());
    m_camera.interpolateTo(ViewGeometry::lookAtSurface(m_camera, hit, normal), kFlightMs);
    m_followScene = false;
    m_flightClock.restart();
}

void CVornView::hover(const QPointF& pos) {
    m_hoverPos = pos;
    if (m_hoverTimer.isActive())
        return;
    const qint64 since = m_hoverClock.isValid() ? m_hoverClock.elapsed() : kHoverMs;
    if (since >= kHoverMs)
        hoverNow();
    else
        m_hoverTimer.start(int(kHoverMs - since));
}

void CVornView::hoverNow() {
    m_hoverClock.restart();
    SceneRoot* root = m_doc.getRoot();
    // A button pressed since the move was seen: the press handles the mouse now.
    if (!root || root->getChildren().empty() || m_navigator.isTracking())
        return;
    const PickResult hit = pickHit(m_hoverPos);
    // The object left behind hears it, when it is still in the scene (compared by
    // address: it may have been deleted since).
    if (m_hovered && m_hovered != hit.object && holds(*root, m_hovered))
        m_hovered->onMouseLeave();
    m_hovered = hit.object;
    if (hit.object)
        hit.object->onMouseOver(hit.hitPoint);
}

bool CVornView::holds(const SceneObj& obj, const SceneObj* target) {
    for (const SceneObj* child : obj.getChildren())
        if (child == target || holds(*child, target))
            return true;
    return false;
}

bool CVornView::beginDrag(bool cloneFirst) {
    SceneObj* current = selection();
    if (!current)
        return false;
    // The move (and the clone made for it) is one step to undo, ended on release.
    m_doc.beginAction();
    m_dragAction = true;
    if (cloneFirst && current->canCopy()) {
        // The copy is dragged away; the original stays where it was.
        if (SceneObj* copy = current->clone()) {
            m_doc.getRoot()->select(copy);
            if (selection() != copy) {
                m_dragAction = false;
                m_doc.endAction("Clone");
                return false;
            }
            current = copy;
        }
    }
    current->onBeginDrag();
    return true;
}

void CVornView::dragSelectionBy(const QPoint& from, const QPoint& to, bool alongView) {
    SceneObj* current = selection();
    if (!current)
        return;
    const Sorvex::M4x4 world = current->getWorldTransform();
    const M3d centre = world * current->getCenter();
    const M3d move = ViewGeometry::dragMove(logicalCamera(), from.x(), from.y(), to.x(), to.y(),
                                            centre, alongView);
    // `translate` takes the move in the parent's frame.
    Sorvex::M4x4 toParent;
    if (SceneObj* parent = current->getParent())
        toParent = parent->getWorldTransform();
    if (!toParent.inv())
        return;
    current->translate(toParent * move - toParent * M3d(0, 0, 0));
    // Moving an object does not report a change of its own; its drawing moved all the same.
    m_renderer.invalidate();
}

void CVornView::orbitBy(const QPoint& delta) {
    // Horizontal motion turns about the up vector, vertical motion about the screen's x.
    m_camera.orbit(-delta.x() * kOrbitRadiansPerPixel);
    const M3d right = ViewGeometry::screenRight(m_camera);
    const Sorvex::M4x4 tilt = Sorvex::M4x4::Rotation(right, -delta.y() * kOrbitRadiansPerPixel);
    const M3d offset = tilt * (m_camera.getEye() - m_camera.getTarget());
    const M3d up = tilt * m_camera.getUp();
    m_camera.setLookAt(m_camera.getTarget() + offset, m_camera.getTarget(), up.normalized());
}

void CVornView::panBy(const QPoint& from, const QPoint& to) {
    // The scene follows the mouse: the camera moves the opposite way in the view plane.
    const M3d move = ViewGeometry::dragMove(logicalCamera(), from.x(), from.y(), to.x(), to.y(),
                                            m_camera.getTarget(), false);
    m_camera.setLookAt(m_camera.getEye() - move, m_camera.getTarget() - move, m_camera.getUp());
    m_followScene = false;
}

PickResult CVornView::pickHit(const QPointF& pos, ViewGeometry::NeighbourHits* neighbours) {
    SceneRoot* root = m_doc.getRoot();
    if (!root)
        return {};
    // Hover, press and release over an unchanged scene share one collection.
    const PickRenderer& picker = m_picker.collected(*root);
    const qreal ratio = devicePixelRatioF();
    Camera pickCamera = m_camera;
    pickCamera.setViewport(int(width() * ratio), int(height() * ratio));
    const double x = pos.x() * ratio;
    const double y = pos.y() * ratio;
    const PickResult hit = picker.pick(pickCamera, x, y);
    if (neighbours && hit.object) {
        // Right, above, left, below: counter-clockwise on the screen.
        constexpr double kStep = 0.1;
        const double offsets[4][2] = {{kStep, 0}, {0, -kStep}, {-kStep, 0}, {0, kStep}};
        for (int i = 0; i < 4; ++i) {
            const PickResult side =
                picker.pick(pickCamera, x + offsets[i][0] * ratio, y + offsets[i][1] * ratio);
            (*neighbours)[i] =
                side.object == hit.object ? std::optional<M3d>(side.hitPoint) : std::nullopt;
        }
    }
    return hit;
}

SceneObj* CVornView::pickAt(const QPointF& pos) {
    return pickHit(pos).object;
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
    m_followScene = false;
    return true;
}

void CVornView::wheelEvent(QWheelEvent* event) {
    const double notches = event->angleDelta().y() / 120.0;
    // Each notch moves a tenth of the way to the target.
    m_camera.adjustDistance(-notches * 0.1 * m_camera.getDistance());
    m_followScene = false;
    noteCameraMotion();
    update();
}

void CVornView::noteCameraMotion() {
    m_renderer.setCameraMoving(true);
    m_stillTimer.start(kStillMs);
}

void CVornView::endCameraMotion() {
    m_stillTimer.stop();
    if (!m_renderer.isCameraMoving())
        return;
    m_renderer.setCameraMoving(false);
    update();
}
