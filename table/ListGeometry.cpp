#include "table/ListGeometry.h"

namespace lorvex {

void RowLines::Sync() const {
    if (!dirty_) return;
    dirty_ = false;
    lines_.clear();
    if (data_.HiddenCount() == 0) return;
    lines_.reserve(static_cast<std::size_t>(data_.ShownCount()));
    for (int r = data_.NextRow(-1, false, true); r >= 0; r = data_.NextRow(r, false, true)) lines_.push_back(r);
}

int RowLines::Count() const {
    Sync();
    return data_.HiddenCount() == 0 ? data_.RowCount() : static_cast<int>(lines_.size());
}

int RowLines::RowAt(int line) const {
    if (line < 0 || line >= Count()) return -1;
    return data_.HiddenCount() == 0 ? line : lines_[static_cast<std::size_t>(line)];
}

int RowLines::LineOf(int row) const {
    if (row < 0 || row >= data_.RowCount() || data_.IsHidden(row)) return -1;
    if (data_.HiddenCount() == 0) return row;
    Sync();
    const auto it = std::lower_bound(lines_.begin(), lines_.end(), row);
    return it != lines_.end() && *it == row ? static_cast<int>(it - lines_.begin()) : -1;
}

int LineScroll::FirstShowing(int line) const {
    if (line < first) return line;
    if (line >= first + PageLines()) return line - PageLines() + 1;
    return first;
}

int ColumnAtX(const TableData& data, int left, int x) {
    for (int c = 0; c < data.ColumnCount(); ++c) {
        const int right = left + data.ColumnWidth(c);
        if (x >= left && x < right) return c;
        left = right;
    }
    return -1;
}

int RowWidth(const TableData& data) {
    int total = 0;
    for (int c = 0; c < data.ColumnCount(); ++c) total += data.ColumnWidth(c);
    return total;
}

XSpan HighlightSpan(int mode, XSpan label, int rowRight, int textWidth, int viewRight) {
    switch (mode) {
        case 0: return {label.left, std::min(label.right, label.left + textWidth)};
        case 1: return {label.left, rowRight};
        case 2: return {label.left, std::max(viewRight, label.left)};
        default: return label;
    }
}

}  // namespace lorvex
