#pragma once
// "Configuration Files": lists the *.cfg files of the current folder and
// writes the selected one's bare name into the load run's 256-byte buffer.
#include <QDialog>
#include <string>

class QListWidget;
class QPushButton;

namespace lorvex {

class ConfigChooserDialog : public QDialog {
public:
    explicit ConfigChooserDialog(QWidget* owner = nullptr);

    // Empties buffer, runs the dialog, and empties it again unless it ended
    // with OK. Returns the dialog's result.
    int RunChooser(char* buffer);
    // The entry selected when the dialog comes up (the game's last configuration).
    void Preselect(const std::string& name) { preselected = name; }

    QListWidget* fileList = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

private:
    void FillList();
    void OnSelectionChange();

    char* selectedName = nullptr;
    std::string preselected;
};

}  // namespace lorvex
