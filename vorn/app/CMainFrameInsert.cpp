// The main window's Insert commands and the batch runner dialog.
#include "vorn/app/CMainFrame.h"

#include "common/StatusLine.h"
#include "vorn/app/CChildFrame.h"
#include "vorn/app/CVornDoc.h"
#include "vorn/app/unfoldamatic/CUnfoldAMatic.h"

#include <QMdiArea>

CUnfoldAMatic* CMainFrame::openUnfoldAMatic() {
    CChildFrame* child = activeChild();
    PolyMesh* target = child ? child->getDocument().getTargetMesh() : nullptr;
    auto* dialog = new CUnfoldAMatic(target, this); // deletes itself when closed
    // A failed test mesh that is kept opens in a new document for inspection.
    dialog->onFailure = [this](const std::string& xml) {
        std::string error;
        CChildFrame* failures = newDocument();
        if (!failures->getDocument().insertFromXml(xml, &error))
            StatusMessage("%s", error.c_str());
    };
    dialog->show();
    return dialog;
}

bool CMainFrame::insertObject(const std::string& className) {
    CChildFrame* child = activeChild();
    if (className == "ShortestPathViz" && (!child || !child->getDocument().getTargetMesh())) {
        // Paths need a mesh to run on; a new empty document would not have one.
        StatusMessage("There is no mesh to show shortest paths on");
        return false;
    }
    std::string error = className + " is not available in this build";
    if (CVornDoc::CanBuild(className)) {
        // A document is made only for an object that can go into it.
        if (!child)
            child = newDocument();
        CVornDoc& doc = child->getDocument();
        if (doc.perform("Insert " + QString::fromStdString(className),
                        [&] { return doc.insertObject(className, &error); }))
            return true;
    }
    StatusMessage("%s", error.c_str());
    showError(error);
    return false;
}
