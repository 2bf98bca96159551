// The main window's picture commands: screenshots, slideshows, movies, printing.
#include "vorn/app/CMainFrame.h"

#include "common/IdleLoop.h"
#include "common/StatusLine.h"
#include "common/UserPaths.h"
#include "scene/SceneRoot.h"
#include "vorn/app/CCapDetails.h"
#include "vorn/app/CChildFrame.h"
#include "vorn/app/CVornDoc.h"
#include "vorn/app/CVornView.h"
#include "vorn/app/MenuBuilder.h"
#include "vorn/app/PrintSupport.h"

#include <QAction>
#include <QDesktopServices>
#include <QFileInfo>
#include <QImage>
#include <QInputDialog>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QUrl>

#include <cstdlib>

std::string CMainFrame::proposeScreenshotPath(const CChildFrame& child) {
    const std::string& scene = child.getDocument().getPathName();
    if (scene.empty()) {
        // An unsaved scene: the per-user capture folder.
        const std::string slides = CaptureService::DefaultSlideshowPath();
        return slides.substr(0, slides.find_last_of('/') + 1) + "Screenshot.png";
    }
    const QFileInfo info(QString::fromStdString(scene));
    return (info.path() + "/" + info.completeBaseName() + ".png").toStdString();
}

bool CMainFrame::askCaptureDetails(std::string& path, int& width, int& height, bool& selectedOnly) {
    if (m_detailsFn)
        return m_detailsFn(path, width, height, selectedOnly);
    return CCapDetails::GetDetails(this, path, width, height, selectedOnly);
}

void CMainFrame::saveScreenshot() {
    CChildFrame* child = activeChild();
    if (!child)
        return;
    PauseIdleLoop();
    CVornView& view = child->getView();
    std::string path = proposeScreenshotPath(*child);
    int width = view.width();
    int height = view.height();
    bool selectedOnly = false;
    if (askCaptureDetails(path, width, height, selectedOnly)) {
        StatusMessage("Capturing screenshot...");
        if (!view.captureScreenshot(path, width, height, selectedOnly))
            showError(view.getCaptureError());
        else if (QFileInfo::exists(QString::fromStdString(path)) && !std::getenv("VORN_NO_OPEN"))
            QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
        StatusMessage("Ready");
    }
    ResumeIdleLoop();
}

void CMainFrame::toggleSlideshow() {
    CChildFrame* child = activeChild();
    QAction* action = m_menus->action("FileRecordSlideshow");
    if (!child) {
        action->setChecked(false);
        return;
    }
    CVornView& view = child->getView();
    if (view.isRecording()) {
        view.stopRecording();
    } else {
        std::string path = CaptureService::DefaultSlideshowPath();
        int width = view.width();
        int height = view.height();
        bool selectedOnly = false;
        PauseIdleLoop();
        if (askCaptureDetails(path, width, height, selectedOnly))
            view.startSlideshow(path, width, height, selectedOnly);
        ResumeIdleLoop();
    }
    action->setChecked(view.isRecording());
}

std::optional<MovieCodec> CMainFrame::askAviCodec() {
    if (m_codecChoiceFn)
        return m_codecChoiceFn();
    QStringList labels;
    std::vector<MovieCodec> offered;
    for (MovieCodec codec : AviCodecChoices()) {
        if (!IsMovieEncoderInstalled(codec))
            continue;
        offered.push_back(codec);
        labels << QString::fromUtf8(MovieCodecLabel(codec));
    }
    if (offered.empty())
        return std::nullopt;
    bool ok = false;
    // The question may come from an idle tick (an animation's movie): no ticks meanwhile.
    PauseIdleLoop();
    const QString chosen = QInputDialog::getItem(
        this, "Video Compression", "Compress AVI movies with:", labels, 0, false, &ok);
    ResumeIdleLoop();
    if (!ok)
        return std::nullopt;
    return offered[size_t(std::max<qsizetype>(0, labels.indexOf(chosen)))];
}

void CMainFrame::toggleAviRecording() {
    CChildFrame* child = activeChild();
    QAction* action = m_menus->action("FileRecordAvi");
    if (!child) {
        action->setChecked(false);
        return;
    }
    CVornView& view = child->getView();
    if (view.isRecording()) {
        if (!view.stopRecording())
            showError(view.getCaptureError());
    } else {
        view.startMovie(JoinPath(GetUserDataDir(), "Capture.avi"), 640, 480, false);
    }
    action->setChecked(view.isRecording() && view.isRecordingMovie());
    m_menus->action("FileRecordSlideshow")
        ->setChecked(view.isRecording() && !view.isRecordingMovie());
}

bool CMainFrame::printPicture(const std::string& picture, std::string& error) {
    const QImage image(QString::fromStdString(picture));
    if (image.isNull()) {
        error = "the picture to print could not be read";
        showError(std::string("Printer error encountered.\n") + error);
        return false;
    }
    if (!askPrinter())
        return true;
    QPainter painter;
    bool ok = painter.begin(m_printer.get());
    if (ok) {
        const QRect page = painter.viewport();
        QSize size = image.size();
        size.scale(page.size(), Qt::KeepAspectRatio);
        const QRect target(page.x() + (page.width() - size.width()) / 2,
                           page.y() + (page.height() - size.height()) / 2, size.width(),
                           size.height());
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, image);
        ok = painter.end();
    }
    if (!ok) {
        error = "the printer could not print the page";
        showError(std::string("Printer error encountered.\n") + error);
    }
    return ok;
}

bool CMainFrame::askPrinter() {
    if (m_printDialogFn)
        return m_printDialogFn(*m_printer);
    QPrintDialog dialog(m_printer.get(), this);
    // One page per print: page ranges and copies of a range mean nothing here.
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    return dialog.exec() == QDialog::Accepted;
}

bool CMainFrame::printActiveView() {
    CChildFrame* child = activeChild();
    SceneRoot* root = child ? child->getDocument().getRoot() : nullptr;
    if (!root)
        return false;
    PauseIdleLoop();
    bool printed = false;
    if (askPrinter()) {
        StatusMessage("Printing...");
        std::string error;
        printed = PrintViewPage(*m_printer, *root, child->getView().getCamera(), error);
        if (!printed)
            showError(error);
        StatusMessage("Ready");
    }
    ResumeIdleLoop();
    return printed;
}

void CMainFrame::previewActiveView() {
    CChildFrame* child = activeChild();
    SceneRoot* root = child ? child->getDocument().getRoot() : nullptr;
    if (!root)
        return;
    PauseIdleLoop();
    std::string error;
    QPrintPreviewDialog dialog(m_printer.get(), this);
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [&](QPrinter* printer) {
        PrintViewPage(*printer, *root, child->getView().getCamera(), error);
    });
    dialog.exec();
    ResumeIdleLoop();
    if (!error.empty())
        showError(error);
}

void CMainFrame::setupPage() {
    PauseIdleLoop();
    QPageSetupDialog(m_printer.get(), this).exec();
    ResumeIdleLoop();
}
