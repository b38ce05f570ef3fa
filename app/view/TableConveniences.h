#pragma once
// The table conveniences of the main window, wired in one place: the View
// menu (filter, copy, reload, column layout, listing font), the filter line,
// the row menu, the status line that follows every change of the highlight,
// and the column layout kept between runs.
#include <QObject>
#include <QPoint>
#include <string>
#include <vector>

#include "app/layout/LayoutKeeper.h"
#include "table/TableData.h"

class QAction;
class QMenu;

namespace lorvex {

class ConvenienceHost;
class FilterBar;

class TableConveniences : public QObject, public TableObserver {
    Q_OBJECT
public:
    explicit TableConveniences(ConvenienceHost& window);
    ~TableConveniences() override;

    FilterBar* Filter() const { return filter_; }
    bool FilterActive() const;
    LayoutKeeper& Layout() { return layout_; }

    // Puts the highlighted shown rows (or the focused row) on the clipboard.
    void Copy();
    // Before a load may replace the table, and after one did.
    void BeforeLoad();
    void AfterLoad(const std::string& configName);
    // After a load (or a column laid over the table): an open filter line applies again.
    void FilterAgain();
    // A command of another feature that the row menu offers after its own.
    void AddRowMenuAction(QAction* action) { rowMenuExtras_.push_back(action); }
    // Lays the filter line out at y; the height it takes.
    int PlaceFilterBar(int y, int width);
    // Clears and closes the filter line; false when it was not open.
    bool CloseFilter();

    void TableRowsChanged() override;
    void TableColumnsChanged() override {}

    QAction* filterAction = nullptr;
    QAction* copyAction = nullptr;
    QAction* reloadAction = nullptr;
    QAction* resetLayoutAction = nullptr;
    QAction* fixedFontAction = nullptr;
    QMenu* rowMenu = nullptr;  // the last row menu shown

protected:
    // The window's shortcuts reach it from the filter line too.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowRowMenu(int row, const QPoint& globalPos);

    ConvenienceHost& window_;
    FilterBar* filter_ = nullptr;
    LayoutKeeper layout_;
    std::vector<QAction*> rowMenuExtras_;
};

}  // namespace lorvex
