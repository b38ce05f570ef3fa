#include <QHelpEvent>
#include <QToolTip>

#include "table/widget/CellText.h"
#include "table/widget/PlainTip.h"
#include "table/widget/TableListView.h"

// What the view's cells say when the mouse rests on them: the text a cell
// cuts short, and what the tints over it have to add.
namespace lorvex {

QString TableListView::CellTip(int row, int column) const {
    const TableData& table = control_.Data();
    const std::string_view cell = table.Cell(row, column);
    if (cell.empty() || table.ColumnWidth(column) <= TableListCtrl::kCollapsedLimit) {
        // A collapsed column shows nothing: its text is worth a tip too.
        return cell.empty() ? QString() : DecodeCellText(cell);
    }
    const int m = CellMargin();
    // Column 0 draws inside m/2 and m, the others inside m on both sides.
    const int room = table.ColumnWidth(column) - (column == 0 ? m + m / 2 : 2 * m);
    const QString text = DecodeCellText(cell);
    return fontMetrics().horizontalAdvance(text) > room ? text : QString();
}

bool TableListView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int row = RowAt(help->pos().y());
        const int column = ColumnAt(help->pos().x());
        QString text = row >= 0 && column >= 0 ? CellTip(row, column) : QString();
        const QString first = row >= 0 && column >= 0 ? tints_.Tip(row, column) : QString();
        if (!first.isEmpty()) text = text.isEmpty() ? first : first + QLatin1Char('\n') + text;
        if (text.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            ShowPlainTip(help->globalPos(), text, viewport());
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

}  // namespace lorvex
