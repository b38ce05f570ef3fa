#include "table/widget/TableListView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "table/widget/CellText.h"
#include "table/widget/TableHeaderCtrl.h"

namespace lorvex {
namespace {

QRect ToRect(XSpan s, int top, int height) { return {s.left, top, std::max(0, s.right - s.left), height}; }

}  // namespace

TableListView::TableListView(TableListCtrl& control, QWidget* parent)
    : QAbstractScrollArea(parent),
      control_(control),
      measure_(font(), font()),
      lines_(control.Data()),
      selection_(control.Data(), lines_) {
    header_ = new TableHeaderCtrl(control_, this);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setSingleStep(1);
    control_.SetTextMeasure(&measure_);
    control_.Data().SetObserver(this);
    UpdateGeometries();
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, [this] { FollowCompanionFocus(); });
}

TableListView::~TableListView() {
    // The children go after this part of the view: the focus moving off them must not reach it.
    disconnect(focusWatch_);
    for (const QPointer<QWidget>& c : companions_)
        if (c) c->removeEventFilter(this);
    if (control_.Measure() == &measure_) control_.SetTextMeasure(nullptr);
    control_.Data().SetObserver(nullptr);
}

int TableListView::RowHeight() const { return fontMetrics().height() + 4; }
int TableListView::CellMargin() const { return 2 * fontMetrics().horizontalAdvance(QLatin1Char(' ')); }
int TableListView::FirstVisibleRow() const { return verticalScrollBar()->value(); }
LineScroll TableListView::Scroll() const { return {FirstVisibleRow(), RowHeight(), viewport()->height()}; }
int TableListView::VisibleRowCount() const { return Scroll().PageLines(); }

int TableListView::TotalColumnWidth() const { return RowWidth(control_.Data()); }

int TableListView::ShownRowCount() const { return lines_.Count(); }
int TableListView::RowAtLine(int line) const { return lines_.RowAt(line); }
int TableListView::LineOfRow(int row) const { return lines_.LineOf(row); }
int TableListView::RowAt(int viewportY) const { return lines_.RowAt(Scroll().LineAtY(viewportY)); }

int TableListView::ColumnAt(int viewportX) const {
    return ColumnAtX(control_.Data(), -horizontalScrollBar()->value(), viewportX);
}

QRect TableListView::RowBoundsRect(int row) const {
    const int line = LineOfRow(row);
    if (line < 0) return {};
    return {-horizontalScrollBar()->value(), Scroll().TopOf(line), TotalColumnWidth(), RowHeight()};
}

// The list view has no icons here, so a row's label is its first column.
QRect TableListView::RowLabelRect(int row) const {
    QRect r = RowBoundsRect(row);
    r.setWidth(control_.Data().ColumnWidth(0));
    return r;
}

QRect TableListView::HeadingRect(int column) const { return header_->HeadingRect(column); }

void TableListView::EnsureRowVisible(int row) {
    FlushPending();
    const int line = LineOfRow(row);
    if (line >= 0) verticalScrollBar()->setValue(Scroll().FirstShowing(line));
}

void TableListView::UpdateGeometries() {
    const int headerHeight = header_->sizeHint().height();
    setViewportMargins(0, headerHeight, 0, 0);
    const QRect vg = viewport()->geometry();
    header_->setGeometry(vg.left(), vg.top() - headerHeight, vg.width(), headerHeight);
    UpdateScrollBars();
}

void TableListView::UpdateScrollBars() {
    const int rows = ShownRowCount();
    verticalScrollBar()->setPageStep(VisibleRowCount());
    verticalScrollBar()->setRange(0, Scroll().LastFirst(rows));
    const int width = viewport()->width();
    horizontalScrollBar()->setPageStep(std::max(1, width));
    horizontalScrollBar()->setRange(0, std::max(0, TotalColumnWidth() - width));
    header_->SetOffset(horizontalScrollBar()->value());
    knownRowCount_ = rows;
}

// Data changes come one cell at a time (a load writes a million cells), so
// they only mark the view; the scroll ranges follow once, before the next
// event that looks at them or the next paint.
void TableListView::TableRowsChanged() {
    lines_.Invalidate();
    MarkPending(false);
}
void TableListView::TableColumnsChanged() { MarkPending(true); }

void TableListView::MarkPending(bool columns) {
    if (columns) columnsPending_ = true;
    if (pending_) return;
    pending_ = true;
    viewport()->update();
    QMetaObject::invokeMethod(
        this, [this] { FlushPending(); }, Qt::QueuedConnection);
}

void TableListView::FlushPending() {
    if (!pending_) return;
    pending_ = false;
    const int rows = ShownRowCount();
    if (columnsPending_ || rows != knownRowCount_) UpdateScrollBars();
    if (columnsPending_) header_->update();
    columnsPending_ = false;
    selection_.DropLostAnchor();
}

void TableListView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateGeometries();
}

void TableListView::scrollContentsBy(int, int) {
    header_->SetOffset(horizontalScrollBar()->value());
    viewport()->update();
}

