#pragma once
// Shown instead of an empty chooser when Lorvex has no game to work with: a
// button to open a game folder, the recent games, and what a game folder is.
#include <QDialog>
#include <QStringList>
#include <functional>

class QListWidget;
class QPushButton;

namespace lorvex::game {

// Asks the user for a folder; empty when they cancel.
using FolderPicker = std::function<QString(QWidget* parent)>;

// The platform's own folder dialog.
QString PickGameFolder(QWidget* parent);

class StartDialog : public QDialog {
public:
    StartDialog(const QStringList& recentGames, FolderPicker picker, QWidget* parent = nullptr);

    // The folder the user chose, once the dialog has ended with OK.
    const QString& Chosen() const { return chosen; }

    QPushButton* openButton = nullptr;
    QListWidget* recentList = nullptr;

private:
    void Choose(const QString& folder);

    FolderPicker picker;
    QString chosen;
};

}  // namespace lorvex::game
