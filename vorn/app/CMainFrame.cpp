#include "vorn/app/CMainFrame.h"

#include "common/IdleLoop.h"
#include "common/IdleSlice.h"
#include "common/Registry.h"
#include "common/StatusLine.h"
#include "scene/SceneObj.h"
#include "scene/SceneRoot.h"
#include "scene/settings/SaveFileChooser.h"
#include "scene/settings/CSettingsDlg.h"
#include "vorn/app/CAboutDlg.h"
#include "vorn/app/CChildFrame.h"
#include "vorn/app/CVornDoc.h"
#include "vorn/app/CVornView.h"
#include "vorn/app/SettingsBar.h"
#include "vorn/app/StrategyMenu.h"
#include "vorn/app/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPrinter>
#include <QStatusBar>
#include <QToolBar>
#include <QUndoGroup>

#include <atomic>

namespace {
std::atomic<bool> g_inIdleTick{false};
// Settings panels refresh at this period rather than on every 1 ms tick.
constexpr qint64 kPanelRefreshMs = 100;
/// How long one tick may keep stepping an unfolder: a huge net grows at full speed while
/// the window still gets its frames between ticks.
constexpr int kIdleSliceMs = 8;

// Commands whose hosts are not part of the workbench yet; they stay disabled.

// The classes the insert commands build, by command id.
const std::pair<const char*, const char*> kInsertCommands[] = {
    {"InsertMathFn", "MathFn"},
    {"InsertMetaSurface", "MetaSurface"},
    {"InsertCoolinoid", "Coolinoid"},
    {"InsertWitchHat", "WitchHat"},
    {"InsertBinTree", "BinTree"},
    {"InsertAnnotation", "Annotation"},
    {"InsertShortestPathViz", "ShortestPathViz"},
};
} // namespace

CMainFrame::CMainFrame() {
    m_mdi = new QMdiArea(this);
    setCentralWidget(m_mdi);
    m_menus = std::make_unique<MenuBuilder>(*this);
    m_printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    createToolBar();
    m_settingsBar = new SettingsBar(this);
    setDockOptions(dockOptions() | QMainWindow::AllowNestedDocks);
    addDockWidget(Qt::LeftDockWidgetArea, m_settingsBar);
    statusBar()->showMessage("Ready");
    // Hovering a menu item clears the message; the bar then says "Ready" again, not nothing.
    connect(statusBar(), &QStatusBar::messageChanged, this, [this](const QString& text) {
        if (text.isEmpty())
            statusBar()->showMessage("Ready");
    });
    setWindowIcon(MenuBuilder::ApplicationIcon());
    RegisterStatusMessageFn(
        [this](const char* text) { statusBar()->showMessage(QString::fromUtf8(text)); });
    // Panels ask for file names through this ("Browse..." of the 3D sweep); Qt's dialog
    // asks before overwriting.
    SetSaveFileChooser([this](const std::string& start, const std::string& extension) {
        const QString suffix = QString::fromStdString(extension);
        QString path = QFileDialog::getSaveFileName(this, "Save As", QString::fromStdString(start),
                                                    "*." + suffix);
        if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
            path += "." + suffix;
        return path.toStdString();
    });
    connectCommands();
    // Panels print and views record movies through this window's dialogs.
    CSettingsDlg::SetPicturePrinter([this](const std::string& picture, std::string& error) {
        return printPicture(picture, error);
    });
    CVornView::SetCodecChooser([this] { return askAviCodec(); });
    m_recentFiles = RecentFiles::Load();
    updateRecentFileMenu();
    onSubWindowActivated(nullptr);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &CMainFrame::onSubWindowActivated);
    applyPlacement();

    m_refreshClock.start();
    connect(&m_idleTimer, &QTimer::timeout, this, [this] {
        IdleTick();
        if (m_refreshClock.elapsed() >= kPanelRefreshMs) {
            m_refreshClock.restart();
            const QList<CChildFrame*> children = m_mdi->findChildren<CChildFrame*>();
            // The count of documents joins the sum, so that closing one counts as a change.
            unsigned long changeSum = (unsigned long)children.size();
            for (CChildFrame* child : children)
                changeSum += child->getDocument().getChangeCount();
            m_settingsBar->refresh(changeSum != m_panelChangeSum);
            m_panelChangeSum = changeSum;
            // The "*" of a document with unsaved changes follows the scene.
            for (CChildFrame* child : children)
                child->updateTitle();
        }
    });
    SetIdleSliceMs(kIdleSliceMs);
    m_idleTimer.start(1);
    IdleTick();
}

