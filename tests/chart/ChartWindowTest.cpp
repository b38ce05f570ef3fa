// The chart window, the shading and the figures over a real table view, on
// the offscreen platform; and their place in the main window's menu.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <memory>

#include "chart/widget/ChartWindow.h"
#include "chart/widget/FiguresLabel.h"
#include "chart/widget/NumberCommands.h"
#include "table/widget/TableHeaderCtrl.h"
#include "table/widget/TableListView.h"
#include "tests/app/AppTestSupport.h"
#include "tests/support/QtInput.h"
#include "tests/support/TableFill.h"

namespace lorvex {
namespace {

using testkit::Click;
using testkit::Drag;
using testkit::FillTable;
using testkit::HighlightedRows;

// 200 rows "u0".."u199": x = i, y = i * 37 mod 100; row 5 has no x.
class ChartOverTable : public ::testing::Test {
protected:
    void SetUp() override {
        testkit::App();
        testkit::Rows rows;
        for (int i = 0; i < 200; ++i)
            rows.push_back({"u" + std::to_string(i), i == 5 ? "" : std::to_string(i), std::to_string(i * 37 % 100),
                            i % 2 ? "odd" : "even"});
        FillTable(table.Data(), {"name", "x", "y", "kind"}, rows, 60);
        const std::uint8_t kinds[] = {0x81, 0x05, 0x45, 0x81};
        table.SetColumnKinds(kinds, 4);
        table.SetRowHighlightMode(1);
        host = std::make_unique<QWidget>();
        status = new QLabel(QStringLiteral("200 total table entries"), host.get());
        status->setGeometry(5, 0, 200, 16);
        view = new TableListView(table, host.get());
        view->setGeometry(0, 20, 400, 300);
        host->resize(600, 330);
        menu = std::make_unique<QMenu>();
        commands = new NumberCommands(menu.get(), table, view, status);
        host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host.get()));
        chart = commands->OpenChart();
        chart->resize(600, 450);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(chart));
        Settle();
    }
    void TearDown() override { host.reset(); }

    // Lets queued refreshes run.
    static void Settle() {
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    }
    int PointOf(int row) const {
        const auto& points = chart->Points().points;
        for (std::size_t i = 0; i < points.size(); ++i)
            if (points[i].row == row) return static_cast<int>(i);
        return -1;
    }
    QPoint At(double x, double y) const {
        const ChartPlot& plot = chart->canvas->Plot();
        return {static_cast<int>(std::lround(plot.PixelX(x))), static_cast<int>(std::lround(plot.PixelY(y)))};
    }
    std::string Highlighted() const { return HighlightedRows(table.Data()); }
    std::string Note() const { return chart->note->text().toStdString(); }
    // A game's units: the block name in every record, then the name; one
    // cost of 70,000,000 among costs of 4 to 42; y from 1 to 100.
    void LoadUnits() {
        testkit::Rows rows;
        for (int i = 0; i < 40; ++i)
            rows.push_back({"UNITINFO", "U" + std::to_string(i), i == 0 ? "70000000" : std::to_string(i + 3),
                            std::to_string(i * 37 % 100 + 1)});
        NotifyHold hold(table.Data());
        FillTable(table.Data(), {"block", "UnitName", "cost", "y"}, rows, 60);
        const std::uint8_t kinds[] = {0x81, 0x81, 0x45, 0x45};
        table.SetColumnKinds(kinds, 4);
    }
    void Wheel(QPoint at, int notches) {
        QWheelEvent e(QPointF(at), QPointF(chart->canvas->mapToGlobal(at)), QPoint(), QPoint(0, 120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(chart->canvas, &e);
    }

    TableListCtrl table;
    std::unique_ptr<QMenu> menu;
    std::unique_ptr<QWidget> host;
    QLabel* status = nullptr;
    TableListView* view = nullptr;
    NumberCommands* commands = nullptr;
    ChartWindow* chart = nullptr;
};

TEST_F(ChartOverTable, OffersNumberColumnsAndCountsRowsWithoutANumber) {
    ASSERT_EQ(chart->xList->count(), 2);
    EXPECT_EQ(chart->xList->itemText(0).toStdString() + "," + chart->xList->itemText(1).toStdString(), "x,y");
    EXPECT_EQ((std::pair{chart->XColumn(), chart->YColumn()}), (std::pair{1, 2}));
    EXPECT_EQ(chart->windowTitle().toStdString(), "Chart - y against x");
    EXPECT_EQ(chart->Points().points.size(), 199u);
    EXPECT_EQ(Note(), "1 row without a number");
    chart->xLog->setChecked(true);  // row 0 has x = 0
    EXPECT_TRUE(chart->canvas->Plot().XScale().Logarithmic()) << "the canvas draws the axis the box asks for";
    EXPECT_EQ(Note(), "1 row without a number,   1 row at or below zero, left off the logarithmic axis");
    EXPECT_EQ(chart->Points().points.size(), 198u);
}

TEST_F(ChartOverTable, ClickFocusesTheRowAndScrollsItIntoView) {
    for (int row : {150, 3, 199, 60}) {
        Click(chart->canvas, chart->canvas->PointPosition(PointOf(row)));
        EXPECT_EQ(table.Data().FocusedRow(), row);
        EXPECT_TRUE(view->viewport()->rect().contains(view->RowBoundsRect(row).center())) << row;
    }
    Click(chart->canvas, At(100, 150));  // nothing there
    EXPECT_EQ(table.Data().FocusedRow(), 60);
    EXPECT_EQ(Highlighted(), "") << "a click focuses; it does not highlight";
}

TEST_F(ChartOverTable, RealUnitsAreNamedAndTheirOutliersGoLogarithmic) {
    EXPECT_EQ(chart->PointText(PointOf(12)).toStdString(), "u12\nx: 12\ny: 44") << "named before the load";
    LoadUnits();
    Settle();
    ASSERT_EQ(chart->xList->currentText().toStdString(), "cost");
    EXPECT_TRUE(chart->xLog->isChecked()) << "costs from 4 to 70,000,000";
    EXPECT_FALSE(chart->yLog->isChecked()) << "y within two decades";
    EXPECT_EQ(chart->PointText(PointOf(5)).toStdString(), "U5\ncost: 8\ny: 86") << "named by UnitName, not the block";
    chart->xLog->setChecked(false);  // the user's choice holds while the column does
    table.Data().SetSelected(3, true);
    Settle();
    EXPECT_FALSE(chart->xLog->isChecked());
    chart->xList->setCurrentIndex(1);
    chart->xList->setCurrentIndex(0);
    EXPECT_TRUE(chart->xLog->isChecked()) << "chosen again with the column";
}

TEST_F(ChartOverTable, WheelZoomsAboutThePointerAndHomeOrADoubleClickShowsAll) {
    const ChartPlot& plot = chart->canvas->Plot();
    const QPoint at = chart->canvas->PointPosition(PointOf(50));  // x 50, y 50
    const double span = plot.XScale().Hi() - plot.XScale().Lo();
    Wheel(at, 2);
    EXPECT_NEAR(plot.XScale().Hi() - plot.XScale().Lo(), span * ChartCanvas::kZoomPerNotch * ChartCanvas::kZoomPerNotch,
                1e-6);
    EXPECT_LE((chart->canvas->PointPosition(PointOf(50)) - at).manhattanLength(), 2)
        << "the place under the pointer stays";
    EXPECT_EQ(plot.PointAt(plot.PixelX(0), plot.PixelY(0), 3), -1) << "u0 zoomed out of the plot";
    table.Data().SetSelected(3, true);
    Settle();
    EXPECT_LT(plot.XScale().Hi() - plot.XScale().Lo(), span) << "a change of the table keeps the zoom";
    chart->canvas->setFocus();
    QTest::keyClick(chart->canvas, Qt::Key_Home);
    EXPECT_EQ((std::pair{plot.XScale().Lo(), plot.XScale().Hi()}), (std::pair{0.0, 200.0}));
    Wheel(at, -3);
    EXPECT_GT(plot.XScale().Hi() - plot.XScale().Lo(), span);
    testkit::DoubleClick(chart->canvas, at);
    EXPECT_EQ(plot.XScale().Hi(), 200);
    Wheel(at, 1);
    chart->yLog->setChecked(true);
    EXPECT_EQ(plot.XScale().Hi(), 200) << "other axes start unzoomed";
}

TEST_F(ChartOverTable, ALegendTellsTheHighlightColourAndTheWindowFitsTheScreen) {
    ASSERT_EQ(Highlighted(), "");
    const QImage image = chart->canvas->grab().toImage();
    const QRgb highlight = chart->canvas->palette().color(QPalette::Highlight).rgb();
    int legend = 0;  // nothing is highlighted: the colour shows only in the legend, above the plot
    for (int y = 0; y < static_cast<int>(chart->canvas->Plot().Area().top) - 2; ++y)
        for (int x = 0; x < image.width(); ++x) legend += image.pixel(x, y) == highlight;
    EXPECT_GT(legend, 10);

    // A main window at the screen's far corner, a heading wider than the screen.
    const QRect free = host->screen()->availableGeometry();
    host->move(free.right() - 100, free.bottom() - 100);
    table.Data().SetColumnHeading(1, std::string(300, 'w'));
    ChartWindow* other = commands->OpenChart();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(other));
    EXPECT_TRUE(free.contains(other->frameGeometry()))
        << other->frameGeometry().x() << "," << other->frameGeometry().y() << " " << other->frameGeometry().width()
        << "x" << other->frameGeometry().height();
}

