#pragma once

#include "vorn/app/MenuBuilder.h"
#include "vorn/app/RecentFiles.h"

#include <QElapsedTimer>
#include <QMainWindow>
#include <QRect>
#include <QTimer>

#include "vorn/core/movie/MovieFormat.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>

class CChildFrame;
class CPapercraftDlg;
class CUnfoldAMatic;
class CVornDoc;
class CVornView;
class QMdiArea;
class QMenu;
class QMdiSubWindow;
class QPrinter;
class QToolBar;
class SettingsBar;

/// The main window: the document windows in an MDI area, the menus, the status bar that
/// shows status messages, the docked settings bar, the 1 ms idle tick that drives every
/// long computation, and the remembered window placement.
class QUndoGroup;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame();
    ~CMainFrame() override;

    /// One tick of the idle loop: `OnSystemIdle()` (not re-entered while a tick runs),
    /// then the deletions and selections queued during it.
    static void IdleTick();

    MenuBuilder& getMenus() { return *m_menus; }
    SettingsBar& getSettingsBar() { return *m_settingsBar; }
    QMdiArea& getMdiArea() { return *m_mdi; }
    /// The main toolbar; the View menu's Toolbar command shows and hides it.
    QToolBar& getToolBar() { return *m_toolBar; }
    /// The application's printer: Print Setup changes it and every later print uses it.
    QPrinter& getPrinter() { return *m_printer; }

    /// A new window with an empty document.
    CChildFrame* newDocument();
    /// Opens `path` in a new window; on failure no window is made and `error` says why.
    CChildFrame* openDocument(const std::string& path, std::string& error);
    /// The files of the File menus' recent-file entries, newest first.
    const RecentFiles& getRecentFiles() const { return m_recentFiles; }
    /// Opens entry `index` (from 0) of the recent-file list; a file that cannot be opened
    /// any more is reported and dropped from the list.
    CChildFrame* openRecentFile(size_t index);

    /// Lists the open documents at the end of `menu` (the Window menu), the active one
    /// checked; choosing one activates its window. Earlier entries are replaced.
    void fillWindowMenu(QMenu& menu);

    /// The document of the active window, or null.
    CChildFrame* activeChild() const;
    /// Opens the file named on the command line; a file that cannot be read is reported in
    /// a message, as File > Open does, and the workbench stays open without a document.
    bool openStartupFile(const std::string& path);

    /// Saves `child`'s document under its name, asking for one when it has none (or is not a
    /// scene file) or when `askName`. False when cancelled or failed (the failure is shown).
    bool saveDocument(CChildFrame& child, bool askName);
    /// Before `child` closes: when its document has unsaved changes, asks Save / Discard /
    /// Cancel. True when the window may close (saved, discarded or unchanged).
    bool confirmClose(CChildFrame& child);

    // Insert commands (CMainFrameInsert.cpp)

    /// Opens the batch runner dialog on the active document's target mesh (none without a
    /// document).
    CUnfoldAMatic* openUnfoldAMatic();
    /// Inserts an object of `className` into the active document, making a new document
    /// first when none is open and the class can be built. On failure nothing changes and
    /// the reason goes to the status line and a message.
    bool insertObject(const std::string& className);

    // Picture commands (CMainFrameCapture.cpp)

    /// Save Screenshot: asks for the details, writes the picture of the active view and
    /// opens it (unless VORN_NO_OPEN is set); failures are shown as a message.
    void saveScreenshot();
    /// Record Slideshow: stops a recording, or asks for the details and starts one.
    void toggleSlideshow();
    /// Record AVI: stops a recording, or records every redraw of the active view into the
    /// data folder's "Capture.avi" at 640 x 480 without asking. The first AVI asks for
    /// the codec (`setCodecChoiceFn`) and stores the choice.
    void toggleAviRecording();
    /// Prints a panel's picture on one page after the print dialog; false with `error`
    /// set when the job failed (a cancelled dialog is not a failure).
    bool printPicture(const std::string& picture, std::string& error);

    /// Print: asks for the printer, then prints the active view's picture on one page.
    /// True when a page was printed; failures are shown as a message.
    bool printActiveView();
    /// Print Preview: the page Print would make, in a preview window.
    void previewActiveView();
    /// Print Setup: the page settings of the application's printer.
    void setupPage();

    /// Where messages for the user go (a message box by default); tests capture them.
    using MessageFn = std::function<void(const std::string&)>;
    void setMessageFn(MessageFn fn) { m_messageFn = std::move(fn); }
    /// Asks for a capture's file, size and selected-only choice (the `CCapDetails` dialog
    /// by default); false when cancelled.
    using CaptureDetailsFn =
        std::function<bool(std::string& path, int& width, int& height, bool& selectedOnly)>;
    void setCaptureDetailsFn(CaptureDetailsFn fn) { m_detailsFn = std::move(fn); }
    /// Lets the user choose and set up `printer` before a print (the print dialog by
    /// default); false when cancelled.
    using PrintDialogFn = std::function<bool(QPrinter& printer)>;
    void setPrintDialogFn(PrintDialogFn fn) { m_printDialogFn = std::move(fn); }
    /// Asks for the AVI codec (a list dialog by default); nothing when cancelled.
    using CodecChoiceFn = std::function<std::optional<MovieCodec>()>;
    void setCodecChoiceFn(CodecChoiceFn fn) { m_codecChoiceFn = std::move(fn); }
    /// What to do with a document's unsaved changes before it closes.
    enum class SaveChoice { Save, Discard, Cancel };
    /// Asks that question about the document titled `title` (a message box by default).
    using SaveQuestionFn = std::function<SaveChoice(const std::string& title)>;
    void setSaveQuestionFn(SaveQuestionFn fn) { m_saveQuestionFn = std::move(fn); }
    /// Runs the Export Papercraft dialog (modally by default); tests drive it instead.
    using PapercraftDialogFn = std::function<void(CPapercraftDlg& dialog)>;
    void setPapercraftDialogFn(PapercraftDialogFn fn) { m_papercraftFn = std::move(fn); }

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    void connectCommands();
    void onSubWindowActivated(QMdiSubWindow* window);
    void withView(void (*command)(CVornView&));
    void createToolBar();

    // File commands (CMainFrameFile.cpp)
    void onFileOpen();
    void onFileSave(bool askName);
    SaveChoice askSaveChanges(const std::string& title);
    void onFileExport();
    /// Export Papercraft: the dialog for the net of the selected or attached strategy.
    void onFileExportPapercraft();

    // Picture commands (CMainFrameCapture.cpp)
    bool askCaptureDetails(std::string& path, int& width, int& height, bool& selectedOnly);
    std::optional<MovieCodec> askAviCodec();
    /// The name offered for a screenshot of `child`'s scene.
    static std::string proposeScreenshotPath(const CChildFrame& child);
    bool askPrinter();

    void applyPlacement();
    void storePlacement(bool fromCurrent);
    CChildFrame* addChild(std::unique_ptr<CVornDoc> doc);
    /// Shows `text` in a message box: one that must be closed before the caller goes on
    /// (`waitForIt`), or one left open over the window while the caller goes on.
    void showError(const std::string& text, bool waitForIt = true);
    /// Puts `path` first in the recent-file list and shows the list in the menus.
    void rememberRecentFile(const std::string& path);
    void updateRecentFileMenu();

    /// Undo and redo of the Edit menu: the active document's stack.
    void connectUndo();

    QMdiArea* m_mdi = nullptr;
    QUndoGroup* m_undoGroup = nullptr;
    SettingsBar* m_settingsBar = nullptr;
    std::unique_ptr<MenuBuilder> m_menus;
    QToolBar* m_toolBar = nullptr;
    std::unique_ptr<QPrinter> m_printer;
    QTimer m_idleTimer;
    QElapsedTimer m_refreshClock;
    /// The documents' change counts summed at the last panel refresh: the panels' views
    /// draw again only after a change.
    unsigned long m_panelChangeSum = 0;
    /// The window rectangle last seen in the normal (not maximised) state.
    QRect m_normalRect{QPoint(-1, -1), QPoint(-1, -1)};
    bool m_placementReady = false;
    MessageFn m_messageFn;
    CaptureDetailsFn m_detailsFn;
    CodecChoiceFn m_codecChoiceFn;
    PrintDialogFn m_printDialogFn;
    SaveQuestionFn m_saveQuestionFn;
    PapercraftDialogFn m_papercraftFn;
    RecentFiles m_recentFiles;
};
