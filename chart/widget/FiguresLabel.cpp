#include "chart/widget/FiguresLabel.h"

#include <QEvent>
#include <QMouseEvent>
#include <QTimer>

#include "chart/Figures.h"
#include "table/widget/CellText.h"
#include "table/widget/TableHeaderCtrl.h"
#include "table/widget/TableListView.h"

namespace lorvex {

FiguresLabel::FiguresLabel(TableListCtrl& control, TableListView* view, QLabel* statusText)
    : QLabel(statusText->parentWidget()), control_(&control), view_(view), statusText_(statusText) {
    setObjectName(QStringLiteral("figuresText"));
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignRight | Qt::AlignTop);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    control.Data().AddObserver(this);
    view->viewport()->installEventFilter(this);
    view->Header()->installEventFilter(this);
    statusText->installEventFilter(this);
    parentWidget()->installEventFilter(this);
    // The main window deletes the view, then the table, then its children: let go before the table goes.
    connect(view, &QObject::destroyed, this, [this] {
        if (control_) control_->Data().RemoveObserver(this);
        control_ = nullptr;
    });
    Place();
}

FiguresLabel::~FiguresLabel() {
    if (control_) control_->Data().RemoveObserver(this);
}

void FiguresLabel::SetFocusedColumn(int column) {
    if (column == column_) return;
    column_ = column;
    Refresh();
}

bool FiguresLabel::eventFilter(QObject* watched, QEvent* event) {
    if (!control_) return false;
    if (event->type() == QEvent::MouseButtonPress && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        const int x = static_cast<QMouseEvent*>(event)->position().toPoint().x();
        // The header and the rows share the horizontal scroll, so one hit test serves both.
        if (watched == view_->Header() || watched == view_->viewport()) {
            const int column = view_->Header()->HeadingAt(x);
            if (column >= 0) SetFocusedColumn(column);
        }
    } else if (event->type() == QEvent::Resize || event->type() == QEvent::Move ||
               (watched == statusText_ && event->type() == QEvent::Paint)) {
        Place();
    }
    return false;
}

void FiguresLabel::ReserveRight(int pixels) {
    reserveRight_ = pixels;
    Place();
}

// Highlight changes come one row at a time: the figures follow once they are done.
void FiguresLabel::Schedule() {
    if (scheduled_) return;
    scheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        scheduled_ = false;
        Refresh();
    });
}

void FiguresLabel::Refresh() {
    if (!control_) return;
    const TableData& table = control_->Data();
    if (column_ >= table.ColumnCount()) column_ = -1;
    const std::string text = FiguresText(table, control_->ColumnKinds(), column_);
    figures_ = DecodeCellText(text);
    Place();
}

// From the end of the status text to the window's right edge, shortened so
// that the two never run into each other.
void FiguresLabel::Place() {
    const QFontMetrics metrics = statusText_->fontMetrics();
    const int gap = 3 * metrics.horizontalAdvance(QLatin1Char(' '));
    const int left = statusText_->x() + metrics.horizontalAdvance(statusText_->text()) + gap;
    const int right = parentWidget()->width() - statusText_->x() - reserveRight_;
    const QRect place(left, statusText_->y(), std::max(0, right - left), statusText_->height());
    if (geometry() != place) setGeometry(place);
    const QString shown = fontMetrics().elidedText(figures_, Qt::ElideRight, place.width());
    if (text() != shown) setText(shown);
}

}  // namespace lorvex