CMainFrame::~CMainFrame() {
    m_idleTimer.stop();
    SetIdleSliceMs(0);
    RegisterStatusMessageFn({});
    SetSaveFileChooser({});
    CSettingsDlg::SetPicturePrinter(nullptr);
    CVornView::SetCodecChooser(nullptr);
    // Documents go before the settings bar's panels lose their targets, closed windows
    // still waiting for their deferred deletion included.
    for (CChildFrame* window : m_mdi->findChildren<CChildFrame*>())
        delete window;
}

void CMainFrame::IdleTick() {
    // A handler that pumps events must not start a nested tick.
    if (g_inIdleTick.exchange(true))
        return;
    OnSystemIdle();
    SceneObj::ProcessDelayedOperations();
    g_inIdleTick = false;
}

void CMainFrame::connectCommands() {
    MenuBuilder& m = *m_menus;
    auto on = [this, &m](const char* id, auto slot) {
        connect(m.action(id), &QAction::triggered, this, slot);
    };
    on("FileNew", [this] { newDocument(); });
    on("FileOpen", [this] { onFileOpen(); });
    on("FileClose", [this] { m_mdi->closeActiveSubWindow(); });
    on("FileSave", [this] { onFileSave(false); });
    on("FileSaveAs", [this] { onFileSave(true); });
    on("FileExport", [this] { onFileExport(); });
    on("FileExportPapercraft", [this] { onFileExportPapercraft(); });
    on("FileScreenshot", [this] { saveScreenshot(); });
    on("FileRecordSlideshow", [this] { toggleSlideshow(); });
    on("FileRecordAvi", [this] { toggleAviRecording(); });
    on("FilePrint", [this] { printActiveView(); });
    on("FilePrintPreview", [this] { previewActiveView(); });
    on("FilePrintSetup", [this] { setupPage(); });
    on("FileExit", [this] { close(); });
    for (size_t i = 0; i < RecentFiles::kCapacity; ++i)
        on(("FileRecent" + std::to_string(i + 1)).c_str(), [this, i] { openRecentFile(i); });
    on("HelpAbout", [this] { CAboutDlg(this).exec(); });
    on("UnfoldAMatic", [this] { openUnfoldAMatic(); });
    QMenu* strategies = m.strategyMenu();
    connect(strategies, &QMenu::aboutToShow, this,
            [this, strategies] { FillStrategyMenu(*strategies, *this); });
    connectUndo();
    on("EditDelete", [this] { withView([](CVornView& v) { v.deleteSelection(); }); });
    on("EditCut", [this] { withView([](CVornView& v) { v.cutSelection(); }); });
    on("EditCopy", [this] { withView([](CVornView& v) { v.copySelection(); }); });
    on("EditPaste", [this] { withView([](CVornView& v) { v.paste(); }); });
    on("ViewSpin", [this] { withView([](CVornView& v) { v.toggleSpin(); }); });
    on("ViewSpinOnce", [this] {
        withView([](CVornView& v) { v.spinOnce(); });
        m_menus->action("ViewSpin")->setChecked(false);
    });
    on("ViewRecenter", [this] { withView([](CVornView& v) { v.recenter(); }); });
    on("ViewDownZ", [this] { withView([](CVornView& v) { v.lookAlong(2, false); }); });
    on("ViewUpZ", [this] { withView([](CVornView& v) { v.lookAlong(2, true); }); });
    on("ViewDownX", [this] { withView([](CVornView& v) { v.lookAlong(0, false); }); });
    on("ViewUpX", [this] { withView([](CVornView& v) { v.lookAlong(0, true); }); });
    on("ViewDownY", [this] { withView([](CVornView& v) { v.lookAlong(1, false); }); });
    on("ViewUpY", [this] { withView([](CVornView& v) { v.lookAlong(1, true); }); });
    on("ViewRecordA", [this] { withView([](CVornView& v) { v.recordViewpoint('A'); }); });
    on("ViewRecordB", [this] { withView([](CVornView& v) { v.recordViewpoint('B'); }); });
    on("ViewGotoA", [this] { withView([](CVornView& v) { v.gotoViewpoint('A'); }); });
    on("ViewGotoB", [this] { withView([](CVornView& v) { v.gotoViewpoint('B'); }); });
    on("WindowCascade", [this] { m_mdi->cascadeSubWindows(); });
    on("WindowTile", [this] { m_mdi->tileSubWindows(); });
    on("WindowNext", [this] { m_mdi->activateNextSubWindow(); });
    on("WindowPrevious", [this] { m_mdi->activatePreviousSubWindow(); });
    QMenu* windows = m.windowMenu();
    connect(windows, &QMenu::aboutToShow, this, [this, windows] { fillWindowMenu(*windows); });
    QAction* statusBarAction = m.action("ViewStatusBar");
    statusBarAction->setChecked(true);
    connect(statusBarAction, &QAction::toggled, statusBar(), &QStatusBar::setVisible);
    connect(m.action("ViewShadedBackground"), &QAction::triggered, this, [this](bool on) {
        if (CChildFrame* child = activeChild())
            child->getView().setShadedBackground(on);
    });
    for (const auto& [id, className] : kInsertCommands) {
        const std::string name = className;
        on(id, [this, name] { insertObject(name); });
    }
}

