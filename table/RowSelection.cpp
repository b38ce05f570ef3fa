#include "table/RowSelection.h"

#include <algorithm>

namespace lorvex {

void RowSelection::SelectOnly(int row) {
    NotifyHold hold(data_);
    data_.SelectAll(false);
    data_.SetSelected(row, true);
}

void RowSelection::SelectRange(int from, int to, bool keepOthers) {
    NotifyHold hold(data_);
    if (!keepOthers) data_.SelectAll(false);
    from = lines_.LineOf(from);
    to = lines_.LineOf(to);
    if (from < 0 || to < 0) return;
    if (from > to) std::swap(from, to);
    for (int line = from; line <= to; ++line) data_.SetSelected(lines_.RowAt(line), true);
}

int RowSelection::AnchorOr(int row) {
    if (anchor_ < 0) anchor_ = data_.FocusedRow() >= 0 ? data_.FocusedRow() : row;
    return anchor_;
}

bool RowSelection::Click(int row, bool ctrl, bool shift) {
    if (row < 0) {
        if (!ctrl && !shift) data_.SelectAll(false);
        return false;
    }
    NotifyHold hold(data_);
    if (shift) {
        SelectRange(AnchorOr(row), row, ctrl);
    } else if (ctrl) {
        data_.SetSelected(row, !data_.IsSelected(row));
        anchor_ = row;
    } else {
        SelectOnly(row);
        anchor_ = row;
    }
    data_.SetFocusedRow(row);
    return true;
}

int RowSelection::Move(RowKey key, int page, bool ctrl, bool shift) {
    const int count = lines_.Count();
    if (count == 0) return -1;
    const int focus = lines_.LineOf(data_.FocusedRow());
    int line = 0;
    switch (key) {
        case RowKey::Up: line = focus < 0 ? 0 : focus - 1; break;
        case RowKey::Down: line = focus < 0 ? 0 : focus + 1; break;
        case RowKey::PageUp: line = focus < 0 ? 0 : focus - page; break;
        case RowKey::PageDown: line = focus < 0 ? 0 : focus + page; break;
        case RowKey::Home: line = 0; break;
        case RowKey::End: line = count - 1; break;
    }
    const int row = lines_.RowAt(std::clamp(line, 0, count - 1));
    NotifyHold hold(data_);
    if (shift) {
        SelectRange(AnchorOr(row), row, false);
    } else if (!ctrl) {
        SelectOnly(row);
        anchor_ = row;
    }
    data_.SetFocusedRow(row);
    return row;
}

void RowSelection::Space(bool ctrl) {
    const int row = data_.FocusedRow();
    if (lines_.LineOf(row) < 0) return;
    data_.SetSelected(row, ctrl ? !data_.IsSelected(row) : true);
    anchor_ = row;
}

void RowSelection::MenuOn(int row) {
    if (row < 0) return;
    NotifyHold hold(data_);
    if (!data_.IsSelected(row)) SelectOnly(row);
    data_.SetFocusedRow(row);
    anchor_ = row;
}

void RowSelection::HighlightShown() {
    if (data_.HiddenCount() == 0) {
        data_.SelectAll(true);
        return;
    }
    NotifyHold hold(data_);
    for (int r = data_.NextRow(-1, false, true); r >= 0; r = data_.NextRow(r, false, true)) data_.SetSelected(r, true);
}

void RowSelection::DropLostAnchor() {
    if (anchor_ >= data_.RowCount()) anchor_ = -1;
}

}  // namespace lorvex
