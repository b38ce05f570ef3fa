#pragma once
// Cell texts as numbers for the chart, the shading and the figures. Stricter
// than a sort's reading (where "12abc" is 12 and "abc" is 0): a text counts as
// a number only when all of it is one, so words and "Bad Equation" stay out.
#include <string>
#include <string_view>

namespace lorvex {

// Blanks around it allowed, then an optional sign, digits with an optional
// point and fraction, and an optional exponent; finite. Never reads the locale.
bool ReadNumber(std::string_view text, double* value);

// Places after the point in a number's text ("12.50" has 2), at most kMaxShownDecimals.
int DecimalsOf(std::string_view text);

// value with `decimals` places, trailing zeros and a bare point dropped,
// "-0" shown as "0"; the same in every locale.
std::string ShownNumber(double value, int decimals);

inline constexpr int kMaxShownDecimals = 6;

// A number as a tick shows it: from a thousand up over its unit, k, M, G or T
// ("1.5k", "70M"), so that a game's big numbers stay short and countable at
// a glance; below that as it is. Each value takes the unit of its own size;
// places as `precision` (the smallest difference the text must tell) needs at
// that unit, none more. From kShortFormLimit up the units run out: "1e15".
std::string ShortNumber(double value, double precision);

inline constexpr double kShortFormLimit = 1e15;

}  // namespace lorvex
