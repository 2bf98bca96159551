#pragma once

#include "scene/SceneEventHandler.h"
#include "scene/render/Camera.h"
#include "vorn/app/GLRenderer.h"
#include "vorn/core/capture/CaptureService.h"

#include <QElapsedTimer>
#include <QOpenGLWidget>
#include <QPoint>
#include <QTimer>

#include <functional>

class CVornDoc;

/// The 3D view of a scene document: draws the scene root through a `GLRenderer`, orbits
/// the camera with the left button, zooms with the wheel, picks and selects on a click,
/// and answers the scene's events.
class CVornView : public QOpenGLWidget, public SceneEventHandler {
    Q_OBJECT
public:
    explicit CVornView(CVornDoc& doc, QWidget* parent = nullptr);
    ~CVornView() override;

    CVornDoc& getDocument() const { return m_doc; }
    Camera& getCamera() { return m_camera; }
    /// Called whenever the selection shown by this view changes.
    void setSelectionCallback(std::function<void(SceneObj*)> callback) {
        m_selectionChanged = std::move(callback);
    }

    /// Aims the camera so the whole scene is in the picture; false for an empty scene.
    bool recenter();
    /// Looks along an axis (0 = x, 1 = y, 2 = z) in the positive or negative direction.
    void lookAlong(int axis, bool positive);
    /// Endless spin on or off.
    void toggleSpin();
    /// One full turn: 128 steps of pi/64, one per 100 ms tick.
    void spinOnce();
    bool isSpinning() const { return m_spinTicks != 0; }
    bool isSpinningEndlessly() const { return m_spinTicks == -1; }
    /// One tick of the 100 ms view timer: spin step and camera flight.
    void onViewTick();
    /// Deletes the selection after the current event when it allows deletion.
    void deleteSelection();
    /// Stores the camera's viewpoint as "ViewpointA" or "ViewpointB" (section "Settings").
    void recordViewpoint(char which);
    /// Flies in 1000 ms to the stored viewpoint; false when none is stored.
    bool gotoViewpoint(char which);
    /// Puts the selection on the clipboard as XML text; Cut also deletes it.
    void copySelection();
    void cutSelection();
    /// Pastes a scene object from the clipboard's text.
    void paste();
    void setShadedBackground(bool on);
    bool hasShadedBackground() const { return m_shadedBackground; }

    void onRedrawRequest() override;
    void onFocusRequest(SceneObj* obj, const Viewpoint& vp) override;
    void onSelect(SceneObj* obj) override;
    bool onDeselectRequest(SceneObj* obj) override;
    bool onCaptureRequest(const std::string& path, int width, int height,
                          bool selectedOnly) override;
    const std::string& getCaptureError() const { return m_capture.getErrorText(); }

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    bool deselectBelow(SceneObj* current, SceneObj* obj);
    /// The object under window point `pos` (logical pixels), or null.
    SceneObj* pickAt(const QPointF& pos);
    void aimAtScene();

    CVornDoc& m_doc;
    Camera m_camera;
    GLRenderer m_renderer;
    CaptureService m_capture;
    QTimer m_viewTimer;
    QElapsedTimer m_flightClock;
    QPoint m_pressPos;
    QPoint m_lastPos;
    bool m_leftDown = false;
    bool m_orbiting = false;
    bool m_firstShow = true;
    bool m_shadedBackground = false;
    /// -1 spins endlessly, a positive count spins that many more steps, 0 is still.
    int m_spinTicks = 0;
    std::function<void(SceneObj*)> m_selectionChanged;
};