TEST_F(ChartOverTable, DraggedRectangleHighlightsTheRowsInsideShownWhileTheChartHasTheFocus) {
    chart->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(chart));
    table.Data().SetSelected(100, true);
    Drag(chart->canvas, At(9.5, -1), At(14.5, 101));  // x from 10 to 14, every y
    EXPECT_EQ(Highlighted(), "10,11,12,13,14");
    const QImage image = view->viewport()->grab().toImage();
    EXPECT_EQ(QColor(image.pixel(3 * 60 + 3, view->RowBoundsRect(12).top() + 2)).name().toStdString(),
              view->palette().color(QPalette::Inactive, QPalette::Highlight).name().toStdString());
    // Only the rows whose y lies inside too: of 0..9, y = 0, 37, 74, 11, 48, (no x), 22, 59, 96, 33.
    testkit::Mouse(chart->canvas, QEvent::MouseButtonPress, At(-0.5, 30), Qt::LeftButton, Qt::LeftButton,
                   Qt::ControlModifier);
    testkit::Mouse(chart->canvas, QEvent::MouseMove, At(9.5, 60), Qt::NoButton, Qt::LeftButton, Qt::ControlModifier);
    testkit::Mouse(chart->canvas, QEvent::MouseButtonRelease, At(9.5, 60), Qt::LeftButton, Qt::NoButton,
                   Qt::ControlModifier);
    EXPECT_EQ(Highlighted(), "1,4,7,9,10,11,12,13,14") << "Ctrl keeps the others";
    Drag(chart->canvas, At(40, 101), At(60, 100.5));  // an empty rectangle
    EXPECT_EQ(Highlighted(), "");
}

