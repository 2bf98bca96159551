#pragma once

#include "vorn/app/render/GLRenderer.h"

#include <QOpenGLWidget>

#include <functional>

class Renderer;

/// A small OpenGL area showing a drawing made by a function (a settings panel's canvas),
/// seen from the front and framed to the drawing's bounds on every paint. The drawing is
/// sent through the same `GLRenderer` as the views, so colours, lighting and depth look
/// alike and no second rasteriser is involved.
class CanvasPane : public QOpenGLWidget {
    Q_OBJECT
public:
    explicit CanvasPane(QWidget* parent = nullptr);

    /// The function that draws the content; empty draws nothing. Clear it before whatever
    /// the function refers to goes away.
    void setDraw(std::function<void(Renderer&)> draw) { m_draw = std::move(draw); }
    bool hasDraw() const { return bool(m_draw); }
    /// Draws the content again on the next paint (it may have changed).
    void refresh() { update(); }

protected:
    void paintGL() override;

private:
    std::function<void(Renderer&)> m_draw;
    GLRenderer m_renderer;
};
