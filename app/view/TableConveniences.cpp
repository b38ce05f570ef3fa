#include "app/view/TableConveniences.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QScreen>
#include <QSettings>

#include "app/DataListingDialog.h"
#include "app/filter/FilterBar.h"
#include "app/view/ConvenienceHost.h"
#include "table/CopyText.h"
#include "table/widget/CellText.h"
#include "table/widget/TableListView.h"

namespace lorvex {
namespace {

constexpr const char* kFixedFontKey = "listing/fixedWidthFont";

}  // namespace

TableConveniences::TableConveniences(ConvenienceHost& window)
    : QObject(window.HostWidget()), window_(window), layout_(window.Table()) {
    QWidget* host = window.HostWidget();
    filter_ = new FilterBar(window.Table().Data(), *window.View(), host);
    window.View()->AddFocusCompanion(filter_);  // the highlight shows while the line has the focus
    QMenu* view = window.ViewMenu();
    filterAction = view->addAction(QStringLiteral("&Filter Rows..."));
    filterAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    copyAction = view->addAction(QStringLiteral("&Copy"));
    copyAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
    view->addSeparator();
    reloadAction = view->addAction(QStringLiteral("&Reload Configuration"));
    reloadAction->setShortcut(QKeySequence(Qt::Key_F5));
    resetLayoutAction = view->addAction(QStringLiteral("Reset Column &Layout"));
    view->addSeparator();
    fixedFontAction = view->addAction(QStringLiteral("Fi&xed-Width Font in Listings"));
    fixedFontAction->setCheckable(true);
    fixedFontAction->setChecked(QSettings().value(QLatin1String(kFixedFontKey), false).toBool());
    DataListingDialog::SetFixedWidthFont(fixedFontAction->isChecked());

    connect(filterAction, &QAction::triggered, filter_, &FilterBar::Open);
    connect(copyAction, &QAction::triggered, this, [this] { Copy(); });
    connect(reloadAction, &QAction::triggered, this, [this] { window_.Reload(); });
    connect(resetLayoutAction, &QAction::triggered, this, [this] { layout_.Reset(); });
    connect(fixedFontAction, &QAction::toggled, this, [this](bool on) {
        QSettings().setValue(QLatin1String(kFixedFontKey), on);
        DataListingDialog::SetFixedWidthFont(on);
        for (DataListingDialog* open : window_.HostWidget()->findChildren<DataListingDialog*>()) open->UpdateFont();
    });
    connect(filter_, &FilterBar::heightChanged, this, [this] { window_.LayoutTable(); });
    filter_->line->installEventFilter(this);
    connect(filter_, &FilterBar::filterChanged, this, [this] { TableRowsChanged(); });
    connect(window.View(), &TableListView::rowMenuRequested, this,
            [this](int row, const QPoint& at) { ShowRowMenu(row, at); });

    window.Table().Data().AddObserver(this);
    // The dialog-unit size may not fit a small screen or a large scale factor.
    if (QScreen* screen = host->screen()) host->resize(host->size().boundedTo(screen->availableGeometry().size()));
}

TableConveniences::~TableConveniences() { window_.Table().Data().RemoveObserver(this); }

bool TableConveniences::FilterActive() const { return filter_->Active() && !filter_->isHidden(); }

int TableConveniences::PlaceFilterBar(int y, int width) { return filter_->Place(0, y, width); }

bool TableConveniences::CloseFilter() {
    if (filter_->isHidden()) return false;
    filter_->Close();
    window_.View()->setFocus();
    return true;
}

bool TableConveniences::eventFilter(QObject* watched, QEvent* event) {
    // A line edit claims some keys the window uses (Ctrl+E is its End key):
    // a key that is a window command's shortcut and no text-editing key of
    // the line is left to the command.
    if (watched == filter_->line && event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        static const QKeySequence::StandardKey editing[] = {
            QKeySequence::SelectAll, QKeySequence::Copy, QKeySequence::Cut,   QKeySequence::Paste,
            QKeySequence::Undo,      QKeySequence::Redo, QKeySequence::Delete};
        for (QKeySequence::StandardKey standard : editing)
            if (key->matches(standard)) return false;
        for (const QAction* action : window_.HostWidget()->findChildren<QAction*>())
            if (action->isEnabled() && !action->shortcut().isEmpty() && action->shortcut() == pressed) {
                event->ignore();
                return true;  // not the line's: the shortcut goes to the command
            }
    }
    return QObject::eventFilter(watched, event);
}

void TableConveniences::Copy() {
    const CopiedRows copied = CopyRows(window_.Table().Data());
    if (copied.rows == 0) return;
    auto* mime = new QMimeData;
    mime->setText(DecodeCellText(copied.plain));
    mime->setHtml(DecodeCellText(copied.html));
    QApplication::clipboard()->setMimeData(mime);
}

void TableConveniences::BeforeLoad() { layout_.Save(); }

void TableConveniences::AfterLoad(const std::string& configName) { layout_.Loaded(configName); }

void TableConveniences::FilterAgain() {
    if (!filter_->isHidden()) filter_->Apply();  // a load shows every row again
}

// The highlighted count follows every change of the highlight, not only clicks.
void TableConveniences::TableRowsChanged() {
    if (window_.StatusLabel()->text().isEmpty() || window_.Loading()) return;
    const QString text = QString::fromStdString(window_.StatusLineText());
    if (window_.StatusLabel()->text() != text) window_.StatusLabel()->setText(text);
}

void TableConveniences::ShowRowMenu(int row, const QPoint& globalPos) {
    delete rowMenu;
    rowMenu = new QMenu(window_.HostWidget());
    rowMenu->setObjectName(QStringLiteral("rowMenu"));
    rowMenu->setAttribute(Qt::WA_DeleteOnClose, false);
    QAction* copy = rowMenu->addAction(QStringLiteral("Copy"));
    QAction* source = rowMenu->addAction(QStringLiteral("Show Record Source"));
    QAction* remove = rowMenu->addAction(QStringLiteral("Remove Highlighted"));
    source->setEnabled(row >= 0);
    connect(copy, &QAction::triggered, this, [this] { Copy(); });
    connect(source, &QAction::triggered, this, [this, row] { window_.OpenRecordListing(row); });
    connect(remove, &QAction::triggered, this, [this] { window_.RemoveHighlighted(); });
    for (QAction* extra : rowMenuExtras_) {
        extra->setEnabled(row >= 0);
        rowMenu->addAction(extra);
    }
    rowMenu->popup(globalPos);
}

}  // namespace lorvex
