#include "app/MainMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace lorvex {

MainMenu BuildMainMenu(QWidget* window) {
    MainMenu m;
    m.bar = new QMenuBar(window);
    m.bar->setNativeMenuBar(false);
    m.selectConfiguration = m.bar->addAction(QStringLiteral("&Select Configuration File"));
    m.selectConfiguration->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    m.bar->addAction(QStringLiteral("|"))->setEnabled(false);
    m.exportTable = m.bar->addAction(QStringLiteral("&Export table"));
    m.exportTable->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    m.bar->addAction(QStringLiteral("|"))->setEnabled(false);
    m.remove = m.bar->addMenu(QStringLiteral("&Remove From Table..."));
    // The "Delete" beside the item is only text: the key works in the table.
    m.removeHighlighted = m.remove->addAction(QStringLiteral("All &Hilighted Items\tDelete"));
    m.removeUnhighlighted = m.remove->addAction(QStringLiteral("All &Unhilighted Items"));
    // Everything added since the first release sits after the original items,
    // so the original menu keeps its places: games, then views of the table.
    m.bar->addAction(QStringLiteral("|"))->setEnabled(false);
    m.game = m.bar->addMenu(QStringLiteral("&Game"));
    m.view = m.bar->addMenu(QStringLiteral("&View"));
    m.edit = m.bar->addMenu(QStringLiteral("&Edit"));

    auto* corner = new QMenuBar(m.bar);
    corner->setNativeMenuBar(false);
    m.version = corner->addAction(QStringLiteral("v" LORVEX_VERSION));
    m.bar->setCornerWidget(corner, Qt::TopRightCorner);
    // Commands added since: after the original items, wired by their own rooms.
    m.openGame = m.game->addAction(QStringLiteral("&Open Game Folder..."));
    m.openGame->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+O")));
    m.recentGames = m.game->addMenu(QStringLiteral("&Recent Games"));
    return m;
}

}  // namespace lorvex
