#pragma once

#include "scene/render/Camera.h"
#include "vorn/app/render/GLRenderer.h"
#include "vorn/app/render/PacedRepaint.h"

#include <QOpenGLWidget>

#include <functional>

class Renderer;

/// A small OpenGL area showing a drawing made by a function (a settings panel's canvas),
/// seen from the front and framed to the drawing's bounds on every paint. The drawing is
/// sent through the same `GLRenderer` as the views, so colours, lighting and depth look
/// alike and no second rasteriser is involved. Refreshes are paced by the cost of the last
/// paint (PacedRepaint), so that the drawing of a huge net does not fill the workbench's
/// time; the pointer's own feedback repaints at once.
class CanvasPane : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit CanvasPane(QWidget* parent = nullptr);

    /// The function that draws the content; empty draws nothing. Clear it before whatever
    /// the function refers to goes away.
    void setDraw(std::function<void(Renderer&)> draw) { m_draw = std::move(draw); }
    bool hasDraw() const { return bool(m_draw); }
    /// Receives the pointer in drawing units (through the camera of the last paint) as it
    /// moves, and the left button's release; empty: the canvas ignores the pointer.
    void setPointer(std::function<void(double, double, bool)> pointer);
    bool hasPointer() const { return bool(m_pointer); }
    /// Told the canvas's size in pixels whenever it changes.
    void setResize(std::function<void(int, int)> resize) { m_resize = std::move(resize); }
    /// Draws the content again (it may have changed), paced.
    void refresh() { m_repaint.request(); }

protected:
    void paintGL() override;
    void resizeGL(int width, int height) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    /// Reports the pointer at widget position `at`.
    void point(const QPointF& at, bool released);

    std::function<void(Renderer&)> m_draw;
    std::function<void(double, double, bool)> m_pointer;
    std::function<void(int, int)> m_resize;
    Camera m_lastCamera;
    GLRenderer m_renderer;
    /// Paints under 4 ms are never paced.
    PacedRepaint m_repaint{*this, 10, std::chrono::milliseconds(4)};
};
