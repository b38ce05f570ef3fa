#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QLineEdit>
#include <QProxyStyle>
#include <QSignalSpy>
#include <QStyleOptionHeader>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "table/widget/CellText.h"
#include "table/widget/TableHeaderCtrl.h"
#include "table/widget/TableListView.h"
#include "tests/support/QtInput.h"
#include "tests/support/TableFill.h"

namespace lorvex {
namespace {

using testkit::Click;
using testkit::Mouse;

// The application's style, noting each sort arrow it is asked to draw.
struct ArrowStyle : QProxyStyle {
    struct Arrow {
        QRect rect;
        bool up;
    };
    void drawPrimitive(PrimitiveElement e, const QStyleOption* o, QPainter* p, const QWidget* w) const override {
        if (e == PE_IndicatorHeaderArrow)
            if (const auto* h = qstyleoption_cast<const QStyleOptionHeader*>(o))
                drawn.push_back({h->rect, h->sortIndicator == QStyleOptionHeader::SortUp});
        QProxyStyle::drawPrimitive(e, o, p, w);
    }
    mutable std::vector<Arrow> drawn;
};

class TableWidget : public ::testing::Test {
protected:
    void SetUp() override {
        testkit::App();
        testkit::FillTable(
            table.Data(), {"name", "num", "text"},
            {{"d", "4", "x"}, {"b", "10", "y"}, {"a", "9", "x"}, {"B", "2", "z"}, {"c", "1", ""}, {"e", "7", "w"}}, 80);
        const std::uint8_t kinds[] = {0x81, 0x05, 0x81};
        table.SetColumnKinds(kinds, 3);
        table.EnableColumnDrag(true);
        table.SetRowHighlightMode(1);
        table.EnableClickSort(true);
        view = std::make_unique<TableListView>(table);
        view->resize(500, 300);
        view->show();
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        view->setFocus();
    }

    std::string Column(int c) const { return testkit::ColumnText(table.Data(), c); }
    std::string Selected() const { return testkit::HighlightedRows(table.Data()); }
    QPoint HeadingCenter(int c) const { return view->HeadingRect(c).center(); }
    QPoint Divider(int c) const { return QPoint(view->HeadingRect(c).right() - 1, view->HeadingRect(c).center().y()); }
    QPoint RowPoint(int r) const { return QPoint(20, view->RowBoundsRect(r).center().y()); }
    QWidget* Header() const { return view->Header(); }
    QWidget* Rows() const { return view->viewport(); }
    // The arrows the header draws when it paints itself whole.
    std::vector<ArrowStyle::Arrow> ArrowsDrawn() {
        Header()->setStyle(&style);
        style.drawn.clear();
        Header()->grab();
        return style.drawn;
    }

