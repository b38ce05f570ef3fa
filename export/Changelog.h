#pragma once
// What a comparison is written as: a balance changelog in Markdown, the table
// with a "Change" column first (for CSV, TSV and the other table formats), and
// the tabular highlighter diff that patches the other game's table into this one.
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "compare/TableDiff.h"
#include "table/TableData.h"

namespace lorvex {

// The compared columns to write, in order: this table's columns given (the
// export's choice, e.g. ExportedColumns: the current order, collapsed ones left
// out unless asked), then, when otherOnly, the columns only the other game has.
std::vector<std::size_t> OutputColumns(const TableComparison& diff, const std::vector<int>& mineColumns,
                                       bool otherOnly);

// The column that names a record in the changelog (a compared column of
// columns): the first whose texts differ on every written row, else the one
// with the most different texts, so that a block name every record shares is
// never the label. -1 when columns holds none that is compared.
int LabelColumn(const TableComparison& diff, const std::vector<std::size_t>& columns);

// The changelog, every line ending CR LF:
//   ## Changed / ## Added / ## Removed, a blank line after each heading and
//   each section's list; a section with nothing in it is left out, and a
//   comparison with no difference at all is the one line "No differences.".
//   Changed: "- **Label** (file): Heading old → new, ..." for the written
//   columns that changed, in their order (a record whose only changes lie in
//   columns not written is left out); an empty cell is written "(empty)".
//   Added and Removed: "- **Label** (file)"; their values are in the table.
// Rows a filter hides are left out (removed rows: hidden in the other table).
void WriteChangelog(const TableComparison& diff, const std::vector<std::size_t>& columns,
                    const std::function<void(std::string_view)>& sink);

// Fills out (emptied first) with "Change" and the columns' headings, one row
// per shown row of this table in its order, then the removed rows shown in the
// other table in its order. A changed cell holds "old → new"; a removed row
// holds the other game's cells.
void FillChangeTable(const TableComparison& diff, const std::vector<std::size_t>& columns, TableData& out);

// The highlighter diff as CSV (CR LF): the action column first; a "!" row
// with "+++" / "---" over the columns only this or only the other game has;
// "@@" over the headings; then every row: "" unchanged, "+++" added, "---"
// removed, and the arrow on a changed row, each changed cell "old->new". The
// arrow is "->", lengthened by a "-" in front for as long as some cell holds
// it; a cell reading NULL (after any "_") gets a "_" in front. "Located In"
// and "Line #" are left out: they say where a record sits, not what it is.
void WriteHighlighterDiff(const TableComparison& diff, const std::vector<std::size_t>& columns,
                          const std::function<void(std::string_view)>& sink);

}  // namespace lorvex
