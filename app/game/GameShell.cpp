#include "app/game/GameShell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QStandardPaths>
#include <utility>

#include "app/ConfigChooserDialog.h"
#include "app/game/GameWindow.h"
#include "app/game/Remembered.h"
#include "load/LoadReport.h"
#include "platform/GameFolder.h"

namespace fs = std::filesystem;

namespace lorvex::game {
namespace {

fs::path ToPath(const QString& text) { return fs::path(QFile::encodeName(text).toStdString()); }
QString FromPath(const fs::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.string())); }
QString FromBytes(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

}  // namespace

QString SampleConfigurationFolder() {
    // Next to the program when installed anywhere (and in the build tree, laid out the same way).
    QStringList candidates{QCoreApplication::applicationDirPath() + QStringLiteral("/../share/lorvex/config")};
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        candidates += data + QStringLiteral("/lorvex/config");
    for (const QString& folder : candidates)
        if (QDir(folder).exists()) return QDir(folder).canonicalPath();
    return {};
}

GameShell::GameShell(GameWindow& mainWindow, QSettings& store, Tell teller, QString data, QString sampleFolder)
    : window_(mainWindow),
      remembered_(store),
      tell_(std::move(teller)),
      dataLocation_(std::move(data)),
      samples_(std::move(sampleFolder)),
      writable_(platform::CanWriteIn) {
    window_.SetChooser(this);
    QObject::connect(window_.OpenGameAction(), &QAction::triggered, &window_.Widget(),
                     [this] { OpenGameFolderCommand(); });
    // Filled as the menu opens, so games that went away since are not offered.
    QObject::connect(window_.GameMenu(), &QMenu::aboutToShow, &window_.Widget(), [this] {
        QMenu* recent = window_.RecentGamesMenu();
        recent->clear();
        for (const QString& game : RecentGames())
            QObject::connect(recent->addAction(QDir::toNativeSeparators(game).replace(u'&', QStringLiteral("&&"))),
                             &QAction::triggered, &window_.Widget(), [this, game] { SwitchToGame(game); });
        recent->setEnabled(!recent->isEmpty());
    });
}

bool GameShell::Start(const QString& gameFolder) {
    if (!gameFolder.isEmpty()) {
        if (OpenGame(gameFolder)) return true;
    } else if (!platform::NeedsGameFolder(".")) {
        return true;  // started inside a game folder: as always
    }
    return RunStartDialog();
}

bool GameShell::RunStartDialog() {
    for (;;) {
        StartDialog dialog(RecentGames(), pickFolder_);
        if (dialog.exec() != QDialog::Accepted) return false;
        if (OpenGame(dialog.Chosen())) return true;
    }
}

std::optional<GameShell::Place> GameShell::PrepareGame(const QString& folder) {
    const platform::OpenedGame opened = platform::OpenGameFolder(
        ToPath(folder), QFile::encodeName(folder).toStdString(), ToPath(dataLocation_), ToPath(samples_), writable_);
    if (opened.game.empty()) {
        tell_(FromBytes(opened.problem));
        return std::nullopt;
    }
    if (!opened.samples.empty()) {
        QStringList names;
        for (const std::string& name : opened.samples) names += FromBytes(name);
        tell_(QStringLiteral("Sample configurations (%1) were copied to %2. Lorvex offers the *.cfg files of "
                             "that folder when it asks for a configuration.")
                  .arg(names.join(QStringLiteral(", ")), QDir::toNativeSeparators(FromPath(opened.work))));
    }
    return Place{opened.game, opened.work};
}

bool GameShell::Enter(const Place& place) {
    std::error_code ec;
    fs::current_path(place.work, ec);
    if (ec) {
        tell_(QStringLiteral("Lorvex found no folder to work in for %1.").arg(FromBytes(place.game)));
        return false;
    }
    window_.SetArchiveFolder(place.game);
    currentGame_ = FromBytes(place.game);
    return true;
}

void GameShell::AddToRecentGames(const std::string& game) { remembered_.AddRecentGame(game); }

bool GameShell::OpenGame(const QString& folder) {
    const std::optional<Place> place = PrepareGame(folder);
    if (!place || !Enter(*place)) return false;
    AddToRecentGames(place->game);
    return true;
}

void GameShell::OpenGameFolderCommand() {
    if (window_.Loading()) return;
    SwitchToGame(pickFolder_ ? pickFolder_(&window_.Widget()) : QString());
}

void GameShell::SwitchToGame(const QString& folder) {
    if (window_.Loading() || folder.isEmpty()) return;
    const std::optional<Place> place = PrepareGame(folder);
    if (!place) return;
    // The new game counts only once a configuration of it is loaded: until
    // then the game before, its folder and its table stay as they were.
    std::error_code ec;
    const fs::path before = fs::current_path(ec);
    const std::string archivesBefore = window_.ArchiveFolder();
    const QString gameBefore = currentGame_;
    if (!Enter(*place)) return;
    window_.LoadRun();
    if (window_.LastLoad().ReplacedTable()) {
        AddToRecentGames(place->game);
        return;
    }
    fs::current_path(before, ec);
    window_.SetArchiveFolder(archivesBefore);
    currentGame_ = gameBefore;
}

std::string GameShell::ChooseConfiguration() {
    if (!firstConfiguration_.isEmpty()) {
        const QString name = std::exchange(firstConfiguration_, QString());
        if (auto found = platform::FindConfiguration(".", QFile::encodeName(name).toStdString())) {
            Remember(FromBytes(*found));
            return *found;
        }
        tell_(QStringLiteral("There is no configuration %1 in %2.")
                  .arg(name, QDir::toNativeSeparators(QDir::currentPath())));
    }
    std::string chosen;
    if (chooser_) {
        chosen = chooser_->ChooseConfiguration();
    } else {
        ConfigChooserDialog dialog(&window_.Widget());
        // A game opened by its folder offers its last configuration, or else the first, so Enter loads it.
        if (!currentGame_.isEmpty())
            dialog.Preselect(QFile::encodeName(LastConfiguration(currentGame_)).toStdString(), true);
        chosen = dialog.Choose();
    }
    if (!chosen.empty()) Remember(FromBytes(chosen));
    return chosen;
}

void GameShell::Remember(const QString& configuration) {
    if (!currentGame_.isEmpty()) remembered_.SetLastConfiguration(currentGame_, configuration);
}

QStringList GameShell::RecentGames() const { return remembered_.RecentGames(); }

QString GameShell::LastConfiguration(const QString& game) const { return remembered_.LastConfiguration(game); }

QRect GameShell::ClientArea(const QRect& available) const {
    return Remembered::ClientArea(window_.Widget(), available);
}

void GameShell::RestoreGeometry() { remembered_.RestoreGeometry(window_.Widget()); }

void GameShell::SaveGeometry() { remembered_.SaveGeometry(window_.Widget()); }

}  // namespace lorvex::game
