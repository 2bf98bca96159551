#include "vorn/app/CChildFrame.h"

#include "vorn/app/CVornDoc.h"
#include "vorn/app/CVornView.h"

#include <QCloseEvent>

CChildFrame::CChildFrame(std::unique_ptr<CVornDoc> doc, QWidget* parent)
    : QMdiSubWindow(parent), m_doc(std::move(doc)) {
    setAttribute(Qt::WA_DeleteOnClose);
    m_view = new CVornView(*m_doc, this);
    setWidget(m_view);
    updateTitle();
}

CChildFrame::~CChildFrame() {
    // The view talks to the document until it is gone, so it goes first.
    delete m_view;
    m_view = nullptr;
}

void CChildFrame::updateTitle() {
    const QString title =
        QString::fromStdString(m_doc->getTitle()) + (m_doc->isModifiedPaced() ? "*" : "");
    if (title != windowTitle())
        setWindowTitle(title);
}

void CChildFrame::closeEvent(QCloseEvent* event) {
    if (m_closeCheck && !m_closeCheck()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}
