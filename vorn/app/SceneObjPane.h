#pragma once

#include "scene/ChangeListener.h"
#include "scene/Renderer.h"
#include "scene/Viewpoint.h"
#include "scene/render/Camera.h"
#include "vorn/app/render/GLRenderer.h"
#include "vorn/app/render/PacedRepaint.h"

#include <QOpenGLWidget>
#include <QPoint>

class SceneObj;

/// A small OpenGL view of one scene object and its children, for dialogs and panels. The
/// object is borrowed: the pane listens for its destruction and then shows nothing, but
/// owners should still call setObject(nullptr) before deleting it. The left mouse button
/// orbits, the wheel zooms.
///
/// Repaints for changes of the object and refreshes are paced by the cost of the last paint
/// (PacedRepaint): a pane showing a growing net of hundreds of thousands of faces takes a
/// tenth of the time at most. The user's own orbit and zoom repaint at once.
class SceneObjPane : public QOpenGLWidget, public ChangeListener {
    Q_OBJECT
public:
    explicit SceneObjPane(QWidget* parent = nullptr);
    ~SceneObjPane() override;

    /// Shows `obj` (null for nothing) and frames it when it differs from the one shown.
    void setObject(SceneObj* obj);
    SceneObj* getObject() const { return m_object; }

    /// Aims the camera at the object: the fixed viewpoint when one is set, otherwise the
    /// current view direction standing back to see all of it. False when there is nothing
    /// to frame (no object, or one that draws nothing).
    bool frame();
    /// Repaints (the object changed in a way the pane is not told about), paced.
    void refresh() { m_repaint.request(); }

    /// A valid viewpoint replaces framing by bounds; an invalid one switches back.
    void setFixedViewpoint(const Viewpoint& vp);
    const Viewpoint& getFixedViewpoint() const { return m_fixedViewpoint; }

    /// Plain background colour; white unless set.
    void setBackground(const RGBAColor& color);
    const RGBAColor& getBackground() const { return m_background; }

    Camera& getCamera() { return m_camera; }

    void onTargetChanged(SceneObj* target, bool structural) override;
    void onTargetDestroyed(SceneObj* target) override;

protected:
    void initializeGL() override;
    void resizeGL(int width, int height) override;
    void paintGL() override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void detach();

    SceneObj* m_object = nullptr;
    Camera m_camera;
    GLRenderer m_renderer;
    Viewpoint m_fixedViewpoint;
    RGBAColor m_background{1.0, 1.0, 1.0, 1.0};
    QPoint m_lastPos;
    bool m_leftDown = false;
    /// Paints under 4 ms are never paced.
    PacedRepaint m_repaint{*this, 10, std::chrono::milliseconds(4)};
};
