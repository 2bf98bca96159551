// The main window's File commands: open, save, save as, export and the question about
// unsaved changes before a document closes.
#include "vorn/app/CMainFrame.h"

#include "common/StatusLine.h"
#include "scene/SceneRoot.h"
#include "vorn/app/CChildFrame.h"
#include "vorn/app/CPapercraftDlg.h"
#include "vorn/app/CVornDoc.h"
#include "vorn/core/LoaderList.h"
#include "vorn/core/papercraft/PapercraftExport.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMessageBox>

#include <cstdio>

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
    if (CChildFrame* child = activeChild())
        saveDocument(*child, askName);
}

bool CMainFrame::saveDocument(CChildFrame& child, bool askName) {
    QString path = QString::fromStdString(child.getDocument().getPathName());
    // Only scene files are written back under their own name; anything else asks.
    if (askName || path.isEmpty() || !path.endsWith(".xml", Qt::CaseInsensitive)) {
        QString proposed = path;
        if (!proposed.isEmpty() && !proposed.endsWith(".xml", Qt::CaseInsensitive))
            proposed =
                QFileInfo(proposed).path() + "/" + QFileInfo(proposed).completeBaseName() + ".xml";
        path = QFileDialog::getSaveFileName(this, "Save As", proposed, ".xml (*.xml)");
        if (path.isEmpty())
            return false;
        if (!path.endsWith(".xml", Qt::CaseInsensitive))
            path += ".xml";
    }
    std::string error;
    const bool saved = child.getDocument().onSaveDocument(path.toStdString(), error);
    if (saved)
        rememberRecentFile(path.toStdString());
    else
        showError(error);
    child.updateTitle();
    return saved;
}

CMainFrame::SaveChoice CMainFrame::askSaveChanges(const std::string& title) {
    if (m_saveQuestionFn)
        return m_saveQuestionFn(title);
    const auto answer = QMessageBox::question(
        this, "Vorn", QString("Save changes to %1?").arg(QString::fromStdString(title)),
        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::Save);
    if (answer == QMessageBox::Save)
        return SaveChoice::Save;
    return answer == QMessageBox::Discard ? SaveChoice::Discard : SaveChoice::Cancel;
}

bool CMainFrame::confirmClose(CChildFrame& child) {
    if (!child.getDocument().isModified())
        return true;
    switch (askSaveChanges(child.getDocument().getTitle())) {
    case SaveChoice::Save:
        return saveDocument(child, false);
    case SaveChoice::Discard:
        return true;
    case SaveChoice::Cancel:
        break;
    }
    return false;
}

bool CMainFrame::openStartupFile(const std::string& path) {
    std::string error;
    if (openDocument(path, error))
        return true;
    // The start-up goes on (the event loop is not running yet); scripts read stderr.
    std::fprintf(stderr, "%s\n", error.c_str());
    showError(error, false);
    return false;
}

void CMainFrame::onFileExportPapercraft() {
    CChildFrame* child = activeChild();
    if (!child)
        return;
    std::string error;
    CVornDoc& doc = child->getDocument();
    Unfolder* unfolder = PapercraftNetOf(doc.getRoot()->getSelection(), doc.getTargetMesh(), error);
    if (!unfolder) {
        showError(error);
        return;
    }
    CPapercraftDlg dialog(this, *unfolder);
    if (m_papercraftFn)
        m_papercraftFn(dialog);
    else
        dialog.exec();
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
    const QString chosen = dialog.selectedFiles().front();
    // OFF text written over the model the document came from would lose the model.
    const QString source = QString::fromStdString(child->getDocument().getPathName());
    if (!source.isEmpty() && QFileInfo::exists(chosen) &&
        QFileInfo(chosen).canonicalFilePath() == QFileInfo(source).canonicalFilePath()) {
        showError(chosen.toStdString() +
                  ": this is the document's own file; export to another name");
        return;
    }
    std::string error;
    if (!child->getDocument().exportOff(chosen.toStdString(), error))
        showError(error);
}
