#pragma once
// The tints a table view asks per cell: one base tint (the shading) and the
// overlays laid over it, asked first, latest first; the first that answers wins.
#include <QPainter>
#include <vector>

#include "table/widget/CellTint.h"

namespace lorvex {

class CellTints {
public:
    void SetBase(CellTint* tint) { base_ = tint; }
    CellTint* Base() const { return base_; }
    void AddOverlay(CellTint* tint);
    void RemoveOverlay(CellTint* tint);

    bool Tint(int row, int column, QColor* colour) const;
    bool Mark(int row, int column) const;
    QString Tip(int row, int column) const;
    // Plain (nothing struck out, the cell's own text) unless a tint asks otherwise.
    CellLook Look(int row, int column) const;

private:
    CellTint* base_ = nullptr;
    std::vector<CellTint*> overlays_;
};

// A small triangle in the cell's top right corner, in the colour of the text over it.
void DrawCellMark(QPainter& p, const QRect& cell, const QColor& colour);
// A cell's text, already fitted into r, in the pen's colour; struck out in
// struckColour when look asks, the font and pen left as they were.
void DrawCellText(QPainter& p, const QRect& r, int flags, const QString& text, const CellLook& look,
                  const QColor& struckColour);

}  // namespace lorvex
