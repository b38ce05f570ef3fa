#include "app/compare/CompareCommands.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPalette>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <utility>

#include "app/compare/CompareHost.h"
#include "compare/Changelog.h"
#include "load/LoadRun.h"
#include "platform/ColumnKind.h"
#include "platform/GameFolder.h"
#include "platform/SaveFile.h"
#include "table/TableListCtrl.h"
#include "table/widget/TableListView.h"
#include "ui/DialogText.h"

namespace lorvex {
namespace {

namespace fs = std::filesystem;

// No load inserts a column at a negative place: the Change column is never
// taken for the load's column it pushed aside.
constexpr int kChangeOrigin = -2;
constexpr const char* kChangeHeading = "Change";
// A folder of Lorvex's own under the other game's work folder, as lorvex-export
// uses: the user's configurations for that game stay as they are.
constexpr const char* kCompareFolder = "Compared";
constexpr int kUnknownRow = -1;
constexpr int kRemovedBase = -2;
// How much of the change colour a changed cell's background takes, and of the
// palette's mid tone an other game's row takes: readable on light and dark bases.
constexpr int kTintPercent = 35;
constexpr int kGreyPercent = 45;
// Half a turn of hue from the highlight: a change never looks like an edit.
constexpr int kHueTurn = 180;
constexpr int kHueWhenGrey = 40;
// The Change column is fitted to its words, never wider than this.
constexpr int kFitLimit = 400;
// While the other game loads, the window answers its Cancel button this often.
constexpr qint64 kEventsEveryMs = 50;

const std::uint8_t kChangeKind = ColumnKind::Of(Comparison::Folded, false, true).Byte();

fs::path ToPath(const QString& text) { return fs::path(QFile::encodeName(text).toStdString()); }

QColor Blend(const QColor& base, const QColor& over, int percent) {
    const auto mix = [&](int a, int b) { return (a * (100 - percent) + b * percent) / 100; };
    return QColor(mix(base.red(), over.red()), mix(base.green(), over.green()), mix(base.blue(), over.blue()));
}

bool IsInput(QEvent::Type type) {
    switch (type) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::Close: return true;
        default: return false;
    }
}

// The other game's load: a progress line in the status line and a Cancel
// button beside it. The window takes no other input meanwhile (a command run
// inside the load would change the table it is compared with); Escape cancels.
class OtherGameProgress : public QObject, public LoadView {
public:
    OtherGameProgress(CompareHost& window, QString what) : window_(window), what_(std::move(what)) {}
    ~OtherGameProgress() override { End(); }

    void Begin() {
        QLabel* status = window_.StatusLabel();
        cancel_ = new QPushButton(QStringLiteral("Cancel"), &window_.Widget());
        cancel_->setObjectName(QStringLiteral("compareCancel"));
        cancel_->adjustSize();
        cancel_->move(status->geometry().right() + status->height(),
                      status->geometry().center().y() - cancel_->height() / 2);
        cancel_->show();
        connect(cancel_, &QPushButton::clicked, this, [this] { cancelled_ = true; });
        qApp->installEventFilter(this);
        Show();
        clock_.start();
    }
    void End() {
        qApp->removeEventFilter(this);
        delete cancel_;
        cancel_ = nullptr;
    }
    bool Cancelled() const { return cancelled_; }

    void SetProgressVisible(bool) override {}
    void SetArchiveLabel(std::string_view text) override { archive_ = BytesToBoxText(text); }
    void SetFileLabel(std::string_view text) override { file_ = BytesToBoxText(text); }
    bool KeepWaiting(std::string_view text) override {
        file_ = BytesToBoxText(text);
        Show();
        QApplication::processEvents(QEventLoop::AllEvents, kWaitStepMs);
        return !cancelled_;
    }
    bool KeepLoading() override {
        if (std::exchange(first_, false) || clock_.elapsed() >= kEventsEveryMs) {
            Show();
            QApplication::processEvents();
            clock_.restart();
        }
        return !cancelled_;
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!IsInput(event->type()) || !watched->isWidgetType() || watched == cancel_ ||
            static_cast<QWidget*>(watched)->window() != &window_.Widget())
            return QObject::eventFilter(watched, event);
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            cancelled_ = true;
        return true;
    }

private:
    void Show() {
        QLabel* status = window_.StatusLabel();
        status->setText(QStringLiteral("Loading ") + what_ + QStringLiteral(":  ") + archive_ +
                        QStringLiteral(" ") + file_ + QStringLiteral("   (Escape cancels)"));
        status->repaint();
    }

