#include "table/widget/CellTints.h"

#include <QPolygon>
#include <algorithm>

namespace lorvex {
namespace {

// The mark's side in pixels: large enough to see, small enough to leave the text alone.
constexpr int kMarkSide = 6;

}  // namespace

void CellTints::AddOverlay(CellTint* tint) {
    if (tint && std::find(overlays_.begin(), overlays_.end(), tint) == overlays_.end()) overlays_.push_back(tint);
}

void CellTints::RemoveOverlay(CellTint* tint) { std::erase(overlays_, tint); }

bool CellTints::Tint(int row, int column, QColor* colour) const {
    for (auto it = overlays_.rbegin(); it != overlays_.rend(); ++it)
        if ((*it)->TintFor(row, column, colour)) return true;
    return base_ && base_->TintFor(row, column, colour);
}

bool CellTints::Mark(int row, int column) const {
    return std::any_of(overlays_.begin(), overlays_.end(), [&](CellTint* t) { return t->MarkFor(row, column); }) ||
           (base_ && base_->MarkFor(row, column));
}

QString CellTints::Tip(int row, int column) const {
    for (auto it = overlays_.rbegin(); it != overlays_.rend(); ++it) {
        const QString tip = (*it)->TipFor(row, column);
        if (!tip.isEmpty()) return tip;
    }
    return base_ ? base_->TipFor(row, column) : QString();
}

CellLook CellTints::Look(int row, int column) const {
    // A tint that declines leaves nothing behind for the next one.
    for (auto it = overlays_.rbegin(); it != overlays_.rend(); ++it)
        if (CellLook look; (*it)->LookFor(row, column, &look)) return look;
    if (CellLook look; base_ && base_->LookFor(row, column, &look)) return look;
    return {};
}

void DrawCellText(QPainter& p, const QRect& r, int flags, const QString& text, const CellLook& look,
                  const QColor& struckColour) {
    if (!look.struckOut) {
        p.drawText(r, flags, text);
        return;
    }
    p.save();
    QFont font = p.font();
    font.setStrikeOut(true);
    p.setFont(font);
    p.setPen(struckColour);
    p.drawText(r, flags, text);
    p.restore();
}

void DrawCellMark(QPainter& p, const QRect& cell, const QColor& colour) {
    if (cell.width() < 2 * kMarkSide || cell.height() < kMarkSide) return;
    const int right = cell.right(), top = cell.top();
    const QPolygon corner({QPoint(right - kMarkSide + 1, top), QPoint(right, top), QPoint(right, top + kMarkSide - 1)});
    p.save();
    p.setClipping(false);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPolygon(corner);
    p.restore();
}

}  // namespace lorvex
