#pragma once
// A background for single cells, asked by the table view per cell it draws
// (shaded numbers use it; edits and comparisons lay theirs over it). The
// highlight is drawn over a tint: a highlighted cell never asks. A mark in a
// cell's corner shows whatever the colours, highlighted or not, light or dark.
#include <QColor>
#include <QString>

namespace lorvex {

// How a cell's text is drawn when a tint asks for more than a background.
// Only the drawing changes: copies, exports, sorting and the filter keep
// reading the cell's own text.
struct CellLook {
    // In the palette's disabled text colour with a line through it: a row
    // that is shown but is not this table's own.
    bool struckOut = false;
    // Drawn instead of the cell's text when not null ("150 (+30)" for 150).
    QString shown;
};

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
    // True, with look set, when the cell's text is drawn otherwise than plainly.
    virtual bool LookFor(int row, int column, CellLook* look) {
        (void)row;
        (void)column;
        (void)look;
        return false;
    }
};

}  // namespace lorvex
