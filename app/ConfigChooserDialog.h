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
    // The buffer RunChooser fills: a name is cut to 255 bytes.
    static constexpr int kBufferSize = 256;

    explicit ConfigChooserDialog(QWidget* owner = nullptr);

    // Empties buffer, runs the dialog, and empties it again unless it ended
    // with OK. Returns the dialog's result.
    int RunChooser(char* buffer);
    // The same, giving the name chosen ("" when none was), cut as the buffer cuts it.
    std::string Choose();
    // The entry selected when the dialog comes up (the game's last
    // configuration); with orFirst, the first entry when that is not listed.
    void Preselect(const std::string& name, bool orFirst = false) {
        preselected = name;
        firstWhenNone = orFirst;
    }

    QListWidget* fileList = nullptr;
    QPushButton* okButton = nullptr;
    QPushButton* cancelButton = nullptr;

private:
    void FillList();
    void OnSelectionChange();

    char* selectedName = nullptr;
    std::string preselected;
    bool firstWhenNone = false;
};

}  // namespace lorvex