TEST_F(ChartOverTable, FollowsHighlightRemovalAndReload) {
    TableData& data = table.Data();
    data.SetSelected(7, true);
    Settle();
    ASSERT_EQ(PointOf(7), static_cast<int>(chart->Points().points.size()) - 1) << "highlighted drawn last";
    EXPECT_TRUE(chart->Points().points.back().highlighted);
    EXPECT_EQ(chart->Points().firstHighlighted, 198);

    {
        NotifyHold hold(data);
        for (int r = 9; r >= 0; --r) data.DeleteRow(r);  // u0..u9, u5 among them
    }
    Settle();
    EXPECT_EQ(chart->Points().points.size(), 190u);
    EXPECT_EQ(Note(), "");
    EXPECT_EQ(chart->Points().firstHighlighted, 190);

    {
        NotifyHold hold(data);  // a new load: other columns, fewer rows
        FillTable(data, {"Name", "Cost", "Text", "Range"},
                  {{"a", "1", "w", "5"}, {"b", "2000", "v", "x"}, {"c", "", "u", "7"}});
        const std::uint8_t kinds[] = {0x81, 0x45, 0x81, 0x05};
        table.SetColumnKinds(kinds, 4);
    }
    Settle();
    ASSERT_EQ(chart->xList->count(), 2);
    EXPECT_EQ(chart->xList->itemText(1).toStdString(), "Range");
    EXPECT_TRUE(chart->xLog->isChecked()) << "x is column 1 again, but a new load chooses its axis again";
    EXPECT_EQ(chart->Points().points.size(), 1u);
    EXPECT_EQ(Note(), "2 rows without a number");
}

TEST_F(ChartOverTable, SavesPngAndSvgByTheNamesEndingAndFailsIntoNoFolder) {
    QTemporaryDir dir;
    // The bytes near the file's start tell its format.
    for (auto [name, start] : {std::pair{"chart.png", "\x89PNG"}, {"chart.svg", "<svg"}, {"CHART.SVG", "<svg"}}) {
        const QString path = dir.filePath(QString::fromLatin1(name));
        ASSERT_TRUE(chart->SaveImage(path)) << name;
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_TRUE(file.read(400).contains(start)) << name;
        EXPECT_FALSE(chart->SaveImage(dir.filePath(QStringLiteral("no/such/folder/") + name))) << name;
    }
}

