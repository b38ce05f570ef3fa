#pragma once
// The main window's menu bar: the original items in their places, then the
// menus of everything added since (Game, View, Edit), and the version in the corner.
class QAction;
class QMenu;
class QMenuBar;
class QWidget;

namespace lorvex {

struct MainMenu {
    QMenuBar* bar = nullptr;
    QAction* selectConfiguration = nullptr;
    QAction* exportTable = nullptr;
    QMenu* remove = nullptr;
    QAction* removeHighlighted = nullptr;
    QAction* removeUnhighlighted = nullptr;
    QMenu* game = nullptr;
    QMenu* view = nullptr;
    QMenu* edit = nullptr;
    QAction* version = nullptr;
    QAction* openGame = nullptr;
    QMenu* recentGames = nullptr;
};

// Builds the menu bar on window; the commands are wired by whoever owns them.
MainMenu BuildMainMenu(QWidget* window);

}  // namespace lorvex
