#pragma once
// The table control's behaviour without any window: the rows and columns
// (TableData), the column kinds, the sort state, the highlight mode, column
// moves, collapsing and fitting. The Qt widget draws this and forwards the
// user's clicks and drags to it.
#include <cstdint>
#include <string>
#include <vector>

#include "table/HeaderDragTracker.h"
#include "table/TableData.h"
#include "table/TextMeasure.h"

namespace lorvex {

class TableListCtrl {
public:
    TableListCtrl();
    // The header's move handler points back at this control.
    TableListCtrl(const TableListCtrl&) = delete;
    TableListCtrl& operator=(const TableListCtrl&) = delete;

    TableData& Data() { return data_; }
    const TableData& Data() const { return data_; }

    // 0 first cell's label, 1 whole row to the end of the last column, 2 to the
    // control's right edge. Above 2 changes nothing. Returns the previous mode.
    int SetRowHighlightMode(int mode);
    int HighlightMode() const { return highlightMode_; }
    bool EnableColumnDrag(bool enable);  // returns the previous setting
    bool ColumnDragEnabled() const { return header_.DragEnabled(); }
    bool EnableClickSort(bool enable);  // returns the previous setting
    bool ClickSortEnabled() const { return clickSortEnabled_; }

    // Replaces the column kinds; false (and no kinds held) when any kind's
    // comparison number (bits 0-4) is above 6.
    bool SetColumnKinds(const std::uint8_t* kinds, std::uint32_t count);
    const std::vector<std::uint8_t>& ColumnKinds() const { return columnKinds_; }

    int ColumnCount() const { return data_.ColumnCount(); }
    // At most 127 characters of the heading.
    std::string ColumnHeading(int column) const;

    // Fits every column of the range (one column, or all for a negative index)
    // that is narrower than limit: fitted width + 5, at least 15.
    void AutoSizeColumns(int column, int limit);
    // Moves column `from` to gap `to` (gap g at the left edge of column g, gap n after the last).
    void MoveColumn(int from, int to);
    // A right click on a heading: wider than 15 collapses to 10, else expands.
    void CollapseOrExpand(int column);

    // Sorts the rows by column (stable), as a click on its heading does;
    // descending as a second click does. The next click on it turns the direction.
    void SortBy(int column, bool descending);
    // A click on heading `column` with mouse button (0 left, 1 right, 2 middle);
    // ctrlDown is the Ctrl key's state at the click.
    void HeadingClick(int column, int button, bool ctrlDown);
    int SortColumn() const { return sortColumn_; }
    bool SortAscending() const { return sortAscending_ != 0; }
    // The sort column is an index: whoever inserts or deletes a column of the
    // data outside a load says so, and the heading's arrow stays on the column
    // it was sorted by (none when that column went).
    void ColumnInserted(int at);
    void ColumnDeleted(int at);

    void SetTextMeasure(TextMeasure* measure) { measure_ = measure; }
    TextMeasure* Measure() const { return measure_; }

    // The heading drag state; EnableColumnDrag switches it, its release calls MoveColumn.
    HeaderDragTracker& Header() { return header_; }
    const HeaderDragTracker& Header() const { return header_; }

    // Widths below or at this count as collapsed; collapsing sets kCollapsedWidth.
    static constexpr int kCollapsedLimit = 15;
    static constexpr int kCollapsedWidth = 10;
    static constexpr int kMinFittedWidth = 15;
    static constexpr int kFitSlack = 5;
    static constexpr std::size_t kMaxHeadingRead = 127;
    static constexpr std::size_t kMaxMovedHeading = 158;

private:
    TableData data_;
    int highlightMode_ = 0;
    bool clickSortEnabled_ = false;
    std::vector<std::uint8_t> columnKinds_;
    int sortColumn_ = -1;
    int sortAscending_ = 1;
    TextMeasure* measure_ = nullptr;
    HeaderDragTracker header_;
};

}  // namespace lorvex
