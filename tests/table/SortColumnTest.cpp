// The sort arrow's column after columns are inserted or deleted around it (a
// comparison's Change column going in and out again, say).
#include <gtest/gtest.h>

#include "table/TableListCtrl.h"
#include "tests/support/TableFill.h"

namespace lorvex {
namespace {

TEST(SortColumn, FollowsColumnsInsertedAndDeleted) {
    enum class Op { Insert, Delete };
    const struct {
        int sorted;
        Op op;
        int at, expected;
        const char* why;
    } cases[] = {
        {1, Op::Insert, 0, 2, "a column before it pushes it right"},
        {1, Op::Insert, 1, 2, "one inserted at its place pushes it right too"},
        {1, Op::Insert, 2, 1, "one after it leaves it"},
        {-1, Op::Insert, 0, -1, "no sort stays no sort"},
        {1, Op::Insert, -1, 1, "no column inserted at a negative place"},
        {2, Op::Delete, 0, 1, "a column before it went"},
        {2, Op::Delete, 2, -1, "the sorted column went: no arrow on its neighbour"},
        {2, Op::Delete, 3, 2, "one after it went"},
        {-1, Op::Delete, 0, -1, "no sort stays no sort"},
        {2, Op::Delete, -1, 2, "no column deleted at a negative place"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        TableListCtrl table;
        testkit::FillTable(table.Data(), {"a", "b", "c", "d", "e"}, {{"1", "2", "3", "4", "5"}});
        if (c.sorted >= 0) table.SortBy(c.sorted, true);
        c.op == Op::Insert ? table.ColumnInserted(c.at) : table.ColumnDeleted(c.at);
        EXPECT_EQ(table.SortColumn(), c.expected);
        EXPECT_EQ(table.SortAscending(), c.sorted < 0) << "the direction stays";
    }
}

}  // namespace
}  // namespace lorvex
