#include "table/widget/TableHeaderCtrl.h"

#include <QApplication>
#include <QFontMetrics>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPolygon>
#include <QStyle>
#include <QStyleOptionHeader>
#include <QToolTip>

#include "table/widget/CellText.h"
#include "table/widget/PlainTip.h"

namespace lorvex {

TableHeaderCtrl::TableHeaderCtrl(TableListCtrl& control, QWidget* parent) : QWidget(parent), control_(control) {
    setMouseTracking(true);  // the divider cursor, and a move without the button ends a drag
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    control_.Data().AddObserver(this);
    paintedSortColumn_ = control_.SortColumn();
    paintedAscending_ = control_.SortAscending();
}

TableHeaderCtrl::~TableHeaderCtrl() { control_.Data().RemoveObserver(this); }

// A sort tells the data's observers (the rows moved), not the header: without
// this the old arrow stayed until something else repainted the header.
void TableHeaderCtrl::FollowSort() {
    if (control_.SortColumn() == paintedSortColumn_ && control_.SortAscending() == paintedAscending_) return;
    paintedSortColumn_ = control_.SortColumn();
    paintedAscending_ = control_.SortAscending();
    update();
}

QSize TableHeaderCtrl::sizeHint() const { return {200, fontMetrics().height() + 8}; }

void TableHeaderCtrl::SetOffset(int offset) {
    if (offset == offset_) return;
    offset_ = offset;
    update();
}

int TableHeaderCtrl::CellMargin() const { return 2 * fontMetrics().horizontalAdvance(QLatin1Char(' ')); }

std::vector<int> TableHeaderCtrl::Widths() const {
    const TableData& table = control_.Data();
    std::vector<int> widths(static_cast<std::size_t>(table.ColumnCount()));
    for (int c = 0; c < table.ColumnCount(); ++c) widths[static_cast<std::size_t>(c)] = table.ColumnWidth(c);
    return widths;
}

QRect TableHeaderCtrl::HeadingRect(int column) const {
    const TableData& table = control_.Data();
    if (column < 0 || column >= table.ColumnCount()) return {};
    int left = -offset_;
    for (int c = 0; c < column; ++c) left += table.ColumnWidth(c);
    return {left, 0, table.ColumnWidth(column), height()};
}

int TableHeaderCtrl::DividerAt(int x) const {
    const TableData& table = control_.Data();
    const int cx = x + offset_;
    int right = 0, found = -1;
    for (int c = 0; c < table.ColumnCount(); ++c) {
        right += table.ColumnWidth(c);
        if (cx >= right - kDividerGrip && cx < right + kDividerGrip) found = c;  // the last one wins
        if (right - kDividerGrip > cx) break;
    }
    return found;
}

int TableHeaderCtrl::HeadingAt(int x) const {
    const TableData& table = control_.Data();
    const int cx = x + offset_;
    if (cx < 0) return -1;
    int left = 0;
    for (int c = 0; c < table.ColumnCount(); ++c) {
        const int right = left + table.ColumnWidth(c);
        if (cx >= left && cx < right) return c;
        left = right;
    }
    return -1;
}

QRect TableHeaderCtrl::ToWidget(const MarkerRect& r) const {
    return QRect(QPoint(r.left - offset_, r.top), QPoint(r.right - offset_ - 1, r.bottom - 1));
}

void TableHeaderCtrl::UpdateMarker(const MarkerRect& oldRect, const MarkerRect& newRect) {
    if (markerVisible_) update(ToWidget(oldRect));
    markerVisible_ = true;
    update(ToWidget(newRect));
}

void TableHeaderCtrl::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    const TableData& table = control_.Data();
    const QRect area = event->rect();
    p.fillRect(area, palette().color(QPalette::Button));

