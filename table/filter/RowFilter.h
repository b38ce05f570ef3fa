#pragma once
// The filter line's little language and the row test it stands for, free of
// any window so that the table, the export tool and the tests share it.
//
//   word  "two words"          a cell of the row contains the text
//   Heading op value           op: =  !=  <  <=  >  >=  ~ (contains)
//   "Energy per metal" > 20    quoted when the heading has blanks
//   -term  not term            the term does not hold
//   terms or terms             either side holds
//
// Headings and texts compare without regard to case. When both the cell and
// the value read as numbers they compare as numbers, otherwise as text; but
// against a number, < <= > >= hold only for cells that read as numbers, so
// that "Speed < 1" leaves out the units that have no speed. "not" and "-"
// bind tightest, then the terms separated by blanks, which must all hold,
// then "or": "a b or c" is "(a and b) or c". A filter that cannot be read is
// refused whole, with a message saying why.
#include <string>
#include <string_view>
#include <vector>

#include "table/TableData.h"

namespace lorvex {

enum class FilterOp { Anywhere, Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual, Contains };

struct FilterTerm {
    FilterOp op = FilterOp::Anywhere;
    int column = -1;       // -1 for a plain word
    std::string value;     // as typed, unfolded
    std::string folded;    // value with case folded
    bool numeric = false;  // value reads as a number
    double number = 0.0;
    bool negated = false;            // "not" or "-" before it
    bool startsAlternative = false;  // "or" before it: a new run of terms that must all hold
};

struct FilterOptions {
    // Plain words look into collapsed columns too; the table's filter leaves
    // them out since they are not shown, a tool without a screen may want them.
    bool searchCollapsed = false;
};

class RowFilter;

struct FilterParse;

class RowFilter {
public:
    // Reads expr against table's current headings. An empty or blank expr
    // gives a filter that holds for every row.
    static FilterParse Parse(std::string_view expr, const TableData& table, FilterOptions options = {});

    bool Matches(const TableData& table, int row) const;
    bool Empty() const { return terms_.empty(); }
    const std::vector<FilterTerm>& Terms() const { return terms_; }

private:
    std::vector<FilterTerm> terms_;
    std::vector<int> searched_;  // columns a plain word looks into
    friend struct FilterParser;
};

struct FilterParse {
    RowFilter filter;
    std::string error;  // empty when expr was read
    bool Ok() const { return error.empty(); }
};

// Hides the rows the filter does not hold for and shows the others; returns
// the number of rows shown. Rows are never removed.
int ApplyFilter(TableData& table, const RowFilter& filter);

// A text read as a number when the whole of it (blanks around aside) is one:
// optional sign, digits with an optional fraction, optional exponent.
bool ReadFilterNumber(std::string_view text, double* number);

}  // namespace lorvex
