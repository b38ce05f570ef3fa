#include "table/filter/RowFilter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/TableFill.h"

namespace lorvex {
namespace {

// What a filter line gives: the rows it shows, or the reason it is refused whole.
TEST(RowFilter, TermsPickTheRightRowsOrTheFilterIsRefused) {
    TableData data;
    testkit::FillTable(data, {"Name", "Energy per metal", "Side", "Note"},
                       {{"Alpha", "20", "ARM", "fast scout"},
                        {"beta", "9", "core", "Slow"},
                        {"Gamma", "100", "Arm", ""},
                        {"delta", "abc", "CORE", "two words here, zed"},
                        {"epsilon", "20.0", "", "9"}});
    data.SetColumnWidth(3, 10);  // collapsed: plain words do not look there
    const struct {
        const char* expr;
        const char* shown;
        bool searchCollapsed = false;
    } cases[] = {
        {"   ", "Alpha,beta,Gamma,delta,epsilon"},
        {"arm", "Alpha,Gamma"},  // any shown cell, case folded
        {"ALP", "Alpha"},
        {"scout", ""},  // only in a collapsed column
        {"scout", "Alpha", true},
        {"Note ~ scout", "Alpha"},  // named, a collapsed column still counts
        {"\"two words\"", ""},
        {"Note ~ \"two words\"", "delta"},
        {"Note ~ ZED", "delta"},                         // Z, the last capital, folds like the others
        {"\"Energy per metal\" = 20", "Alpha,epsilon"},  // numbers: 20 = 20.0
        {"\"energy PER metal\"=20", "Alpha,epsilon"},    // heading case, no blanks round the operator
        {"\"Energy per metal\" != 20", "beta,Gamma,delta"},
        {"\"Energy per metal\" < 20", "beta"},  // 9 < 20 as numbers
        {"\"Energy per metal\" <= 20", "Alpha,beta,epsilon"},
        {"\"Energy per metal\" > 20", "Gamma"},  // "abc" is neither below nor above a number
        {"\"Energy per metal\" >= 100", "Gamma"},
        {"\"Energy per metal\" > -1", "Alpha,beta,Gamma,epsilon"},  // a minus after the operator is the value's
        {"\"Energy per metal\" ~ 0", "Alpha,Gamma,epsilon"},        // contains, as text
        {"Name > c", "Gamma,delta,epsilon"},                        // text, case folded: "Gamma" > "c"
        {"Side = arm", "Alpha,Gamma"},
        {"Side = \"\"", "epsilon"},
        {"Side != core arm", "Alpha,Gamma"},  // all terms must hold
        {"Side = core Name ~ ta", "beta,delta"},
        {"Note < 10", "epsilon"},  // "9" < 10; Gamma's empty note is no number, so not below it
        {"Note = \"\"", "Gamma"},
        {"Note != \"\"", "Alpha,beta,delta,epsilon"},  // empty cells, and the others
        {"Side = core or Name = gamma", "beta,Gamma,delta"},
        {"arm Name ~ al or delta", "Alpha,delta"},  // (arm and al) or delta, not arm and (al or delta)
        {"delta or arm Name ~ al", "Alpha,delta"},  // the same from the other side
        {"-arm", "beta,delta,epsilon"},
        {"NOT arm", "beta,delta,epsilon"},
        {"not not arm", "Alpha,Gamma"},
        {"-arm or Name = alpha", "Alpha,beta,delta,epsilon"},        // (not arm) or alpha: not binds tighter than or
        {"Side = core -Name ~ b", "delta"},                          // not binds tighter than and
        {"-\"Energy per metal\" > 20", "Alpha,beta,delta,epsilon"},  // a negated ordering takes the non-numbers
        {"\"or\"", "beta,delta"},  // quoted, a keyword is a word to search for ("core")
        {"Speed > 3", "No column is headed \"Speed\""},
        {"Name =", "\"Name =\" needs a value after it"},
        {"Name = > 3", "\"Name =\" needs a value after it"},
        {"= 3", "\"=\" needs a column heading before it"},
        {"Name => 3", "\"=>\" is no operator; use = != < <= > >= or ~"},
        {"\"Energy per", "A quote is not closed: \"Energy per"},
        {"or arm", "\"or\" needs a term on each side"},
        {"arm OR", "\"OR\" needs a term on each side"},  // as typed
        {"arm or or beta", "\"or\" needs a term on each side"},
        {"arm -", "\"-\" needs a term after it"},
        {"not or arm", "\"not\" needs a term after it"},
        {"- > 3", "\">\" needs a column heading before it"},
        {"not = 3", "No column is headed \"not\""},  // before an operator "not" is a heading
        {"", "Alpha,beta,Gamma,delta,epsilon"},      // and every row shows again
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.expr);
        FilterOptions options;
        options.searchCollapsed = c.searchCollapsed;
        const FilterParse p = RowFilter::Parse(c.expr, data, options);
        std::string shown = p.error;
        if (p.Ok()) {
            ApplyFilter(data, p.filter);
            for (int r = data.NextRow(-1, false, true); r >= 0; r = data.NextRow(r, false, true))
                shown += (shown.empty() ? "" : ",") + std::string(data.Cell(r, 0));
        } else {
            EXPECT_TRUE(p.filter.Empty()) << "a refused filter keeps no term";
        }
        EXPECT_EQ(shown, c.shown);
        EXPECT_EQ(data.RowCount(), 5) << "rows are hidden, never removed";
    }
    EXPECT_EQ(data.HiddenCount(), 0);
}

TEST(FilterNumber, ReadsWholeNumbersOnly) {
    const struct {
        const char* text;
        bool number;
        double value;
    } cases[] = {{"20", true, 20},  {" -1.5 ", true, -1.5}, {"+3", true, 3},    {"1e3", true, 1000},
                 {".5", true, 0.5}, {"12abc", false, 0},    {"", false, 0},     {"-", false, 0},
                 {"inf", false, 0}, {"nan", false, 0},      {"0x10", false, 0}, {"abc", false, 0}};
    for (const auto& c : cases) {
        double v = -99;
        EXPECT_EQ(ReadFilterNumber(c.text, &v), c.number) << c.text;
        EXPECT_DOUBLE_EQ(v, c.number ? c.value : -99) << c.text;  // a text that is no number leaves it alone
    }
}

}  // namespace
}  // namespace lorvex
