#include "app/game/Remembered.h"

#include <QFile>
#include <QGuiApplication>
#include <QMap>
#include <QScreen>
#include <QSettings>
#include <QStyle>
#include <QWidget>
#include <algorithm>
#include <vector>

#include "app/game/Placement.h"
#include "platform/GameFolder.h"

namespace lorvex::game {
namespace {

const QString kRecentKey = QStringLiteral("recentGames");
const QString kLastConfigurationKey = QStringLiteral("lastConfiguration");
const QString kGeometryKey = QStringLiteral("window/geometry");
const QString kMaximizedKey = QStringLiteral("window/maximized");

QString FromBytes(const std::string& bytes) { return QFile::decodeName(QByteArray::fromStdString(bytes)); }
std::vector<std::string> ToBytes(const QStringList& list) {
    std::vector<std::string> bytes;
    for (const QString& text : list) bytes.push_back(QFile::encodeName(text).toStdString());
    return bytes;
}

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

QStringList Remembered::RecentGames() const {
    QStringList usable;
    for (const std::string& g : platform::UsableRecentGames(ToBytes(settings_.value(kRecentKey).toStringList())))
        usable += FromBytes(g);
    return usable;
}

void Remembered::AddRecentGame(const std::string& game) {
    QStringList updated;
    for (const std::string& g : platform::AddRecentGame(ToBytes(settings_.value(kRecentKey).toStringList()), game))
        updated += FromBytes(g);
    settings_.setValue(kRecentKey, updated);
    // Only the recent games keep their last configuration, so the list cannot grow without end.
    QMap<QString, QString> last = ReadLastConfigurations(settings_);
    last.removeIf([&updated](const auto& entry) { return !updated.contains(entry.key()); });
    WriteLastConfigurations(settings_, last);
}

QString Remembered::LastConfiguration(const QString& game) const {
    const QString name = ReadLastConfigurations(settings_).value(game);
    return platform::IsConfigurationName(QFile::encodeName(name).toStdString()) ? name : QString();
}

void Remembered::SetLastConfiguration(const QString& game, const QString& configuration) {
    QMap<QString, QString> last = ReadLastConfigurations(settings_);
    last[game] = configuration;
    WriteLastConfigurations(settings_, last);
}

QRect Remembered::ClientArea(const QWidget& window, const QRect& available) {
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

void Remembered::RestoreGeometry(QWidget& window) const {
    std::vector<Rect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back(ToRect(ClientArea(window, screen->availableGeometry())));
    const QRect saved = settings_.value(kGeometryKey).toRect();
    if (auto placed = RestoredPlacement(ToRect(saved), screens)) {
        window.setGeometry(placed->x, placed->y, placed->width, placed->height);
        if (settings_.value(kMaximizedKey).toBool()) window.setWindowState(Qt::WindowMaximized);
        return;
    }
    const QScreen* primary = QGuiApplication::primaryScreen();
    if (!primary) return;
    const Rect first =
        FirstPlacement(window.width(), window.height(), ToRect(ClientArea(window, primary->availableGeometry())));
    window.setGeometry(first.x, first.y, first.width, first.height);
}

void Remembered::SaveGeometry(const QWidget& window) {
    const bool maximized = window.isMaximized();
    settings_.setValue(kGeometryKey, maximized ? window.normalGeometry() : window.geometry());
    settings_.setValue(kMaximizedKey, maximized);
}

}  // namespace lorvex::game
