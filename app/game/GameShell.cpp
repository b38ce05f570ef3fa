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
            QObject::connect(recent->addAction(QDir::toNativeSeparators(game)), &QAction::triggered, &window,
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

bool GameShell::OpenGame(const QString& folder) {
    const fs::path path = ToPath(folder);
    const platform::GameFolderCheck check = platform::CheckGameFolder(path);
    if (check != platform::GameFolderCheck::Ok) {
        tell(FromBytes(platform::GameFolderMessage(check, QFile::encodeName(folder).toStdString())));
        return false;
    }
    const std::string game = platform::GameKey(path);
    const fs::path work = platform::ChooseWorkFolder(game, ToPath(dataLocation), writable);
    std::error_code ec;
    if (!work.empty()) fs::current_path(work, ec);
    if (work.empty() || ec) {
        tell(QStringLiteral("Lorvex found no folder to work in for %1.").arg(FromBytes(game)));
        return false;
    }
    window.SetArchiveFolder(game);
    currentGame = FromBytes(game);

    std::vector<std::string> recent;
    for (const QString& g : settings.value(kRecentKey).toStringList()) recent.push_back(QFile::encodeName(g).toStdString());
    QStringList updated;
    for (const std::string& g : platform::AddRecentGame(recent, game)) updated += FromBytes(g);
    settings.setValue(kRecentKey, updated);
    // Only the recent games keep their last configuration, so the list cannot grow without end.
    QMap<QString, QString> last = ReadLastConfigurations(settings);
    last.removeIf([&updated](const auto& entry) { return !updated.contains(entry.key()); });
    WriteLastConfigurations(settings, last);

    if (!samples.isEmpty()) {
        const std::vector<std::string> copied = platform::CopySampleConfigurations(ToPath(samples), work);
        if (!copied.empty()) {
            QStringList names;
            for (const std::string& name : copied) names += FromBytes(name);
            tell(QStringLiteral("Sample configurations (%1) were copied to %2. Lorvex offers the *.cfg files of "
                                "that folder when it asks for a configuration.")
                     .arg(names.join(QStringLiteral(", ")), QDir::toNativeSeparators(FromPath(work))));
        }
    }
    return true;
}

void GameShell::OpenGameFolderCommand() {
    if (window.Loading()) return;
    SwitchToGame(pickFolder ? pickFolder(&window) : QString());
}

void GameShell::SwitchToGame(const QString& folder) {
    if (window.Loading() || folder.isEmpty() || !OpenGame(folder)) return;
    // The rows of the game before would list their records from the new
    // game's scratch folder: they go, and the new game's first load starts.
    TableData& rows = window.Table().Data();
    rows.DeleteAllRows();
    while (rows.DeleteColumn(0)) {
    }
    window.setWindowTitle(QStringLiteral("Lorvex   - by Quorrin"));
    window.statusText->clear();
    window.LoadRun();
}

int GameShell::RunChooser(char* buffer) {
    buffer[0] = '\0';
    if (!firstConfiguration.isEmpty()) {
        const QString name = std::exchange(firstConfiguration, QString());
        if (auto found = platform::FindConfiguration(".", QFile::encodeName(name).toStdString())) {
            std::snprintf(buffer, kBufferSize, "%s", found->c_str());
            Remember(FromBytes(*found));
            return QDialog::Accepted;
        }
        tell(QStringLiteral("There is no configuration %1 in %2.")
                 .arg(name, QDir::toNativeSeparators(QDir::currentPath())));
    }
    int result;
    if (chooser) {
        result = chooser->RunChooser(buffer);
    } else {
        ConfigChooserDialog dialog(&window);
        if (!currentGame.isEmpty()) dialog.Preselect(QFile::encodeName(LastConfiguration(currentGame)).toStdString());
        result = dialog.RunChooser(buffer);
    }
    buffer[kBufferSize - 1] = '\0';
    if (buffer[0] != '\0') Remember(FromBytes(buffer));
    return result;
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