void TableListView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        measure_.SetFonts(font(), header_->font());
        UpdateGeometries();
        viewport()->update();
    }
    QAbstractScrollArea::changeEvent(event);
}

void TableListView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();  // highlighted rows show as highlighted only while focused
}

void TableListView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void TableListView::AddFocusCompanion(QWidget* companion) {
    if (!companion) return;
    for (const QPointer<QWidget>& c : companions_)
        if (c == companion) return;
    std::erase_if(companions_, [](const QPointer<QWidget>& c) { return c.isNull(); });
    companions_.emplace_back(companion);
    // A window can become active without its focus widget changing.
    if (companion->isWindow()) companion->installEventFilter(this);
    FollowCompanionFocus();
}

bool TableListView::CompanionHasFocus() const {
    const QWidget* focus = QApplication::focusWidget();
    for (const QPointer<QWidget>& c : companions_) {
        if (!c) continue;
        // isAncestorOf stays inside one window: a dialog the companion opens is not the companion.
        if (focus && (focus == c || c->isAncestorOf(focus))) return true;
        if (c->isWindow() && c->isActiveWindow()) return true;
    }
    return false;
}

void TableListView::FollowCompanionFocus() {
    const bool focused = CompanionHasFocus();
    if (focused == companionFocused_) return;
    companionFocused_ = focused;
    viewport()->update();
}

bool TableListView::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type == QEvent::WindowActivate || type == QEvent::WindowDeactivate || type == QEvent::Hide)
        FollowCompanionFocus();
    return QAbstractScrollArea::eventFilter(watched, event);
}

void TableListView::paintEvent(QPaintEvent* event) {
    FlushPending();
    QPainter p(viewport());
    const QRect area = event->rect();
    const int rowHeight = RowHeight();
    const int first = FirstVisibleRow() + std::max(0, area.top()) / rowHeight;
    const int last = std::min(ShownRowCount() - 1, FirstVisibleRow() + area.bottom() / rowHeight);
    for (int line = first; line <= last; ++line) DrawRow(p, RowAtLine(line), line, area);
}

void TableListView::DrawRow(QPainter& p, int row, int line, const QRect& area) {
    const TableData& table = control_.Data();
    const QFontMetrics metrics = fontMetrics();
    const QPalette& pal = palette();
    // The original rule shows the highlight only with the keyboard focus; a
    // companion's focus shows it too, in the colour of a window not in front.
    const bool companion = !hasFocus() && CompanionHasFocus();
    const bool focused = hasFocus() || companion;
    const QPalette::ColorGroup group = companion ? QPalette::Inactive : pal.currentColorGroup();
    const bool highlighted = table.IsSelected(row) && focused;
    const int top = Scroll().TopOf(line);
    const int height = RowHeight();
    const int x0 = -horizontalScrollBar()->value();

    XSpan bounds{x0, x0 + TotalColumnWidth()};
    const XSpan label{x0, x0 + table.ColumnWidth(0)};
    CellLook look = tints_.Look(row, 0);
    const QString firstText = look.shown.isNull() ? DecodeCellText(table.Cell(row, 0)) : look.shown;
    const int m = CellMargin();
    const int mode = control_.HighlightMode();
    const int textWidth = mode == 0 ? metrics.horizontalAdvance(firstText) + m : 0;
    const XSpan light = HighlightSpan(mode, label, bounds.right, textWidth, viewport()->width());

    QColor text = pal.color(QPalette::Text);
    const QColor dimmed = pal.color(QPalette::Disabled, QPalette::Text);
    p.fillRect(ToRect(light, top, height),
               highlighted ? pal.color(group, QPalette::Highlight) : pal.color(QPalette::Base));
    if (highlighted) text = pal.color(group, QPalette::HighlightedText);
    TintCell(p, row, 0, ToRect({x0, x0 + table.ColumnWidth(0)}, top, height), highlighted);

    // The first cell: left-aligned whatever the column's format, inside the
    // label less m/2 on the left and m on the right, clipped to column 0.
    XSpan column{bounds.left, bounds.left + table.ColumnWidth(0)};
    p.setClipRect(ToRect(column, top, height));
    p.setPen(text);
    const int firstWidth = (label.right - m) - (label.left + m / 2);
    if (firstWidth > 0 && !firstText.isEmpty()) {
        const QRect r(label.left + m / 2, top, firstWidth, height);
        // A struck-out text on the highlight keeps the highlight's text colour: dimmed, it would not read.
        DrawCellText(p, r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                     metrics.elidedText(firstText, Qt::ElideRight, firstWidth), look, highlighted ? text : dimmed);
    }
    if (tints_.Mark(row, 0)) DrawCellMark(p, ToRect(column, top, height), text);

    if (mode == 0) p.setPen(pal.color(QPalette::Text));  // the other cells show as not highlighted
    bounds.right = std::max(bounds.right, light.right);
    const QRect boundsRect = ToRect(bounds, top, height);

    for (int c = 1; c < table.ColumnCount(); ++c) {
        column.left = column.right;
        column.right += table.ColumnWidth(c);
        if (column.right <= area.left()) continue;
        if (column.left > area.right()) break;
        if (mode == 0) {
            p.setClipRect(boundsRect);
            p.fillRect(ToRect(column, top, height), pal.color(QPalette::Base));
        }
        TintCell(p, row, c, ToRect(column, top, height), highlighted && mode != 0);
        if (tints_.Mark(row, c)) DrawCellMark(p, ToRect(column, top, height).intersected(boundsRect), p.pen().color());
        look = tints_.Look(row, c);
        const QString shown = look.shown.isNull() ? DecodeCellText(table.Cell(row, c)) : look.shown;
        if (shown.isEmpty()) continue;
        const QRect r = ToRect({column.left + m, column.right - m}, top, height);
        if (r.width() <= 0) continue;  // a collapsed column shows no text
        p.setClipRect(r.intersected(boundsRect));
        DrawCellText(p, r, QtAlignment(table.Column(c).align) | Qt::AlignVCenter | Qt::TextSingleLine,
                     metrics.elidedText(shown, Qt::ElideRight, r.width()), look,
                     highlighted && mode != 0 ? p.pen().color() : dimmed);
    }
    p.setClipping(false);

    if (focused && table.FocusedRow() == row) {
        // A dotted frame on the highlight rectangle, visible on both colours.
        const QRect frame = ToRect(light, top, height);
        if (frame.width() > 1) {
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(highlighted ? pal.color(group, QPalette::HighlightedText) : pal.color(QPalette::Text), 1,
                          Qt::DotLine));
            p.drawRect(frame.adjusted(0, 0, -1, -1));
        }
    }
}

