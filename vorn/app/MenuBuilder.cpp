#include "vorn/app/MenuBuilder.h"

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QToolBar>
#include <QWidget>

namespace {
// Commands that need an open document; disabled while none is.
const char* const kDocumentCommands[] = {
    "FileClose",
    "FileSave",
    "FileSaveAs",
    "FileExport",
    "FileExportPapercraft",
    "FileScreenshot",
    "FilePrint",
    "FilePrintPreview",
    "EditDelete",
    "EditCut",
    "EditCopy",
    "EditPaste",
    "InsertMathFn",
    "InsertMetaSurface",
    "InsertCoolinoid",
    "InsertWitchHat",
    "InsertBinTree",
    "InsertAnnotation",
    "InsertShortestPathViz",
    "ViewShadedBackground",
    "ViewSpin",
    "ViewSpinOnce",
    "ViewRecenter",
    "ViewDownZ",
    "ViewUpZ",
    "ViewDownX",
    "ViewUpX",
    "ViewDownY",
    "ViewUpY",
    "ViewRecordA",
    "ViewRecordB",
    "ViewGotoA",
    "ViewGotoB",
    "WindowCascade",
    "WindowTile",
};

// The recent-file entries of both File menus, newest first.
const char* const kRecentFileCommands[] = {"FileRecent1", "FileRecent2", "FileRecent3",
                                           "FileRecent4"};

// The toolbar's buttons ("-" separates groups): the icon-theme name, and for when the theme
// has none either the style's own icon or (kShipped) the workbench's icon of the theme name.
struct ToolButton {
    const char* id;
    const char* themeIcon;
    QStyle::StandardPixmap styleIcon;
};
constexpr QStyle::StandardPixmap kShipped = QStyle::SP_CustomBase;
const ToolButton kToolButtons[] = {
    {"FileNew", "document-new", QStyle::SP_FileIcon},
    {"FileOpen", "document-open", QStyle::SP_DialogOpenButton},
    {"FileSave", "document-save", QStyle::SP_DialogSaveButton},
    {"-", "", kShipped},
    {"EditCut", "edit-cut", kShipped},
    {"EditCopy", "edit-copy", kShipped},
    {"EditPaste", "edit-paste", kShipped},
    {"-", "", kShipped},
    {"FilePrint", "document-print", kShipped},
    {"-", "", kShipped},
    {"HelpAbout", "help-about", QStyle::SP_MessageBoxInformation},
};
} // namespace

// The icons are compiled into this static library; their registration must be asked for.
static void registerShippedIcons() {
    Q_INIT_RESOURCE(icons);
}

QIcon MenuBuilder::ApplicationIcon() {
    registerShippedIcons();
    QIcon icon;
    icon.addFile(":/icons/vorn-48.png", QSize(48, 48));
    icon.addFile(":/icons/vorn-128.png", QSize(128, 128));
    return icon;
}

