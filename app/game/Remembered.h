#pragma once
// What Lorvex remembers between runs, in the program's settings: the recent
// games, each recent game's last configuration, and the window's place.
#include <QRect>
#include <QString>
#include <QStringList>
#include <string>

class QSettings;
class QWidget;

namespace lorvex::game {

class Remembered {
public:
    explicit Remembered(QSettings& settings) : settings_(settings) {}

    // The recent games that are still game folders, most recent first.
    QStringList RecentGames() const;
    // Puts game first among the recent games; only they keep a last configuration.
    void AddRecentGame(const std::string& game);

    // A recent game's last configuration (a bare name), or empty.
    QString LastConfiguration(const QString& game) const;
    void SetLastConfiguration(const QString& game, const QString& configuration);

    // The window's place: restored where it fits a screen, or fitted on a first start.
    void RestoreGeometry(QWidget& window) const;
    void SaveGeometry(const QWidget& window);
    // What of a screen's available area the window's client area may take, its frame left around it.
    static QRect ClientArea(const QWidget& window, const QRect& available);

private:
    QSettings& settings_;
};

}  // namespace lorvex::game
