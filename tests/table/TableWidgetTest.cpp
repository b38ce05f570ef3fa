#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <memory>
#include <string>

#include "table/widget/CellText.h"
#include "table/widget/TableHeaderCtrl.h"
#include "table/widget/TableListView.h"

namespace lorvex {
namespace {

QApplication* App() {
    static int argc = 1;
    static char name[] = "table_widget_tests";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return app;
}

void Mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
           Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, mods);
    QApplication::sendEvent(w, &e);
}

void Click(QWidget* w, QPoint pos, Qt::MouseButton button = Qt::LeftButton, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Mouse(w, QEvent::MouseButtonPress, pos, button, button, mods);
    Mouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton, mods);
}

class TableWidget : public ::testing::Test {
protected:
    void SetUp() override {
        App();
        TableData& data = table.Data();
        data.InsertColumn(0, "name", Align::Left, 80);
        data.InsertColumn(1, "num", Align::Right, 60);
        data.InsertColumn(2, "text", Align::Left, 90);
        const char* rows[][3] = {{"d", "4", "x"}, {"b", "10", "y"}, {"a", "9", "x"}, {"B", "2", "z"},
                                 {"c", "1", ""},  {"e", "7", "w"}};
        for (const auto& r : rows) {
            const int i = data.AppendRow(r[0]);
            data.SetCell(i, 1, r[1]);
            data.SetCell(i, 2, r[2]);
        }
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

    std::string Column(int c) const {
        std::string s;
        for (int r = 0; r < table.Data().RowCount(); ++r) {
            if (r) s += ',';
            s += table.Data().Cell(r, c);
        }
        return s;
    }
    std::string Selected() const {
        std::string s;
        for (int r = 0; r < table.Data().RowCount(); ++r)
            if (table.Data().IsSelected(r)) s += std::to_string(r);
        return s;
    }
    QPoint HeadingCenter(int c) const { return view->HeadingRect(c).center(); }
    QPoint RowPoint(int r) const { return QPoint(20, view->RowBoundsRect(r).center().y()); }
    QWidget* Header() const { return view->Header(); }
    QWidget* Rows() const { return view->viewport(); }

    TableListCtrl table;
    std::unique_ptr<TableListView> view;
};

TEST_F(TableWidget, HeadingClicksSortAndHighlightDuplicates) {
    Click(Header(), HeadingCenter(1));
    EXPECT_EQ(Column(1), "1,2,4,7,9,10");
    Click(Header(), HeadingCenter(1));
    EXPECT_EQ(Column(1), "10,9,7,4,2,1");
    Click(Header(), HeadingCenter(2));
    EXPECT_EQ(Column(2), "w,x,x,y,z,");
    const QRect h = view->HeadingRect(0);
    Click(Header(), QPoint(h.right() - 1, h.center().y()));  // on a divider: no heading click
    EXPECT_EQ(table.SortColumn(), 2);
    table.Data().SetSelected(5, true);
    Click(Header(), HeadingCenter(0), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(Column(0), "a,b,B,c,d,e");
    EXPECT_EQ(Selected(), "12");
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
    EXPECT_EQ(table.GetColumnHeading(2), "name");
    EXPECT_EQ(table.ColumnKinds(), (std::vector<std::uint8_t>{0x05, 0x81, 0x81}));
    EXPECT_EQ(Column(2), "d,b,a,B,c,e");
    EXPECT_EQ(table.SortColumn(), -1);  // a drag is no click

    // A drag released beside itself moves nothing.
    Mouse(Header(), QEvent::MouseButtonPress, HeadingCenter(0), Qt::LeftButton, Qt::LeftButton);
    Mouse(Header(), QEvent::MouseMove, HeadingCenter(0) + QPoint(3, 0), Qt::NoButton, Qt::LeftButton);
    Mouse(Header(), QEvent::MouseButtonRelease, HeadingCenter(0) + QPoint(3, 0), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(table.GetColumnHeading(0), "num");
    EXPECT_EQ(table.SortColumn(), -1);

    // A divider drag resizes the column left of it.
    const QRect h = view->HeadingRect(0);
    const QPoint divider(h.right() - 1, h.center().y());
    Mouse(Header(), QEvent::MouseButtonPress, divider, Qt::LeftButton, Qt::LeftButton);
    Mouse(Header(), QEvent::MouseMove, divider + QPoint(25, 0), Qt::NoButton, Qt::LeftButton);
    Mouse(Header(), QEvent::MouseButtonRelease, divider + QPoint(25, 0), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(table.Data().ColumnWidth(0), 85);
    EXPECT_EQ(table.GetColumnHeading(0), "num");
}

TEST_F(TableWidget, RightClickCollapsesThenExpands) {
    table.Data().SetColumnWidth(2, 16);
    Click(Header(), HeadingCenter(2), Qt::RightButton);
    EXPECT_EQ(table.Data().ColumnWidth(2), 10);
    Click(Header(), HeadingCenter(2), Qt::RightButton);
    // The fit covers the heading inside the margins the header draws.
    const int m = view->CellMargin();
    const int heading = QFontMetrics(Header()->font()).horizontalAdvance("text");
    EXPECT_GE(table.Data().ColumnWidth(2), heading + 2 * m + 5);
    EXPECT_LE(table.Data().ColumnWidth(2), heading + 2 * m + 7);
    EXPECT_EQ(table.SortColumn(), -1);
}

TEST_F(TableWidget, MouseSelection) {
    QSignalSpy clicked(view.get(), &TableListView::rowClicked);
    QSignalSpy doubled(view.get(), &TableListView::rowDoubleClicked);
    TableData& data = table.Data();
    Click(Rows(), RowPoint(2));
    EXPECT_EQ(Selected(), "2");
    EXPECT_EQ(data.FocusedRow(), 2);
    Click(Rows(), RowPoint(4), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(Selected(), "24");
    Click(Rows(), RowPoint(2), Qt::LeftButton, Qt::ControlModifier);
    EXPECT_EQ(Selected(), "4");
    Click(Rows(), RowPoint(1), Qt::LeftButton, Qt::ShiftModifier);  // from the anchor, row 2
    EXPECT_EQ(Selected(), "12");
    Click(Rows(), RowPoint(5), Qt::LeftButton, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), "2345");
    Click(Rows(), RowPoint(0));
    EXPECT_EQ(Selected(), "0");
    EXPECT_EQ(clicked.count(), 6);
    Mouse(Rows(), QEvent::MouseButtonDblClick, RowPoint(3), Qt::LeftButton, Qt::LeftButton);
    ASSERT_EQ(doubled.count(), 1);
    EXPECT_EQ(doubled.at(0).at(0).toInt(), 3);
    Click(Rows(), QPoint(20, view->RowBoundsRect(5).bottom() + 30));  // below the last row
    EXPECT_EQ(Selected(), "");
}

TEST_F(TableWidget, KeyboardSelection) {
    QSignalSpy deleted(view.get(), &TableListView::deleteKeyPressed);
    TableData& data = table.Data();
    Click(Rows(), RowPoint(1));
    QTest::keyClick(view.get(), Qt::Key_Down);
    EXPECT_EQ(Selected(), "2");
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(view.get(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), "234");
    QTest::keyClick(view.get(), Qt::Key_Up, Qt::ControlModifier);  // focus only
    EXPECT_EQ(data.FocusedRow(), 3);
    EXPECT_EQ(Selected(), "234");
    QTest::keyClick(view.get(), Qt::Key_End);
    EXPECT_EQ(Selected(), "5");
    QTest::keyClick(view.get(), Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(Selected(), "012345");
    QTest::keyClick(view.get(), Qt::Key_PageDown);
    EXPECT_EQ(data.FocusedRow(), 5);
    QTest::keyClick(view.get(), Qt::Key_Up);
    EXPECT_EQ(Selected(), "4");
    QTest::keyClick(view.get(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(data.SelectedCount(), 6);
    QTest::keyClick(view.get(), Qt::Key_Delete);
    EXPECT_EQ(deleted.count(), 1);
}

TEST_F(TableWidget, HighlightOnlyWhileFocused) {
    table.Data().SetSelected(1, true);
    table.Data().SetFocusedRow(3);  // keeps the focus rectangle off the pixels looked at
    // Inside the row, right of every text: the highlight in mode 1 reaches the
    // last column's end, and nothing is painted past it.
    const QRect bounds = view->RowBoundsRect(1);
    const QPoint inside(bounds.right() - 3, bounds.center().y());
    const QPoint outside(bounds.right() + 20, bounds.center().y());
    const QColor highlight = view->palette().color(QPalette::Highlight);
    const QColor base = view->palette().color(QPalette::Base);
    ASSERT_TRUE(view->hasFocus());
    QImage image = Rows()->grab().toImage();
    EXPECT_EQ(image.pixelColor(inside), highlight);
    EXPECT_EQ(image.pixelColor(outside), base);
    view->clearFocus();
    image = Rows()->grab().toImage();
    EXPECT_EQ(image.pixelColor(inside), base);
    // Mode 2 reaches the window's edge.
    view->setFocus();
    table.SetRowHighlightMode(2);
    image = Rows()->grab().toImage();
    EXPECT_EQ(image.pixelColor(outside), highlight);
}

TEST_F(TableWidget, ManyRowsScroll) {
    TableData& data = table.Data();
    data.SetNotify(false);
    for (int i = 0; i < 100000; ++i) data.AppendRow("row");
    data.SetNotify(true);
    QCoreApplication::processEvents();
    QScrollBar* bar = view->verticalScrollBar();
    bar->setValue(bar->maximum());
    EXPECT_EQ(view->RowAt(view->RowBoundsRect(data.RowCount() - 1).center().y()), data.RowCount() - 1);
    Rows()->grab();
    QTest::keyClick(view.get(), Qt::Key_Home);
    EXPECT_EQ(bar->value(), 0);
}

TEST(CellText, Windows1252) {
    EXPECT_EQ(DecodeCellText("a&b"), QString("a&b"));
    EXPECT_EQ(DecodeCellText("\x80\xe9\x9f"), QString::fromUtf16(u"\u20ac\u00e9\u0178"));
    EXPECT_EQ(DecodeCellText(std::string_view("\0x", 2)).size(), 2);
}

}  // namespace
}  // namespace lorvex
