#include "app/edit/CellEditorDialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>

#include "ui/DialogText.h"
#include "ui/PlainLabel.h"

namespace lorvex {
namespace {

QString Text(const std::string& bytes) { return BytesToBoxText(bytes); }

QLabel* PlainLabel(const QString& text, QWidget* parent) {
    QLabel* label = MakePlainLabel(parent, text);
    label->setWordWrap(true);
    return label;
}

}  // namespace

CellEditorDialog::CellEditorDialog(QWidget* parent, const QString& what, const CellEditor& editor, Check check)
    : QDialog(parent), kind_(editor.kind), check_(std::move(check)) {
    setWindowTitle(QStringLiteral("Edit Cell"));
    setObjectName(QStringLiteral("cellEditor"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PlainLabel(what, this));
    switch (editor.kind) {
        case CellEditKind::Number:
        case CellEditKind::Text:
            line_ = new QLineEdit(Text(editor.startText), this);
            line_->selectAll();
            layout->addWidget(line_);
            break;
        case CellEditKind::Choice:
            choices_ = new QComboBox(this);
            for (const std::string& c : editor.choices) choices_->addItem(Text(c));
            choices_->setCurrentIndex(editor.chosen);
            layout->addWidget(choices_);
            break;
        case CellEditKind::Flags:
            flags_ = new QListWidget(this);
            for (std::size_t i = 0; i < editor.choices.size(); ++i) {
                auto* item = new QListWidgetItem(Text(editor.choices[i]), flags_);
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
                item->setCheckState(i < editor.flags.size() && editor.flags[i] ? Qt::Checked : Qt::Unchecked);
            }
            layout->addWidget(flags_);
            break;
        case CellEditKind::NotEditable: break;
    }
    problem_ = PlainLabel(QString(), this);
    problem_->setObjectName(QStringLiteral("problem"));
    problem_->hide();
    layout->addWidget(problem_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CellEditorDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CellEditorDialog::reject);
    layout->addWidget(buttons);
}

CellAnswer CellEditorDialog::Answer() const {
    CellAnswer answer;
    if (line_) answer.text = BoxTextToBytes(line_->text());
    if (choices_) answer.choice = choices_->currentIndex();
    if (flags_)
        for (int i = 0; i < flags_->count(); ++i) answer.flags.push_back(flags_->item(i)->checkState() == Qt::Checked);
    return answer;
}

void CellEditorDialog::accept() {
    const std::string problem = check_ ? check_(Answer()) : std::string();
    if (problem.empty()) return QDialog::accept();
    problem_->setText(Text(problem));
    problem_->show();
}

}  // namespace lorvex
