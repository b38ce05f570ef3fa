#pragma once
// Opening a game: from the command line, the start dialog, the menu command
// "Open Game Folder..." or a recent entry. It makes the game's work folder
// the current folder, points the load run at the game's archives and fills an
// empty work folder with the sample configurations (platform/GameFolder);
// what is remembered between runs lives in Remembered.
#include <QRect>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "app/ConfigChooser.h"
#include "app/game/Remembered.h"
#include "app/game/StartDialog.h"

class QSettings;

namespace lorvex {
class GameWindow;
}

namespace lorvex::game {

// The sample configurations that come with the program, or empty when none are found.
QString SampleConfigurationFolder();

// Tells the user something, with an OK button.
using Tell = std::function<void(const QString& message)>;

class GameShell : public ConfigChooser {
public:
    // dataLocation holds the work folders of games whose own folder cannot be written.
    GameShell(GameWindow& window_, QSettings& settings, Tell tell_, QString dataLocation_, QString samples_);

    // Stand-ins for what a test cannot answer: the folder dialog, the write
    // test of a game folder, the configuration chooser (nullptr: the real one).
    void SetFolderPicker(FolderPicker picker) { pickFolder_ = std::move(picker); }
    void SetWritableProbe(std::function<bool(const std::filesystem::path&)> probe) { writable_ = std::move(probe); }
    void SetChooser(ConfigChooser* replacement) { chooser_ = replacement; }

    // The first load takes this configuration instead of asking.
    void SetFirstConfiguration(const QString& name) { firstConfiguration_ = name; }

    // Before the window shows. Opens gameFolder when given; with none, goes on
    // as always when the current folder has something to work with; otherwise,
    // or when gameFolder cannot be opened, asks with the start dialog. False
    // when the user closed the start dialog: the program ends.
    bool Start(const QString& gameFolder);

    // Opens a game folder; a message and false when it is none or has no place to work in.
    bool OpenGame(const QString& folder);

    // The menu command: a folder dialog, then the new game's first load.
    void OpenGameFolderCommand();
    // Opens another game from the menu: its table replaces the one shown once
    // a configuration of it loads; cancelled, nothing changes.
    void SwitchToGame(const QString& folder);

    // The start dialog until the user opens a game (true) or closes it (false).
    bool RunStartDialog();

    // ConfigChooser: the first configuration when one was given, otherwise
    // the chooser with the game's last configuration selected.
    std::string ChooseConfiguration() override;

    // The window's place: restored where it fits a screen, or fitted on a first start.
    void RestoreGeometry();
    void SaveGeometry();
    // What of a screen's available area the window's client area may take, its frame left around it.
    QRect ClientArea(const QRect& available) const;

    QString CurrentGame() const { return currentGame_; }
    QStringList RecentGames() const;
    QString LastConfiguration(const QString& game) const;

private:
    // A game folder checked, with the folder Lorvex works in for it (sample
    // configurations copied there), before anything is switched to it.
    struct Place {
        std::string game;
        std::filesystem::path work;
    };
    std::optional<Place> PrepareGame(const QString& folder);
    // Makes the game the current one: its work folder current, its archives read.
    bool Enter(const Place& place);
    void AddToRecentGames(const std::string& game);
    void Remember(const QString& configuration);

    GameWindow& window_;
    Remembered remembered_;
    Tell tell_;
    QString dataLocation_;
    QString samples_;
    FolderPicker pickFolder_ = PickGameFolder;
    std::function<bool(const std::filesystem::path&)> writable_;
    ConfigChooser* chooser_ = nullptr;
    QString firstConfiguration_;
    QString currentGame_;  // empty until a game is opened through this shell
};

}  // namespace lorvex::game
