#pragma once
// The editor of one cell: a line for numbers and texts, a list to pick one of
// a column's texts, or a checklist of a column's flags. It keeps itself open
// with the reason shown while an answer is refused.
#include <QDialog>
#include <functional>
#include <string>

#include "edit/CellEdit.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace lorvex {

class CellEditorDialog : public QDialog {
    Q_OBJECT
public:
    // check answers "" for an acceptable answer, else why not.
    using Check = std::function<std::string(const CellAnswer&)>;
    CellEditorDialog(QWidget* parent, const QString& what, const CellEditor& editor, Check check);

    CellAnswer Answer() const;
    QLineEdit* Line() const { return line_; }
    QComboBox* Choices() const { return choices_; }
    QListWidget* Flags() const { return flags_; }
    QLabel* Problem() const { return problem_; }

    void accept() override;

private:
    CellEditKind kind_;
    Check check_;
    QLineEdit* line_ = nullptr;
    QComboBox* choices_ = nullptr;
    QListWidget* flags_ = nullptr;
    QLabel* problem_ = nullptr;
};

}  // namespace lorvex
