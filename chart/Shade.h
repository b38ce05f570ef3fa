#pragma once
// Shaded numbers: each Numeric and Math column's cells get a tint by their
// value's rank among the column's numbers (over the shown rows), so that the
// spread shows however far a few outliers lie from the rest. Free of any
// window toolkit: the view passes its own palette colours in.
#include <cstdint>
#include <vector>

namespace lorvex {

class TableData;

struct Rgb {
    int r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

class ShadeLevels {
public:
    // Takes each number column's values from the shown rows.
    void Update(const TableData& data, const std::vector<std::uint8_t>& kinds);
    // The cell's rank among its column's numbers (how many are lower) over
    // their count less one: 0 for the lowest, 1 for the highest. Equal values
    // share the rank of the first of them, so that a column mostly of zeros
    // keeps its zeros light. -1 when the cell gets no tint: not a number
    // column, or not a number. A column of one value gives 0.
    double Level(const TableData& data, int row, int column) const;

private:
    std::vector<std::vector<double>> sorted_;  // per column, its numbers in order
};

// The tint for a level: base (the cells' background) moved toward accent
// (the highlight colour) by kLeastShade at level 0 up to kMostShade at 1, so
// the text drawn on base stays readable in light and dark palettes alike.
Rgb ShadeColour(Rgb base, Rgb accent, double level);

inline constexpr double kLeastShade = 0.06;
inline constexpr double kMostShade = 0.5;

}  // namespace lorvex
