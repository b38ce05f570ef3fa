#include "table/TableData.h"

#include <algorithm>

namespace lorvex {

template <typename Call>
static void TellObservers(TableObserver* first, const std::vector<TableObserver*>& extra, Call call) {
    if (first) call(first);
    // An observer may remove itself while told (a closing chart): walk a copy.
    const std::vector<TableObserver*> others = extra;
    for (TableObserver* o : others) call(o);
}

void TableData::RowsChanged() {
    if (!observer_ && extraObservers_.empty()) return;
    if (!notify_) {
        pendingRows_ = true;
        return;
    }
    TellObservers(observer_, extraObservers_, [](TableObserver* o) { o->TableRowsChanged(); });
}

void TableData::ColumnsChanged() {
    if (!observer_ && extraObservers_.empty()) return;
    if (!notify_) {
        pendingColumns_ = true;
        return;
    }
    TellObservers(observer_, extraObservers_, [](TableObserver* o) { o->TableColumnsChanged(); });
}

void TableData::SetNotify(bool on) {
    notify_ = on;
    if (!on) return;
    const bool columns = pendingColumns_, rows = pendingRows_;
    pendingRows_ = pendingColumns_ = false;
    if (columns) TellObservers(observer_, extraObservers_, [](TableObserver* o) { o->TableColumnsChanged(); });
    if (rows) TellObservers(observer_, extraObservers_, [](TableObserver* o) { o->TableRowsChanged(); });
}

void TableData::AddObserver(TableObserver* observer) {
    if (observer && std::find(extraObservers_.begin(), extraObservers_.end(), observer) == extraObservers_.end())
        extraObservers_.push_back(observer);
}

void TableData::RemoveObserver(TableObserver* observer) {
    extraObservers_.erase(std::remove(extraObservers_.begin(), extraObservers_.end(), observer), extraObservers_.end());
}

int TableData::InsertColumn(int index, std::string_view heading, Align align, int width) {
    const int count = ColumnCount();
    if (index < 0 || index > count) index = count;
    columns_.insert(columns_.begin() + index, TableColumn{std::string(heading), align, width < 0 ? 0 : width, index});
    if (index < count) {
        for (Row& r : rows_)
            if (static_cast<int>(r.cells.size()) > index) r.cells.insert(r.cells.begin() + index, StringPool::kEmpty);
    }
    ColumnsChanged();
    return index;
}

int TableData::ColumnOfOrigin(int origin) const {
    // Nearly always where it was inserted: look there first.
    if (origin >= 0 && origin < ColumnCount() && columns_[origin].origin == origin) return origin;
    for (int c = 0; c < ColumnCount(); ++c)
        if (columns_[c].origin == origin) return c;
    return -1;
}

bool TableData::SetColumnOrigin(int index, int origin) {
    if (index < 0 || index >= ColumnCount()) return false;
    columns_[index].origin = origin;
    return true;
}

bool TableData::DeleteColumn(int index) {
    if (index < 0 || index >= ColumnCount()) return false;
    columns_.erase(columns_.begin() + index);
    for (Row& r : rows_)
        if (static_cast<int>(r.cells.size()) > index) r.cells.erase(r.cells.begin() + index);
    ColumnsChanged();
    return true;
}

bool TableData::SetColumnWidth(int index, int width) {
    if (index < 0 || index >= ColumnCount()) return false;
    columns_[index].width = width < 0 ? 0 : width;
    ColumnsChanged();
    return true;
}

int TableData::ColumnWidth(int index) const {
    if (index < 0 || index >= ColumnCount()) return 0;
    return columns_[index].width;
}

bool TableData::SetColumnHeading(int index, std::string_view heading) {
    if (index < 0 || index >= ColumnCount()) return false;
    columns_[index].heading.assign(heading);
    ColumnsChanged();
    return true;
}

bool TableData::SetColumnAlign(int index, Align align) {
    if (index < 0 || index >= ColumnCount()) return false;
    columns_[index].align = align;
    ColumnsChanged();
    return true;
}

bool TableData::MoveColumnTo(int from, int to) {
    const int count = ColumnCount();
    if (from < 0 || from >= count || to < 0 || to >= count) return false;
    if (from == to) return true;
    auto rotate = [from, to](auto& v) {
        if (from < to)
            std::rotate(v.begin() + from, v.begin() + from + 1, v.begin() + to + 1);
        else
            std::rotate(v.begin() + to, v.begin() + from, v.begin() + from + 1);
    };
    rotate(columns_);
    const std::size_t needed = static_cast<std::size_t>(std::max(from, to)) + 1;
    for (Row& r : rows_) {
        if (r.cells.size() <= static_cast<std::size_t>(std::min(from, to))) continue;  // nothing to move
        if (r.cells.size() < needed) r.cells.resize(needed, StringPool::kEmpty);
        rotate(r.cells);
    }
    ColumnsChanged();
    RowsChanged();
    return true;
}

int TableData::InsertRow(int position, std::string_view firstCell) {
    if (RowCount() >= kMaxRows) return -1;
    const int count = RowCount();
    if (position < 0 || position > count) position = count;
    Row row;
    row.cells.reserve(columns_.empty() ? 1 : columns_.size());
    row.cells.push_back(pool_.Intern(firstCell));
    rows_.insert(rows_.begin() + position, std::move(row));
    if (focusedRow_ >= position) ++focusedRow_;
    RowsChanged();
    return position;
}

bool TableData::DeleteRow(int row) {
    if (row < 0 || row >= RowCount()) return false;
    if (rows_[row].selected) --selectedCount_;
    if (rows_[row].hidden) --hiddenCount_;
    rows_.erase(rows_.begin() + row);
    if (focusedRow_ == row)
        focusedRow_ = -1;
    else if (focusedRow_ > row)
        --focusedRow_;
    RowsChanged();
    return true;
}

void TableData::DeleteAllRows() {
    rows_.clear();
    rows_.shrink_to_fit();
    pool_.Clear();  // no row refers to a text any more
    selectedCount_ = 0;
    hiddenCount_ = 0;
    focusedRow_ = -1;
    RowsChanged();
}

bool TableData::SetCell(int row, int column, std::string_view text) {
    if (row < 0 || row >= RowCount() || column < 0 || column >= ColumnCount()) return false;
    auto& cells = rows_[row].cells;
    if (static_cast<std::size_t>(column) >= cells.size()) {
        if (text.empty()) return true;
        cells.resize(static_cast<std::size_t>(column) + 1, StringPool::kEmpty);
    }
    cells[column] = pool_.Intern(text);
    RowsChanged();
    return true;
}

std::string_view TableData::Cell(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0) return {};
    const auto& cells = rows_[row].cells;
    if (static_cast<std::size_t>(column) >= cells.size()) return {};
    return pool_.Text(cells[column]);
}