MenuBuilder::MenuBuilder(QWidget& owner) : m_owner(owner) {
    using K = QKeySequence;
    add("FileNew", "&New", {K(Qt::CTRL | Qt::Key_N)});
    add("FileOpen", "&Open...", {K(Qt::CTRL | Qt::Key_O)});
    add("FileClose", "&Close");
    add("FileSave", "&Save", {K(Qt::CTRL | Qt::Key_S)});
    add("FileSaveAs", "Save &As...");
    add("FileExport", "&Export...");
    add("FileExportPapercraft", "Export Pape&rcraft...");
    add("FileScreenshot", "Save Screenshot", {K(Qt::CTRL | Qt::Key_T)});
    add("FileRecordAvi", "Record AVI...", {K(Qt::CTRL | Qt::Key_R)});
    add("FileRecordSlideshow", "Record Slideshow...", {K(Qt::CTRL | Qt::SHIFT | Qt::Key_R)});
    add("FilePrint", "&Print...", {K(Qt::CTRL | Qt::Key_P)});
    add("FilePrintPreview", "Print Pre&view");
    add("FilePrintSetup", "P&rint Setup...");
    // The recent-file entries; the main window gives them their files and hides unused ones.
    for (const char* id : kRecentFileCommands)
        add(id, "")->setVisible(false);
    add("FileExit", "E&xit");
    add("EditUndo", "&Undo", {K(Qt::CTRL | Qt::Key_Z), K(Qt::ALT | Qt::Key_Backspace)});
    add("EditRedo", "&Redo", {K(Qt::CTRL | Qt::Key_Y), K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    add("EditDelete", "&Delete", {K(Qt::Key_Delete)});
    add("EditCut", "Cu&t", {K(Qt::CTRL | Qt::Key_X), K(Qt::SHIFT | Qt::Key_Delete)});
    add("EditCopy", "&Copy", {K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)});
    add("EditPaste", "&Paste", {K(Qt::CTRL | Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)});
    add("InsertMathFn", "Insert MathFn", {K(Qt::Key_F1)});
    add("InsertMetaSurface", "Insert MetaSurface", {K(Qt::Key_F2)});
    add("InsertCoolinoid", "Insert Coolinoid", {K(Qt::Key_F3)});
    add("InsertWitchHat", "Insert Witch's Hat", {K(Qt::Key_F4)});
    add("InsertBinTree", "Insert BinTree", {K(Qt::Key_F5)});
    add("InsertAnnotation", "Insert Annotation");
    add("InsertShortestPathViz", "Insert ShortestPathViz");
    add("UnfoldAMatic", "Unfold-A-Matic");
    add("ViewToolbar", "&Toolbar");
    add("ViewStatusBar", "&Status Bar");
    add("ViewShadedBackground", "Shaded Background");
    add("ViewSpin", "Spin...");
    add("ViewSpinOnce", "Spin Once...", {K(Qt::SHIFT | Qt::Key_S)});
    add("ViewRecordA", "Record Viewpoint A", {K(Qt::CTRL | Qt::SHIFT | Qt::Key_A)});
    add("ViewRecordB", "Record Viewpoint B", {K(Qt::CTRL | Qt::SHIFT | Qt::Key_B)});
    add("ViewGotoA", "Goto Viewpoint A", {K(Qt::CTRL | Qt::Key_A)});
    add("ViewGotoB", "Goto Viewpoint B", {K(Qt::CTRL | Qt::Key_B)});
    add("ViewRecenter", "Recenter", {K(Qt::CTRL | Qt::Key_0)});
    add("ViewDownZ", "Down Z", {K(Qt::CTRL | Qt::Key_1)});
    add("ViewUpZ", "Up Z", {K(Qt::CTRL | Qt::Key_2)});
    add("ViewDownX", "Down X", {K(Qt::CTRL | Qt::Key_3)});
    add("ViewUpX", "Up X", {K(Qt::CTRL | Qt::Key_4)});
    add("ViewDownY", "Down Y", {K(Qt::CTRL | Qt::Key_5)});
    add("ViewUpY", "Up Y", {K(Qt::CTRL | Qt::Key_6)});
    add("WindowNext", "Next Pane", {K(Qt::Key_F6)});
    add("WindowPrevious", "Previous Pane", {K(Qt::SHIFT | Qt::Key_F6)});
    add("WindowCascade", "&Cascade");
    add("WindowTile", "&Tile");
    add("HelpAbout", "&About Vorn...");
    for (const char* id : {"ViewStatusBar", "ViewToolbar", "ViewShadedBackground", "ViewSpin",
                           "FileRecordSlideshow", "FileRecordAvi"})
        action(id)->setCheckable(true);
    // Undo and redo follow the active document's stack (CMainFrame).
    action("EditUndo")->setEnabled(false);
    action("EditRedo")->setEnabled(false);

    m_frameMenus = {
        menu("&File", {"FileNew", "FileOpen", "-", "FilePrintSetup", "-", "FileRecent1",
                       "FileRecent2", "FileRecent3", "FileRecent4", "-", "FileExit"}),
        menu("&Unfolding", {"UnfoldAMatic"}),
        menu("&View", {"ViewToolbar", "ViewStatusBar"}),
        menu("&Help", {"HelpAbout"}),
    };
    m_childMenus = {
        menu("&File", {"FileNew",
                       "FileOpen",
                       "FileClose",
                       "FileSave",
                       "FileSaveAs",
                       "-",
                       "FileExport",
                       "FileExportPapercraft",
                       "FileScreenshot",
                       "FileRecordAvi",
                       "FileRecordSlideshow",
                       "-",
                       "FilePrint",
                       "FilePrintPreview",
                       "FilePrintSetup",
                       "-",
                       "FileRecent1",
                       "FileRecent2",
                       "FileRecent3",
                       "FileRecent4",
                       "-",
                       "FileExit"}),
        menu("&Edit",
             {"EditUndo", "EditRedo", "-", "EditDelete", "EditCut", "EditCopy", "EditPaste", "-",
              "InsertMathFn", "InsertMetaSurface", "InsertCoolinoid", "InsertWitchHat",
              "InsertBinTree", "InsertAnnotation", "InsertShortestPathViz"}),
        menu("&Unfolding", {"UnfoldAMatic", "-"}),
        menu("&View",
             {"ViewStatusBar", "ViewShadedBackground", "-", "ViewSpin", "ViewSpinOnce", "-",
              "ViewRecordA", "ViewRecordB", "ViewGotoA", "ViewGotoB", "-", "ViewRecenter",
              "ViewDownZ", "ViewUpZ", "ViewDownX", "ViewUpX", "ViewDownY", "ViewUpY"}),
        menu("&Window", {"WindowCascade", "WindowTile", "WindowNext", "WindowPrevious"}),
        menu("&Help", {"HelpAbout"}),
    };
    m_windowMenu = m_childMenus[4];
    m_strategyMenu = m_childMenus[2]->addMenu("Unfold &With");
    m_strategyMenu->setObjectName("UnfoldWith");
}

QAction* MenuBuilder::add(const std::string& id, const QString& text,
                          const QList<QKeySequence>& keys) {
    auto* a = new QAction(text, &m_owner);
    a->setObjectName(QString::fromStdString(id));
    a->setShortcuts(keys);
    a->setShortcutContext(Qt::WindowShortcut);
    m_owner.addAction(a);
    m_actions[id] = a;
    return a;
}

QMenu* MenuBuilder::menu(const QString& title, std::initializer_list<const char*> ids) {
    auto* m = new QMenu(title, &m_owner);
    for (const char* id : ids) {
        if (std::string(id) == "-")
            m->addSeparator();
        else
            m->addAction(action(id));
    }
    return m;
}

QAction* MenuBuilder::action(const std::string& id) const {
    const auto it = m_actions.find(id);
    return it == m_actions.end() ? nullptr : it->second;
}

void MenuBuilder::install(QMenuBar& bar, bool withDocument) const {
    bar.clear();
    for (QMenu* m : withDocument ? m_childMenus : m_frameMenus)
        bar.addMenu(m);
    for (const char* id : kDocumentCommands)
        action(id)->setEnabled(withDocument);
}

void MenuBuilder::fillToolBar(QToolBar& bar) const {
    registerShippedIcons();
    QStyle* style = bar.style();
    for (const ToolButton& button : kToolButtons) {
        if (std::string(button.id) == "-") {
            bar.addSeparator();
            continue;
        }
        QAction* a = action(button.id);
        QIcon icon = QIcon::fromTheme(button.themeIcon);
        if (icon.isNull())
            icon = button.styleIcon == kShipped
                       ? QIcon(QString(":/icons/%1.png").arg(button.themeIcon))
                       : style->standardIcon(button.styleIcon);
        a->setIcon(icon);
        bar.addAction(a);
    }
}
