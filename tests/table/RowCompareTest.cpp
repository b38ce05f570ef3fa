#include "table/RowCompare.h"

#include <gtest/gtest.h>

#include <cmath>
#include <optional>
#include <random>
#include <string>

#include "platform/DateParse.h"
#include "table/TableData.h"

namespace lorvex {
namespace {

struct CompareCase {
    std::uint8_t kind;
    bool ascending;
    const char* a;
    const char* b;
    int expected;
};

TEST(CompareRows, EveryComparisonAndEmptyRule) {
    const CompareCase cases[] = {
        // 0: bytes, unsigned; a text that begins the other comes first
        {0x00, true, "abc", "abd", -1}, {0x00, true, "ab", "abc", -1}, {0x00, true, "B", "a", -1},
        {0x00, true, "\xe9", "z", 1}, {0x00, true, "abc", "abc", 0}, {0x00, false, "abc", "abd", 1},
        // 1: only A-Z folded; '_' lies between 'Z' and 'a'
        {0x01, true, "abc", "ABC", 0}, {0x01, true, "a_b", "aab", -1}, {0x01, true, "A_B", "AAB", -1},
        {0x01, true, "B", "a", 1}, {0x01, false, "B", "a", -1}, {0x01, true, "\xc9", "\xe9", -1},
        // 2: whole numbers
        {0x02, true, "9", "10", -1}, {0x02, true, "12abc", "12", 0}, {0x02, true, "abc", "0", 0},
        {0x02, true, " -5", "+3", -1}, {0x02, false, "9", "10", 1}, {0x02, true, "99999999999999999999", "1", 1},
        // 3 and 6: dates; equal moments give +d; a text that is no date gives 0
        {0x03, true, "2024-03-07", "2024-03-08", -1}, {0x03, true, "8/3/2024", "2024-03-07", 1},
        {0x03, true, "2024-03-07", "7/3/2024", 1}, {0x03, false, "2024-03-07", "7/3/2024", -1},
        {0x03, true, "garbage", "2024-03-07", 0}, {0x03, false, "2024-03-07", "garbage", 0},
        {0x06, true, "2024-03-07 10:00", "2024-03-07 09:59", 1}, {0x06, false, "2024-03-07 10:00", "2024-03-07 09:59", -1},
        // 4: nothing; 5: floats, equal values give +d
        {0x04, true, "a", "b", 0}, {0x04, false, "b", "a", 0}, {0x05, true, "1.5", "1.25", 1},
        {0x05, true, "2", "2.0", 1}, {0x05, false, "2", "2.0", -1}, {0x05, true, "12abc", "12", 1},
        {0x05, true, "abc", "0", 1}, {0x05, true, "1e3", "999", 1}, {0x05, true, "-1", "", -1},
        {0x05, true, "", "0", 1}, {0x05, true, "0.1", "0.2", -1},
        // empty-last (bit 7) is not turned by the direction; bit 6 is then not examined
        {0x81, true, "", "a", 1}, {0x81, false, "", "a", 1}, {0x81, true, "a", "", -1},
        {0x81, false, "a", "", -1}, {0x81, false, "", "", 0}, {0xC1, false, "", "a", 1},
        // empty-greatest (bit 6) is; the empty rule comes before the comparison; bit 5 is ignored
        {0x41, true, "", "a", 1}, {0x41, false, "", "a", -1}, {0x41, true, "a", "", -1},
        {0x41, false, "a", "", 1}, {0x45, true, "", "", 0}, {0x45, false, "3", "2", -1},
        {0x43, true, "", "garbage", 1}, {0x84, true, "", "x", 1}, {0x21, true, "a", "b", -1},
    };
    for (const CompareCase& c : cases) {
        const SortRecord a{1, c.a}, b{2, c.b};
        EXPECT_EQ(CompareRows(a, b, MakeSortParam(c.ascending, c.kind)), c.expected)
            << "kind " << int(c.kind) << (c.ascending ? " asc " : " desc ") << '"' << c.a << "\" vs \"" << c.b << '"';
    }
}

TEST(CompareRows, SortParameter) {
    EXPECT_EQ(MakeSortParam(true, 0x45), 0x4501u);
    EXPECT_EQ(MakeSortParam(false, 0x81), 0x8100u);
    // Any non-zero low byte means ascending.
    EXPECT_EQ(CompareRows({0, "a"}, {0, "b"}, 0x01ff), -1);
    EXPECT_EQ(CompareRows({0, "a"}, {0, "b"}, 0x0100), 1);
}

TEST(CompareRows, NumberReaders) {
    struct {
        const char* text;
        std::int64_t whole;
        float real;
    } cases[] = {
        {"", 0, 0.0f}, {"12abc", 12, 12.0f}, {"abc", 0, 0.0f}, {"+7", 7, 7.0f}, {" \t-3", -3, -3.0f},
        {"-0x10", 0, 0.0f}, {"1e", 1, 1.0f}, {"1e5", 1, 1e5f}, {".5", 0, 0.5f}, {".", 0, 0.0f},
        {"-.5e1", 0, -5.0f}, {"  3.5e+2x", 3, 350.0f}, {"inf", 0, 0.0f}, {"nan", 0, 0.0f},
        {"1e-999", 1, 0.0f}, {"+-1", 0, 0.0f}, {"0.1", 0, 0.1f}, {"007", 7, 7.0f}, {"\n42", 42, 42.0f},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadWholeNumber(c.text), c.whole) << c.text;
        EXPECT_EQ(ReadFloat(c.text), c.real) << c.text;
    }
    EXPECT_TRUE(std::isinf(ReadFloat("1e999")) && ReadFloat("1e999") > 0);
    EXPECT_TRUE(std::isinf(ReadFloat("-123456789e9999")) && ReadFloat("-1e999") < 0);
    EXPECT_EQ(ReadFloat("0.000000000000000000000000000000000000000000000000001e-999"), 0.0f);
    EXPECT_EQ(ReadWholeNumber("9223372036854775808"), INT64_MAX);
    EXPECT_EQ(ReadWholeNumber("-9223372036854775808"), INT64_MIN);
}

// Whether two texts hold the same value for a comparison: such rows must keep
// their order in a sort.
bool SameValue(int c, std::string_view a, std::string_view b) {
    switch (c) {
    case 0: return a == b;
    case 1: return CompareFolded(a, b) == 0;
    case 2: return ReadWholeNumber(a) == ReadWholeNumber(b);
    case 5: return ReadFloat(a) == ReadFloat(b);
    case 3:
    case 6: return platform::ParseDate(a) == platform::ParseDate(b);
    default: return true;
    }
}

// Sorts column 1 by every kind in both directions and checks that the result
// is a permutation, that no neighbours stand in the wrong order, and that
// rows of the same value keep their order.
void CheckSorts(const TableData& data, const std::vector<std::uint8_t>& kinds, bool checkStable = true) {
    const int rows = data.RowCount();
    for (std::uint8_t kind : kinds) {
        for (bool ascending : {true, false}) {
            const std::vector<int> order = SortRowOrder(data, 1, kind, ascending);
            ASSERT_EQ(order.size(), static_cast<std::size_t>(rows));
            std::vector<bool> seen(rows, false);
            for (int r : order) {
                ASSERT_TRUE(r >= 0 && r < rows && !seen[r]);
                seen[r] = true;
            }
            const std::uint32_t param = MakeSortParam(ascending, kind);
            for (int i = 0; i + 1 < rows; ++i) {
                const SortRecord p{0, data.Cell(order[i], 1)}, q{0, data.Cell(order[i + 1], 1)};
                EXPECT_TRUE(CompareRows(p, q, param) <= 0 || CompareRows(q, p, param) > 0)
                    << "kind " << int(kind) << " at " << i << ": \"" << p.text << "\" before \"" << q.text << '"';
            }
            const int c = kind & 0x1f;
            for (int i = 0; checkStable && i < rows; ++i) {
                for (int j = i + 1; j < rows; ++j) {
                    const std::string_view a = data.Cell(order[i], 1), b = data.Cell(order[j], 1);
                    if ((kind & 0xC0) != 0 && a.empty() != b.empty()) continue;
                    if (SameValue(c, a, b)) {
                        ASSERT_LT(order[i], order[j]) << "kind " << int(kind) << " not stable";
                    }
                }
            }
        }
    }
}

TableData RandomColumn(const std::vector<const char*>& texts, int rows, unsigned seed) {
    std::mt19937 random(seed);
    TableData data;
    data.InsertColumn(0, "first", Align::Left, 50);
    data.InsertColumn(1, "values", Align::Left, 50);
    for (int r = 0; r < rows; ++r) {
        data.AppendRow(std::to_string(r));
        data.SetCell(r, 1, texts[random() % texts.size()]);
    }
    return data;
}

TEST(SortRowOrder, OrderedStableAndComplete) {
    const TableData data = RandomColumn({"", "0", "1", "10", "9", "-2", "1.5", "abc", "ABC", "a_b", "aab", "x",
                                         "12abc", "2.0", "2", "Zed", "zed", "1e2", "\xe9", "Abc"},
                                        300, 7);
    CheckSorts(data, {0x00, 0x01, 0x02, 0x04, 0x05, 0x41, 0x45, 0x81, 0xC5, 0x82, 0x84});
    // Dates keep their order among equal moments while every text is a date.
    const TableData dates = RandomColumn({"", "2024-03-07", "7/3/2024", "1/1/1999 10:00", "1999-01-01T10:00:00",
                                          "31.12.1899", "2024-03-07 00:00:01"},
                                         300, 11);
    CheckSorts(dates, {0x43, 0x46, 0x83, 0x86});
    // Texts that are no dates are equal to everything: any order serves that
    // puts no neighbours in the wrong order.
    CheckSorts(RandomColumn({"", "2024-03-07", "x", "1/1/1999", "garbage", "8/3/2024"}, 300, 13),
               {0x03, 0x06, 0x43, 0x86}, false);
}

TEST(SortRowOrder, EdgeSizes) {
    TableData data;
    data.InsertColumn(0, "a", Align::Left, 10);
    EXPECT_TRUE(SortRowOrder(data, 0, 0x05, true).empty());
    data.AppendRow("5");
    EXPECT_EQ(SortRowOrder(data, 0, 0x05, false), std::vector<int>{0});
    // A column past the last one: every cell is empty and nothing moves.
    data.AppendRow("1");
    EXPECT_EQ(SortRowOrder(data, 7, 0x81, true), (std::vector<int>{0, 1}));
    // Many unparsed dates among parsed ones: the sort ends and returns every row.
    TableData dates;
    dates.InsertColumn(0, "d", Align::Left, 10);
    for (int r = 0; r < 5000; ++r) dates.AppendRow(r % 3 ? "x" : std::to_string(1 + r % 28) + "/3/2024");
    EXPECT_EQ(SortRowOrder(dates, 0, 0x03, true).size(), 5000u);
}

}  // namespace
}  // namespace lorvex
