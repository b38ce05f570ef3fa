#include "app/game/StartDialog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "table/widget/PlainTip.h"

namespace lorvex::game {

QString PickGameFolder(QWidget* parent) {
    return QFileDialog::getExistingDirectory(parent, QStringLiteral("Open Game Folder"), QDir::homePath(),
                                             QFileDialog::ShowDirsOnly);
}

StartDialog::StartDialog(const QStringList& recentGames, FolderPicker folderPicker, QWidget* parent)
    : QDialog(parent), picker(std::move(folderPicker)) {
    setWindowTitle(QStringLiteral("Lorvex"));
    auto* layout = new QVBoxLayout(this);

    openButton = new QPushButton(QStringLiteral("Open Game Folder..."), this);
    openButton->setDefault(true);
    layout->addWidget(openButton);

    recentList = new QListWidget(this);
    recentList->setObjectName(QStringLiteral("recentGames"));
    for (const QString& game : recentGames) {
        auto* item = new QListWidgetItem(QDir::toNativeSeparators(game), recentList);
        item->setData(Qt::UserRole, game);
        item->setToolTip(PlainTip(game));  // a folder may be named like markup
    }
    // Room for every entry the list can hold, and no more.
    recentList->setFixedHeight(recentList->fontMetrics().height() * 8 + 2 * recentList->frameWidth() + 8);
    if (!recentGames.isEmpty()) {
        layout->addWidget(new QLabel(QStringLiteral("Recent games:"), this));
        layout->addWidget(recentList);
    } else {
        recentList->hide();
    }

    auto* about = new QLabel(QStringLiteral("A game folder holds the game's archives: rev31.gp3, "
                                            "or files ending in .ccx, .ufo or .hpi."),
                             this);
    about->setWordWrap(true);
    layout->addWidget(about);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    layout->addWidget(buttons);

    connect(openButton, &QPushButton::clicked, this, [this] {
        const QString folder = picker ? picker(this) : QString();
        if (!folder.isEmpty()) Choose(folder);
    });
    connect(recentList, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { Choose(item->data(Qt::UserRole).toString()); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    resize(qMax(sizeHint().width(), 420), sizeHint().height());
}

void StartDialog::Choose(const QString& folder) {
    chosen = folder;
    accept();
}

}  // namespace lorvex::game
