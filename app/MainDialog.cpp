#include "app/MainDialog.h"

#include <QAction>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <string>

#include "app/ConfigChooserDialog.h"
#include "app/DataListingDialog.h"
#include "app/ExportCommand.h"
#include "app/LoadProgress.h"
#include "app/MainMenu.h"
#include "app/WindowIcon.h"
#include "app/compare/CompareCommands.h"
#include "app/edit/EditCommands.h"
#include "app/skipped/SkippedNotice.h"
#include "app/view/TableConveniences.h"
#include "chart/widget/FiguresLabel.h"
#include "chart/widget/NumberCommands.h"
#include "load/RecordListing.h"
#include "table/RowRemoval.h"
#include "table/widget/TableListView.h"
#include "ui/DialogText.h"
#include "ui/DialogUnits.h"
#include "ui/PlainLabel.h"

namespace lorvex {
namespace {

// The window's name, with the configuration the table holds (none yet: "").
std::string WindowTitle(const std::string& config) {
    return config.empty() ? "Lorvex   - by Quorrin" : "Lorvex - " + config + "   - by Quorrin";
}

// The table starts this many pixels below the top of the client area.
constexpr int kTableTop = 18;

}  // namespace

MainDialog::MainDialog(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                          Qt::WindowCloseButtonHint),
      boxes(this) {
    setWindowTitle(BytesToBoxText(WindowTitle("")));
    setWindowIcon(WindowIcon());

    statusText = MakePlainLabel(this, QString(), Qt::AlignLeft | Qt::AlignTop, "statusText");
    fileLabel = MakePlainLabel(this, QStringLiteral("TDF FILE"), Qt::AlignLeft | Qt::AlignTop, "fileLabel");
    archiveLabel = MakePlainLabel(this, QStringLiteral("Parsing Hpi File"), Qt::AlignRight | Qt::AlignTop, "archiveLabel");
    view = new TableListView(table, this);
    view->setObjectName(QStringLiteral("table"));
    // The window takes the name of the configuration once its load starts replacing the table.
    progress = new LoadProgress(this, view, statusText, archiveLabel, fileLabel,
                                [this] { setWindowTitle(BytesToBoxText(WindowTitle(loadingConfig))); });
    loader = std::make_unique<Loader>(table, *progress, *this);
    BuildMenu();
    numberCommands = new NumberCommands(viewMenu, table, view, statusText);
    skippedNotice = new SkippedNotice(statusText);

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
    conveniences = new TableConveniences(*this);
    edits = new EditCommands(*this);
    conveniences->AddRowMenuAction(edits->editCellAction);
    compare = new CompareCommands(*this);
    edits->otherGameRow = [this](int row) { return compare->IsOtherGameRow(row); };
    initialized = true;
    LayoutTable();
    view->setFocus();
}

MainDialog::~MainDialog() {
    // The conveniences and the view follow table, a member that goes before
    // the children do: they leave while it is still there.
    delete compare;
    compare = nullptr;
    delete edits;
    edits = nullptr;
    delete conveniences;
    conveniences = nullptr;
    delete view;
    view = nullptr;
}

void MainDialog::BuildMenu() {
    const MainMenu menu = BuildMainMenu(this);
    menuBar = menu.bar;
    selectConfigurationAction = menu.selectConfiguration;
    exportAction = menu.exportTable;
    removeMenu = menu.remove;
    removeHighlightedAction = menu.removeHighlighted;
    removeUnhighlightedAction = menu.removeUnhighlighted;
    gameMenu = menu.game;
    viewMenu = menu.view;
    editMenu = menu.edit;
    versionAction = menu.version;
    openGameAction = menu.openGame;
    recentGamesMenu = menu.recentGames;
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
    const int bar = conveniences ? conveniences->PlaceFilterBar(top + kTableTop, width()) : 0;
    view->setGeometry(0, top + kTableTop + bar, width(), std::max(0, clientHeight - kTableTop - bar));
    skippedNotice->Place();
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
    // Enter goes to no button: it does nothing. Escape ends the dialog, but
    // an open filter line goes first (cleared), wherever the focus is.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && conveniences &&
        conveniences->CloseFilter()) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainDialog::LoadRun() {
    if (loading) return;
    loading = true;
    compare->BeforeLoad();
    conveniences->BeforeLoad();
    progress->Begin();
    loadingConfig = reloadName.empty() ? ChooseConfiguration() : reloadName;
    // Unsaved changes are asked about once the name is known; Cancel is as silent as no name.
    if (!loadingConfig.empty() && edits && !edits->MayReplaceTable()) loadingConfig.clear();
    const LoadEnd end = loader->LoadRun(loadingConfig);
    progress->End();
    loading = false;
    const bool replaced = loader->Report().ReplacedTable();
    if (replaced) {
        loadedConfig = loadingConfig;
        view->setVisible(true);
        conveniences->AfterLoad(loadedConfig);
        edits->AfterLoad();
    }
    // The comparison's column goes in once the kept layout is applied, and before the filter is.
    compare->AfterLoad(replaced);
    conveniences->FilterAgain();
    if (replaced) {
        skippedNotice->Show(loader->Report());
        numberCommands->figures->ReserveRight(skippedNotice->ReservedWidth());
        UpdateStatusLine();
    } else if (end == LoadEnd::Cancelled) {
        UpdateStatusLine();
    }
}

void MainDialog::Reload() {
    reloadName = loadedConfig;
    LoadRun();
    reloadName.clear();
}

void MainDialog::done(int result) {
    if (edits && !edits->MayReplaceTable()) return;
    compare->BeforeLoad();
    conveniences->BeforeLoad();
    QDialog::done(result);
}

void MainDialog::ExportTable() { RunExportCommand(this, table, loadedConfig, statusText, *this); }

void MainDialog::RemoveHighlighted() { RemoveRows(true); }

void MainDialog::RemoveUnhighlighted() { RemoveRows(false); }

void MainDialog::RemoveRows(bool highlighted) {
    edits->RemoveRows(highlighted);
    UpdateStatusLine();
}

DataListingDialog* MainDialog::OpenRecordListing(int row) {
    ListingRequest request;
    if (!ListingRequestForRow(table, loader->State().locationColumn, row, &request)) return nullptr;
    auto* listing = new DataListingDialog(this);
    listing->ShowListing(request.path, request.lineNumber);
    return listing;
}

std::string MainDialog::StatusLineText() const {
    return lorvex::StatusLineText(table.Data(), conveniences && conveniences->FilterActive()) +
           (compare ? compare->StatusSuffix() : std::string());
}

void MainDialog::UpdateStatusLine() {
    const std::string text = StatusLineText();
    statusText->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    statusText->repaint();
}

std::string MainDialog::ChooseConfiguration() {
    if (chooser) return chooser->ChooseConfiguration();
    ConfigChooserDialog dialog(this);
    return dialog.Choose();
}

void MainDialog::ShowMessage(std::string_view text) { messages->ShowMessage(text); }

}  // namespace lorvex
