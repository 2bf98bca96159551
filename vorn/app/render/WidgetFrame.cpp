#include "vorn/app/render/WidgetFrame.h"

#include "vorn/app/render/GLRenderer.h"

#include <QOpenGLWidget>
#include <QPainter>

Camera WidgetFrameCamera(const QOpenGLWidget& widget, const Camera& camera) {
    const qreal ratio = widget.devicePixelRatioF();
    Camera frame = camera;
    frame.setViewport(int(widget.width() * ratio), int(widget.height() * ratio));
    return frame;
}

void PaintScreenTexts(QOpenGLWidget& widget, const GLRenderer& renderer) {
    if (renderer.getTexts().empty())
        return;
    // Texts are placed in device pixels; the painter works in logical ones.
    const qreal ratio = widget.devicePixelRatioF();
    QPainter painter(&widget);
    for (const GLRenderer::ScreenText& text : renderer.getTexts()) {
        painter.setPen(
            QColor::fromRgbF(float(text.color.r), float(text.color.g), float(text.color.b)));
        painter.drawText(QPointF(text.x / ratio, text.y / ratio),
                         QString::fromStdString(text.text));
    }
}