TEST_F(ChartOverTable, ShadeTintsByValueAndTheHighlightWins) {
    table.Data().DeleteAllRows();
    FillTable(table.Data(), {"name", "x", "y", "kind"},
              {{"a", "1", "50", "w"}, {"b", "5", "50", "w"}, {"c", "9", "", "w"}}, 60);
    chart->close();  // the table's window takes the keyboard: the highlight shows only there
    host->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(host.get()));
    view->setFocus();
    commands->shadeAction->trigger();
    ASSERT_TRUE(commands->shadeAction->isChecked());
    const QPalette& pal = view->palette();
    auto cell = [&](int row, int column) {
        const QImage image = view->viewport()->grab().toImage();
        const QRect r = view->RowBoundsRect(row);
        return QColor(image.pixel(column * 60 + 3, r.top() + 2));
    };
    auto towardHighlight = [&](const QColor& c) { return std::abs(c.red() - pal.color(QPalette::Base).red()); };
    EXPECT_LT(towardHighlight(cell(0, 1)), towardHighlight(cell(1, 1)));
    EXPECT_LT(towardHighlight(cell(1, 1)), towardHighlight(cell(2, 1)));
    EXPECT_GT(towardHighlight(cell(0, 1)), 0) << "the lowest is tinted too";
    EXPECT_EQ(cell(2, 2), pal.color(QPalette::Base)) << "an empty cell";
    EXPECT_EQ(cell(0, 3), pal.color(QPalette::Base)) << "a text column";
    const QColor highest = cell(2, 1);
    table.Data().DeleteRow(2);  // the 9 goes: the 5 is now the highest
    EXPECT_EQ(cell(1, 1), highest);
    ASSERT_TRUE(view->hasFocus());
    table.Data().SetSelected(1, true);
    EXPECT_EQ(cell(1, 1), pal.color(QPalette::Highlight)) << "the highlight wins";
    commands->shadeAction->trigger();
    EXPECT_EQ(view->Tint(), nullptr);
    EXPECT_EQ(cell(0, 1), pal.color(QPalette::Base));
}

TEST_F(ChartOverTable, FiguresFollowTheHighlightAndTheFocusedColumn) {
    const QString before = status->text();
    FiguresLabel* figures = commands->figures;
    TableData& data = table.Data();
    auto shown = [&] {
        Settle();
        return figures->Figures().toStdString();
    };
    for (int r : {1, 2, 3}) data.SetSelected(r, true);
    EXPECT_EQ(shown(), "") << "no column focused yet";
    Click(view->viewport(), QPoint(70, view->RowBoundsRect(0).center().y()));  // a cell of x
    EXPECT_EQ(shown(), "") << "the click left one row highlighted";
    EXPECT_EQ(figures->FocusedColumn(), 1);
    for (int r : {2, 3, 4}) data.SetSelected(r, true);
    EXPECT_EQ(shown(), "x: sum 9   mean 2.25   min 0   max 4");
    data.SetSelected(5, true);
    EXPECT_EQ(shown(), "x: sum 9   mean 2.25   min 0   max 4   (1 row without a number)");
    Click(view->Header(), view->HeadingRect(2).center());  // a heading focuses its column too
    EXPECT_EQ(shown(), "y: sum 218   mean 43.6   min 0   max 85");
    Click(view->Header(), view->HeadingRect(3).center());
    EXPECT_EQ(shown(), "");
    EXPECT_EQ(status->text(), before) << "the status line is not touched";
    EXPECT_GT(figures->x(), status->x());
}

// The main window: the two commands after the original items, and charts that close with it.
class ChartInMainWindow : public testkit::WindowTest {};

TEST_F(ChartInMainWindow, ViewMenuCommandsOpenChartsThatCloseWithTheWindow) {
    Open("units.cfg");
    // After whatever else the menu holds: found by their texts.
    QList<QAction*> actions(2, nullptr);
    for (QAction* a : window->ViewMenu()->actions()) {
        if (a->text() == QStringLiteral("Chart...")) actions[0] = a;
        if (a->text() == QStringLiteral("Shade Numbers")) actions[1] = a;
    }
    ASSERT_TRUE(actions[0] && actions[1]);
    EXPECT_EQ(actions[0]->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_G));
    EXPECT_TRUE(actions[1]->isCheckable());
    EXPECT_FALSE(actions[1]->isChecked());
    actions[0]->trigger();
    actions[0]->trigger();
    const auto charts = window->findChildren<ChartWindow*>();
    ASSERT_EQ(charts.size(), 2) << "several at once";
    EXPECT_TRUE(charts[0]->isVisible() && charts[0]->isWindow());
    EXPECT_EQ(charts[0]->Points().points.size(), 4u);
    actions[1]->trigger();
    window.reset();  // the view, the table and the open charts go in turn
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

}  // namespace
}  // namespace lorvex