StringPool::Id TableData::CellId(int row, int column) const {
    if (row < 0 || row >= RowCount() || column < 0) return StringPool::kEmpty;
    const auto& cells = rows_[row].cells;
    if (static_cast<std::size_t>(column) >= cells.size()) return StringPool::kEmpty;
    return cells[column];
}

bool TableData::IsSelected(int row) const { return row >= 0 && row < RowCount() && rows_[row].selected; }

void TableData::SetSelected(int row, bool selected) {
    if (row < 0 || row >= RowCount() || rows_[row].selected == selected) return;
    rows_[row].selected = selected;
    selectedCount_ += selected ? 1 : -1;
    RowsChanged();
}

void TableData::SelectAll(bool selected) {
    for (Row& r : rows_) r.selected = selected;
    selectedCount_ = selected ? RowCount() : 0;
    RowsChanged();
}

int TableData::NextRow(int after, bool selectedOnly, bool shownOnly) const {
    for (int r = after < -1 ? 0 : after + 1; r < RowCount(); ++r)
        if ((!selectedOnly || rows_[r].selected) && (!shownOnly || !rows_[r].hidden)) return r;
    return -1;
}

bool TableData::IsHidden(int row) const { return row >= 0 && row < RowCount() && rows_[row].hidden; }

void TableData::SetHidden(int row, bool hidden) {
    if (row < 0 || row >= RowCount() || rows_[row].hidden == hidden) return;
    rows_[row].hidden = hidden;
    hiddenCount_ += hidden ? 1 : -1;
    RowsChanged();
}

void TableData::ShowAllRows() {
    if (hiddenCount_ == 0) return;
    for (Row& r : rows_) r.hidden = false;
    hiddenCount_ = 0;
    RowsChanged();
}

void TableData::SetFocusedRow(int row) {
    focusedRow_ = (row >= 0 && row < RowCount()) ? row : -1;
    RowsChanged();
}

void TableData::PermuteRows(const std::vector<int>& order) {
    if (order.size() != rows_.size()) return;
    // A repeated or out-of-range index would lose a row or read past the
    // table: refuse anything that is not a permutation.
    std::vector<char> seen(order.size(), 0);
    for (int from : order) {
        if (from < 0 || static_cast<std::size_t>(from) >= order.size() || seen[from]) return;
        seen[from] = 1;
    }
    std::vector<Row> sorted;
    sorted.reserve(rows_.size());
    int newFocus = -1;
    for (std::size_t i = 0; i < order.size(); ++i) {
        sorted.push_back(std::move(rows_[order[i]]));
        if (order[i] == focusedRow_) newFocus = static_cast<int>(i);
    }
    rows_.swap(sorted);
    focusedRow_ = newFocus;
    RowsChanged();
}

std::size_t TableData::MemoryUsed() const {
    std::size_t bytes = pool_.MemoryUsed() + rows_.capacity() * sizeof(Row);
    for (const Row& r : rows_) bytes += r.cells.capacity() * sizeof(StringPool::Id);
    return bytes;
}

}  // namespace lorvex
