#pragma once
// "Shade Numbers": while on, the table view asks this for each cell's tint.
// It follows the table, so that a load, a removal or a filter gives the
// columns new ranges.
#include <QObject>
#include <vector>

#include "chart/Shade.h"
#include "table/TableListCtrl.h"
#include "table/widget/CellTint.h"

namespace lorvex {

class TableListView;

class ShadeNumbers : public QObject, public CellTint, public TableObserver {
public:
    // Lives as a child of view; off until switched on.
    ShadeNumbers(TableListCtrl& control, TableListView* view);
    ~ShadeNumbers() override;

    void SetOn(bool on);
    bool On() const { return on_; }

    bool TintFor(int row, int column, QColor* colour) override;
    void TableRowsChanged() override { stale_ = true; }
    void TableColumnsChanged() override { stale_ = true; }

private:
    TableListCtrl& control_;
    TableListView* view_;
    ShadeLevels levels_;
    std::vector<std::uint8_t> kinds_;  // the kinds the levels were taken with
    bool on_ = false;
    bool stale_ = true;
};

}  // namespace lorvex