    CompareHost& window_;
    QString what_;
    QString archive_, file_;
    QPushButton* cancel_ = nullptr;
    QElapsedTimer clock_;
    bool cancelled_ = false;
    bool first_ = true;  // the first record file answers at once, however quick the load
};

// The other game's load speaks through the window's messages.
class WindowMessages : public platform::MessageSink {
public:
    explicit WindowMessages(CompareHost& window) : window_(window) {}
    void ShowMessage(std::string_view text) override { window_.ShowMessage(text); }

private:
    CompareHost& window_;
};

std::string RecordKey(const TableData& data, int location, int line, int row, bool removed) {
    return (removed ? "-" : "+") + std::string(data.Cell(row, location)) + '\n' + std::string(data.Cell(row, line));
}

}  // namespace

CompareCommands::CompareCommands(CompareHost& window) : window_(window) {
    QMenu* game = window_.GameMenu();
    game->addSeparator();
    compareAction = game->addAction(QStringLiteral("Compare &With Game Folder..."));
    matchMenu = game->addMenu(QStringLiteral("&Match Rows By"));
    changelogAction = game->addAction(QStringLiteral("Export Change&log..."));
    compareOffAction = game->addAction(QStringLiteral("Compare &Off"));
    connect(compareAction, &QAction::triggered, this, [this] {
        const QString folder =
            askOtherGame ? askOtherGame()
                         : QFileDialog::getExistingDirectory(&window_.Widget(), QStringLiteral("Compare With Game Folder"));
        CompareWith(folder);
    });
    connect(compareOffAction, &QAction::triggered, this, [this] { CompareOff(); });
    connect(changelogAction, &QAction::triggered, this, [this] { ExportChangelog(); });
    connect(matchMenu, &QMenu::aboutToShow, this, [this] { FillMatchMenu(); });
    FillMatchMenu();

    tipMenu = window_.ViewMenu()->addMenu(QStringLiteral("Compared &Numbers"));
    auto* tips = new QActionGroup(tipMenu);
    const std::pair<const char*, TipStyle> styles[] = {{"Other Game's Value Only", TipStyle::Value},
                                                       {"Difference: 150 (+30)", TipStyle::Difference},
                                                       {"Percent: +25%", TipStyle::Percent}};
    for (const auto& [text, style] : styles) {
        QAction* a = tipMenu->addAction(QString::fromLatin1(text));
        a->setCheckable(true);
        a->setChecked(style == tipStyle_);
        tips->addAction(a);
        connect(a, &QAction::triggered, this, [this, s = style] { SetTipStyle(s); });
    }
    window_.Table().Data().AddObserver(this);
    window_.View()->AddCellTint(this);
    Refresh();
}

CompareCommands::~CompareCommands() {
    if (window_.View()) window_.View()->RemoveCellTint(this);
    window_.Table().Data().RemoveObserver(this);
}

void CompareCommands::Say(const std::string& text) { window_.StatusLabel()->setText(BytesToBoxText(text)); }

void CompareCommands::Refresh() {
    changelogAction->setEnabled(decorated_);
    compareOffAction->setEnabled(Comparing());
    rowsStale_ = true;
    if (window_.View()) window_.View()->viewport()->update();
}

