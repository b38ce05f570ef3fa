#include "chart/Shade.h"

#include <algorithm>
#include <cmath>

#include "chart/ChartData.h"
#include "chart/NumberText.h"
#include "table/TableData.h"

namespace lorvex {

void ShadeLevels::Update(const TableData& data, const std::vector<std::uint8_t>& kinds) {
    sorted_.assign(data.ColumnCount(), {});
    for (int c = 0; c < data.ColumnCount() && static_cast<std::size_t>(c) < kinds.size(); ++c) {
        if (!IsNumberKind(kinds[c])) continue;
        std::vector<double>& values = sorted_[c];
        double value = 0;
        for (int r = data.NextRow(-1, false, true); r >= 0; r = data.NextRow(r, false, true))
            if (ReadNumber(data.Cell(r, c), &value)) values.push_back(value);
        std::sort(values.begin(), values.end());
    }
}

double ShadeLevels::Level(const TableData& data, int row, int column) const {
    if (column < 0 || static_cast<std::size_t>(column) >= sorted_.size() || sorted_[column].empty()) return -1;
    double value = 0;
    if (!ReadNumber(data.Cell(row, column), &value)) return -1;
    const std::vector<double>& values = sorted_[column];
    if (values.size() == 1) return 0;
    // A value not among them (the cell changed since Update) takes the place it would have.
    const auto below = std::lower_bound(values.begin(), values.end(), value) - values.begin();
    return std::clamp(static_cast<double>(below) / static_cast<double>(values.size() - 1), 0.0, 1.0);
}

Rgb ShadeColour(Rgb base, Rgb accent, double level) {
    const double t = kLeastShade + std::clamp(level, 0.0, 1.0) * (kMostShade - kLeastShade);
    auto mix = [t](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * t)); };
    return {mix(base.r, accent.r), mix(base.g, accent.g), mix(base.b, accent.b)};
}

}  // namespace lorvex
