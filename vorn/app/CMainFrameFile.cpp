// The main window's File commands: open, save, save as and export.
#include "vorn/app/CMainFrame.h"

#include "common/StatusLine.h"
#include "scene/SceneRoot.h"
#include "vorn/app/CChildFrame.h"
#include "vorn/app/CVornDoc.h"
#include "vorn/core/LoaderList.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>

void CMainFrame::onFileOpen() {
    const OpenFilter filter = BuildOpenFilter();
    // The filter text is "<name>\0<pattern>\0" pairs; Qt wants "name;;name".
    QStringList names;
    size_t pos = 0;
    while (pos < filter.text.size()) {
        const size_t nameEnd = filter.text.find('\0', pos);
        if (nameEnd == std::string::npos)
            break;
        names << QString::fromStdString(filter.text.substr(pos, nameEnd - pos));
        const size_t patternEnd = filter.text.find('\0', nameEnd + 1);
        pos = patternEnd == std::string::npos ? filter.text.size() : patternEnd + 1;
    }
    const QString path = QFileDialog::getOpenFileName(this, "Open", QString(), names.join(";;"));
    if (path.isEmpty())
        return;
    std::string error;
    if (!openDocument(path.toStdString(), error))
        showError(error);
}

void CMainFrame::onFileSave(bool askName) {
    CChildFrame* child = activeChild();
    if (!child)
        return;
    QString path = QString::fromStdString(child->getDocument().getPathName());
    // Only scene files are written back under their own name; anything else asks.
    if (askName || path.isEmpty() || !path.endsWith(".xml", Qt::CaseInsensitive)) {
        QString proposed = path;
        if (!proposed.isEmpty() && !proposed.endsWith(".xml", Qt::CaseInsensitive))
            proposed =
                QFileInfo(proposed).path() + "/" + QFileInfo(proposed).completeBaseName() + ".xml";
        path = QFileDialog::getSaveFileName(this, "Save As", proposed, ".xml (*.xml)");
        if (path.isEmpty())
            return;
        if (!path.endsWith(".xml", Qt::CaseInsensitive))
            path += ".xml";
    }
    std::string error;
    if (!child->getDocument().onSaveDocument(path.toStdString(), error))
        showError(error);
    child->updateTitle();
}

void CMainFrame::onFileExport() {
    CChildFrame* child = activeChild();
    if (!child)
        return;
    const std::string proposed = child->getDocument().proposeExportName();
    if (proposed.empty()) {
        StatusMessage("There is no mesh to export");
        return;
    }
    // The proposed name goes in the scene's own folder (which ends with a slash).
    const std::string& folder = child->getDocument().getRoot()->getFilePath();
    const std::string start = folder + proposed;
    QFileDialog dialog(this, "Export", QString::fromStdString(start), "Object File Format (*.off)");
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("off");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    std::string error;
    if (!child->getDocument().exportOff(dialog.selectedFiles().front().toStdString(), error))
        showError(error);
}
