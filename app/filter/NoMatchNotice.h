#pragma once
// "No rows match the filter" over the table's rows while a filter is active
// and hides every row, so that an empty table is not taken for a failed load
// or a blank game. It lets the mouse through to the table below it.
#include <QLabel>
#include <QPointer>

#include "table/TableData.h"

class QAbstractScrollArea;

namespace lorvex {

class FilterBar;

class NoMatchNotice : public QLabel, public TableObserver {
    Q_OBJECT
public:
    // Lies over view's rows (the view must show table) and follows bar and
    // table; table must outlive the notice, which the view owns.
    NoMatchNotice(FilterBar& bar, TableData& table, QAbstractScrollArea& view);
    ~NoMatchNotice() override;

    void TableRowsChanged() override { Follow(); }
    void TableColumnsChanged() override {}

    static constexpr const char* kText = "No rows match the filter";

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Follow();

    QPointer<FilterBar> bar_;
    TableData& table_;
};

}  // namespace lorvex
