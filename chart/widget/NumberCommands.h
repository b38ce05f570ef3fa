#pragma once
// The number features on the main window: "Chart..." (Ctrl+G) and the
// checkable "Shade Numbers" in its menu, and the figures of the highlighted
// rows beside its status line. The main window only makes one of these.
#include <QObject>

#include "table/TableListCtrl.h"

class QAction;
class QLabel;
class QMenu;

namespace lorvex {

class ChartWindow;
class FiguresLabel;
class ShadeNumbers;
class TableListView;

class NumberCommands : public QObject {
public:
    // Adds the commands to the end of menu; lives as a child of view.
    NumberCommands(QMenu* menu, TableListCtrl& control, TableListView* view, QLabel* statusText);

    // A new chart window, shown; several may be open at once.
    ChartWindow* OpenChart();

    QAction* chartAction = nullptr;
    QAction* shadeAction = nullptr;
    ShadeNumbers* shading = nullptr;
    FiguresLabel* figures = nullptr;

private:
    TableListCtrl& control_;
    TableListView* view_;
};

}  // namespace lorvex
