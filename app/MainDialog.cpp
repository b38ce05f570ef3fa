#include "app/MainDialog.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <string>

#include "app/ConfigChooserDialog.h"
#include "app/DataListingDialog.h"
#include "app/DialogText.h"
#include "app/DialogUnits.h"
#include "export/ExportDialog.h"
#include "export/ExportWriter.h"
#include "load/RecordListing.h"
#include "table/widget/TableListView.h"

namespace lorvex {
namespace {

// The table starts this many pixels below the top of the client area.
constexpr int kTableTop = 18;

QIcon MakeIcon() {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setPen(QColor(40, 40, 40));
    p.setBrush(QColor(250, 250, 240));
    p.drawRect(2, 4, 27, 23);
    p.fillRect(3, 5, 26, 5, QColor(60, 90, 160));
    p.fillRect(3, 16, 26, 4, QColor(150, 180, 230));
    for (int x : {11, 20}) p.drawLine(x, 10, x, 26);
    for (int y : {15, 20}) p.drawLine(3, y, 28, y);
    return QIcon(pixmap);
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, Qt::Alignment align) {
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(align | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    return label;
}

bool IsInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseMove:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Close:
            return true;
        default:
            return false;
    }
}

}  // namespace

MainDialog::MainDialog(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint),
      boxes(this),
      loader(table, *this, *this, *this) {
    setWindowTitle(QStringLiteral("Lorvex   - by Quorrin"));
    setWindowIcon(MakeIcon());

    statusText = MakeLabel(this, "statusText", "", Qt::AlignLeft);
    fileLabel = MakeLabel(this, "fileLabel", "TDF FILE", Qt::AlignLeft);
    archiveLabel = MakeLabel(this, "archiveLabel", "Parsing Hpi File", Qt::AlignRight);
    view = new TableListView(table, this);
    view->setObjectName(QStringLiteral("table"));
    BuildMenu();

    // Dialog initialisation.
    table.EnableColumnDrag(true);
    table.SetRowHighlightMode(1);
    table.EnableClickSort(true);
    archiveLabel->hide();
    fileLabel->hide();

    connect(view, &TableListView::rowClicked, this, [this] { UpdateStatusLine(); });
    connect(view, &TableListView::deleteKeyPressed, this, [this] { RemoveHighlighted(); });
    connect(view, &TableListView::rowDoubleClicked, this, [this](int row) { OpenRecordListing(row); });

    const DialogUnits du;
    const int top = ClientTop();
    du.Place(statusText, 13, 1, 285, 8, top);
    du.Place(archiveLabel, 34, 72, 98, 8, top);
    du.Place(fileLabel, 133, 72, 177, 8, top);
    resize(du.X(406), top + du.Y(286));
    initialized = true;
    LayoutTable();
    view->setFocus();
}

MainDialog::~MainDialog() {
    // The view refers to table, a member that goes before the children do.
    delete view;
    view = nullptr;
}

void MainDialog::BuildMenu() {
    menuBar = new QMenuBar(this);
    menuBar->setNativeMenuBar(false);
    selectConfigurationAction = menuBar->addAction(QStringLiteral("Select Configuration File"));
    menuBar->addAction(QStringLiteral("|"))->setEnabled(false);
    exportAction = menuBar->addAction(QStringLiteral("Export table"));
    menuBar->addAction(QStringLiteral("|"))->setEnabled(false);
    removeMenu = menuBar->addMenu(QStringLiteral("Remove From Table..."));
    // The "Delete" beside the item is only text: the key works in the table.
    removeHighlightedAction = removeMenu->addAction(QStringLiteral("All Hilighted Items\tDelete"));
    removeUnhighlightedAction = removeMenu->addAction(QStringLiteral("All Unhilighted Items"));

    auto* corner = new QMenuBar(menuBar);
    corner->setNativeMenuBar(false);
    versionAction = corner->addAction(QStringLiteral("v1.2"));
    menuBar->setCornerWidget(corner, Qt::TopRightCorner);

    connect(selectConfigurationAction, &QAction::triggered, this, [this] { LoadRun(); });
    connect(exportAction, &QAction::triggered, this, [this] { ExportTable(); });
    connect(removeHighlightedAction, &QAction::triggered, this, [this] { RemoveHighlighted(); });
    connect(removeUnhighlightedAction, &QAction::triggered, this, [this] { RemoveUnhighlighted(); });
    menuBar->setGeometry(0, 0, width(), menuBar->sizeHint().height());
}

