#pragma once
// The table's rows, cells, columns and highlight, free of any window toolkit.
// Cells are addressed by column position: inserting, deleting or moving a
// column moves the cells with it. A row is highlighted exactly when it is selected.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "table/StringPool.h"

namespace lorvex {

enum class Align { Left, Right, Center };

struct TableColumn {
    std::string heading;
    Align align = Align::Left;
    int width = 0;
    // Where the column was inserted. A load inserts each column at the end, so
    // this stays the load's number for the column wherever the user moves it.
    int origin = -1;
};

// Told about changes so that a view can repaint; the data works without one.
class TableObserver {
public:
    virtual ~TableObserver() = default;
    virtual void TableRowsChanged() = 0;
    virtual void TableColumnsChanged() = 0;
};

class TableData {
public:
    // Columns. An index past the end appends. Returns the new column's index.
    int InsertColumn(int index, std::string_view heading, Align align, int width);
    bool DeleteColumn(int index);
    int ColumnCount() const { return static_cast<int>(columns_.size()); }
    const TableColumn& Column(int index) const { return columns_[index]; }
    bool SetColumnWidth(int index, int width);
    int ColumnWidth(int index) const;  // 0 for a column that does not exist
    bool SetColumnHeading(int index, std::string_view heading);
    bool SetColumnAlign(int index, Align align);
    // Moves column `from` to position `to` (0 <= to < count) with its cells;
    // the columns in between shift by one place.
    bool MoveColumnTo(int from, int to);
    // The column inserted at origin, wherever it stands now; -1 when none is.
    int ColumnOfOrigin(int origin) const;
    // Gives a column an origin of its own: one no load inserts (a column laid
    // over the loaded ones must not be taken for the load's column it displaced).
    bool SetColumnOrigin(int index, int origin);

    // Rows. Inserting at a position past the end appends; returns the row's
    // index, or -1 when the row is refused (the table is at its row limit).
    int InsertRow(int position, std::string_view firstCell);
    int AppendRow(std::string_view firstCell) { return InsertRow(RowCount(), firstCell); }
    bool DeleteRow(int row);
    void DeleteAllRows();
    int RowCount() const { return static_cast<int>(rows_.size()); }

    // Cells: reading outside the table gives an empty text; writing outside does nothing.
    bool SetCell(int row, int column, std::string_view text);
    std::string_view Cell(int row, int column) const;
    // The interned id of a cell (StringPool::kEmpty outside the table), so that
    // work per distinct text (fitting, sort keys) can be cached by id.
    StringPool::Id CellId(int row, int column) const;
    const StringPool& Pool() const { return pool_; }

    // Highlight (selection) and the focused row.
    bool IsSelected(int row) const;
    void SetSelected(int row, bool selected);
    void SelectAll(bool selected);
    int SelectedCount() const { return selectedCount_; }
    // The next row after `after` (-1 starts before the first), optionally only
    // highlighted ones and only shown ones; -1 when there is none.
    int NextRow(int after, bool selectedOnly, bool shownOnly = false) const;

    // Rows a filter hides stay in the table with their cells and highlight;
    // views, copies and exports that honour the filter skip them. Every row is
    // shown until something hides it; a reload shows all rows again.
    bool IsHidden(int row) const;
    void SetHidden(int row, bool hidden);
    void ShowAllRows();
    int HiddenCount() const { return hiddenCount_; }
    int ShownCount() const { return RowCount() - hiddenCount_; }
    int FocusedRow() const { return focusedRow_; }
    void SetFocusedRow(int row);

    // Reorders the rows whole (cells, highlight and focus travel with them):
    // the new row i is the old row order[i]. order must be a permutation.
    void PermuteRows(const std::vector<int>& order);

    void SetObserver(TableObserver* observer) { observer_ = observer; }
    // Further windows that follow the table (charts, say) beside the view;
    // they are told after it, in the order they were added.
    void AddObserver(TableObserver* observer);
    void RemoveObserver(TableObserver* observer);
    // Notifications can be held back during bulk work (a load); the view is
    // told once when they are switched back on.
    void SetNotify(bool on);
    bool NotifyEnabled() const { return notify_; }
    // Tells the view that the rows must be drawn again (a drawing setting changed).
    void NotifyRowsChanged() { RowsChanged(); }

    std::size_t MemoryUsed() const;

    static constexpr int kMaxRows = 0x7fffff00;

private:
    struct Row {
        std::vector<StringPool::Id> cells;
        bool selected = false;
        bool hidden = false;
    };
    void RowsChanged();
    void ColumnsChanged();

    std::vector<TableColumn> columns_;
    std::vector<Row> rows_;
    StringPool pool_;
    int selectedCount_ = 0;
    int hiddenCount_ = 0;
    int focusedRow_ = -1;
    TableObserver* observer_ = nullptr;
    std::vector<TableObserver*> extraObservers_;
    bool notify_ = true;
    bool pendingRows_ = false;
    bool pendingColumns_ = false;
};

// Holds the data's change notifications during bulk work, so that a view
// repaints once at the end, the way a list view's redraw is switched off.
class NotifyHold {
public:
    explicit NotifyHold(TableData& data) : data_(data), was_(data.NotifyEnabled()) { data_.SetNotify(false); }
    ~NotifyHold() {
        if (was_) data_.SetNotify(true);
    }
    NotifyHold(const NotifyHold&) = delete;
    NotifyHold& operator=(const NotifyHold&) = delete;

private:
    TableData& data_;
    bool was_;
};

}  // namespace lorvex
