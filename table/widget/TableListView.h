#pragma once
// The table on screen: a report-style list over a TableListCtrl. It draws
// only the rows in view, with the highlight over the whole row (or the first
// cell's label, or out to the window's edge, by the control's highlight mode),
// shows the highlight and the focus rectangle only while it (or one of its
// focus companions) has the keyboard focus, and selects rows with the mouse
// and the keyboard like a list view. The rules are table/RowSelection's and
// table/ListGeometry's; this draws them and turns events into their calls.
#include <QAbstractScrollArea>
#include <QPointer>
#include <vector>

#include "table/ListGeometry.h"
#include "table/RowSelection.h"
#include "table/TableListCtrl.h"
#include "table/widget/CellTints.h"
#include "table/widget/QtTextMeasure.h"

namespace lorvex {

class TableHeaderCtrl;

class TableListView : public QAbstractScrollArea, public TableObserver {
    Q_OBJECT
public:
    // References `control` (which must outlive the view), becomes the
    // observer of its data and gives it a text measure in the view's font.
    explicit TableListView(TableListCtrl& control, QWidget* parent = nullptr);
    ~TableListView() override;

    TableListCtrl& Control() const { return control_; }
    TableHeaderCtrl* Header() const { return header_; }

    // Rows are addressed by their index in the data; rows a filter hides take
    // no line, and a hidden row has no rectangle.
    int RowHeight() const;
    int CellMargin() const;  // twice the width of a space
    int RowAt(int viewportY) const;
    QRect RowBoundsRect(int row) const;  // viewport coordinates
    QRect RowLabelRect(int row) const;
    QRect HeadingRect(int column) const;  // header coordinates
    void EnsureRowVisible(int row);
    int FirstVisibleRow() const;
    int TotalColumnWidth() const;
    // Lines in the view: the shown rows.
    int ShownRowCount() const;
    // The row at a line of the view (-1 past the end), and a row's line (-1 when hidden).
    int RowAtLine(int line) const;
    int LineOfRow(int row) const;
    // The column under a viewport x, or -1.
    int ColumnAt(int viewportX) const;
    // The full text of a cell that is cut or in a collapsed column, else empty.
    QString CellTip(int row, int column) const;
    // The column last clicked in the rows (or under the row menu); -1 before any.
    // With the focused row it names the cell that commands on one cell work on.
    int CurrentColumn() const { return currentColumn_; }
    void SetCurrentColumn(int column) { currentColumn_ = column; }
    // Highlights every shown row (Ctrl+A); with none hidden, every row.
    void HighlightShownRows();

    void TableRowsChanged() override;
    void TableColumnsChanged() override;

    // A cell background under the text where the highlight does not cover it;
    // nullptr (the default) draws none. The tint must outlive its use here.
    void SetCellTint(CellTint* tint);
    CellTint* Tint() const { return tints_.Base(); }
    // Tints laid over that one (edited or compared cells), asked before it;
    // each may also mark a cell's corner and start its tooltip.
    void AddCellTint(CellTint* tint);
    void RemoveCellTint(CellTint* tint);

    // A widget that works on the table from elsewhere (a chart window, the
    // filter line): while the keyboard focus is in it, the highlighted rows
    // and the focused row show too, in the palette's inactive highlight
    // colour, so that what it does to the table can be seen. A window
    // companion counts while it is the active window. Forgotten when destroyed.
    void AddFocusCompanion(QWidget* companion);
    bool CompanionHasFocus() const;

signals:
    void rowClicked();
    void rowDoubleClicked(int row);
    void deleteKeyPressed();
    // A right click or the menu key on a row (-1 for none); the row is focused
    // and, unless it was highlighted already, the only highlighted row.
    void rowMenuRequested(int row, const QPoint& globalPos);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void DrawRow(QPainter& p, int row, int line, const QRect& area);
    void TintCell(QPainter& p, int row, int column, const QRect& cell, bool covered);
    void FollowCompanionFocus();

    void MarkPending(bool columns);
    void FlushPending();
    void UpdateGeometries();
    void UpdateScrollBars();
    LineScroll Scroll() const;
    int VisibleRowCount() const;  // rows that fit whole
    void MoveFocus(RowKey key, Qt::KeyboardModifiers modifiers);

    TableListCtrl& control_;
    TableHeaderCtrl* header_ = nullptr;
    QtTextMeasure measure_;
    int knownRowCount_ = -1;
    bool pressInRows_ = false;
    bool pending_ = false;         // data changed since the scroll ranges were set
    bool columnsPending_ = false;  // ... and the columns among it
    RowLines lines_;
    RowSelection selection_;  // over lines_
    CellTints tints_;
    int currentColumn_ = -1;
    std::vector<QPointer<QWidget>> companions_;
    bool companionFocused_ = false;  // as last drawn
    QMetaObject::Connection focusWatch_;
};

}  // namespace lorvex