    TableListCtrl table;
    ArrowStyle style;  // outlives the view that may use it
    std::unique_ptr<TableListView> view;
};

TEST_F(TableWidget, HeadingClicksSortAndHighlightDuplicates) {
    Click(Header(), HeadingCenter(1));
    EXPECT_EQ(Column(1), "1,2,4,7,9,10");
    Click(Header(), HeadingCenter(2));
    EXPECT_EQ(Column(2), "w,x,x,y,z,");
    Click(Header(), Divider(0));  // on a divider: no heading click
    EXPECT_EQ(table.SortColumn(), 2);
    table.Data().SetSelected(5, true);
    Click(Header(), HeadingCenter(0), Qt::ControlModifier);
    EXPECT_EQ(Column(0), "a,b,B,c,d,e");
    EXPECT_EQ(Selected(), "1,2");
}

TEST_F(TableWidget, DragMovesColumn) {
    const int y = HeadingCenter(0).y();
    Mouse(Header(), QEvent::MouseButtonPress, HeadingCenter(0), Qt::LeftButton, Qt::LeftButton);
    Mouse(Header(), QEvent::MouseMove, HeadingCenter(1), Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(table.Header().Dragging());
    EXPECT_EQ(table.Header().DropIndex(), 1);
    Mouse(Header(), QEvent::MouseMove, QPoint(400, y + 50), Qt::NoButton, Qt::LeftButton);  // below: x alone counts
    EXPECT_EQ(table.Header().DropIndex(), 3);
    Header()->grab();  // draws the marker
    Mouse(Header(), QEvent::MouseButtonRelease, QPoint(400, y + 50), Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(table.Header().Dragging());
    EXPECT_EQ(table.ColumnHeading(2), "name");
    EXPECT_EQ(table.ColumnKinds(), (std::vector<std::uint8_t>{0x05, 0x81, 0x81}));
    EXPECT_EQ(Column(2), "d,b,a,B,c,e");
    EXPECT_EQ(table.SortColumn(), -1);  // a drag is no click
    // A drag released beside itself moves nothing; a divider drag resizes the column left of it.
    testkit::Drag(Header(), HeadingCenter(0), HeadingCenter(0) + QPoint(QApplication::startDragDistance() + 1, 0));
    testkit::Drag(Header(), Divider(0), Divider(0) + QPoint(25, 0));
    EXPECT_EQ(table.ColumnHeading(0), "num");
    EXPECT_EQ(table.Data().ColumnWidth(0), 105);
    EXPECT_EQ(table.SortColumn(), -1);
}

TEST_F(TableWidget, RightClickCollapsesThenExpands) {
    table.Data().SetColumnWidth(2, 16);
    Click(Header(), HeadingCenter(2), Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(table.Data().ColumnWidth(2), 10);
    Click(Header(), HeadingCenter(2), Qt::NoModifier, Qt::RightButton);
    // The fit covers the heading inside the margins the header draws.
    const int fit = QFontMetrics(Header()->font()).horizontalAdvance("text") + 2 * view->CellMargin() + 5;
    EXPECT_GE(table.Data().ColumnWidth(2), fit);
    EXPECT_LE(table.Data().ColumnWidth(2), fit + 2);
    EXPECT_EQ(table.SortColumn(), -1);
}

// What clicks and keys do to the highlight is RowSelection's (RowSelectionTest);
// here they reach it with the row under the pointer and the keys held down.
TEST_F(TableWidget, MouseSelection) {
    QSignalSpy clicked(view.get(), &TableListView::rowClicked);
    QSignalSpy doubled(view.get(), &TableListView::rowDoubleClicked);
    const struct {
        int row;
        Qt::KeyboardModifiers mods;
        const char* selected;
    } clicks[] = {{2, Qt::NoModifier, "2"}, {4, Qt::ControlModifier, "2,4"}, {1, Qt::ShiftModifier, "1,2,3,4"}};
    for (const auto& c : clicks) {
        Click(Rows(), RowPoint(c.row), c.mods);
        EXPECT_EQ(Selected(), c.selected) << c.row;
    }
    EXPECT_EQ(table.Data().FocusedRow(), 1);
    EXPECT_EQ(clicked.count(), 3);
    // A double click names the row under it, the first one like any other; below the last row, none (-1).
    const QPoint below(20, view->RowBoundsRect(5).bottom() + 30);
    const struct {
        QPoint at;
        int row;
    } doubles[] = {{RowPoint(3), 3}, {RowPoint(0), 0}, {below, -1}};
    for (const auto& d : doubles) {
        doubled.clear();
        Mouse(Rows(), QEvent::MouseButtonDblClick, d.at, Qt::LeftButton, Qt::LeftButton);
        ASSERT_EQ(doubled.count(), d.row < 0 ? 0 : 1) << d.row;
        EXPECT_EQ(doubled.isEmpty() ? -1 : doubled.at(0).at(0).toInt(), d.row);
    }
    Click(Rows(), below);
    EXPECT_EQ(Selected(), "");
}

TEST_F(TableWidget, KeyboardSelection) {
    QSignalSpy deleted(view.get(), &TableListView::deleteKeyPressed);
    Click(Rows(), RowPoint(1));
    // Three whole lines in view and half of a fourth: a page is two lines.
    view->resize(view->width(), view->height() - Rows()->height() + 7 * view->RowHeight() / 2);
    // Every key once, and the line at the top after it.
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char* selected;
        int focus, top;
    } keys[] = {
        {Qt::Key_Down, Qt::NoModifier, "2", 2, 0},
        {Qt::Key_Down, Qt::ShiftModifier, "2,3", 3, 1},
        {Qt::Key_Up, Qt::ControlModifier, "2,3", 2, 1},
        {Qt::Key_Space, Qt::ControlModifier, "3", 2, 1},
        {Qt::Key_End, Qt::NoModifier, "5", 5, 3},
        {Qt::Key_PageUp, Qt::NoModifier, "3", 3, 3},
        {Qt::Key_PageDown, Qt::ShiftModifier, "3,4,5", 5, 3},
        {Qt::Key_Home, Qt::NoModifier, "0", 0, 0},
        {Qt::Key_A, Qt::ControlModifier, "0,1,2,3,4,5", 0, 0},
    };
    for (const auto& k : keys) {
        QTest::keyClick(view.get(), k.key, k.mods);
        EXPECT_EQ(Selected(), k.selected) << k.key;
        EXPECT_EQ(table.Data().FocusedRow(), k.focus) << k.key;
        EXPECT_EQ(view->FirstVisibleRow(), k.top) << k.key;
    }
    QTest::keyClick(view.get(), Qt::Key_Delete);
    EXPECT_EQ(deleted.count(), 1);
}

TEST_F(TableWidget, AShakyClickStillSortsAndTheArrowShowsTheDirection) {
    const int slack = QApplication::startDragDistance();
    EXPECT_TRUE(ArrowsDrawn().empty());
    const struct {
        QPoint moved;
        bool ascending, dragged;
    } cases[] = {
        {QPoint(slack - 1, 0), true, false},
        {QPoint(0, slack - 1), false, false},
        {QPoint(slack, 0), false, true},  // the platform's distance makes it a drag
        {QPoint(0, 0), true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.moved.x() * 100 + c.moved.y());
        Mouse(Header(), QEvent::MouseButtonPress, HeadingCenter(1), Qt::LeftButton, Qt::LeftButton);
        Mouse(Header(), QEvent::MouseMove, HeadingCenter(1) + c.moved, Qt::NoButton, Qt::LeftButton);
        EXPECT_EQ(table.Header().Dragging(), c.dragged);
        Mouse(Header(), QEvent::MouseButtonRelease, HeadingCenter(1) + c.moved, Qt::LeftButton, Qt::NoButton);
        EXPECT_EQ(table.SortColumn(), 1);
        EXPECT_EQ(table.SortAscending(), c.ascending);
        const std::vector<ArrowStyle::Arrow> arrows = ArrowsDrawn();
        ASSERT_EQ(arrows.size(), 1u);
        EXPECT_TRUE(view->HeadingRect(1).contains(arrows[0].rect));
        EXPECT_EQ(arrows[0].up, c.ascending);
    }
}

TEST_F(TableWidget, TheArrowMovesWithEverySortAtTheStylesSize) {
    Header()->setStyle(&style);
    Click(Header(), HeadingCenter(0));
    QApplication::processEvents();
    const struct {
        const char* why;
        std::function<void()> sort;
        int column;
        bool up;
        int rows = 6;
    } cases[] = {
        {"a click on another heading", [&] { Click(Header(), HeadingCenter(1)); }, 1, true},
        {"a second click turns it", [&] { Click(Header(), HeadingCenter(1)); }, 1, false},
        {"Ctrl+click", [&] { Click(Header(), HeadingCenter(2), Qt::ControlModifier); }, 2, true},
        {"a sort that no click started", [&] { table.HeadingClick(0, 0, false); }, 0, true},
        {"SortBy, as the export tool sorts", [&] { table.SortBy(2, true); }, 2, false},
        {"a table of one row sorts without telling the rows' observers", [&] { Click(Header(), HeadingCenter(1)); }, 1,
         true, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        while (table.Data().RowCount() > c.rows) table.Data().DeleteRow(0);
        QApplication::processEvents();
        style.drawn.clear();
        c.sort();
        QApplication::processEvents();  // the header paints only what was asked for
        ASSERT_FALSE(style.drawn.empty()) << "the header was not drawn again";
        const ArrowStyle::Arrow arrow = style.drawn.back();
        EXPECT_EQ(arrow.up, c.up);
        // Where and as large as the style puts a heading's arrow.
        QStyleOptionHeader heading;
        heading.initFrom(Header());
        heading.rect = view->HeadingRect(c.column);
        heading.orientation = Qt::Horizontal;
        heading.state |= QStyle::State_Horizontal;
        heading.sortIndicator = c.up ? QStyleOptionHeader::SortUp : QStyleOptionHeader::SortDown;
        EXPECT_EQ(arrow.rect, style.subElementRect(QStyle::SE_HeaderArrow, &heading, Header()));
        EXPECT_TRUE(view->HeadingRect(c.column).contains(arrow.rect));
    }
    // A heading fitted to its text stays whole beside the arrow (a cut one would have a tip).
    table.Data().SetColumnHeading(2, "Energy");
    table.AutoSizeColumns(2, 1000);
    table.HeadingClick(2, 0, false);
    EXPECT_EQ(static_cast<TableHeaderCtrl*>(Header())->HeadingTip(2).toStdString(), "");
}

TEST_F(TableWidget, TipsShowCutAndCollapsedTexts) {
    auto* header = static_cast<TableHeaderCtrl*>(Header());
    table.Data().SetCell(1, 2, std::string(60, 'w'));
    table.Data().SetColumnWidth(1, TableListCtrl::kCollapsedLimit);  // the limit itself is collapsed
    table.Data().SetColumnHeading(0, std::string(40, 'h'));
    const struct {
        int row, column;
        QString cell, heading;
    } cases[] = {
        {0, 0, "", QString(40, 'h')},  // a cut heading over a short cell
        {1, 2, QString(60, 'w'), ""},  // a cut cell under a short heading
        {2, 1, "9", "num"},            // a collapsed column: both
        {2, 2, "", ""},                // everything fits
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row * 10 + c.column);
        EXPECT_EQ(view->CellTip(c.row, c.column), c.cell);
        EXPECT_EQ(header->HeadingTip(c.column), c.heading);
    }
    // The collapsed heading wears a marker: its middle is not the header's face.
    const QImage image = Header()->grab().toImage();
    const QPoint middle = view->HeadingRect(1).center();
    EXPECT_EQ(image.pixel(middle.x() - 2, middle.y()), Header()->palette().color(QPalette::Mid).rgb());
}

TEST_F(TableWidget, HiddenRowsTakeNoLine) {
    TableData& data = table.Data();
    for (int r : {1, 3}) data.SetHidden(r, true);  // shown: d, a, c, e
    EXPECT_EQ(view->ShownRowCount(), 4);
    // Nothing is drawn below the last line: not even a focus frame for no focused row.
    const QImage drawn = Rows()->grab().toImage();
    const QRgb base = Rows()->palette().color(QPalette::Base).rgb();
    int marked = 0;
    for (int y = 4 * view->RowHeight(); y < 5 * view->RowHeight(); ++y)
        for (int x = 0; x < view->TotalColumnWidth(); ++x) marked += drawn.pixel(x, y) != base;
    EXPECT_EQ(marked, 0);
    EXPECT_TRUE(view->RowBoundsRect(1).isNull());
    EXPECT_EQ(view->RowAt(view->RowBoundsRect(2).center().y()), 2);
    EXPECT_EQ(view->RowBoundsRect(2).top(), view->RowHeight());
    // Ctrl+click duplicates among shown rows: "x" at d and a stand apart in
    // the table but side by side among the shown rows once sorted.
    data.SetCell(3, 2, "x");  // hidden B
    Click(Header(), HeadingCenter(2), Qt::ControlModifier);
    std::string shownDuplicates;
    for (int r = data.NextRow(-1, true); r >= 0; r = data.NextRow(r, true))
        shownDuplicates += std::string(data.IsHidden(r) ? "-" : "") + std::string(data.Cell(r, 0));
    EXPECT_EQ(shownDuplicates, "da") << "the hidden x is no duplicate";
    // The right-click menu: it lights the row under the pointer alone.
    QSignalSpy menu(view.get(), &TableListView::rowMenuRequested);
    const int e = 0;  // its "w" sorts first
    QContextMenuEvent press(QContextMenuEvent::Mouse, RowPoint(e), Rows()->mapToGlobal(RowPoint(e)));
    QApplication::sendEvent(Rows(), &press);
    ASSERT_EQ(menu.count(), 1);
    EXPECT_EQ(menu.at(0).at(0).toInt(), e);
    EXPECT_EQ(Selected(), std::to_string(e));
    // The menu key while the focused row is hidden: a menu for no row, the highlight left alone.
    int hidden = 0;
    while (!data.IsHidden(hidden)) ++hidden;
    data.SetFocusedRow(hidden);
    QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(), Rows()->mapToGlobal(QPoint()));
    QApplication::sendEvent(Rows(), &key);
    ASSERT_EQ(menu.count(), 2);
    EXPECT_EQ(menu.at(1).at(0).toInt(), -1);
    EXPECT_EQ(Selected(), std::to_string(e));
}

// A chart window or the filter line works on the table from elsewhere: while
// either holds the focus, the highlight shows in the inactive colour; any
// other window that takes the focus hides it, as the original does.
TEST_F(TableWidget, CompanionFocusShowsTheHighlightInTheInactiveColour) {
    const QColor active(0, 0, 200), inactive(0, 160, 0);
    QPalette pal = view->palette();
    pal.setColor(QPalette::Active, QPalette::Highlight, active);
    pal.setColor(QPalette::Inactive, QPalette::Highlight, inactive);
    view->setPalette(pal);
    table.Data().SetSelected(1, true);
    auto highlight = [&] {
        const QRect row = view->RowBoundsRect(1);
        // Inside "text", above its letter.
        return QColor(view->viewport()->grab().toImage().pixel(2 * 80 + 2, row.top() + 2)).name().toStdString();
    };
    auto activate = [](QWidget* window) {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    };
    auto* filterBar = new QWidget(view.get());  // in the table's own window, its line inside
    auto* filterLine = new QLineEdit(filterBar);
    filterBar->show();
    view->AddFocusCompanion(filterBar);
    auto chart = std::make_unique<QWidget>();
    auto* chartList = new QLineEdit(chart.get());
    view->AddFocusCompanion(chart.get());
    QWidget dialog;

    EXPECT_EQ(highlight(), active.name().toStdString()) << "the table focused";
    filterLine->setFocus();
    EXPECT_EQ(highlight(), inactive.name().toStdString()) << "the filter line focused";
    ASSERT_TRUE(activate(chart.get()));
    chartList->setFocus();
    EXPECT_TRUE(view->CompanionHasFocus());
    EXPECT_EQ(highlight(), inactive.name().toStdString()) << "a chart window in front";
    ASSERT_TRUE(activate(&dialog));
    EXPECT_FALSE(view->CompanionHasFocus());
    EXPECT_EQ(highlight(), pal.color(QPalette::Base).name().toStdString()) << "another window in front";
    ASSERT_TRUE(activate(chart.get()));
    EXPECT_EQ(highlight(), inactive.name().toStdString()) << "the chart again";
    chart.reset();
    EXPECT_FALSE(view->CompanionHasFocus()) << "a closed chart is forgotten";
}

}  // namespace
}  // namespace lorvex
