// The chart's numbers and axes without a window: reading numbers, their texts,
// the ticks, zooms and where values land.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "chart/AxisScale.h"
#include "chart/NumberText.h"

namespace lorvex {
namespace {

TEST(ChartNumbers, ReadsWholeTextsOnly) {
    // Exactly the double the text names, short or long, signed or padded.
    for (auto [text, expected] : {std::pair{"12", 12.0},
                                  {" -3.5 ", -3.5},
                                  {"+4", 4.0},
                                  {"1e3", 1000.0},
                                  {".9", 0.9},
                                  {"7.", 7.0},
                                  {"0.3", 0.3},
                                  {"162.8", 162.8},
                                  {"-0.001", -0.001},
                                  {"1234567890.123456789", 1234567890.123456789},
                                  {"12345678901234567", 12345678901234567.0}}) {
        double value = -99;
        EXPECT_TRUE(ReadNumber(text, &value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    // Blank, words after digits, forms the standard readers take but a cell does not mean, overflow.
    for (const char* text :
         {"", "  ", "abc", "12abc", "Bad Equation", "inf", "nan", "-", "1e999", "0x10", "1,5", "- 3", "1.2.3"}) {
        double value = 0;
        EXPECT_FALSE(ReadNumber(text, &value)) << text;
    }
}

TEST(ChartNumbers, FormatsCountsPlacesAndShortensTickTexts) {
    const struct {
        double value;
        int decimals;
        const char* text;
    } cases[] = {{2.5, 2, "2.5"}, {3, 4, "3"},           {-0.0001, 2, "0"},  {1234.5678, 2, "1234.57"},
                 {100, 0, "100"}, {0.1 + 0.2, 6, "0.3"}, {-1.25, 9, "-1.25"}};
    for (const auto& c : cases) EXPECT_EQ(ShownNumber(c.value, c.decimals), c.text) << c.value;
    for (auto [text, places] : {std::pair{"12.50", 2}, {"7", 0}, {"0.123456789", kMaxShownDecimals}})
        EXPECT_EQ(DecimalsOf(text), places) << text;
    // Below a thousand as it is, every unit told apart, a sum just short of a unit takes it; the axis
    // cases cover the rest.
    for (auto [value, precision, text] :
         {std::tuple{999.0, 1.0, "999"}, {123456.0, 1.0, "123.456k"}, {999999999.9999999, 1e8, "1G"}})
        EXPECT_EQ(ShortNumber(value, precision), text) << value;
}

std::string Ticks(const AxisScale& axis) {
    std::string s;
    for (double t : axis.Ticks()) s += (s.empty() ? "" : " ") + axis.TickText(t);
    return s;
}

// The tick texts also cover the short forms: units, the places the step needs, negatives, powers past T.
TEST(ChartAxis, FitsRoundTicks) {
    const struct {
        double lo, hi;
        bool log;
        const char* ticks;
    } cases[] = {
        {3, 97, false, "0 20 40 60 80 100"},
        {97, 3, false, "0 20 40 60 80 100"},  // either order
        {0.1, 0.35, false, "0.1 0.15 0.2 0.25 0.3 0.35"},
        {-7, 3, false, "-8 -6 -4 -2 0 2 4"},
        {5, 5, false, "4.4 4.6 4.8 5 5.2 5.4 5.6"},  // one value sits in the middle
        {0, 0, false, "-1 -0.5 0 0.5 1"},
        {3, 2500, true, "1 10 100 1k 10k"},
        {20, 50, true, "10 100"},  // inside one decade
        {100, 100, true, "100 1k"},
        {0.002, 0.5, true, "0.001 0.01 0.1 1"},
        {1, 1e12, true, "1 100 10k 1M 100M 10G 1T"},           // every second decade, short forms
        {1, 1e18, true, "1 1k 1M 1G 1T 1e15 1e18"},            // past the last unit
        {1e-9, 1, true, "1e-10 1e-8 0.000001 0.0001 0.01 1"},  // exponents below a millionth
        {0, 5, true, "1 10"},                                  // nothing above 0 to show
        // A game's outliers: short forms, not "70000000".
        {3, 70000000, false, "0 10M 20M 30M 40M 50M 60M 70M"},
        {0, 2500, false, "0 500 1k 1.5k 2k 2.5k"},  // each tick takes the unit of its own size
        {-12000, 0, false, "-12k -10k -8k -6k -4k -2k 0"},
    };
    for (const auto& c : cases) EXPECT_EQ(Ticks(AxisScale::Fit(c.lo, c.hi, c.log)), c.ticks) << c.lo << ".." << c.hi;
}

TEST(ChartAxis, ZoomsAboutAFixedPlace) {
    const AxisScale linear = AxisScale::Fit(0, 100, false), log = AxisScale::Fit(1, 10000, true);
    const AxisScale decade = AxisScale::Fit(10, 100, true);
    const struct {
        AxisScale axis;
        double fraction, factor;
        const char* ticks;  // empty: the zoom leaves the axis as it was
        const char* why;
    } cases[] = {
        {linear, 0.5, 0.5, "30 40 50 60 70", "in about the middle: 25 to 75"},
        {linear, 0, 0.5, "0 10 20 30 40 50", "the left end stays"},
        {linear, 0.5, 2, "-50 0 50 100 150", "out"},
        {log, 0.5, 0.5, "10 100 1k", "by the logarithm: 10 to 1000"},
        {decade, 0.5, 0.5, "20 50", "inside one decade: 1, 2 and 5 times its power"},
        {decade, 0.5, 0.1, "30 32 34", "narrower still: round values"},
        {decade, 0.7, 0.1, "44 46 48 50 52", "one of 1, 2 and 5 times a power inside: round values alone"},
        {linear, 0.5, 1e-12, "", "too narrow to tell values apart"},
        {log, 0.5, 1e200, "", "past what a double holds"},
        {linear, 0.5, 0, "", "no factor"},
        {linear, std::nan(""), 0.5, "", "no place"},
        {linear, 1.5, 0.5, "", "a place off the axis"},
    };
    for (const auto& c : cases) {
        const AxisScale zoomed = c.axis.Zoomed(c.axis.ValueAt(c.fraction), c.fraction, c.factor);
        const bool changes = zoomed.Lo() != c.axis.Lo() || zoomed.Hi() != c.axis.Hi();
        EXPECT_EQ(changes, *c.ticks != 0) << c.why;
        if (!changes) continue;
        EXPECT_EQ(Ticks(zoomed), c.ticks) << c.why;
        EXPECT_NEAR(zoomed.Fraction(c.axis.ValueAt(c.fraction)), c.fraction, 1e-9) << c.why << ": the place stays";
    }
    // The plot's left edge moved: 50 now lands a quarter along, the span still halved.
    const AxisScale moved = linear.Zoomed(50, 0.25, 0.5);
    EXPECT_EQ((std::pair{moved.Lo(), moved.Hi()}), (std::pair{37.5, 87.5}));
    EXPECT_EQ(log.Zoomed(0, 0.5, 0.5).Hi(), log.Hi()) << "no 0 on a logarithmic axis";
}

TEST(ChartAxis, PlacesValuesByValueOrLogarithm) {
    const AxisScale linear = AxisScale::Fit(3, 97, false), log = AxisScale::Fit(3, 2500, true);  // 0..100, 1..10k
    for (const auto& [axis, value, fraction] : {std::tuple{linear, 50.0, 0.5},
                                                {linear, 0.0, 0.0},
                                                {linear, 25.0, 0.25},
                                                {log, 100.0, 0.5},
                                                {log, 1.0, 0.0},
                                                {log, 1000.0, 0.75}}) {
        EXPECT_NEAR(axis.Fraction(value), fraction, 1e-12) << value;
        EXPECT_NEAR(axis.ValueAt(fraction), value, 1e-9) << fraction;
    }
    EXPECT_LT(log.Fraction(0), 0) << "no place for zero on a logarithmic axis";
}

}  // namespace
}  // namespace lorvex
