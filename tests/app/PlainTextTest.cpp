// Texts from game files, configurations and folder names shown in every place
// that could take them for markup: each must show exactly as written.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QMessageBox>
#include <QTextDocument>
#include <QToolTip>
#include <memory>

#include "app/QtMessageSink.h"
#include "app/game/StartDialog.h"
#include "chart/widget/ChartWindow.h"
#include "table/widget/TableHeaderCtrl.h"
#include "table/widget/TableListView.h"
#include "tests/app/AppTestSupport.h"

namespace lorvex {
namespace {

using namespace testkit;

struct Hostile {
    const char* text;
    const char* why;
};
// The image last: before the fix a tip or box with it never comes back, and
// the cases before it fail first.
const Hostile kHostile[] = {
    {"<b>x</b>", "a tag shown as itself, not as bold x"},
    {"<qt>Heavy tank", "the tag that forces rich text"},
    {"<!DOCTYPE html>", "a document header, taken for rich text and shown as nothing"},
    {"&lt;", "an entity stays the four characters, escaped once and undone once"},
    {"line\n<b>x</b>", "a line break then a tag: the break stays and the tag after it too"},
    {"  two  spaces\tand a tab", "spaces are not folded"},
    {"Heavy tank <img src=\"/dev/zero\">", "an image that is never read"},
};

// What a label or tooltip that guesses the format shows for text.
std::string Shown(const QString& text, Qt::TextFormat format = Qt::AutoText) {
    if (format == Qt::PlainText || (format == Qt::AutoText && !Qt::mightBeRichText(text))) return text.toStdString();
    QTextDocument document;
    document.setHtml(text);
    return document.toPlainText().toStdString();
}

// The hostile texts as one table row and as the headings over it (collapsed
// columns, so every cell and heading has a tip), a chart of a second table
// whose names are the hostile texts, and the start dialog listing them as games.
class PlainText : public ::testing::Test {
protected:
    void SetUp() override {
        testkit::App();
        std::vector<std::string> headings, cells;
        Rows named;
        for (const Hostile& h : kHostile) {
            headings.push_back(h.text);
            cells.push_back(h.text);
            const std::string at = std::to_string(10 * named.size());
            named.push_back({h.text, at, at});
        }
        FillTable(table.Data(), headings, {cells}, TableListCtrl::kCollapsedLimit);
        FillTable(chartTable.Data(), {"name", "x", "y"}, named, 60);
        const std::uint8_t kinds[] = {0x81, 0x05, 0x05};
        chartTable.SetColumnKinds(kinds, 3);

        host = std::make_unique<QWidget>();
        view = new TableListView(table, host.get());
        view->setGeometry(0, 0, 400, 200);
        chartView = new TableListView(chartTable, host.get());
        chartView->setGeometry(0, 200, 400, 200);
        host->resize(400, 400);
        host->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(host.get()));
        chart = new ChartWindow(chartTable, chartView, host.get());
        chart->resize(600, 450);
        chart->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(chart));
        chart->Refresh();

        QStringList games;
        for (const Hostile& h : kHostile) games += QString::fromLatin1(h.text);
        start = std::make_unique<game::StartDialog>(games, nullptr);
    }
    void TearDown() override {
        QToolTip::hideText();
        host.reset();
    }

    static std::string Tip(QWidget* widget, QPoint at) {
        QHelpEvent help(QEvent::ToolTip, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &help);
        return QToolTip::isVisible() ? Shown(QToolTip::text()) : "(no tip)";
    }
    std::string CellTip(int column) {
        return Tip(view->viewport(), {view->HeadingRect(column).center().x(), view->RowBoundsRect(0).center().y()});
    }
    std::string HeadingTip(int column) { return Tip(view->Header(), view->HeadingRect(column).center()); }
    std::string ChartTip(int row) {
        const auto& points = chart->Points().points;
        for (std::size_t i = 0; i < points.size(); ++i) {
            if (points[i].row != row) continue;
            testkit::Mouse(chart->canvas, QEvent::MouseMove, chart->canvas->PointPosition(static_cast<int>(i)),
                           Qt::NoButton, Qt::NoButton);
            return QToolTip::isVisible() ? Shown(QToolTip::text()) : "(no tip)";
        }
        return "(no point)";
    }
    static std::string MessageShown(const char* bytes) {
        std::string shown = "(no box)";
        WhenModal<QMessageBox>([&shown](QMessageBox* box) {
            shown = Shown(box->text(), box->textFormat());
            box->accept();
        });
        QtMessageSink().ShowMessage(bytes);
        return shown;
    }

    TableListCtrl table, chartTable;
    std::unique_ptr<QWidget> host;
    TableListView* view = nullptr;
    TableListView* chartView = nullptr;
    ChartWindow* chart = nullptr;
    std::unique_ptr<game::StartDialog> start;
};

TEST_F(PlainText, OutsideTextShowsAsWrittenEverywhere) {
    for (int i = 0; i < static_cast<int>(std::size(kHostile)); ++i) {
        const std::string text = kHostile[i].text;
        SCOPED_TRACE(kHostile[i].why);
        ASSERT_EQ(CellTip(i), text);
        ASSERT_EQ(HeadingTip(i), text);
        ASSERT_EQ(ChartTip(i), text + "\nx: " + std::to_string(10 * i) + "\ny: " + std::to_string(10 * i));
        ASSERT_EQ(Shown(start->recentList->item(i)->toolTip()), text);
        ASSERT_EQ(MessageShown(kHostile[i].text), text);
    }
}

}  // namespace
}  // namespace lorvex