void CompareCommands::FillMatchMenu() {
    matchMenu->clear();
    auto* group = new QActionGroup(matchMenu);
    const auto add = [&](const QString& text, const std::string& heading) {
        QAction* a = matchMenu->addAction(text);
        a->setCheckable(true);
        a->setChecked(heading == options_.matchHeading);
        group->addAction(a);
        connect(a, &QAction::triggered, this, [this, heading] { MatchBy(heading); });
    };
    add(QStringLiteral("Record File and Block"), {});
    matchMenu->addSeparator();
    const TableData& data = window_.Table().Data();
    for (int c = 0; c < data.ColumnCount(); ++c)
        if (data.Column(c).origin != kChangeOrigin)
            add(BytesToBoxText(data.Column(c).heading).replace(u'&', QStringLiteral("&&")), data.Column(c).heading);
}

bool CompareCommands::CompareWith(const QString& folder) {
    if (folder.isEmpty() || loadingOther_) return false;
    const std::string config = window_.LoadedConfiguration();
    if (config.empty()) {
        window_.ShowMessage("Load a configuration first: the other game is loaded with the same one.");
        return false;
    }
    // Never writable: the other game's folder is only read, its scratch copies go under the data location.
    const QString data = dataLocation.isEmpty()
                             ? QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
                             : dataLocation;
    const platform::OpenedGame opened = platform::OpenGameFolder(
        ToPath(folder), QFile::encodeName(folder).toStdString(), ToPath(data), {}, [](const fs::path&) { return false; });
    if (opened.game.empty()) {
        window_.ShowMessage(opened.problem);
        return false;
    }
    std::error_code ec;
    const fs::path before = fs::current_path(ec);
    const fs::path work = opened.work / kCompareFolder;
    if (!ec) fs::create_directories(work, ec);
    if (!ec) fs::copy_file(before / config, work / config, fs::copy_options::overwrite_existing, ec);
    if (!ec) fs::current_path(work, ec);
    if (ec) {
        window_.ShowMessage("Lorvex cannot prepare " + work.string() + " for the other game: " + ec.message() + ".");
        return false;
    }

    auto other = std::make_unique<TableListCtrl>();
    OtherGameProgress progress(window_, BytesToBoxText(config) + QStringLiteral(" from ") +
                                            QDir::toNativeSeparators(folder));
    WindowMessages messages(window_);
    Loader loader(*other, progress, messages);
    loader.SetArchiveFolder(opened.game);
    loadingOther_ = true;
    progress.Begin();
    const LoadEnd end = loader.LoadRun(config);
    progress.End();
    loadingOther_ = false;
    fs::current_path(before, ec);
    window_.UpdateStatusLine();
    if (end == LoadEnd::Cancelled) {
        Say("Compare With was cancelled; the table is as it was.");
        return false;
    }
    if (end == LoadEnd::Unreadable) window_.ShowMessage("Lorvex cannot read " + (work / config).string() + ".");
    if (end != LoadEnd::Loaded) return false;  // a stopped or refused load has said why

    Strip();
    other_ = std::move(other);
    otherHeaderText_ = loader.State().headerTextColumn;
    otherConfig_ = config;
    otherGame_ = folder;
    std::string error;
    if (!Decorate(&error)) {
        // The match column is missing from the other game: back to record file and block.
        window_.ShowMessage(error + "; rows are matched by record file and block instead.");
        options_ = MatchOptions{};
        Decorate(nullptr);
    }
    Refresh();
    window_.UpdateStatusLine();
    return true;
}

void CompareCommands::CompareOff() {
    Strip();
    other_.reset();
    diff_ = TableComparison{};
    Refresh();
    window_.UpdateStatusLine();
}

void CompareCommands::BeforeLoad() {
    Strip();
    Refresh();
}

void CompareCommands::AfterLoad(bool replaced) {
    // The window has applied the kept column layout (found without the Change
    // column) and applies the filter after this call.
    CompareAgain(replaced);
}

