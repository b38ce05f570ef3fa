#include "table/widget/TableListView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QHelpEvent>
#include <QToolTip>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

#include "table/widget/CellText.h"
#include "table/widget/PlainTip.h"
#include "table/widget/TableHeaderCtrl.h"

namespace lorvex {
namespace {

// A horizontal span [left, right) in viewport pixels.
struct Span {
    int left = 0, right = 0;
};

QRect ToRect(Span s, int top, int height) { return {s.left, top, std::max(0, s.right - s.left), height}; }


}  // namespace

TableListView::TableListView(TableListCtrl& control, QWidget* parent)
    : QAbstractScrollArea(parent), control_(control), measure_(font(), font()) {
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

int TableListView::VisibleRowCount() const { return std::max(1, viewport()->height() / RowHeight()); }

int TableListView::TotalColumnWidth() const {
    const TableData& table = control_.Data();
    int total = 0;
    for (int c = 0; c < table.ColumnCount(); ++c) total += table.ColumnWidth(c);
    return total;
}

void TableListView::SyncLines() const {
    if (!linesDirty_) return;
    linesDirty_ = false;
    lines_.clear();
    const TableData& table = control_.Data();
    if (table.HiddenCount() == 0) return;
    lines_.reserve(static_cast<std::size_t>(table.ShownCount()));
    for (int r = table.NextRow(-1, false, true); r >= 0; r = table.NextRow(r, false, true)) lines_.push_back(r);
}

int TableListView::ShownRowCount() const {
    SyncLines();
    return control_.Data().HiddenCount() == 0 ? control_.Data().RowCount() : static_cast<int>(lines_.size());
}

int TableListView::RowAtLine(int line) const {
    if (line < 0 || line >= ShownRowCount()) return -1;
    return control_.Data().HiddenCount() == 0 ? line : lines_[static_cast<std::size_t>(line)];
}

int TableListView::LineOfRow(int row) const {
    const TableData& table = control_.Data();
    if (row < 0 || row >= table.RowCount() || table.IsHidden(row)) return -1;
    if (table.HiddenCount() == 0) return row;
    SyncLines();
    const auto it = std::lower_bound(lines_.begin(), lines_.end(), row);
    return it != lines_.end() && *it == row ? static_cast<int>(it - lines_.begin()) : -1;
}

int TableListView::RowAt(int viewportY) const {
    if (viewportY < 0) return -1;
    return RowAtLine(FirstVisibleRow() + viewportY / RowHeight());
}

int TableListView::ColumnAt(int viewportX) const {
    const TableData& table = control_.Data();
    int left = -horizontalScrollBar()->value();
    for (int c = 0; c < table.ColumnCount(); ++c) {
        const int right = left + table.ColumnWidth(c);
        if (viewportX >= left && viewportX < right) return c;
        left = right;
    }
    return -1;
}

QRect TableListView::RowBoundsRect(int row) const {
    const int line = LineOfRow(row);
    if (line < 0) return {};
    const int top = (line - FirstVisibleRow()) * RowHeight();
    return {-horizontalScrollBar()->value(), top, TotalColumnWidth(), RowHeight()};
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
    row = LineOfRow(row);
    if (row < 0) return;
    QScrollBar* bar = verticalScrollBar();
    if (row < bar->value()) bar->setValue(row);
    else if (row >= bar->value() + VisibleRowCount()) bar->setValue(row - VisibleRowCount() + 1);
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
    const int page = VisibleRowCount();
    verticalScrollBar()->setPageStep(page);
    verticalScrollBar()->setRange(0, std::max(0, rows - page));
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
    linesDirty_ = true;
    MarkPending(false);
}
void TableListView::TableColumnsChanged() { MarkPending(true); }

void TableListView::MarkPending(bool columns) {
    if (columns) columnsPending_ = true;
    if (pending_) return;
    pending_ = true;
    viewport()->update();
    QMetaObject::invokeMethod(this, [this] { FlushPending(); }, Qt::QueuedConnection);
}

void TableListView::FlushPending() {
    if (!pending_) return;
    pending_ = false;
    const int rows = ShownRowCount();
    if (columnsPending_ || rows != knownRowCount_) UpdateScrollBars();
    if (columnsPending_) header_->update();
    columnsPending_ = false;
    if (anchorRow_ >= control_.Data().RowCount()) anchorRow_ = -1;
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
    const int top = (line - FirstVisibleRow()) * RowHeight();
    const int height = RowHeight();
    const int x0 = -horizontalScrollBar()->value();

    Span bounds{x0, x0 + TotalColumnWidth()};
    const Span label{x0, x0 + table.ColumnWidth(0)};
    const QString firstText = DecodeCellText(table.Cell(row, 0));
    const int m = CellMargin();

    Span light;
    switch (control_.HighlightMode()) {
    case 1: light = {label.left, bounds.right}; break;
    case 2: light = {label.left, std::max(viewport()->width(), label.left)}; break;
    case 0:
        light = label;
        light.right = std::min(light.right, label.left + metrics.horizontalAdvance(firstText) + m);
        break;
    default: light = label; break;
    }

    QColor text = pal.color(QPalette::Text);
    p.fillRect(ToRect(light, top, height), highlighted ? pal.color(group, QPalette::Highlight) : pal.color(QPalette::Base));
    if (highlighted) text = pal.color(group, QPalette::HighlightedText);
    TintCell(p, row, 0, ToRect({x0, x0 + table.ColumnWidth(0)}, top, height), highlighted);

    // The first cell: left-aligned whatever the column's format, inside the
    // label less m/2 on the left and m on the right, clipped to column 0.
    Span column{bounds.left, bounds.left + table.ColumnWidth(0)};
    p.setClipRect(ToRect(column, top, height));
    p.setPen(text);
    const int firstWidth = (label.right - m) - (label.left + m / 2);
    if (firstWidth > 0 && !firstText.isEmpty()) {
        const QRect r(label.left + m / 2, top, firstWidth, height);
        p.drawText(r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                   metrics.elidedText(firstText, Qt::ElideRight, firstWidth));
    }

    const int mode = control_.HighlightMode();
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
        const std::string_view cell = table.Cell(row, c);
        if (cell.empty()) continue;
        const QRect r = ToRect({column.left + m, column.right - m}, top, height);
        if (r.width() <= 0) continue;  // a collapsed column shows no text
        p.setClipRect(r.intersected(boundsRect));
        p.drawText(r, QtAlignment(table.Column(c).align) | Qt::AlignVCenter | Qt::TextSingleLine,
                   metrics.elidedText(DecodeCellText(cell), Qt::ElideRight, r.width()));
    }
    p.setClipping(false);

    if (focused && table.FocusedRow() == row) {
        // A dotted frame on the highlight rectangle, visible on both colours.
        const QRect frame = ToRect(light, top, height);
        if (frame.width() > 1) {
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(highlighted ? pal.color(group, QPalette::HighlightedText) : pal.color(QPalette::Text), 1, Qt::DotLine));
            p.drawRect(frame.adjusted(0, 0, -1, -1));
        }
    }
}