    int left = -offset_;
    for (int c = 0; c < table.ColumnCount(); ++c) {
        const int width = table.ColumnWidth(c);
        const QRect section(left, 0, width, height());
        left += width;
        if (width <= 0 || section.right() < area.left()) continue;
        if (section.left() > area.right()) break;
        const QStyleOptionHeader option = HeadingOption(c, section);
        style()->drawControl(QStyle::CE_HeaderSection, &option, &p, this);
        if (width <= TableListCtrl::kCollapsedLimit) {
            DrawCollapsedMarker(p, section);
            continue;
        }
        if (c == control_.SortColumn()) {
            const QRect arrow = SortArrowRect(c);
            if (!arrow.isEmpty()) DrawSortArrow(p, arrow, control_.SortAscending());
        }
        const QRect textRect = HeadingTextRect(c, section);
        if (textRect.width() <= 0) continue;
        const TableColumn& column = table.Column(c);
        const QString text = fontMetrics().elidedText(DecodeCellText(column.heading), Qt::ElideRight, textRect.width());
        p.setPen(palette().color(QPalette::ButtonText));
        p.drawText(textRect, QtAlignment(column.align) | Qt::AlignVCenter | Qt::TextSingleLine, text);
    }

    const HeaderDragTracker& tracker = control_.Header();
    if (markerVisible_ && tracker.Dragging()) {
        const MarkerTriangle t = HeaderDragTracker::TriangleAt(tracker.MarkerX() - offset_, height());
        p.setRenderHint(QPainter::Antialiasing, false);
        p.setPen(QPen(palette().color(QPalette::WindowText), 1));
        p.setBrush(palette().color(QPalette::Base));
        p.drawPolygon(QPolygon({QPoint(t.tip.x, t.tip.y), QPoint(t.left.x, t.left.y), QPoint(t.right.x, t.right.y)}));
    }
}

void TableHeaderCtrl::mousePressEvent(QMouseEvent* event) {
    const int x = event->position().toPoint().x();
    if (event->button() != Qt::LeftButton) return;
    pressColumn_ = -1;
    dragSeen_ = false;
    pressPos_ = event->position().toPoint();
    pastDragDistance_ = false;
    const int divider = DividerAt(x);
    if (divider >= 0) {
        resizeColumn_ = divider;
        resizeStartX_ = x;
        resizeStartWidth_ = control_.Data().ColumnWidth(divider);
        control_.Header().Press(false, -1);
        return;
    }
    const int column = HeadingAt(x);
    control_.Header().Press(column >= 0, column);
    pressColumn_ = column;
}