void CompareCommands::CompareAgain(bool replaced) {
    if (decorated_ || loadingOther_) return;
    if (replaced && !pendingFolder_.isEmpty()) {
        const QString folder = std::exchange(pendingFolder_, QString());
        CompareWith(folder);
        return;
    }
    if (!other_) return;
    if (window_.LoadedConfiguration() != otherConfig_) {
        const std::string compared = otherConfig_;
        CompareOff();
        Say("The comparison is off: it was made with " + compared + ".");
        return;
    }
    std::string error;
    if (!Decorate(&error)) {
        window_.ShowMessage(error + "; the comparison is off.");
        CompareOff();
        return;
    }
    Refresh();
    window_.UpdateStatusLine();
}

void CompareCommands::MatchBy(const std::string& heading) {
    const MatchOptions before = options_;
    options_.matchHeading = heading;
    if (!decorated_) return;
    Strip();
    std::string error;
    if (!Decorate(&error)) {
        window_.ShowMessage(error + "; rows stay matched as they were.");
        options_ = before;
        Decorate(nullptr);
    }
    Refresh();
    window_.UpdateStatusLine();
}

void CompareCommands::SetTipStyle(TipStyle style) { tipStyle_ = style; }

bool CompareCommands::Decorate(std::string* error) {
    if (!other_) return false;
    TableListCtrl& table = window_.Table();
    TableData& data = table.Data();
    const int headerText = data.ColumnOfOrigin(window_.TableLoader().State().headerTextColumn);
    TableComparison fresh;
    if (!fresh.Compare(SideOf(table, headerText), SideOf(*other_, otherHeaderText_), options_, error)) return false;
    diff_ = std::move(fresh);

    placeOfOrigin_.clear();
    for (int c = 0; c < data.ColumnCount(); ++c) placeOfOrigin_[data.Column(c).origin] = c;
    const int location = diff_.Mine().locationColumn, line = diff_.Mine().lineColumn;
    locationOrigin_ = location < 0 ? kChangeOrigin : data.Column(location).origin;
    lineOrigin_ = line < 0 ? kChangeOrigin : data.Column(line).origin;
    rowOfRecord_.clear();
    std::unordered_map<std::string, int> seen;
    const auto remember = [&](std::string key, int identity) {
        key += '\n' + std::to_string(seen[key]++);
        rowOfRecord_.emplace(std::move(key), identity);
    };

    NotifyHold hold(data);
    const int mine = data.RowCount();
    for (int r = 0; r < mine; ++r)
        if (location >= 0 && line >= 0) remember(RecordKey(data, location, line, r, false), r);
    data.InsertColumn(0, kChangeHeading, Align::Left, 0);
    data.SetColumnOrigin(0, kChangeOrigin);
    std::vector<std::uint8_t> kinds = table.ColumnKinds();
    kinds.insert(kinds.begin(), kChangeKind);
    table.SetColumnKinds(kinds.data(), static_cast<std::uint32_t>(kinds.size()));
    for (int r = 0; r < mine; ++r) data.SetCell(r, 0, ChangeWord(diff_.Status(r)));
    const std::vector<int>& removed = diff_.RemovedRows();
    for (std::size_t k = 0; k < removed.size(); ++k) {
        const int row = data.AppendRow(ChangeWord(RowChange::Removed));
        if (row < 0) break;  // the table is full: the counts still say how many there are
        for (int c = 1; c < data.ColumnCount(); ++c) data.SetCell(row, c, diff_.RemovedCell(k, c - 1));
        if (location >= 0 && line >= 0)
            remember(RecordKey(data, location + 1, line + 1, row, true), kRemovedBase - static_cast<int>(k));
    }
    table.AutoSizeColumns(0, kFitLimit);
    decorated_ = true;
    rowsStale_ = true;
    return true;
}

