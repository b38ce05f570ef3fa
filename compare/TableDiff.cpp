#include "compare/TableDiff.h"

#include <algorithm>
#include <cmath>

#include "platform/AsciiText.h"
#include "platform/NumberFormat.h"
#include "table/filter/RowFilter.h"

namespace lorvex {

namespace {

// A difference is shown with the places its texts were written with, no more.
constexpr int kMaxDifferencePlaces = 6;
constexpr int kPercentPlaces = 1;
constexpr double kPercent = 100.0;

int PlacesOf(std::string_view number) {
    const std::size_t point = number.find('.');
    if (point == std::string_view::npos) return 0;
    int places = 0;
    for (std::size_t i = point + 1; i < number.size() && number[i] >= '0' && number[i] <= '9'; ++i) ++places;
    return std::min(places, kMaxDifferencePlaces);
}

std::string Signed(double value, int places) {
    std::string text;
    platform::FormatFixed(text, places, value);
    platform::TrimNumber(text);
    if (value > 0) text.insert(text.begin(), '+');
    return text;
}

}  // namespace

std::string_view ChangeWord(RowChange change) {
    switch (change) {
        case RowChange::Changed: return "changed";
        case RowChange::Added: return "added";
        case RowChange::Removed: return "removed";
        case RowChange::None: break;
    }
    return {};
}

bool SameCell(std::string_view a, std::string_view b) {
    if (a == b) return true;
    double x = 0.0, y = 0.0;
    return ReadFilterNumber(a, &x) && ReadFilterNumber(b, &y) && x == y;
}

std::string CountsText(const ChangeCounts& counts) {
    return ",   " + std::to_string(counts.changed) + " changed, " + std::to_string(counts.added) + " added, " +
           std::to_string(counts.removed) + " removed";
}

std::string ChangeText(std::string_view before, std::string_view after, ChangeStyle style) {
    double x = 0.0, y = 0.0;
    if (!ReadFilterNumber(before, &x) || !ReadFilterNumber(after, &y)) return std::string(after);
    if (style == ChangeStyle::Percent) {
        if (x == 0.0) return std::string(after);
        return Signed((y - x) / std::fabs(x) * kPercent, kPercentPlaces) + "%";
    }
    return std::string(after) + " (" + Signed(y - x, std::max(PlacesOf(before), PlacesOf(after))) + ")";
}

bool TableComparison::Compare(const CompareSide& mine, const CompareSide& other, const MatchOptions& options,
                              std::string* error) {
    mine_ = mine;
    other_ = other;
    if (!MatchRows(mine, other, options, match_, error)) return false;
    const TableData& a = *mine.data;
    const TableData& b = *other.data;

    columns_.clear();
    comparedOfMine_.assign(static_cast<std::size_t>(a.ColumnCount()), -1);
    std::vector<bool> otherTaken(static_cast<std::size_t>(b.ColumnCount()), false);
    const auto whereOnly = [](const CompareSide& side, int c) {
        return c == side.locationColumn || c == side.lineColumn;
    };
    for (int c = 0; c < a.ColumnCount(); ++c) {
        ComparedColumn column{a.Column(c).heading, c, -1, !whereOnly(mine, c)};
        for (int o = 0; o < b.ColumnCount(); ++o) {
            if (otherTaken[o] || !platform::EqualsFolded(b.Column(o).heading, column.heading)) continue;
            column.other = o;
            otherTaken[o] = true;
            break;
        }
        comparedOfMine_[c] = static_cast<int>(columns_.size());
        columns_.push_back(std::move(column));
    }
    for (int o = 0; o < b.ColumnCount(); ++o)
        if (!otherTaken[o]) columns_.push_back({b.Column(o).heading, -1, o, !whereOnly(other, o)});

    const std::size_t width = columns_.size();
    const int rows = a.RowCount();
    status_.assign(static_cast<std::size_t>(rows), RowChange::None);
    changed_.assign(static_cast<std::size_t>(rows) * width, 0);
    counts_ = {};
    for (int r = 0; r < rows; ++r) {
        const int o = match_.otherOfMine[r];
        if (o < 0) {
            status_[r] = RowChange::Added;
            ++counts_.added;
            continue;
        }
        bool any = false;
        for (std::size_t k = 0; k < width; ++k) {
            const ComparedColumn& column = columns_[k];
            if (!column.compared) continue;
            const std::string_view x = column.mine >= 0 ? a.Cell(r, column.mine) : std::string_view();
            const std::string_view y = column.other >= 0 ? b.Cell(o, column.other) : std::string_view();
            if (SameCell(x, y)) continue;
            changed_[static_cast<std::size_t>(r) * width + k] = 1;
            any = true;
        }
        if (any) {
            status_[r] = RowChange::Changed;
            ++counts_.changed;
        }
    }
    removed_.clear();
    for (int o = 0; o < b.RowCount(); ++o)
        if (match_.mineOfOther[o] < 0) removed_.push_back(o);
    counts_.removed = static_cast<int>(removed_.size());
    return true;
}

int TableComparison::ColumnOfMine(int column) const {
    return column >= 0 && column < static_cast<int>(comparedOfMine_.size()) ? comparedOfMine_[column] : -1;
}

RowChange TableComparison::Status(int row) const {
    return row >= 0 && row < static_cast<int>(status_.size()) ? status_[row] : RowChange::None;
}

int TableComparison::OtherRow(int row) const {
    return row >= 0 && row < static_cast<int>(match_.otherOfMine.size()) ? match_.otherOfMine[row] : -1;
}

bool TableComparison::ChangedAt(int row, std::size_t compared) const {
    if (row < 0 || row >= static_cast<int>(status_.size()) || compared >= columns_.size()) return false;
    return changed_[static_cast<std::size_t>(row) * columns_.size() + compared] != 0;
}

bool TableComparison::CellChanged(int row, int column) const {
    const int k = ColumnOfMine(column);
    return k >= 0 && ChangedAt(row, static_cast<std::size_t>(k));
}

std::string_view TableComparison::MineAt(int row, std::size_t compared) const {
    if (compared >= columns_.size() || columns_[compared].mine < 0) return {};
    return mine_.data->Cell(row, columns_[compared].mine);
}

std::string_view TableComparison::OtherAt(int otherRow, std::size_t compared) const {
    if (otherRow < 0 || compared >= columns_.size() || columns_[compared].other < 0) return {};
    return other_.data->Cell(otherRow, columns_[compared].other);
}

std::string_view TableComparison::OtherCell(int row, int column) const {
    const int k = ColumnOfMine(column);
    return k < 0 ? std::string_view() : OtherAt(OtherRow(row), static_cast<std::size_t>(k));
}

std::string_view TableComparison::RemovedCell(std::size_t removed, int column) const {
    const int k = ColumnOfMine(column);
    if (removed >= removed_.size() || k < 0) return {};
    return OtherAt(removed_[removed], static_cast<std::size_t>(k));
}

}  // namespace lorvex
