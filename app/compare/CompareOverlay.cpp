// Laying the comparison over the window's table and taking it off again: the
// Change column, the other game's rows, and what each cell looks like.
#include <QDir>
#include <QPalette>
#include <algorithm>

#include "app/TableWindow.h"
#include "app/compare/CompareCommands.h"
#include "load/LoadRun.h"
#include "platform/ColumnKind.h"
#include "table/TableListCtrl.h"
#include "table/widget/CellText.h"
#include "table/widget/TableListView.h"
#include "ui/DialogText.h"

namespace lorvex {
namespace {

constexpr const char* kChangeHeading = "Change";
constexpr int kUnknownRow = -1;
constexpr int kRemovedBase = -2;
// How much of the change colour a changed cell's background takes, and of the
// palette's mid tone an other game's row takes: readable on light and dark bases.
constexpr int kTintPercent = 35;
constexpr int kGreyPercent = 45;
// Half a turn of hue from the highlight: a change never looks like an edit.
constexpr int kHueTurn = 180;
constexpr int kHueWhenGrey = 40;
constexpr int kMinSaturation = 128;
// The Change column is fitted to its words, never wider than this.
constexpr int kFitLimit = 400;

const std::uint8_t kChangeKind = ColumnKind::Of(Comparison::Folded, false, true).Byte();

QColor Blend(const QColor& base, const QColor& over, int percent) {
    const auto mix = [&](int a, int b) { return (a * (100 - percent) + b * percent) / 100; };
    return QColor(mix(base.red(), over.red()), mix(base.green(), over.green()), mix(base.blue(), over.blue()));
}

std::string RecordKey(const TableData& data, int location, int line, int row, bool removed) {
    return (removed ? "-" : "+") + std::string(data.Cell(row, location)) + '\n' + std::string(data.Cell(row, line));
}

}  // namespace

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
    table.ColumnInserted(0);
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
    if (overlayChanged) overlayChanged();
    rowsStale_ = true;
    FitShownChanges();
    return true;
}

void CompareCommands::FitShownChanges() {
    if (!decorated_ || numberStyle_ == NumberStyle::Value || !window_.View()) return;
    TableData& data = window_.Table().Data();
    const QFontMetrics metrics = window_.View()->fontMetrics();
    const int margins = 2 * window_.View()->CellMargin() + TableListCtrl::kFitSlack;
    NotifyHold hold(data);
    for (int c = 0; c < data.ColumnCount(); ++c) {
        const int place = ComparedPlace(c);
        if (place < 0 || data.ColumnWidth(c) <= TableListCtrl::kCollapsedLimit) continue;  // collapsed stays so
        int widest = 0;
        for (int r = 0; r < data.RowCount(); ++r) {
            const int identity = RowIdentity(r);
            if (identity < 0 || !diff_.CellChanged(identity, place)) continue;
            const QString shown = DecodeCellText(ShownChange(identity, place, data.Cell(r, c)));
            widest = std::max(widest, metrics.horizontalAdvance(shown));
        }
        const int wanted = std::min(widest + margins, kFitLimit);
        if (widest == 0 || data.ColumnWidth(c) >= wanted) continue;
        // The width before the first widening is the one to go back to.
        widened_.try_emplace(data.Column(c).origin, Widened{data.ColumnWidth(c), 0}).first->second.set = wanted;
        data.SetColumnWidth(c, wanted);
    }
}

void CompareCommands::UnfitShownChanges() {
    if (widened_.empty()) return;
    TableData& data = window_.Table().Data();
    NotifyHold hold(data);
    for (const auto& [origin, widened] : widened_) {
        const int c = data.ColumnOfOrigin(origin);
        if (c >= 0 && data.ColumnWidth(c) == widened.set) data.SetColumnWidth(c, widened.before);
    }
    widened_.clear();
}

void CompareCommands::Strip() {
    if (!decorated_) return;
    UnfitShownChanges();
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
    if (overlayChanged) overlayChanged();
    table.ColumnDeleted(change);
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
    const bool changeCell =
        window_.Table().Data().Column(column).origin == kChangeOrigin && diff_.Status(identity) != RowChange::None;
    if (!changeCell && !MarkFor(row, column)) return false;
    const QColor highlight = pal.color(QPalette::Highlight);
    const int hue = highlight.hslHue() < 0 ? kHueWhenGrey : (highlight.hslHue() + kHueTurn) % 360;
    *colour =
        Blend(base, QColor::fromHsl(hue, std::max(highlight.hslSaturation(), kMinSaturation), highlight.lightness()),
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
    // A cell that shows its change no longer shows this game's value: the tip does.
    if (CellLook look; LookFor(row, column, &look))
        tip += QStringLiteral(", this game: ") + BytesToBoxText(window_.Table().Data().Cell(row, column));
    return tip;
}

bool CompareCommands::LookFor(int row, int column, CellLook* look) {
    const int identity = RowIdentity(row);
    if (identity <= kRemovedBase) {
        look->struckOut = true;
        return true;
    }
    if (numberStyle_ == NumberStyle::Value || !MarkFor(row, column)) return false;
    const std::string_view mine = window_.Table().Data().Cell(row, column);
    const std::string shown = ShownChange(identity, ComparedPlace(column), mine);
    if (shown == mine) return false;  // not two numbers: the cell shows itself
    look->shown = DecodeCellText(shown);
    return true;
}

std::string CompareCommands::ShownChange(int identity, int place, std::string_view mine) const {
    return ChangeText(diff_.OtherCell(identity, place), mine,
                      numberStyle_ == NumberStyle::Percent ? ChangeStyle::Percent : ChangeStyle::Difference);
}

}  // namespace lorvex