int MainDialog::ClientTop() const { return menuBar ? menuBar->sizeHint().height() : 0; }

void MainDialog::LayoutTable() {
    const int top = ClientTop();
    menuBar->setGeometry(0, 0, width(), top);
    const int clientHeight = height() - top;
    view->setGeometry(0, top + kTableTop, width(), std::max(0, clientHeight - kTableTop));
}

void MainDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (initialized) LayoutTable();
}

void MainDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (firstPaint) {
        // Cleared before the load, so that paints while the chooser is up or
        // the load runs never start another one. The load starts once this
        // paint is over: a modal dialog cannot run inside a paint.
        firstPaint = false;
        QTimer::singleShot(0, this, [this] { LoadRun(); });
    }
}

void MainDialog::keyPressEvent(QKeyEvent* event) {
    // Enter goes to no button: it does nothing. Escape ends the dialog.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
    if (loading && IsInput(event->type()) && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this)
        return true;
    return QDialog::eventFilter(watched, event);
}

void MainDialog::LoadRun() {
    if (loading) return;
    loading = true;
    qApp->installEventFilter(this);
    loader.LoadRun();
    qApp->removeEventFilter(this);
    loading = false;
}

void MainDialog::ExportTable() {
    ExportSettings settings;
    ExportDialog dialog(this);
    if (!dialog.RunExportDialog(settings)) return;
    if (!WriteExport(table, settings)) ShowMessage("Unable to Create File");
}

void MainDialog::RemoveHighlighted() {
    TableData& rows = table.Data();
    view->hide();
    rows.SetNotify(false);
    // From the bottom up: the same rows go as when searching from the top
    // after every deletion, without the search.
    for (int row = rows.RowCount() - 1; row >= 0; --row)
        if (rows.IsSelected(row)) rows.DeleteRow(row);
    rows.SetNotify(true);
    view->show();
    UpdateStatusLine();
}

void MainDialog::RemoveUnhighlighted() {
    TableData& rows = table.Data();
    view->hide();
    rows.SetNotify(false);
    for (int row = rows.RowCount() - 1; row >= 0; --row)
        if (!rows.IsSelected(row)) rows.DeleteRow(row);
    rows.SetNotify(true);
    view->show();
    UpdateStatusLine();
}

DataListingDialog* MainDialog::OpenRecordListing(int row) {
    ListingRequest request;
    if (!ListingRequestForRow(table, loader.State().locationColumn, row, &request)) return nullptr;
    auto* listing = new DataListingDialog(this);
    listing->ShowListing(request.path, request.lineNumber);
    return listing;
}

void MainDialog::SetWindowTitle(std::string_view title) { setWindowTitle(BytesToBoxText(title)); }

void MainDialog::SetTableVisible(bool visible) {
    view->setVisible(visible);
    if (!visible) repaint();  // no event is handled until the load ends
}

void MainDialog::SetProgressVisible(bool visible) {
    // The labels are repainted at a bounded rate while the load runs (ProgressRepaint).
    if (visible) progress.Start(archiveLabel, fileLabel);
    else progress.Flush();  // the last texts are shown before the labels go
    archiveLabel->setVisible(visible);
    fileLabel->setVisible(visible);
    archiveLabel->repaint();
    fileLabel->repaint();
}

void MainDialog::SetArchiveLabel(std::string_view text) {
    archiveLabel->setText(BytesToBoxText(text));
    progress.Changed();
}

void MainDialog::SetFileLabel(std::string_view text) {
    fileLabel->setText(BytesToBoxText(text));
    progress.Changed();
}

void MainDialog::UpdateStatusLine() {
    const TableData& rows = table.Data();
    const std::string text = std::to_string(rows.RowCount()) + " total table entries,   " +
                             std::to_string(rows.SelectedCount()) + " hilighted entries";
    statusText->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    statusText->repaint();
}

int MainDialog::RunChooser(char* buffer) {
    if (chooser) return chooser->RunChooser(buffer);
    ConfigChooserDialog dialog(this);
    return dialog.RunChooser(buffer);
}

void MainDialog::ShowMessage(std::string_view text) { messages->ShowMessage(text); }

}  // namespace lorvex
