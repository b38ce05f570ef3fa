#pragma once
// "Changes": every value edited since the load or the last save (record, key,
// old value, new value, file and archive), and a way to take one back.
#include <QDialog>
#include <functional>
#include <vector>

#include "edit/EditSession.h"

class QPushButton;
class QTableWidget;

namespace lorvex {

class ChangesWindow : public QDialog {
    Q_OBJECT
public:
    using List = std::function<std::vector<EditChange>()>;
    using Revert = std::function<void(std::size_t change)>;
    ChangesWindow(QWidget* parent, List list, Revert revert);

    // Lists the changes as they are now.
    void Refresh();
    QTableWidget* Table() const { return table_; }
    QPushButton* RevertButton() const { return revertButton_; }

private:
    List list_;
    Revert revert_;
    QTableWidget* table_ = nullptr;
    QPushButton* revertButton_ = nullptr;
};

}  // namespace lorvex
