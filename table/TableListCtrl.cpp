#include "table/TableListCtrl.h"

#include <algorithm>

#include "table/RowCompare.h"

namespace lorvex {
namespace {

// Without a kind (before the first load, or after SetColumnKinds refused a
// list) a column sorts as plain text with case folded and no empty-cell rule.
constexpr std::uint8_t kKindWithoutKinds = ColumnKind::Of(Comparison::Folded).Byte();

}  // namespace

TableListCtrl::TableListCtrl() {
    header_.SetMoveHandler([this](int from, int to) { MoveColumn(from, to); });
}

int TableListCtrl::SetRowHighlightMode(int mode) {
    const int previous = highlightMode_;
    if (mode < 0 || mode > 2) return previous;
    highlightMode_ = mode;
    data_.NotifyRowsChanged();
    return previous;
}

bool TableListCtrl::EnableColumnDrag(bool enable) { return header_.EnableDrag(enable); }

bool TableListCtrl::EnableClickSort(bool enable) {
    const bool previous = clickSortEnabled_;
    clickSortEnabled_ = enable;
    return previous;
}

bool TableListCtrl::SetColumnKinds(const std::uint8_t* kinds, std::uint32_t count) {
    columnKinds_.clear();
    if (count != 0 && kinds == nullptr) return false;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!ColumnKind::FromByte(kinds[i]).Valid()) {
            columnKinds_.clear();
            return false;
        }
    }
    columnKinds_.assign(kinds, kinds + count);
    return true;
}

std::string TableListCtrl::ColumnHeading(int column) const {
    if (column < 0 || column >= data_.ColumnCount()) return {};
    return data_.Column(column).heading.substr(0, kMaxHeadingRead);
}

void TableListCtrl::SortBy(int column, bool descending) {
    if (column < 0 || column >= data_.ColumnCount()) return;
    sortColumn_ = column;
    sortAscending_ = descending ? 0 : 1;
    if (data_.RowCount() < 2) {
        data_.NotifyRowsChanged();  // nothing moves, but the header's arrow does
        return;
    }
    const std::uint8_t kind =
        static_cast<std::size_t>(column) < columnKinds_.size() ? columnKinds_[column] : kKindWithoutKinds;
    NotifyHold hold(data_);
    data_.PermuteRows(SortRowOrder(data_, column, kind, !descending));
}

void TableListCtrl::ColumnInserted(int at) {
    if (at >= 0 && sortColumn_ >= at) ++sortColumn_;
}

void TableListCtrl::ColumnDeleted(int at) {
    if (at < 0 || sortColumn_ < at) return;
    sortColumn_ = sortColumn_ == at ? -1 : sortColumn_ - 1;
}

void TableListCtrl::HeadingClick(int column, int button, bool ctrlDown) {
    if (button != 0 || !clickSortEnabled_) return;
    if (column < 0 || column >= data_.ColumnCount()) return;  // the header reports only its own items
    // The same heading again turns the direction; another one starts ascending.
    const bool descending = column == sortColumn_ && sortAscending_;
    NotifyHold hold(data_);  // the sort and the duplicates' highlight tell the views once
    SortBy(column, descending);

    if (!ctrlDown || data_.RowCount() < 2) return;
    // Duplicates by comparison 1 whatever the column's kind: every row whose
    // text equals a neighbour's is highlighted, and no other row. While a
    // filter hides rows, the neighbours are the shown rows.
    data_.SelectAll(false);
    const StringPool& pool = data_.Pool();
    int before = data_.NextRow(-1, false, true);
    for (int r = data_.NextRow(before, false, true); before >= 0 && r >= 0;
         before = r, r = data_.NextRow(r, false, true)) {
        const StringPool::Id current = data_.CellId(r, column), previous = data_.CellId(before, column);
        if (current == previous || CompareFolded(pool.Text(current), pool.Text(previous)) == 0) {
            data_.SetSelected(before, true);
            data_.SetSelected(r, true);
        }
    }
}

void TableListCtrl::MoveColumn(int from, int to) {
    const int count = data_.ColumnCount();
    if (from < 0 || from >= count || to < 0 || to > count) return;
    if (to == from || to == from + 1) return;
    const int target = to < from ? to : to - 1;

    // The kind travels with its column, but only when there is a kind for
    // every index the move touches; otherwise the kinds stay as they are.
    if (static_cast<std::size_t>(std::max(from, target)) < columnKinds_.size()) {
        auto first = columnKinds_.begin();
        if (from < target)
            std::rotate(first + from, first + from + 1, first + target + 1);
        else
            std::rotate(first + target, first + from, first + from + 1);
    }

    NotifyHold hold(data_);
    const std::string heading = data_.Column(from).heading;
    data_.MoveColumnTo(from, target);
    // A moved heading is carried over in a buffer of 159 characters.
    if (heading.size() > kMaxMovedHeading)
        data_.SetColumnHeading(target, std::string_view(heading).substr(0, kMaxMovedHeading));
}

void TableListCtrl::AutoSizeColumns(int column, int limit) {
    const int count = data_.ColumnCount();
    int first = 0, last = count - 1;
    if (column >= 0) {
        if (column >= count) return;
        first = last = column;
    }
    std::vector<int> targets;
    for (int c = first; c <= last; ++c)
        if (data_.ColumnWidth(c) < limit) targets.push_back(c);
    if (targets.empty()) return;

    NotifyHold hold(data_);
    std::vector<int> fitted(targets.size(), 0);
    if (measure_) {
        // The widget draws a cell's text inside a margin m (twice a space) on
        // both sides, and a heading the same way.
        const int margin = 2 * 2 * measure_->SpaceWidth();
        const int rows = data_.RowCount();
        const StringPool& pool = data_.Pool();
        // Equal texts share an id, so each distinct text is measured once —
        // unless the pool holds far more texts than we visit.
        const std::size_t visits = static_cast<std::size_t>(rows) * targets.size();
        std::vector<int> widthById;
        if (pool.Count() <= 4 * visits + 1024) widthById.assign(pool.Count(), -1);
        std::vector<int> widest(targets.size(), 0);
        for (int r = 0; r < rows; ++r) {
            for (std::size_t j = 0; j < targets.size(); ++j) {
                const StringPool::Id id = data_.CellId(r, targets[j]);
                if (id == StringPool::kEmpty) continue;
                int w;
                if (!widthById.empty()) {
                    w = widthById[id];
                    if (w < 0) w = widthById[id] = measure_->CellTextWidth(pool.Text(id));
                } else {
                    w = measure_->CellTextWidth(pool.Text(id));
                }
                if (w > widest[j]) widest[j] = w;
            }
        }
        for (std::size_t j = 0; j < targets.size(); ++j) {
            const int heading = measure_->HeadingTextWidth(data_.Column(targets[j]).heading);
            fitted[j] = std::max(widest[j], heading) + margin;
        }
    }
    for (std::size_t j = 0; j < targets.size(); ++j)
        data_.SetColumnWidth(targets[j], std::max(fitted[j] + kFitSlack, kMinFittedWidth));
}

void TableListCtrl::CollapseOrExpand(int column) {
    if (column < 0 || column >= data_.ColumnCount()) return;
    if (data_.ColumnWidth(column) > kCollapsedLimit)
        data_.SetColumnWidth(column, kCollapsedWidth);
    else
        AutoSizeColumns(column, 9999);
}

}  // namespace lorvex
