#pragma once
// Shaded numbers: each Numeric and Math column's cells get a tint by where
// their value lies between the column's lowest and highest (over the shown
// rows), so that outliers stand out. Free of any window toolkit: the view
// passes its own palette colours in.
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
    // Takes each number column's lowest and highest value from the shown rows.
    void Update(const TableData& data, const std::vector<std::uint8_t>& kinds);
    // 0 (the column's lowest) to 1 (its highest); -1 when the cell gets no
    // tint: not a number column, or not a number. A column of one value gives 0.
    double Level(const TableData& data, int row, int column) const;

private:
    struct Range {
        bool numbers = false;
        double lo = 0, hi = 0;
    };
    std::vector<Range> ranges_;
};

// The tint for a level: base (the cells' background) moved toward accent
// (the highlight colour) by kLeastShade at level 0 up to kMostShade at 1, so
// the text drawn on base stays readable in light and dark palettes alike.
Rgb ShadeColour(Rgb base, Rgb accent, double level);

inline constexpr double kLeastShade = 0.06;
inline constexpr double kMostShade = 0.5;

}  // namespace lorvex
