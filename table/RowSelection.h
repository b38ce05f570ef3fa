#pragma once
// How clicks and keys highlight rows and move the focused row, as a list view
// does: a plain click highlights one row, Ctrl+click turns one row over and
// Shift+click highlights the lines from the anchor (the row of the last plain
// or Ctrl click) to the clicked row; the keys walk the shown lines the same
// way. A hidden row between the two ends keeps what it had. Free of any
// window toolkit: the view says which row a click hit and which key came.
#include "table/ListGeometry.h"
#include "table/TableData.h"

namespace lorvex {

// The keys that move the focused row along the lines.
enum class RowKey { Up, Down, PageUp, PageDown, Home, End };

class RowSelection {
public:
    // data and lines must outlive the selection.
    RowSelection(TableData& data, const RowLines& lines) : data_(data), lines_(lines) {}

    // A left click on row, -1 below the last line (which takes the highlight
    // away unless Ctrl or Shift is down). True when it hit a row, which is
    // then the focused row.
    bool Click(int row, bool ctrl, bool shift);
    // Moves the focus by key, a page being `page` lines; from no focused line
    // the moves start at the first. Shift highlights from the anchor to the
    // new row, Ctrl moves the focus alone. The row focused, -1 with no line.
    int Move(RowKey key, int page, bool ctrl, bool shift);
    // Space: highlights the focused row, or with Ctrl turns it over.
    void Space(bool ctrl);
    // A menu asked for on row: it becomes the focused row and, unless it was
    // highlighted, the only highlighted one, so the menu acts on what shows.
    void MenuOn(int row);
    // Ctrl+A: every shown row; with none hidden, every row.
    void HighlightShown();
    // After rows went: an anchor past the last row is forgotten.
    void DropLostAnchor();

    int Anchor() const { return anchor_; }

private:
    void SelectOnly(int row);
    void SelectRange(int from, int to, bool keepOthers);
    // Shift's start: the anchor, else the focused row, else `row` itself.
    int AnchorOr(int row);

    TableData& data_;
    const RowLines& lines_;
    int anchor_ = -1;
};

}  // namespace lorvex
