#include "app/edit/ChangesWindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "ui/DialogText.h"

namespace lorvex {
namespace {

constexpr const char* kNotInRecord = "(not in the record)";

QString ValueText(const std::optional<std::string>& value) {
    return value ? BytesToBoxText(*value) : QString::fromLatin1(kNotInRecord);
}

}  // namespace

ChangesWindow::ChangesWindow(QWidget* parent, List list, Revert revert)
    : QDialog(parent), list_(std::move(list)), revert_(std::move(revert)) {
    setWindowTitle(QStringLiteral("Changes"));
    setObjectName(QStringLiteral("changesWindow"));
    auto* layout = new QVBoxLayout(this);
    table_ = new QTableWidget(0, 6, this);
    table_->setHorizontalHeaderLabels({QStringLiteral("Record"), QStringLiteral("Key"), QStringLiteral("Old Value"),
                                       QStringLiteral("New Value"), QStringLiteral("File"), QStringLiteral("Archive")});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->verticalHeader()->hide();
    table_->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(table_);
    auto* buttons = new QHBoxLayout;
    revertButton_ = new QPushButton(QStringLiteral("&Revert"), this);
    auto* close = new QPushButton(QStringLiteral("Close"), this);
    buttons->addWidget(revertButton_);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(revertButton_, &QPushButton::clicked, this, [this] {
        const int row = table_->currentRow();
        if (row >= 0 && revert_) revert_(static_cast<std::size_t>(row));
    });
    connect(table_, &QTableWidget::itemSelectionChanged, this,
            [this] { revertButton_->setEnabled(table_->currentRow() >= 0); });
    resize(720, 320);
    Refresh();
}

void ChangesWindow::Refresh() {
    const std::vector<EditChange> changes = list_ ? list_() : std::vector<EditChange>{};
    const int current = table_->currentRow();
    table_->setRowCount(static_cast<int>(changes.size()));
    for (int r = 0; r < table_->rowCount(); ++r) {
        const EditChange& c = changes[static_cast<std::size_t>(r)];
        const QString texts[] = {BytesToBoxText(c.record),  BytesToBoxText(c.key), ValueText(c.oldValue),
                                 ValueText(c.newValue), BytesToBoxText(c.file), BytesToBoxText(c.archive)};
        for (int col = 0; col < 6; ++col) table_->setItem(r, col, new QTableWidgetItem(texts[col]));
    }
    table_->resizeColumnsToContents();
    table_->setCurrentCell(std::min(current, table_->rowCount() - 1), 0);
    revertButton_->setEnabled(table_->currentRow() >= 0);
}

}  // namespace lorvex
