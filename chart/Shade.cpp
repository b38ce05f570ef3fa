#include "chart/Shade.h"

#include <algorithm>
#include <cmath>

#include "chart/ChartData.h"
#include "chart/NumberText.h"
#include "table/TableData.h"

namespace lorvex {

void ShadeLevels::Update(const TableData& data, const std::vector<std::uint8_t>& kinds) {
    ranges_.assign(data.ColumnCount(), Range{});
    for (int c = 0; c < data.ColumnCount() && static_cast<std::size_t>(c) < kinds.size(); ++c) {
        if (!IsNumberKind(kinds[c])) continue;
        Range& range = ranges_[c];
        double value = 0;
        for (int r = data.NextRow(-1, false, true); r >= 0; r = data.NextRow(r, false, true)) {
            if (!ReadNumber(data.Cell(r, c), &value)) continue;
            if (!range.numbers) range.lo = range.hi = value;
            range.numbers = true;
            range.lo = std::min(range.lo, value);
            range.hi = std::max(range.hi, value);
        }
    }
}

double ShadeLevels::Level(const TableData& data, int row, int column) const {
    if (column < 0 || static_cast<std::size_t>(column) >= ranges_.size() || !ranges_[column].numbers) return -1;
    double value = 0;
    if (!ReadNumber(data.Cell(row, column), &value)) return -1;
    const Range& range = ranges_[column];
    if (range.hi <= range.lo) return 0;
    // A value outside the range (the cell changed since Update) keeps to the ends.
    return std::clamp((value - range.lo) / (range.hi - range.lo), 0.0, 1.0);
}

Rgb ShadeColour(Rgb base, Rgb accent, double level) {
    const double t = kLeastShade + std::clamp(level, 0.0, 1.0) * (kMostShade - kLeastShade);
    auto mix = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
    return {mix(base.r, accent.r), mix(base.g, accent.g), mix(base.b, accent.b)};
}

}  // namespace lorvex
