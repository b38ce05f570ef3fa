#pragma once
// What changed between two loads of one configuration from two games: per row
// of this game's table its status and, per cell, whether it changed and what
// the other game holds; the rows only the other game has; the counts the
// status line shows. The window draws from this; the tool's writers walk it.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "compare/RowMatch.h"

namespace lorvex {

enum class RowChange : std::uint8_t {
    None,     // matched, no compared cell differs
    Changed,  // matched, some compared cell differs
    Added,    // only in this game
    Removed,  // only in the other game (a row of the other table)
};

// The word of the "Change" column: "changed", "added", "removed", or empty.
std::string_view ChangeWord(RowChange change);

// One column of the comparison: a column of this table, of the other, or of
// both (same heading, A-Z folded; unclaimed-key columns differ per game).
struct ComparedColumn {
    std::string heading;
    int mine = -1;   // this table's column, -1 when only the other game has it
    int other = -1;  // the other table's column, -1 when only this game has it
    // "Located In" and "Line #" say where a record sits, not what it is: a
    // record that moved to another archive or line has not changed.
    bool compared = true;
};

// Cells compare as texts, and as numbers when both read as one ("1.50" equals
// "1.5"); an empty cell and a column the game lacks are both nothing.
bool SameCell(std::string_view a, std::string_view b);

struct ChangeCounts {
    int changed = 0, added = 0, removed = 0;
};

// The status line's tail: ",   N changed, N added, N removed".
std::string CountsText(const ChangeCounts& counts);

// How a changed number is shown beside or instead of the old one.
enum class ChangeStyle {
    Difference,  // "150 (+30)": the new value and what was added
    Percent,     // "+25%": the change against the old value
};
// The change from before to after in style. Texts that are not both numbers
// (and a percent of an old 0) give the new text as it is.
std::string ChangeText(std::string_view before, std::string_view after, ChangeStyle style);

class TableComparison {
public:
    // Matches the rows and compares every matched pair's cells. False (with
    // a message in error) when the rows cannot be matched (a match heading
    // that is not a column of both tables).
    bool Compare(const CompareSide& mine, const CompareSide& other, const MatchOptions& options,
                 std::string* error = nullptr);

    // Columns: this table's in its order, then the other game's own ones.
    const std::vector<ComparedColumn>& Columns() const { return columns_; }
    // The compared column of this table's column (-1 outside the table).
    int ColumnOfMine(int column) const;

    // Per row of this table.
    RowChange Status(int row) const;
    int OtherRow(int row) const;  // -1 for an added row
    // Whether the cell of this table's column changed; always false for a row
    // that is not matched and for "Located In" and "Line #".
    bool CellChanged(int row, int column) const;
    // The other game's cell for this table's column (empty when the row is
    // added or the other game lacks the column).
    std::string_view OtherCell(int row, int column) const;
    // By compared column (Columns()): changed, and the two texts.
    bool ChangedAt(int row, std::size_t compared) const;
    std::string_view MineAt(int row, std::size_t compared) const;
    std::string_view OtherAt(int otherRow, std::size_t compared) const;

    // The other table's rows that match none of this one, in the other's row order.
    const std::vector<int>& RemovedRows() const { return removed_; }
    // The cell of a removed row (an index into RemovedRows()) for this table's column.
    std::string_view RemovedCell(std::size_t removed, int column) const;

    const ChangeCounts& Counts() const { return counts_; }
    const CompareSide& Mine() const { return mine_; }
    const CompareSide& Other() const { return other_; }

private:
    CompareSide mine_, other_;
    std::vector<ComparedColumn> columns_;
    std::vector<int> comparedOfMine_;  // this table's column -> compared column
    RowMatch match_;
    std::vector<RowChange> status_;
    std::vector<std::uint8_t> changed_;  // rows x columns_, row-major
    std::vector<int> removed_;
    ChangeCounts counts_;
};

}  // namespace lorvex