void CompareCommands::Strip() {
    if (!decorated_) return;
    decorated_ = false;
    TableListCtrl& table = window_.Table();
    TableData& data = table.Data();
    const int change = data.ColumnOfOrigin(kChangeOrigin);
    if (change < 0) return;
    NotifyHold hold(data);
    // The other game's rows are this load's last ones unless the user sorted: looked for from the end.
    for (int row = data.RowCount() - 1; row >= 0; --row)
        if (data.Cell(row, change) == ChangeWord(RowChange::Removed)) data.DeleteRow(row);
    data.DeleteColumn(change);
    std::vector<std::uint8_t> kinds = table.ColumnKinds();
    if (static_cast<std::size_t>(change) < kinds.size()) {
        kinds.erase(kinds.begin() + change);
        table.SetColumnKinds(kinds.data(), static_cast<std::uint32_t>(kinds.size()));
    }
    rowsStale_ = true;
}

int CompareCommands::RowIdentity(int row) const {
    if (!decorated_) return kUnknownRow;
    const TableData& data = window_.Table().Data();
    if (rowsStale_) {
        // Sorting, removing and undoing move rows: each is found again by its record.
        identity_.assign(static_cast<std::size_t>(data.RowCount()), kUnknownRow);
        const int change = data.ColumnOfOrigin(kChangeOrigin);
        const int location = data.ColumnOfOrigin(locationOrigin_), line = data.ColumnOfOrigin(lineOrigin_);
        if (change >= 0 && location >= 0 && line >= 0) {
            std::unordered_map<std::string, int> seen;
            for (int r = 0; r < data.RowCount(); ++r) {
                std::string key =
                    RecordKey(data, location, line, r, data.Cell(r, change) == ChangeWord(RowChange::Removed));
                key += '\n' + std::to_string(seen[key]++);
                const auto found = rowOfRecord_.find(key);
                if (found != rowOfRecord_.end()) identity_[static_cast<std::size_t>(r)] = found->second;
            }
        }
        rowsStale_ = false;
    }
    return row >= 0 && static_cast<std::size_t>(row) < identity_.size() ? identity_[static_cast<std::size_t>(row)]
                                                                           : kUnknownRow;
}

int CompareCommands::ComparedPlace(int column) const {
    const TableData& data = window_.Table().Data();
    if (column < 0 || column >= data.ColumnCount()) return -1;
    const auto found = placeOfOrigin_.find(data.Column(column).origin);
    return found == placeOfOrigin_.end() || data.Column(column).origin == kChangeOrigin ? -1 : found->second;
}

bool CompareCommands::IsOtherGameRow(int row) const { return RowIdentity(row) <= kRemovedBase; }

std::string CompareCommands::StatusSuffix() const { return decorated_ ? CountsText(diff_.Counts()) : std::string(); }

bool CompareCommands::TintFor(int row, int column, QColor* colour) {
    const int identity = RowIdentity(row);
    if (identity == kUnknownRow) return false;
    const QPalette& pal = window_.View()->palette();
    const QColor base = pal.color(QPalette::Base);
    if (identity <= kRemovedBase) {
        *colour = Blend(base, pal.color(QPalette::Mid), kGreyPercent);
        return true;
    }
    const bool changeCell = window_.Table().Data().Column(column).origin == kChangeOrigin &&
                            diff_.Status(identity) != RowChange::None;
    if (!changeCell && !MarkFor(row, column)) return false;
    const QColor highlight = pal.color(QPalette::Highlight);
    const int hue = highlight.hslHue() < 0 ? kHueWhenGrey : (highlight.hslHue() + kHueTurn) % 360;
    *colour = Blend(base, QColor::fromHsl(hue, std::max(highlight.hslSaturation(), 128), highlight.lightness()),
                    kTintPercent);
    return true;
}

bool CompareCommands::MarkFor(int row, int column) {
    const int identity = RowIdentity(row);
    const int place = ComparedPlace(column);
    return identity >= 0 && place >= 0 && diff_.CellChanged(identity, place);
}

