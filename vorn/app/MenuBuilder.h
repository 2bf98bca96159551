#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

#include <map>
#include <string>

class QAction;
class QIcon;
class QMenu;
class QMenuBar;
class QToolBar;
class QWidget;

/// The workbench's commands and its two menu bars: the reduced one shown while no
/// document is open and the full one shown with a document. Each command is one
/// `QAction`, shared by both menus; its object name is its command id ("FileOpen").
class MenuBuilder {
public:
    /// Creates every action and menu as children of `owner`; the actions are also added
    /// to `owner` so their accelerators work whichever menu is shown.
    explicit MenuBuilder(QWidget& owner);

    /// The action of command `id`; null for an unknown id.
    QAction* action(const std::string& id) const;
    /// Shows the menus for a frame with (`withDocument`) or without an open document and
    /// enables the document commands accordingly.
    void install(QMenuBar& bar, bool withDocument) const;
    /// Puts the usual buttons on `bar` (New, Open, Save; Cut, Copy, Paste; Print; About),
    /// giving their actions the icon theme's icons, and where the theme has none the style's
    /// or the workbench's own, so that every button has one.
    void fillToolBar(QToolBar& bar) const;
    /// The workbench's own icon (an unfolded cube), for its windows.
    static QIcon ApplicationIcon();
    /// The document menu's Window menu; the main window lists the open documents in it.
    QMenu* windowMenu() const { return m_windowMenu; }
    /// "Unfold With": the submenu of the document menu's Unfolding menu that attaches a
    /// strategy to the target mesh. Its items are made by the main window when it opens.
    QMenu* strategyMenu() const { return m_strategyMenu; }

private:
    QAction* add(const std::string& id, const QString& text, const QList<QKeySequence>& keys = {});
    QMenu* menu(const QString& title, std::initializer_list<const char*> ids);

    QWidget& m_owner;
    std::map<std::string, QAction*> m_actions;
    QList<QMenu*> m_frameMenus;
    QList<QMenu*> m_childMenus;
    QMenu* m_strategyMenu = nullptr;
    QMenu* m_windowMenu = nullptr;
};
