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
      boxes_(this) {
    setWindowTitle(BytesToBoxText(WindowTitle("")));
    setWindowIcon(WindowIcon());

    statusText_ = MakePlainLabel(this, QString(), Qt::AlignLeft | Qt::AlignTop, "statusText");
    fileLabel_ = MakePlainLabel(this, QStringLiteral("TDF FILE"), Qt::AlignLeft | Qt::AlignTop, "fileLabel");
    archiveLabel_ =
        MakePlainLabel(this, QStringLiteral("Parsing Hpi File"), Qt::AlignRight | Qt::AlignTop, "archiveLabel");
    view_ = new TableListView(table_, this);
    view_->setObjectName(QStringLiteral("table"));
    // The window takes the name of the configuration once its load starts replacing the table.
    progress_ = new LoadProgress(this, view_, statusText_, archiveLabel_, fileLabel_,
                                 [this] { setWindowTitle(BytesToBoxText(WindowTitle(loadingConfig_))); });
    loader_ = std::make_unique<Loader>(table_, *progress_, *this);
    BuildMenu();
    numberCommands_ = new NumberCommands(menu_.view, table_, view_, statusText_);
    skippedNotice_ = new SkippedNotice(statusText_);

    // Dialog initialisation.
    table_.EnableColumnDrag(true);
    table_.SetRowHighlightMode(1);
    table_.EnableClickSort(true);
    archiveLabel_->hide();
    fileLabel_->hide();

    connect(view_, &TableListView::rowClicked, this, [this] { UpdateStatusLine(); });
    connect(view_, &TableListView::deleteKeyPressed, this, [this] { RemoveHighlighted(); });
    connect(view_, &TableListView::rowDoubleClicked, this, [this](int row) { OpenRecordListing(row); });

    const DialogUnits du;
    const int top = ClientTop();
    du.Place(statusText_, 13, 1, 285, 8, top);
    du.Place(archiveLabel_, 34, 72, 98, 8, top);
    du.Place(fileLabel_, 133, 72, 177, 8, top);
    resize(du.X(406), top + du.Y(286));
    conveniences_ = new TableConveniences(*this);
    edits_ = new EditCommands(*this);
    conveniences_->AddRowMenuAction(edits_->editCellAction);
    compare_ = new CompareCommands(*this);
    edits_->otherGameRow = [this](int row) { return compare_->IsOtherGameRow(row); };
    compare_->overlayChanged = [this] { edits_->ForgetUndo(); };
    initialized_ = true;
    LayoutTable();
    view_->setFocus();
}

MainDialog::~MainDialog() {
    // The conveniences and the view follow table, a member that goes before
    // the children do: they leave while it is still there.
    delete compare_;
    compare_ = nullptr;
    delete edits_;
    edits_ = nullptr;
    delete conveniences_;
    conveniences_ = nullptr;
    delete view_;
    view_ = nullptr;
}

void MainDialog::BuildMenu() {
    menu_ = BuildMainMenu(this);
    connect(menu_.selectConfiguration, &QAction::triggered, this, [this] { LoadRun(); });
    connect(menu_.exportTable, &QAction::triggered, this, [this] { ExportTable(); });
    connect(menu_.removeHighlighted, &QAction::triggered, this, [this] { RemoveHighlighted(); });
    connect(menu_.removeUnhighlighted, &QAction::triggered, this, [this] { RemoveUnhighlighted(); });
    menu_.bar->setGeometry(0, 0, width(), menu_.bar->sizeHint().height());
}

int MainDialog::ClientTop() const { return menu_.bar ? menu_.bar->sizeHint().height() : 0; }

void MainDialog::LayoutTable() {
    const int top = ClientTop();
    menu_.bar->setGeometry(0, 0, width(), top);
    const int clientHeight = height() - top;
    const int bar = conveniences_ ? conveniences_->PlaceFilterBar(top + kTableTop, width()) : 0;
    view_->setGeometry(0, top + kTableTop + bar, width(), std::max(0, clientHeight - kTableTop - bar));
    skippedNotice_->Place();
}

void MainDialog::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (initialized_) LayoutTable();
}

void MainDialog::paintEvent(QPaintEvent* event) {
    QDialog::paintEvent(event);
    if (firstPaint_) {
        // Cleared before the load, so that paints while the chooser is up or
        // the load runs never start another one. The load starts once this
        // paint is over: a modal dialog cannot run inside a paint.
        firstPaint_ = false;
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
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && conveniences_ &&
        conveniences_->CloseFilter()) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void MainDialog::LoadRun() {
    if (loading_) return;
    loading_ = true;
    compare_->BeforeLoad();
    conveniences_->BeforeLoad();
    progress_->Begin();
    loadingConfig_ = reloadName_.empty() ? ChooseConfiguration() : reloadName_;
    // Unsaved changes are asked about once the name is known; Cancel is as silent as no name.
    if (!loadingConfig_.empty() && edits_ && !edits_->MayReplaceTable()) loadingConfig_.clear();
    const LoadEnd end = loader_->LoadRun(loadingConfig_);
    progress_->End();
    loading_ = false;
    const bool replaced = loader_->Report().ReplacedTable();
    if (replaced) {
        loadedConfig_ = loadingConfig_;
        view_->setVisible(true);
        conveniences_->AfterLoad(loadedConfig_);
        edits_->AfterLoad();
    }
    // The comparison's column goes in once the kept layout is applied, and before the filter is.
    compare_->AfterLoad(replaced);
    conveniences_->FilterAgain();
    if (replaced) {
        skippedNotice_->Show(loader_->Report());
        numberCommands_->figures->ReserveRight(skippedNotice_->ReservedWidth());
        UpdateStatusLine();
    } else if (end == LoadEnd::Cancelled) {
        UpdateStatusLine();
    }
}

void MainDialog::Reload() {
    reloadName_ = loadedConfig_;
    LoadRun();
    reloadName_.clear();
}

void MainDialog::done(int result) {
    if (edits_ && !edits_->MayReplaceTable()) return;
    compare_->BeforeLoad();
    conveniences_->BeforeLoad();
    QDialog::done(result);
}

void MainDialog::ExportTable() { RunExportCommand(this, table_, loadedConfig_, statusText_, *this); }

void MainDialog::RemoveHighlighted() { RemoveRows(true); }

void MainDialog::RemoveUnhighlighted() { RemoveRows(false); }

void MainDialog::RemoveRows(bool highlighted) {
    edits_->RemoveRows(highlighted);
    UpdateStatusLine();
}

DataListingDialog* MainDialog::OpenRecordListing(int row) {
    ListingRequest request;
    if (!ListingRequestForRow(table_, loader_->State().locationColumn, row, &request)) return nullptr;
    auto* listing = new DataListingDialog(this);
    listing->ShowListing(request.path, request.lineNumber);
    return listing;
}

std::string MainDialog::StatusLineText() const {
    return lorvex::StatusLineText(table_.Data(), conveniences_ && conveniences_->FilterActive()) +
           (compare_ ? compare_->StatusSuffix() : std::string());
}

void MainDialog::ValuesChanged() {
    conveniences_->FilterAgain();
    UpdateStatusLine();
}

void MainDialog::UpdateStatusLine() {
    const std::string text = StatusLineText();
    statusText_->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
    statusText_->repaint();
}

std::string MainDialog::ChooseConfiguration() {
    if (chooser_) return chooser_->ChooseConfiguration();
    ConfigChooserDialog dialog(this);
    return dialog.Choose();
}

void MainDialog::ShowMessage(std::string_view text) { messages_->ShowMessage(text); }

}  // namespace lorvex
