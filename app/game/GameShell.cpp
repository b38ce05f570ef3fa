#include "app/game/GameShell.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QSettings>
#include <QStandardPaths>
#include <QStyle>
#include <algorithm>
#include <cstdio>
#include <utility>

#include "app/ConfigChooserDialog.h"
#include "app/MainDialog.h"
#include "app/game/Placement.h"
#include "platform/GameFolder.h"

namespace fs = std::filesystem;

namespace lorvex::game {
namespace {

const QString kRecentKey = QStringLiteral("recentGames");
const QString kLastConfigurationKey = QStringLiteral("lastConfiguration");
const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kMaximizedKey = QStringLiteral("window/maximized");

fs::path ToPath(const QString& text) { return fs::path(QFile::encodeName(text).toStdString()); }
QString FromPath(const fs::path& path) { return QFile::decodeName(QByteArray::fromStdString(path.string())); }
QString FromBytes(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }

Rect ToRect(const QRect& r) { return {r.x(), r.y(), r.width(), r.height()}; }

// Each game's last configuration, as a readable list of game and name pairs.
QMap<QString, QString> ReadLastConfigurations(QSettings& settings) {
    QMap<QString, QString> last;
    // A damaged file may claim any size; more than the recent games never get written.
    const int size = std::min(settings.beginReadArray(kLastConfigurationKey), 4 * int(platform::kMaxRecentGames));
    for (int i = 0; i < size; ++i) {
        settings.setArrayIndex(i);
        const QString game = settings.value(QStringLiteral("game")).toString();
        const QString name = settings.value(QStringLiteral("configuration")).toString();
        if (!game.isEmpty() && !name.isEmpty()) last.insert(game, name);
    }
    settings.endArray();
    return last;
}

void WriteLastConfigurations(QSettings& settings, const QMap<QString, QString>& last) {
    settings.remove(kLastConfigurationKey);
    settings.beginWriteArray(kLastConfigurationKey, static_cast<int>(last.size()));
    int i = 0;
    for (auto it = last.begin(); it != last.end(); ++it) {
        settings.setArrayIndex(i++);
        settings.setValue(QStringLiteral("game"), it.key());
        settings.setValue(QStringLiteral("configuration"), it.value());
    }
    settings.endArray();
}

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

GameShell::GameShell(MainDialog& mainWindow, QSettings& store, Tell teller, QString data, QString sampleFolder)
    : window(mainWindow),
      settings(store),
      tell(std::move(teller)),
      dataLocation(std::move(data)),
      samples(std::move(sampleFolder)),
      writable(platform::CanWriteIn) {
    window.SetChooser(this);
    QObject::connect(window.openGameAction, &QAction::triggered, &window, [this] { OpenGameFolderCommand(); });
    // Filled as the menu opens, so games that went away since are not offered.
    QObject::connect(window.gameMenu, &QMenu::aboutToShow, &window, [this] {
        QMenu* recent = window.recentGamesMenu;
        recent->clear();
        for (const QString& game : RecentGames())
            QObject::connect(recent->addAction(QDir::toNativeSeparators(game).replace(u'&', QStringLiteral("&&"))), &QAction::triggered, &window,
                             [this, game] { SwitchToGame(game); });
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
        StartDialog dialog(RecentGames(), pickFolder);
        if (dialog.exec() != QDialog::Accepted) return false;
        if (OpenGame(dialog.Chosen())) return true;
    }
}

std::optional<GameShell::Place> GameShell::PrepareGame(const QString& folder) {
    const platform::OpenedGame opened = platform::OpenGameFolder(
        ToPath(folder), QFile::encodeName(folder).toStdString(), ToPath(dataLocation), ToPath(samples), writable);
    if (opened.game.empty()) {
        tell(FromBytes(opened.problem));
        return std::nullopt;
    }
    if (!opened.samples.empty()) {
        QStringList names;
        for (const std::string& name : opened.samples) names += FromBytes(name);
        tell(QStringLiteral("Sample configurations (%1) were copied to %2. Lorvex offers the *.cfg files of "
                            "that folder when it asks for a configuration.")
                 .arg(names.join(QStringLiteral(", ")), QDir::toNativeSeparators(FromPath(opened.work))));
    }
    return Place{opened.game, opened.work};
}

bool GameShell::Enter(const Place& place) {
    std::error_code ec;
    fs::current_path(place.work, ec);
    if (ec) {
        tell(QStringLiteral("Lorvex found no folder to work in for %1.").arg(FromBytes(place.game)));
        return false;
    }
    window.SetArchiveFolder(place.game);
    currentGame = FromBytes(place.game);
    return true;
}

void GameShell::AddToRecentGames(const std::string& game) {
    std::vector<std::string> recent;
    for (const QString& g : settings.value(kRecentKey).toStringList()) recent.push_back(QFile::encodeName(g).toStdString());
    QStringList updated;
    for (const std::string& g : platform::AddRecentGame(recent, game)) updated += FromBytes(g);
    settings.setValue(kRecentKey, updated);
    // Only the recent games keep their last configuration, so the list cannot grow without end.
    QMap<QString, QString> last = ReadLastConfigurations(settings);
    last.removeIf([&updated](const auto& entry) { return !updated.contains(entry.key()); });
    WriteLastConfigurations(settings, last);
}

bool GameShell::OpenGame(const QString& folder) {
    const std::optional<Place> place = PrepareGame(folder);
    if (!place || !Enter(*place)) return false;
    AddToRecentGames(place->game);
    return true;
}

void GameShell::OpenGameFolderCommand() {
    if (window.Loading()) return;
    SwitchToGame(pickFolder ? pickFolder(&window) : QString());
}

void GameShell::SwitchToGame(const QString& folder) {
    if (window.Loading() || folder.isEmpty()) return;
    const std::optional<Place> place = PrepareGame(folder);
    if (!place) return;
    // The new game counts only once a configuration of it is loaded: until
    // then the game before, its folder and its table stay as they were.
    std::error_code ec;
    const fs::path before = fs::current_path(ec);
    const std::string archivesBefore = window.ArchiveFolder();
    const QString gameBefore = currentGame;
    if (!Enter(*place)) return;
    window.LoadRun();
    if (window.LastLoad().ReplacedTable()) {
        AddToRecentGames(place->game);
        return;
    }
    fs::current_path(before, ec);
    window.SetArchiveFolder(archivesBefore);
    currentGame = gameBefore;
}

std::string GameShell::ChooseConfiguration() {
    if (!firstConfiguration.isEmpty()) {
        const QString name = std::exchange(firstConfiguration, QString());
        if (auto found = platform::FindConfiguration(".", QFile::encodeName(name).toStdString())) {
            Remember(FromBytes(*found));
            return *found;
        }
        tell(QStringLiteral("There is no configuration %1 in %2.")
                 .arg(name, QDir::toNativeSeparators(QDir::currentPath())));
    }
    std::string chosen;
    if (chooser) {
        chosen = chooser->ChooseConfiguration();
    } else {
        ConfigChooserDialog dialog(&window);
        // A game opened by its folder offers its last configuration, or else the first, so Enter loads it.
        if (!currentGame.isEmpty())
            dialog.Preselect(QFile::encodeName(LastConfiguration(currentGame)).toStdString(), true);
        chosen = dialog.Choose();
    }
    if (!chosen.empty()) Remember(FromBytes(chosen));
    return chosen;
}

void GameShell::Remember(const QString& configuration) {
    if (currentGame.isEmpty()) return;
    QMap<QString, QString> last = ReadLastConfigurations(settings);
    last[currentGame] = configuration;
    WriteLastConfigurations(settings, last);
}

QStringList GameShell::RecentGames() const {
    std::vector<std::string> recent;
    for (const QString& g : settings.value(kRecentKey).toStringList()) recent.push_back(QFile::encodeName(g).toStdString());
    QStringList usable;
    for (const std::string& g : platform::UsableRecentGames(recent)) usable += FromBytes(g);
    return usable;
}

QString GameShell::LastConfiguration(const QString& game) const {
    const QString name = ReadLastConfigurations(settings).value(game);
    return platform::IsConfigurationName(QFile::encodeName(name).toStdString()) ? name : QString();
}

QRect GameShell::ClientArea(const QRect& available) const {
    // The window manager's frame goes around the client area; before the
    // window is first shown its size is not known, so the style's guess stands in.
    const QRect outer = window.frameGeometry(), inner = window.geometry();
    QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                   outer.bottom() - inner.bottom());
    if (frame.isNull()) {
        const int side = window.style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
        frame = QMargins(side, window.style()->pixelMetric(QStyle::PM_TitleBarHeight) + side, side, side);
    }
    return available.marginsRemoved(frame);
}

void GameShell::RestoreGeometry() {
    std::vector<Rect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back(ToRect(ClientArea(screen->availableGeometry())));
    const QRect saved = settings.value(kGeometryKey).toRect();
    if (auto placed = RestoredPlacement(ToRect(saved), screens)) {
        window.setGeometry(placed->x, placed->y, placed->width, placed->height);
        if (settings.value(kMaximizedKey).toBool()) window.setWindowState(Qt::WindowMaximized);
        return;
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return;
    const Rect first = FirstPlacement(window.width(), window.height(), ToRect(ClientArea(primary->availableGeometry())));
    window.setGeometry(first.x, first.y, first.width, first.height);
}

void GameShell::SaveGeometry() {
    const bool maximized = window.isMaximized();
    settings.setValue(kGeometryKey, maximized ? window.normalGeometry() : window.geometry());
    settings.setValue(kMaximizedKey, maximized);
}

}  // namespace lorvex::game