void CMainFrame::createToolBar() {
    m_toolBar = addToolBar("Toolbar");
    m_toolBar->setObjectName("Toolbar");
    m_menus->fillToolBar(*m_toolBar);
    QAction* toggle = m_menus->action("ViewToolbar");
    const bool shown = GetRegistryFlag("Settings", "ShowToolbar", true);
    toggle->setChecked(shown);
    m_toolBar->setVisible(shown);
    connect(toggle, &QAction::toggled, this, [this](bool on) {
        m_toolBar->setVisible(on);
        SetRegistryFlag("Settings", "ShowToolbar", on);
    });
    // The window's own context menu can hide the bar too; the command follows it.
    connect(m_toolBar->toggleViewAction(), &QAction::triggered, toggle, &QAction::setChecked);
}

void CMainFrame::onSubWindowActivated(QMdiSubWindow* window) {
    auto* child = qobject_cast<CChildFrame*>(window);
    m_menus->install(*menuBar(), child != nullptr);
    // Insert commands work without a document (they make one); a class this build lacks
    // is reported when the command runs rather than hidden.
    for (const auto& [id, className] : kInsertCommands)
        m_menus->action(id)->setEnabled(true);
    // Check marks follow the active view.
    m_menus->action("ViewShadedBackground")
        ->setChecked(child && child->getView().hasShadedBackground());
    m_menus->action("ViewSpin")->setChecked(child && child->getView().isSpinningEndlessly());
    const bool recording = child && child->getView().isRecording();
    const bool movie = recording && child->getView().isRecordingMovie();
    m_menus->action("FileRecordSlideshow")->setChecked(recording && !movie);
    m_menus->action("FileRecordAvi")->setChecked(movie);
    SceneRoot* root = child ? child->getDocument().getRoot() : nullptr;
    m_settingsBar->setSelection(root ? root->getSelection() : nullptr);
    m_undoGroup->setActiveStack(child ? &child->getDocument().getUndoStack() : nullptr);
    m_menus->action("EditUndo")->setEnabled(m_undoGroup->canUndo());
    m_menus->action("EditRedo")->setEnabled(m_undoGroup->canRedo());
}

void CMainFrame::connectUndo() {
    m_undoGroup = new QUndoGroup(this);
    // Panel commands ("Edit", "Reset", check boxes) are steps of the active document.
    m_settingsBar->setStepRunner([this](const QString& name, const std::function<void()>& run) {
        if (CChildFrame* child = activeChild())
            child->getDocument().perform(name, run, false);
        else
            run();
    });
    QAction* undo = m_menus->action("EditUndo");
    QAction* redo = m_menus->action("EditRedo");
    connect(undo, &QAction::triggered, m_undoGroup, &QUndoGroup::undo);
    connect(redo, &QAction::triggered, m_undoGroup, &QUndoGroup::redo);
    connect(m_undoGroup, &QUndoGroup::canUndoChanged, undo, &QAction::setEnabled);
    connect(m_undoGroup, &QUndoGroup::canRedoChanged, redo, &QAction::setEnabled);
    // The items name the step they take back or do again ("Undo Toggle Cut Edge").
    connect(m_undoGroup, &QUndoGroup::undoTextChanged, undo, [undo](const QString& step) {
        undo->setText(step.isEmpty() ? QStringLiteral("&Undo") : "&Undo " + step);
    });
    connect(m_undoGroup, &QUndoGroup::redoTextChanged, redo, [redo](const QString& step) {
        redo->setText(step.isEmpty() ? QStringLiteral("&Redo") : "&Redo " + step);
    });
}

CChildFrame* CMainFrame::addChild(std::unique_ptr<CVornDoc> doc) {
    auto* child = new CChildFrame(std::move(doc));
    m_undoGroup->addStack(&child->getDocument().getUndoStack());
    child->setCloseCheck([this, child] { return confirmClose(*child); });
    child->getView().setSelectionCallback([this, child](SceneObj* obj) {
        if (activeChild() == child || !activeChild())
            m_settingsBar->setSelection(obj);
    });
    m_mdi->addSubWindow(child);
    // A lone document fills the area.
    if (m_mdi->subWindowList().size() == 1)
        child->showMaximized();
    else
        child->show();
    onSubWindowActivated(m_mdi->activeSubWindow());
    return child;
}

CChildFrame* CMainFrame::newDocument() {
    auto doc = std::make_unique<CVornDoc>();
    doc->onNewDocument();
    return addChild(std::move(doc));
}