void TableHeaderCtrl::mouseMoveEvent(QMouseEvent* event) {
    const int x = event->position().toPoint().x();
    const bool leftDown = (event->buttons() & Qt::LeftButton) != 0;
    if (resizeColumn_ >= 0 && leftDown) {
        control_.Data().SetColumnWidth(resizeColumn_, std::max(0, resizeStartWidth_ + x - resizeStartX_));
        return;
    }
    // A shaky click is still a click: the drag waits for the platform's distance.
    if (leftDown && control_.Header().Pressed() && !control_.Header().Dragging() && !pastDragDistance_) {
        if ((event->position().toPoint() - pressPos_).manhattanLength() < QApplication::startDragDistance()) return;
        pastDragDistance_ = true;
    }
    const HeaderDragTracker::MoveResult r = control_.Header().Move(x + offset_, leftDown, Widths(), height());
    if (r.dragStarted) dragSeen_ = true;
    if (r.dragEnded) {
        markerVisible_ = false;
        update();
    }
    if (r.markerMoved) UpdateMarker(r.oldMarker, r.newMarker);
    if (!r.passOn) return;
    if (!leftDown) setCursor(DividerAt(x) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void TableHeaderCtrl::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (event->button() == Qt::RightButton) {
        if (rect().contains(pos)) control_.CollapseOrExpand(HeadingAt(pos.x()));
        return;
    }
    if (event->button() != Qt::LeftButton) return;
    if (resizeColumn_ >= 0) {
        resizeColumn_ = -1;
        return;
    }
    const HeaderDragTracker::ReleaseResult r = control_.Header().Release();
    if (r.dragEnded) {
        markerVisible_ = false;
        update();
    }
    const int pressed = pressColumn_;
    pressColumn_ = -1;
    // A click is a press and a release on the same heading with no drag between.
    if (pressed >= 0 && !dragSeen_ && !r.dragEnded && rect().contains(pos) && HeadingAt(pos.x()) == pressed) {
        control_.HeadingClick(pressed, 0, (event->modifiers() & Qt::ControlModifier) != 0);
        FollowSort();  // a table of fewer than two rows sorts without telling anyone
    }
}

void TableHeaderCtrl::leaveEvent(QEvent* event) {
    if (resizeColumn_ < 0) unsetCursor();
    QWidget::leaveEvent(event);
}

QStyleOptionHeader TableHeaderCtrl::HeadingOption(int column, const QRect& section) const {
    QStyleOptionHeader option;
    option.initFrom(this);
    option.rect = section;
    option.section = column;
    option.orientation = Qt::Horizontal;
    option.state |= QStyle::State_Raised | QStyle::State_Horizontal;
    option.position = QStyleOptionHeader::Middle;
    if (column == control_.SortColumn())
        option.sortIndicator = control_.SortAscending() ? QStyleOptionHeader::SortUp : QStyleOptionHeader::SortDown;
    return option;
}

// The heading inside the same margin as the cells below it, so that a fitted
// column shows its whole heading. The sorted one gives the style's arrow its
// room, and gives up the margin on the other side before a letter of a
// fitted heading.
QRect TableHeaderCtrl::HeadingTextRect(int column, const QRect& section) const {
    const int m = CellMargin();
    QRect text = section.adjusted(m, 0, -m, 0);
    const QRect arrow = column == control_.SortColumn() ? SortArrowRect(column) : QRect();
    if (arrow.isEmpty()) return text;
    const int wanted = fontMetrics().horizontalAdvance(DecodeCellText(control_.Data().Column(column).heading));
    if (arrow.center().x() >= section.center().x()) {
        text.setRight(std::min(text.right(), arrow.left() - 1));
        if (text.width() < wanted) text.setLeft(std::max(section.left() + kTightMargin, text.right() + 1 - wanted));
    } else {
        text.setLeft(std::max(text.left(), arrow.right() + 1));
        if (text.width() < wanted) text.setRight(std::min(section.right() - kTightMargin, text.left() + wanted - 1));
    }
    return text;
}

QRect TableHeaderCtrl::SortArrowRect(int column) const {
    const QRect section = HeadingRect(column);
    if (section.width() <= TableListCtrl::kCollapsedLimit) return {};
    const QStyleOptionHeader option = HeadingOption(column, section);
    const QRect arrow = style()->subElementRect(QStyle::SE_HeaderArrow, &option, this);
    return section.contains(arrow) ? arrow : QRect();
}

// The style's own arrow at the size the style gives it, so that it reads like
// every other sorted list on the desktop, at any scale.
void TableHeaderCtrl::DrawSortArrow(QPainter& p, const QRect& arrow, bool ascending) const {
    QStyleOptionHeader option;
    option.initFrom(this);
    option.rect = arrow;
    option.orientation = Qt::Horizontal;
    option.state |= QStyle::State_Horizontal;
    option.sortIndicator = ascending ? QStyleOptionHeader::SortUp : QStyleOptionHeader::SortDown;
    style()->drawPrimitive(QStyle::PE_IndicatorHeaderArrow, &option, &p, this);
}

// Two dotted rules down the stub, so that a collapsed column is found again.
void TableHeaderCtrl::DrawCollapsedMarker(QPainter& p, const QRect& section) const {
    const QRect inner = section.adjusted(2, 3, -2, -3);
    if (inner.width() <= 0 || inner.height() <= 0) return;
    p.save();
    p.fillRect(inner, palette().color(QPalette::Mid));
    p.setPen(QPen(palette().color(QPalette::ButtonText), 1, Qt::DotLine));
    const int x = inner.center().x();
    p.drawLine(x - 1, inner.top() + 1, x - 1, inner.bottom() - 1);
    p.drawLine(x + 1, inner.top() + 1, x + 1, inner.bottom() - 1);
    p.restore();
}

QString TableHeaderCtrl::HeadingTip(int column) const {
    const TableData& table = control_.Data();
    if (column < 0 || column >= table.ColumnCount()) return {};
    const QString heading = DecodeCellText(table.Column(column).heading);
    const int width = table.ColumnWidth(column);
    if (width <= TableListCtrl::kCollapsedLimit) return heading;
    const int room = HeadingTextRect(column, HeadingRect(column)).width();
    return fontMetrics().horizontalAdvance(heading) > room ? heading : QString();
}

bool TableHeaderCtrl::event(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const QString tip = HeadingTip(HeadingAt(help->pos().x()));
        if (tip.isEmpty()) {
            QToolTip::hideText();
            event->ignore();
        } else {
            ShowPlainTip(help->globalPos(), tip, this);
        }
        return true;
    }
    return QWidget::event(event);
}

}  // namespace lorvex
