#pragma once
// A background for single cells, asked by the table view per cell it draws
// (shaded numbers use it; edits and comparisons lay theirs over it). The
// highlight is drawn over a tint: a highlighted cell never asks. A mark in a
// cell's corner shows whatever the colours, highlighted or not, light or dark.
#include <QColor>
#include <QString>

namespace lorvex {

class CellTint {
public:
    virtual ~CellTint() = default;
    // True, with the colour set, when the cell at (row, column) gets a tint.
    virtual bool TintFor(int row, int column, QColor* colour) = 0;
    // True when the cell carries a corner mark.
    virtual bool MarkFor(int row, int column) {
        (void)row;
        (void)column;
        return false;
    }
    // A line that the cell's tooltip starts with (the value it had, say); empty for none.
    virtual QString TipFor(int row, int column) {
        (void)row;
        (void)column;
        return {};
    }
};

}  // namespace lorvex
