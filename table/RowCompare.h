#pragma once
// How two rows compare in a sort: the column's kind chooses the comparison
// and where empty cells go.
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/AsciiText.h"
#include "platform/ColumnKind.h"

namespace lorvex {

class TableData;

// One row as a sort sees it: its own value and its cell text in the sorted column.
struct SortRecord {
    std::uint32_t itemValue = 0;
    std::string_view text;
};

// Bits 0-7 the direction (non-zero ascending), bits 8-15 the kind byte.
constexpr std::uint32_t MakeSortParam(bool ascending, std::uint8_t kind) {
    return (static_cast<std::uint32_t>(kind) << 8) | (ascending ? 1u : 0u);
}

// Negative when a goes before b, positive when after, 0 when equal. Comparisons
// 3, 5 and 6 never call two equal values equal (both orders give +d), and 3 and
// 6 call a pair equal when either text is no date: this is no ordering that a
// standard sort may be given, which is why SortRowOrder does not call it.
int CompareRows(const SortRecord& a, const SortRecord& b, std::uint32_t sortParam);

// The text readers of the comparisons, exposed for the tests and the sort.
int CompareBytes(std::string_view a, std::string_view b);  // comparison 0
using platform::CompareFolded;                             // comparison 1 (A-Z folded)
std::int64_t ReadWholeNumber(std::string_view text);       // comparison 2
float ReadFloat(std::string_view text);                    // comparison 5

// The new row order (new row i is old row order[i]) that sorts the table by
// `column` with `kind`. A stable merge sort over keys read once per distinct
// text: rows whose values are equal keep their order, and it ends after
// O(n log n) steps whatever the values are. Every adjacent pair (p, q) of the
// result satisfies CompareRows(p, q) <= 0 or CompareRows(q, p) > 0.
std::vector<int> SortRowOrder(const TableData& data, int column, std::uint8_t kind, bool ascending);

}  // namespace lorvex
