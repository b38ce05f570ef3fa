#include "table/RowRemoval.h"

#include <gtest/gtest.h>

#include "tests/support/TableFill.h"

namespace lorvex {
namespace {

// Rows a..e; b and d highlighted; c hidden by a filter in some cases.
TEST(RowRemoval, OnlyShownRowsOfTheAskedKindGoAndTheLineCountsThem) {
    const struct {
        const char* why;
        bool highlighted;
        bool hideC;
        const char* left;
        int removed;
        const char* status;
    } cases[] = {
        {"the highlighted rows go", true, false, "a,c,e", 2, "3 total table entries,   0 hilighted entries"},
        {"the others go", false, false, "b,d", 3, "2 total table entries,   2 hilighted entries"},
        {"a hidden row stays", false, true, "b,c,d", 2, "3 total table entries,   2 hilighted entries,   2 shown"},
        {"a hidden highlighted row stays", true, true, "a,c,e", 2,
         "3 total table entries,   0 hilighted entries,   2 shown"},
    };
    for (const auto& c : cases) {
        TableData data;
        testing::FillTable(data, {"n"}, {{"a"}, {"b"}, {"c"}, {"d"}, {"e"}});
        data.SetSelected(1, true);
        data.SetSelected(3, true);
        if (c.hideC) data.SetHidden(2, true);
        EXPECT_EQ(RemoveShownRows(data, c.highlighted), c.removed) << c.why;
        EXPECT_EQ(testing::ColumnText(data, 0), c.left) << c.why;
        EXPECT_EQ(StatusLineText(data, c.hideC), c.status) << c.why;
    }
}

}  // namespace
}  // namespace lorvex
