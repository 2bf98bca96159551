#pragma once

#include <QMdiSubWindow>

#include <functional>
#include <memory>

class CVornDoc;
class CVornView;

/// The window of one document: owns the document and shows its view. Closing the window
/// deletes both, the view first (it is registered with the document).
class CChildFrame : public QMdiSubWindow {
    Q_OBJECT
public:
    explicit CChildFrame(std::unique_ptr<CVornDoc> doc, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CVornDoc& getDocument() const { return *m_doc; }
    CVornView& getView() const { return *m_view; }
    /// Shows the document's file name in the window's title, followed by "*" while the
    /// document has changes that are not saved. On a huge scene the "*" may follow a change
    /// by a few seconds (CVornDoc::isModifiedPaced).
    void updateTitle();
    /// Asked before the window closes; returning false keeps it open (the user cancelled, or
    /// saving the changes failed).
    void setCloseCheck(std::function<bool()> check) { m_closeCheck = std::move(check); }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<bool()> m_closeCheck;
    std::unique_ptr<CVornDoc> m_doc;
    CVornView* m_view = nullptr;
};
