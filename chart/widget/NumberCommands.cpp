#include "chart/widget/NumberCommands.h"

#include <QAction>
#include <QLabel>
#include <QMenu>

#include "chart/widget/ChartWindow.h"
#include "chart/widget/FiguresLabel.h"
#include "chart/widget/ShadeNumbers.h"
#include "table/widget/TableListView.h"

namespace lorvex {

NumberCommands::NumberCommands(QMenu* menu, TableListCtrl& control, TableListView* view, QLabel* statusText)
    : QObject(view), control_(control), view_(view) {
    chartAction = menu->addAction(QStringLiteral("Chart..."));
    chartAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    shadeAction = menu->addAction(QStringLiteral("Shade Numbers"));
    shadeAction->setCheckable(true);
    shading = new ShadeNumbers(control, view);
    figures = new FiguresLabel(control, view, statusText);
    connect(chartAction, &QAction::triggered, this, [this] { OpenChart(); });
    connect(shadeAction, &QAction::toggled, this, [this](bool on) { shading->SetOn(on); });
}

ChartWindow* NumberCommands::OpenChart() {
    auto* chart = new ChartWindow(control_, view_, view_->window());
    chart->show();
    return chart;
}

}  // namespace lorvex
