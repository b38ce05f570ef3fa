#pragma once
// The figures of the highlighted rows (sum, mean, lowest, highest) for the
// focused column: the column of the last click in the table's rows or
// headings. A label of its own to the right of the status line, which it
// never writes; it follows the highlight and the focused column.
#include <QLabel>

#include "table/TableListCtrl.h"

namespace lorvex {

class TableListView;

class FiguresLabel : public QLabel, public TableObserver {
public:
    // A child of statusText's window, beside statusText.
    FiguresLabel(TableListCtrl& control, TableListView* view, QLabel* statusText);
    ~FiguresLabel() override;

    int FocusedColumn() const { return column_; }
    void SetFocusedColumn(int column);
    // The figures' text in full (the label may show it shortened).
    const QString& Figures() const { return figures_; }

    // Leaves this many pixels free at the right end of the status line.
    void ReserveRight(int pixels);

    void TableRowsChanged() override { Schedule(); }
    void TableColumnsChanged() override { Schedule(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Schedule();
    void Refresh();
    void Place();

    TableListCtrl* control_;  // nullptr once the view is gone
    TableListView* view_;
    QLabel* statusText_;
    QString figures_;
    int column_ = -1;
    int reserveRight_ = 0;
    bool scheduled_ = false;
};

}  // namespace lorvex
