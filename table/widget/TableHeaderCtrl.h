#pragma once
// The headings above the table's rows. A left click on a heading sorts, a
// press on a heading and a move drags the column to another gap (a triangle
// marks the gap), a right click collapses or expands the column, and a press
// on a divider resizes the column left of it. A press and release that moves
// less than the platform's drag distance is still a click. The sorted heading
// carries the style's sort arrow for the direction, redrawn whenever the sort
// changes, whoever sorts; a collapsed heading a marker; a heading that is cut
// or collapsed shows its whole text as a tip.
#include <QStyleOptionHeader>
#include <QWidget>

#include "table/TableListCtrl.h"

namespace lorvex {

class TableHeaderCtrl : public QWidget, public TableObserver {
    Q_OBJECT
public:
    // Follows the control's data (the control must outlive the header) so
    // that a sort from anywhere moves the arrow.
    explicit TableHeaderCtrl(TableListCtrl& control, QWidget* parent = nullptr);
    ~TableHeaderCtrl() override;

    // The horizontal scroll position: header x + offset = table x.
    void SetOffset(int offset);
    int Offset() const { return offset_; }
    // A heading's rectangle in this widget's coordinates.
    QRect HeadingRect(int column) const;
    // The column whose divider (right edge) lies within kDividerGrip of x, or -1.
    int DividerAt(int x) const;
    // The column whose heading contains x (dividers included), or -1.
    int HeadingAt(int x) const;
    int CellMargin() const;  // twice a space's width, as the rows use it
    QSize sizeHint() const override;
    // The heading's full text when it is collapsed or does not fit, else empty.
    QString HeadingTip(int column) const;
    // Where the style puts the sort arrow in a heading (widget coordinates),
    // empty for a heading too narrow to show one.
    QRect SortArrowRect(int column) const;

    void TableRowsChanged() override { FollowSort(); }
    void TableColumnsChanged() override { FollowSort(); }

    static constexpr int kDividerGrip = 4;
    static constexpr int kTightMargin = 2;  // what a sorted heading keeps of its margin when short of room

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    std::vector<int> Widths() const;
    void UpdateMarker(const MarkerRect& oldRect, const MarkerRect& newRect);
    QRect ToWidget(const MarkerRect& r) const;
    void FollowSort();
    QStyleOptionHeader HeadingOption(int column, const QRect& section) const;
    QRect HeadingTextRect(int column, const QRect& section) const;
    void DrawSortArrow(QPainter& p, const QRect& section, bool ascending) const;
    void DrawCollapsedMarker(QPainter& p, const QRect& section) const;

    TableListCtrl& control_;
    int offset_ = 0;
    int pressColumn_ = -1;   // heading under a left press, for the click at its release
    bool dragSeen_ = false;  // a drag happened since that press: no click
    int resizeColumn_ = -1;  // divider being dragged
    int resizeStartX_ = 0;
    int resizeStartWidth_ = 0;
    bool markerVisible_ = false;
    QPoint pressPos_;  // where the left press went down
    bool pastDragDistance_ = false;
    int paintedSortColumn_ = -1;  // the sort the arrow shows
    bool paintedAscending_ = true;
};

}  // namespace lorvex
