#include "chart/widget/ShadeNumbers.h"

#include "table/widget/TableListView.h"

namespace lorvex {
namespace {

Rgb ToRgb(const QColor& c) { return {c.red(), c.green(), c.blue()}; }

}  // namespace

ShadeNumbers::ShadeNumbers(TableListCtrl& control, TableListView* view)
    : QObject(view), control_(control), view_(view) {}

ShadeNumbers::~ShadeNumbers() {
    // A child of the view: the table it follows outlives it.
    if (on_) control_.Data().RemoveObserver(this);
}

void ShadeNumbers::SetOn(bool on) {
    if (on == on_) return;
    on_ = on;
    stale_ = true;
    if (on)
        control_.Data().AddObserver(this);
    else
        control_.Data().RemoveObserver(this);
    view_->SetCellTint(on ? this : nullptr);
}

bool ShadeNumbers::TintFor(int row, int column, QColor* colour) {
    const TableData& data = control_.Data();
    // The kinds arrive at the end of a load, apart from the rows.
    if (stale_ || kinds_ != control_.ColumnKinds()) {
        kinds_ = control_.ColumnKinds();
        levels_.Update(data, kinds_);
        stale_ = false;
    }
    const double level = levels_.Level(data, row, column);
    if (level < 0) return false;
    const QPalette& pal = view_->palette();
    const Rgb tint = ShadeColour(ToRgb(pal.color(QPalette::Base)), ToRgb(pal.color(QPalette::Highlight)), level);
    *colour = QColor(tint.r, tint.g, tint.b);
    return true;
}

}  // namespace lorvex
