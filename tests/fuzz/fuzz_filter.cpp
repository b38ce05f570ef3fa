// Feeds arbitrary bytes to the filter line's reader over a small table of
// every kind of cell (numbers, texts, blanks, a collapsed column, headings
// with blanks and operator characters), then filters the table with what it
// read: nothing may crash, read out of bounds or hang, and a refused filter
// must say why.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "table/TableData.h"
#include "table/filter/RowFilter.h"

namespace {

lorvex::TableData& Table() {
    static lorvex::TableData* table = [] {
        auto* t = new lorvex::TableData;
        t->InsertColumn(0, "Name", lorvex::Align::Left, 80);
        t->InsertColumn(1, "Energy per metal", lorvex::Align::Right, 60);
        t->InsertColumn(2, "cost", lorvex::Align::Right, 60);
        t->InsertColumn(3, "a<=b", lorvex::Align::Left, 0);  // collapsed
        t->InsertColumn(4, "\"q\"", lorvex::Align::Left, 40);
        const char* rows[][5] = {
            {"Heavy tank", "12.5", "300", "x", "y"}, {"scout", "-1e3", "", "<=", "\""},
            {"", "nan", "1e308", " ", "inf"},        {"Z", "0x10", "+7", "a b", "~"},
            {"\xe9t\xe9", "1e-320", "-0", "!=", ""},
        };
        for (const auto& row : rows) {
            const int r = t->AppendRow(row[0]);
            for (int c = 1; c < 5; ++c) t->SetCell(r, c, row[c]);
        }
        return t;
    }();
    return *table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view expr(reinterpret_cast<const char*>(data), size);
    lorvex::TableData& table = Table();
    for (const bool collapsed : {false, true}) {
        const lorvex::FilterParse parse = lorvex::RowFilter::Parse(expr, table, {collapsed});
        if (!parse.Ok()) {
            if (!parse.filter.Empty()) std::abort();  // refused whole
            continue;
        }
        int matches = 0;
        for (int r = 0; r < table.RowCount(); ++r) matches += parse.filter.Matches(table, r);
        const int shown = lorvex::ApplyFilter(table, parse.filter);
        // Shown rows are the rows it holds for, and none is ever removed.
        if (table.RowCount() != 5 || shown != matches) std::abort();
    }
    double number = 0;
    lorvex::ReadFilterNumber(expr, &number);
    return 0;
}
