#pragma once
// Where the table's rows and columns fall in its view: the lines (the shown
// rows in order, one line each, so that rows a filter hides take no line),
// a view that scrolls by whole lines, the columns along x and the part of a
// row its highlight covers. Free of any window toolkit: the view passes its
// pixel sizes in.
#include <algorithm>
#include <vector>

#include "table/TableData.h"

namespace lorvex {

class RowLines {
public:
    // data must outlive the lines.
    explicit RowLines(const TableData& data) : data_(data) {}

    // Rows were hidden, shown, added, removed or moved: the lines are found
    // again when next asked for. The table's observer says so.
    void Invalidate() { dirty_ = true; }

    int Count() const;
    // The row at a line (-1 past the end), and a row's line (-1 when hidden or no row).
    int RowAt(int line) const;
    int LineOf(int row) const;

private:
    void Sync() const;

    const TableData& data_;
    // The shown rows in order, kept only while some row is hidden: a table
    // without a filter maps each line to its own row.
    mutable std::vector<int> lines_;
    mutable bool dirty_ = true;
};

// A view of lines of one height, `first` the line at its top.
struct LineScroll {
    int first = 0;
    int lineHeight = 1;  // above 0
    int height = 0;      // the view's, in pixels

    // The lines that fit whole, at least one.
    int PageLines() const { return std::max(1, height / lineHeight); }
    // The line at y (-1 above the view); past the last line when y is below it.
    int LineAtY(int y) const { return y < 0 ? -1 : first + y / lineHeight; }
    int TopOf(int line) const { return (line - first) * lineHeight; }
    // The top line that shows `line` whole, scrolling as little as can be.
    int FirstShowing(int line) const;
    // The last top line for `count` lines: the last page shows full.
    int LastFirst(int count) const { return std::max(0, count - PageLines()); }
};

// A horizontal span [left, right) in view pixels.
struct XSpan {
    int left = 0, right = 0;
    bool operator==(const XSpan&) const = default;
};

// The columns side by side from x = left: the one under x, or -1.
int ColumnAtX(const TableData& data, int left, int x);
int RowWidth(const TableData& data);  // every column's width

// The part of a row the highlight covers, by the control's highlight mode:
// 0 the first cell's text and its margin (textWidth), inside the first
// column; 1 the whole row, to rowRight; 2 out to the view's right edge,
// however narrow the columns; any other mode the first column. label is the
// first column's span.
XSpan HighlightSpan(int mode, XSpan label, int rowRight, int textWidth, int viewRight);

}  // namespace lorvex
