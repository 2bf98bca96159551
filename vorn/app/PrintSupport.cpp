#include "vorn/app/PrintSupport.h"

#include "scene/SceneRoot.h"
#include "scene/render/CairoRenderer.h"
#include "vorn/app/PagePicture.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QTemporaryDir>

namespace {

/// The picture of `root` seen by `camera`, `width` x `height` pixels; null with `error`
/// set when it could not be drawn.
QImage drawPicture(SceneRoot& root, const Camera& camera, int width, int height,
                   std::string& error) {
    CairoRenderer renderer;
    if (!renderer.initialise(width, height)) {
        error = "The picture could not be drawn: " + renderer.getLastError();
        return {};
    }
    renderer.setCamera(camera);
    renderer.setBackground({1, 1, 1, 1});
    // The renderer writes files only; the picture passes through a private folder.
    QTemporaryDir folder;
    if (!folder.isValid()) {
        error = "The picture could not be drawn: no temporary folder (" +
                folder.errorString().toStdString() + ")";
        return {};
    }
    const QString path = folder.filePath("page.png");
    if (!renderer.render_png(root, path.toStdString())) {
        error = "The picture could not be drawn: " + renderer.getLastError();
        return {};
    }
    QImage image(path);
    if (image.isNull())
        error = "The picture could not be drawn: its file could not be read back";
    return image;
}

} // namespace

bool PrintViewPage(QPrinter& printer, SceneRoot& root, const Camera& camera, std::string& error) {
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const auto placement = PagePicture::Fit(camera.getWidth(), camera.getHeight(), page.width(),
                                            page.height(), kLargestPrintSide);
    if (!placement) {
        error = "The page has no room for the picture";
        return false;
    }
    const QImage image =
        drawPicture(root, camera, placement->pixelWidth, placement->pixelHeight, error);
    if (image.isNull())
        return false;
    QPainter painter;
    if (!painter.begin(&printer)) {
        error = "The printer could not start the page";
        if (!printer.outputFileName().isEmpty())
            error += " (" + printer.outputFileName().toStdString() + ")";
        return false;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRectF(placement->x, placement->y, placement->width, placement->height),
                      image);
    if (!painter.end()) {
        error = "The printer could not finish the page";
        return false;
    }
    return true;
}