void TableListView::SetCellTint(CellTint* tint) {
    tints_.SetBase(tint);
    viewport()->update();
}

void TableListView::AddCellTint(CellTint* tint) {
    tints_.AddOverlay(tint);
    viewport()->update();
}

void TableListView::RemoveCellTint(CellTint* tint) {
    tints_.RemoveOverlay(tint);
    viewport()->update();
}

// A tint goes under the text of a cell the highlight leaves uncovered.
void TableListView::TintCell(QPainter& p, int row, int column, const QRect& cell, bool covered) {
    QColor colour;
    if (covered || !tints_.Tint(row, column, &colour)) return;
    p.setClipping(false);
    p.fillRect(cell, colour);
}

void TableListView::mousePressEvent(QMouseEvent* event) {
    FlushPending();
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers mods = event->modifiers();
    pressInRows_ = true;
    currentColumn_ = ColumnAt(event->position().toPoint().x());
    const int row = RowAt(event->position().toPoint().y());
    NotifyHold hold(control_.Data());
    if (selection_.Click(row, mods & Qt::ControlModifier, mods & Qt::ShiftModifier)) EnsureRowVisible(row);
}

void TableListView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressInRows_) {
        pressInRows_ = false;
        emit rowClicked();
        return;
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void TableListView::mouseDoubleClickEvent(QMouseEvent* event) {
    FlushPending();
    if (event->button() != Qt::LeftButton) return;
    pressInRows_ = true;
    const int row = RowAt(event->position().toPoint().y());
    if (row >= 0) emit rowDoubleClicked(row);
}

void TableListView::MoveFocus(RowKey key, Qt::KeyboardModifiers modifiers) {
    NotifyHold hold(control_.Data());
    const int page = std::max(1, VisibleRowCount() - 1);
    const int row = selection_.Move(key, page, modifiers & Qt::ControlModifier, modifiers & Qt::ShiftModifier);
    if (row >= 0) EnsureRowVisible(row);
}

void TableListView::keyPressEvent(QKeyEvent* event) {
    FlushPending();
    const Qt::KeyboardModifiers mods = event->modifiers();
    if (event->matches(QKeySequence::SelectAll)) {
        HighlightShownRows();
        return;
    }
    switch (event->key()) {
        case Qt::Key_Delete: emit deleteKeyPressed(); return;
        case Qt::Key_Up: MoveFocus(RowKey::Up, mods); return;
        case Qt::Key_Down: MoveFocus(RowKey::Down, mods); return;
        case Qt::Key_PageUp: MoveFocus(RowKey::PageUp, mods); return;
        case Qt::Key_PageDown: MoveFocus(RowKey::PageDown, mods); return;
        case Qt::Key_Home: MoveFocus(RowKey::Home, mods); return;
        case Qt::Key_End: MoveFocus(RowKey::End, mods); return;
        case Qt::Key_Space: selection_.Space(mods & Qt::ControlModifier); return;
        default: QAbstractScrollArea::keyPressEvent(event);
    }
}

void TableListView::HighlightShownRows() { selection_.HighlightShown(); }

void TableListView::contextMenuEvent(QContextMenuEvent* event) {
    FlushPending();
    int row = control_.Data().FocusedRow();
    QPoint global = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        row = RowAt(event->pos().y());
        currentColumn_ = ColumnAt(event->pos().x());
    } else if (row >= 0 && LineOfRow(row) >= 0) {
        global = viewport()->mapToGlobal(RowBoundsRect(row).bottomLeft());
    } else {
        row = -1;
    }
    selection_.MenuOn(row);
    emit rowMenuRequested(row, global);
}

}  // namespace lorvex
