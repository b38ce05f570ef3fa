#pragma once
// Which cells of the table show an edited value: the rows of a changed record
// (by "Located In" and "Line #") at the columns that read a changed key. The
// window tints and marks them and tells their old values.
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "config/LoadState.h"
#include "edit/EditSession.h"
#include "table/TableData.h"

namespace lorvex {

class EditedCells {
public:
    // Works out the cells again: after every edit, and whenever the rows or columns move.
    void Update(const LoadState& state, const TableData& table, const std::vector<EditChange>& changes);
    void Clear();
    // The change a cell (table row, table column) shows, or null.
    const EditChange* At(int row, int column) const;
    std::size_t Count() const { return cells_.size(); }

private:
    std::vector<EditChange> changes_;
    std::unordered_map<std::uint64_t, std::size_t> cells_;  // row << 32 | column -> index into changes_
};

}  // namespace lorvex