void TableListView::SetCellTint(CellTint* tint) {
    tint_ = tint;
    viewport()->update();
}

// A tint goes under the text of a cell the highlight leaves uncovered.
void TableListView::TintCell(QPainter& p, int row, int column, const QRect& cell, bool covered) {
    QColor colour;
    if (!tint_ || covered || !tint_->TintFor(row, column, &colour)) return;
    p.setClipping(false);
    p.fillRect(cell, colour);
}

void TableListView::SelectOnly(int row) {
    TableData& table = control_.Data();
    NotifyHold hold(table);
    table.SelectAll(false);
    table.SetSelected(row, true);
}

void TableListView::SelectRange(int from, int to, bool keepOthers) {
    TableData& table = control_.Data();
    NotifyHold hold(table);
    if (!keepOthers) table.SelectAll(false);
    // Hidden rows between the two stay as they are.
    from = LineOfRow(from);
    to = LineOfRow(to);
    if (from < 0 || to < 0) return;
    if (from > to) std::swap(from, to);
    for (int line = from; line <= to; ++line) table.SetSelected(RowAtLine(line), true);
}

void TableListView::mousePressEvent(QMouseEvent* event) {
    FlushPending();
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    TableData& table = control_.Data();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier, shift = mods & Qt::ShiftModifier;
    pressInRows_ = true;
    const int row = RowAt(event->position().toPoint().y());
    if (row < 0) {
        if (!ctrl && !shift) table.SelectAll(false);
        return;
    }
    NotifyHold hold(table);
    if (shift) {
        if (anchorRow_ < 0) anchorRow_ = table.FocusedRow() >= 0 ? table.FocusedRow() : row;
        SelectRange(anchorRow_, row, ctrl);
    } else if (ctrl) {
        table.SetSelected(row, !table.IsSelected(row));
        anchorRow_ = row;
    } else {
        SelectOnly(row);
        anchorRow_ = row;
    }
    table.SetFocusedRow(row);
    EnsureRowVisible(row);
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

// line: the line of the view to go to, clamped to the shown rows.
void TableListView::MoveFocusTo(int line, Qt::KeyboardModifiers modifiers) {
    TableData& table = control_.Data();
    if (ShownRowCount() == 0) return;
    const int row = RowAtLine(std::clamp(line, 0, ShownRowCount() - 1));
    NotifyHold hold(table);
    if (modifiers & Qt::ShiftModifier) {
        if (anchorRow_ < 0) anchorRow_ = table.FocusedRow() >= 0 ? table.FocusedRow() : row;
        SelectRange(anchorRow_, row, false);
    } else if (!(modifiers & Qt::ControlModifier)) {
        SelectOnly(row);
        anchorRow_ = row;
    }
    table.SetFocusedRow(row);
    EnsureRowVisible(row);
}

void TableListView::keyPressEvent(QKeyEvent* event) {
    FlushPending();
    TableData& table = control_.Data();
    const Qt::KeyboardModifiers mods = event->modifiers();
    const int focusRow = table.FocusedRow();
    const int focus = LineOfRow(focusRow);  // the keys walk the shown rows
    const int page = std::max(1, VisibleRowCount() - 1);
    if (event->matches(QKeySequence::SelectAll)) {
        HighlightShownRows();
        return;
    }
    switch (event->key()) {
    case Qt::Key_Delete: emit deleteKeyPressed(); return;
    case Qt::Key_Up: MoveFocusTo(focus < 0 ? 0 : focus - 1, mods); return;
    case Qt::Key_Down: MoveFocusTo(focus < 0 ? 0 : focus + 1, mods); return;
    case Qt::Key_PageUp: MoveFocusTo(focus < 0 ? 0 : focus - page, mods); return;
    case Qt::Key_PageDown: MoveFocusTo(focus < 0 ? 0 : focus + page, mods); return;
    case Qt::Key_Home: MoveFocusTo(0, mods); return;
    case Qt::Key_End: MoveFocusTo(ShownRowCount() - 1, mods); return;
    case Qt::Key_Space:
        if (focus >= 0) {
            if (mods & Qt::ControlModifier) table.SetSelected(focusRow, !table.IsSelected(focusRow));
            else table.SetSelected(focusRow, true);
            anchorRow_ = focusRow;
        }
        return;
    default: QAbstractScrollArea::keyPressEvent(event);
    }
}

void TableListView::HighlightShownRows() {
    TableData& table = control_.Data();
    if (table.HiddenCount() == 0) {
        table.SelectAll(true);
        return;
    }
    NotifyHold hold(table);
    for (int r = table.NextRow(-1, false, true); r >= 0; r = table.NextRow(r, false, true)) table.SetSelected(r, true);
}

void TableListView::contextMenuEvent(QContextMenuEvent* event) {
    FlushPending();
    TableData& table = control_.Data();
    int row = table.FocusedRow();
    QPoint global = event->globalPos();
    if (event->reason() == QContextMenuEvent::Mouse) {
        row = RowAt(event->pos().y());
    } else if (row >= 0 && LineOfRow(row) >= 0) {
        global = viewport()->mapToGlobal(RowBoundsRect(row).bottomLeft());
    } else {
        row = -1;
    }
    if (row >= 0) {
        NotifyHold hold(table);
        if (!table.IsSelected(row)) SelectOnly(row);
        table.SetFocusedRow(row);
        anchorRow_ = row;
    }
    emit rowMenuRequested(row, global);
}

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
        const QString text = row >= 0 && column >= 0 ? CellTip(row, column) : QString();
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
