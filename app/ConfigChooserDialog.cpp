#include "app/ConfigChooserDialog.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <cstring>

#include "platform/FileSystem.h"
#include "ui/DialogText.h"
#include "ui/DialogUnits.h"

namespace lorvex {

ConfigChooserDialog::ConfigChooserDialog(QWidget* owner) : QDialog(owner) {
    setWindowTitle(QStringLiteral("Configuration Files"));
    const DialogUnits du;
    setFixedSize(du.X(209), du.Y(174));

    auto* prompt = new QLabel(QStringLiteral("Please select the configuration file you wish to use:"), this);
    du.Place(prompt, 7, 7, 195, 10);

    fileList = new QListWidget(this);
    fileList->setObjectName(QStringLiteral("fileList"));
    fileList->setSelectionMode(QAbstractItemView::SingleSelection);
    fileList->setUniformItemSizes(true);
    du.Place(fileList, 7, 19, 195, 133);

    okButton = new QPushButton(QStringLiteral("OK"), this);
    okButton->setDefault(true);
    du.Place(okButton, 152, 153, 50, 14);
    cancelButton = new QPushButton(QStringLiteral("Cancel"), this);
    cancelButton->setAutoDefault(false);
    du.Place(cancelButton, 7, 153, 50, 14);

    connect(okButton, &QPushButton::clicked, this, [this] { accept(); });
    connect(cancelButton, &QPushButton::clicked, this, [this] { reject(); });
    connect(fileList, &QListWidget::itemSelectionChanged, this, [this] { OnSelectionChange(); });
    // The first click of a double-click has selected the entry already.
    connect(fileList, &QListWidget::itemDoubleClicked, this, [this] { accept(); });

    FillList();
    fileList->setFocus();
}

void ConfigChooserDialog::FillList() {
    // The listing comes sorted with case folded, as a sorted list box keeps it.
    for (const std::string& name : platform::ListFiles(".", "*.cfg")) {
        auto* item = new QListWidgetItem(FileNameToText(name), fileList);
        item->setData(Qt::UserRole, QByteArray(name.data(), static_cast<qsizetype>(name.size())));
    }
}

void ConfigChooserDialog::OnSelectionChange() {
    if (!selectedName) return;
    const QList<QListWidgetItem*> selected = fileList->selectedItems();
    if (selected.isEmpty()) return;
    const QByteArray name = selected.front()->data(Qt::UserRole).toByteArray();
    const std::size_t length =
        std::min(static_cast<std::size_t>(name.size()), static_cast<std::size_t>(kBufferSize - 1));
    std::memcpy(selectedName, name.constData(), length);
    selectedName[length] = '\0';
}

std::string ConfigChooserDialog::Choose() {
    char buffer[kBufferSize] = {};
    RunChooser(buffer);
    return std::string(buffer, strnlen(buffer, kBufferSize));
}

int ConfigChooserDialog::RunChooser(char* buffer) {
    selectedName = buffer;
    buffer[0] = '\0';
    for (int i = 0; !preselected.empty() && i < fileList->count(); ++i)
        if (fileList->item(i)->data(Qt::UserRole).toByteArray().toStdString() == preselected)
            fileList->setCurrentRow(i);
    if (firstWhenNone && fileList->currentRow() < 0 && fileList->count() > 0) fileList->setCurrentRow(0);
    const int result = exec();
    if (result != QDialog::Accepted) buffer[0] = '\0';
    selectedName = nullptr;
    return result;
}

}  // namespace lorvex
