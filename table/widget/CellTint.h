#pragma once
// A background for single cells, asked by the table view per cell it draws
// (shaded numbers use it). The highlight is drawn over it: a highlighted cell
// never asks.
#include <QColor>

namespace lorvex {

class CellTint {
public:
    virtual ~CellTint() = default;
    // True, with the colour set, when the cell at (row, column) gets a tint.
    virtual bool TintFor(int row, int column, QColor* colour) = 0;
};

}  // namespace lorvex