QString CompareCommands::TipFor(int row, int column) {
    const int identity = RowIdentity(row);
    if (identity <= kRemovedBase)
        return QStringLiteral("Only in the other game (") + QDir::toNativeSeparators(otherGame_) +
               QStringLiteral("): not in this game's files");
    if (!MarkFor(row, column)) return {};
    const std::string_view other = diff_.OtherCell(identity, ComparedPlace(column));
    QString tip = QStringLiteral("Other game: ") + (other.empty() ? QStringLiteral("(empty)") : BytesToBoxText(other));
    if (tipStyle_ != TipStyle::Value) {
        const std::string_view mine = window_.Table().Data().Cell(row, column);
        tip += QStringLiteral(", here ") +
               BytesToBoxText(ChangeText(other, mine,
                                         tipStyle_ == TipStyle::Percent ? ChangeStyle::Percent : ChangeStyle::Difference));
    }
    return tip;
}

bool CompareCommands::ExportChangelog() {
    if (!decorated_) {
        Say("Compare with another game first: Game > Compare With Game Folder...");
        return false;
    }
    // The changelog speaks of this game's rows as they are now (order, filter,
    // columns shown): a copy without the Change column and the other game's rows.
    const TableData& data = window_.Table().Data();
    TableListCtrl mine;
    TableData& copy = mine.Data();
    std::vector<int> kept;
    for (int c = 0; c < data.ColumnCount(); ++c) {
        if (data.Column(c).origin == kChangeOrigin) continue;
        const int at = copy.InsertColumn(copy.ColumnCount(), data.Column(c).heading, data.Column(c).align,
                                         data.ColumnWidth(c));
        copy.SetColumnOrigin(at, data.Column(c).origin);
        kept.push_back(c);
    }
    for (int r = 0; r < data.RowCount(); ++r) {
        if (IsOtherGameRow(r)) continue;
        const int row = copy.AppendRow({});
        if (row < 0) break;
        for (std::size_t k = 0; k < kept.size(); ++k) copy.SetCell(row, static_cast<int>(k), data.Cell(r, kept[k]));
        copy.SetHidden(row, data.IsHidden(r));
    }
    TableComparison changes;
    std::string error;
    const int headerText = copy.ColumnOfOrigin(window_.TableLoader().State().headerTextColumn);
    if (!changes.Compare(SideOf(mine, headerText), SideOf(*other_, otherHeaderText_), options_, &error)) {
        window_.ShowMessage(error);
        return false;
    }
    std::vector<int> shown;  // collapsed columns are left out, as an export leaves them
    for (int c = 0; c < copy.ColumnCount(); ++c)
        if (copy.ColumnWidth(c) > TableListCtrl::kCollapsedLimit) shown.push_back(c);
    const std::vector<std::size_t> columns = OutputColumns(changes, shown, false);

    const QString suggested =
        QDir::current().absoluteFilePath(QFile::decodeName(QByteArray::fromStdString(
            fs::path(window_.LoadedConfiguration()).stem().string() + " changes.md")));
    const QString target = askChangelogFile ? askChangelogFile(suggested)
                                            : QFileDialog::getSaveFileName(&window_.Widget(),
                                                                           QStringLiteral("Export Changelog"), suggested,
                                                                           QStringLiteral("Markdown (*.md)"));
    if (target.isEmpty()) return false;
    const platform::SaveResult saved = platform::SaveFile(ToPath(target), [&](std::FILE* out) {
        bool ok = true;
        WriteChangelog(changes, columns, [&](std::string_view piece) {
            ok = ok && std::fwrite(piece.data(), 1, piece.size(), out) == piece.size();
        });
        return ok && std::fflush(out) == 0 && !std::ferror(out);
    });
    if (!saved.ok) {
        window_.ShowMessage("Unable to Create File " + ToPath(target).string() + " (" + saved.error +
                            "); nothing was changed.");
        return false;
    }
    Say("Wrote the changelog to " + saved.path);
    return true;
}

}  // namespace lorvex
