#include "table/RowRemoval.h"

namespace lorvex {

int RemoveShownRows(TableData& table, bool highlighted) {
    NotifyHold hold(table);
    int removed = 0;
    // From the bottom up: the same rows go as when searching from the top
    // after every deletion, without the search.
    for (int row = table.RowCount() - 1; row >= 0; --row)
        if (table.IsSelected(row) == highlighted && !table.IsHidden(row)) {
            table.DeleteRow(row);
            ++removed;
        }
    return removed;
}

std::string StatusLineText(const TableData& table, bool filterActive) {
    std::string text = std::to_string(table.RowCount()) + " total table entries,   " +
                       std::to_string(table.SelectedCount()) + " hilighted entries";
    if (filterActive) text += ",   " + std::to_string(table.ShownCount()) + " shown";
    return text;
}

}  // namespace lorvex
