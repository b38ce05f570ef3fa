#pragma once
// The other game's load for a comparison: the configuration the window shows,
// read from another game's folder without writing into it, with its progress
// in the status line and a Cancel button (Escape cancels too).
#include <QFile>
#include <QString>
#include <filesystem>
#include <memory>
#include <string>

namespace lorvex {

class TableWindow;
class TableListCtrl;

inline std::filesystem::path PathOfText(const QString& text) {
    return std::filesystem::path(QFile::encodeName(text).toStdString());
}

struct OtherGame {
    std::unique_ptr<TableListCtrl> table;  // null when the load failed or was cancelled
    int headerTextColumn = -1;             // the load's header-text column in that table
};

// Loads config from the game in folder; its scratch copies go under
// dataLocation (empty: the user's data location). A failure has been told
// through the window (a message, or the status line for a cancel).
OtherGame LoadOtherGame(TableWindow& window, const QString& folder, const QString& dataLocation,
                        const std::string& config);

}  // namespace lorvex