CChildFrame* CMainFrame::openDocument(const std::string& path, std::string& error) {
    auto doc = std::make_unique<CVornDoc>();
    if (!doc->onOpenDocument(path, error))
        return nullptr;
    rememberRecentFile(path);
    return addChild(std::move(doc));
}

CChildFrame* CMainFrame::openRecentFile(size_t index) {
    if (index >= m_recentFiles.getPaths().size())
        return nullptr;
    const std::string path = m_recentFiles.getPaths()[index];
    std::string error;
    if (CChildFrame* child = openDocument(path, error))
        return child;
    m_recentFiles.remove(path);
    updateRecentFileMenu();
    showError(error);
    return nullptr;
}

void CMainFrame::rememberRecentFile(const std::string& path) {
    if (!m_recentFiles.add(path))
        StatusMessage("The recent-file list could not be saved: %s", GetRegistryError().c_str());
    updateRecentFileMenu();
}

void CMainFrame::updateRecentFileMenu() {
    const std::vector<std::string>& paths = m_recentFiles.getPaths();
    for (size_t i = 0; i < RecentFiles::kCapacity; ++i) {
        QAction* entry = m_menus->action("FileRecent" + std::to_string(i + 1));
        entry->setVisible(i < paths.size());
        if (i < paths.size()) {
            entry->setText(QString::fromStdString(m_recentFiles.menuText(i)));
            entry->setStatusTip(QString::fromStdString(paths[i]));
        }
    }
}

void CMainFrame::fillWindowMenu(QMenu& menu) {
    for (QAction* a : menu.actions())
        if (a->property("documentWindow").isValid())
            delete a;
    const QList<QMdiSubWindow*> windows = m_mdi->subWindowList();
    if (!windows.isEmpty())
        menu.addSeparator()->setProperty("documentWindow", 0);
    int number = 0;
    for (QMdiSubWindow* window : windows) {
        auto* child = qobject_cast<CChildFrame*>(window);
        if (!child)
            continue;
        ++number;
        QAction* entry = menu.addAction(QString("&%1 %2").arg(number).arg(child->windowTitle()));
        entry->setProperty("documentWindow", number);
        entry->setCheckable(true);
        entry->setChecked(window == m_mdi->activeSubWindow());
        connect(entry, &QAction::triggered, this, [this, window] {
            if (m_mdi->subWindowList().contains(window))
                m_mdi->setActiveSubWindow(window);
        });
    }
}

CChildFrame* CMainFrame::activeChild() const {
    return qobject_cast<CChildFrame*>(m_mdi->activeSubWindow());
}

void CMainFrame::withView(void (*command)(CVornView&)) {
    if (CChildFrame* child = activeChild())
        command(child->getView());
}

void CMainFrame::showError(const std::string& text, bool waitForIt) {
    if (m_messageFn) {
        m_messageFn(text);
        return;
    }
    if (waitForIt) {
        QMessageBox::warning(this, "Vorn", QString::fromStdString(text));
        return;
    }
    auto* box = new QMessageBox(QMessageBox::Warning, "Vorn", QString::fromStdString(text),
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void CMainFrame::applyPlacement() {
    const WindowPlacement placement = WindowPlacement::Load();
    if (placement.hasRect) {
        m_normalRect =
            QRect(QPoint(placement.left, placement.top),
                  QSize(placement.right - placement.left, placement.bottom - placement.top));
        move(placement.left, placement.top);
        resize(std::max(placement.right - placement.left, 100),
               std::max(placement.bottom - placement.top, 100));
    } else {
        resize(1024, 768);
    }
    if (placement.maximized)
        setWindowState(windowState() | Qt::WindowMaximized);
    m_placementReady = true;
}

void CMainFrame::storePlacement(bool fromCurrent) {
    if (!m_placementReady || !isVisible())
        return;
    const QRect current = frameGeometry();
    if (fromCurrent) {
        WindowPlacement::Store(current.left(), current.top(), current.right() + 1,
                               current.bottom() + 1, false);
        return;
    }
    const bool maximized = isMaximized();
    if (!maximized && !isMinimized())
        m_normalRect = current;
    WindowPlacement::Store(m_normalRect.left(), m_normalRect.top(), m_normalRect.right() + 1,
                           m_normalRect.bottom() + 1, maximized);
}

void CMainFrame::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    storePlacement(false);
}

void CMainFrame::moveEvent(QMoveEvent* event) {
    QMainWindow::moveEvent(event);
    storePlacement(true);
}

void CMainFrame::closeEvent(QCloseEvent* event) {
    // Every document and its scene go before the frame closes; a document whose user
    // cancelled the question about its changes keeps the workbench open.
    for (QMdiSubWindow* window : m_mdi->subWindowList()) {
        if (!window->close()) {
            event->ignore();
            return;
        }
    }
    event->accept();
}
