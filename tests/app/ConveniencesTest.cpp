#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>

#include "app/DataListingDialog.h"
#include "app/filter/FilterBar.h"
#include "app/filter/NoMatchNotice.h"
#include "app/view/TableConveniences.h"
#include "export/ExportDialog.h"
#include "export/ExportWriter.h"
#include "table/widget/TableHeaderCtrl.h"
#include "tests/app/AppTestSupport.h"

namespace lorvex {
namespace {

using namespace testkit;

// units.cfg: Name, Cost, Located In, Line #; rows delta 0.5, alpha 10, beta 2.5, gamma 7.
class Conveniences : public WindowTest {
protected:
    void SetUp() override { Open("units.cfg"); }
    FilterBar* Bar() { return window->Conveniences()->Filter(); }
    QLineEdit* Line() { return Bar()->line; }
    std::string ShownNames() {
        std::string s;
        for (int r = Data().NextRow(-1, false, true); r >= 0; r = Data().NextRow(r, false, true))
            s += (s.empty() ? "" : ",") + std::string(Data().Cell(r, 0));
        return s;
    }
    void Filter(const char* text) {
        QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
        Line()->setText(QString::fromLatin1(text));
    }
    std::string Headings() {
        std::string s;
        for (int c = 0; c < Data().ColumnCount(); ++c)
            s += (c ? "," : "") + Data().Column(c).heading + ":" + std::to_string(Data().ColumnWidth(c));
        return s;
    }
    void Reopen() { window->close(), Open("units.cfg"); }
};

TEST_F(Conveniences, FilterLineHidesRowsAndTellsErrors) {
    EXPECT_TRUE(Bar()->isHidden());
    const struct {
        const char* filter;
        const char* shown;
        int count /* shown, in the status line; -1: not there */;
        const char* error;
    } cases[] = {
        {"cost > 2.5", "alpha,gamma", 2, ""},
        {"Cost >= 7 Name ~ AM", "gamma", 1, ""},
        {"a.FBI", "alpha,beta", 2, ""},
        {"Speed > 3", "delta,alpha,beta,gamma", -1, "No column is headed \"Speed\""},
        {"Cost > 100", "", 0, ""},  // the table area says so instead of staying blank
        {"Cost > 100 or name = beta", "beta", 1, ""},
        {"", "delta,alpha,beta,gamma", -1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.filter);
        Filter(c.filter);
        EXPECT_TRUE(Line()->hasFocus());
        EXPECT_EQ(ShownNames(), c.shown);
        EXPECT_EQ(Bar()->errorLabel->isHidden() ? "" : Bar()->errorLabel->text().toStdString(), c.error);
        EXPECT_EQ(Bar()->errorIcon->isHidden(), *c.error == 0) << "the warning sign goes with the error";
        EXPECT_EQ(Status(), Lit(4, 0) + (c.count >= 0 ? ",   " + std::to_string(c.count) + " shown" : ""));
        EXPECT_EQ(Data().RowCount(), 4);
        ASSERT_NE(Bar()->Notice(), nullptr);
        EXPECT_EQ(Bar()->Notice()->isVisible(), c.count == 0);
    }
    // Over the rows, whole, in plain words; removing the last shown rows says it too.
    EXPECT_EQ(Bar()->Notice()->parentWidget(), Rows());
    EXPECT_EQ(Bar()->Notice()->text().toStdString(), "No rows match the filter");
    EXPECT_EQ(Bar()->Notice()->textFormat(), Qt::PlainText);
    Filter("beta");
    window->View()->setFocus();
    QTest::keyClick(window->View(), Qt::Key_A, Qt::ControlModifier);
    window->Menu().removeHighlighted->trigger();
    EXPECT_TRUE(Bar()->Notice()->isVisible());
    EXPECT_EQ(Bar()->Notice()->geometry(), Rows()->rect());
    window->Reload();
    EXPECT_FALSE(Bar()->Notice()->isVisible());
    EXPECT_GE(window->View()->y(), Bar()->geometry().bottom()) << "the table sits below the open line";
    // Escape in the line, the table or the window clears and closes the line before
    // it ends anything, and leaves the focus in the table.
    for (QWidget* at :
         {static_cast<QWidget*>(Line()), static_cast<QWidget*>(window->View()), static_cast<QWidget*>(window.get())}) {
        Filter("beta");
        at->setFocus();
        QTest::keyClick(at, Qt::Key_Escape);
        EXPECT_TRUE(window->isVisible() && Bar()->isHidden() && Line()->text().isEmpty());
        EXPECT_EQ(Data().HiddenCount(), 0);
        EXPECT_EQ(Status(), Lit(4, 0));
        EXPECT_EQ(window->View()->y(), Bar()->y());
        EXPECT_TRUE(window->View()->hasFocus());
    }
    QTest::keyClick(window.get(), Qt::Key_Escape);  // no line open: it ends the program
    EXPECT_FALSE(window->isVisible());
}

// With the filter line open, the keys a modder presses in the table: Delete
// keeps the focus in the table, and the window's shortcuts work from the line too.
TEST_F(Conveniences, KeysWithTheFilterLineOpen) {
    FilterBar* bar = Bar();
    Filter("cost < 8");  // hides alpha
    window->View()->setFocus();
    QTest::mouseClick(Rows(), Qt::LeftButton, {}, RowPoint(0));  // delta
    QTest::keyClick(window->View(), Qt::Key_Delete);
    EXPECT_EQ(Column(0), "alpha,beta,gamma");
    EXPECT_TRUE(window->View()->hasFocus());
    QTest::keyClick(window->View(), Qt::Key_Delete);  // nothing highlighted: nothing goes, the filter stays
    EXPECT_EQ(bar->line->text().toStdString(), "cost < 8");

    // Ctrl+E from the line opens the export dialog, as Ctrl+O opens the chooser,
    // though the line claims it as its End key (as under X11's key bindings).
    struct ClaimsCtrlE : QObject {
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::ShortcutOverride &&
                static_cast<QKeyEvent*>(event)->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_E))
                event->accept();
            return false;
        }
    } claim;
    bar->line->installEventFilter(&claim);
    bar->line->setFocus();
    bool exported = false;
    WhenModal<ExportDialog>([&](auto* dialog) { exported = true, dialog->reject(); }, window.get());
    QTest::keyClick(bar->line, Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(exported);
    QTest::keyClick(bar->line, Qt::Key_A, Qt::ControlModifier);  // the line's own keys stay its own
    EXPECT_EQ(bar->line->selectedText().toStdString(), "cost < 8");
    EXPECT_EQ(Data().SelectedCount(), 0);
    bar->line->removeEventFilter(&claim);
}

QPalette DarkPalette(QRgb highlight = 0x2f65ca) {
    QPalette dark;
    const std::pair<QPalette::ColorRole, QRgb> roles[] = {
        {QPalette::Window, 0x2b2b2b},     {QPalette::Base, 0x1e1e1e},
        {QPalette::Button, 0x353535},     {QPalette::Text, 0xe0e0e0},
        {QPalette::WindowText, 0xe0e0e0}, {QPalette::ButtonText, 0xe0e0e0},
        {QPalette::Highlight, highlight}, {QPalette::HighlightedText, 0xffffff},
        {QPalette::Mid, 0x606060}};
    for (const auto& [role, color] : roles) dark.setColor(role, QColor::fromRgb(color));
    return dark;
}

TEST_F(Conveniences, FilterErrorsReadAsErrorsInLightAndDarkPalettes) {
    const struct {
        const char* why;
        QPalette palette;
    } cases[] = {
        {"the style's own, light", QApplication::palette()},
        {"dark", DarkPalette()},
        {"dark, and the highlight is red", DarkPalette(0xf07070)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        window->setPalette(c.palette);
        Filter("Speed > 3");
        QLabel* error = Bar()->errorLabel;
        ASSERT_TRUE(error->isVisible() && Bar()->errorIcon->isVisible());
        const QColor text = error->palette().color(error->foregroundRole());
        const QColor background = Bar()->palette().color(QPalette::Window);
        EXPECT_GE(ContrastRatio(text, background), FilterBar::kErrorContrast) << text.name().toStdString();
        EXPECT_NE(text, c.palette.color(QPalette::Highlight));
        EXPECT_GT(text.red(), 2 * std::max(text.green(), text.blue())) << "red: " << text.name().toStdString();
        // The warning sign, as tall as the text and beside it, on the same line.
        const QPixmap sign = Bar()->errorIcon->pixmap();
        const int textHeight = error->fontMetrics().height();
        EXPECT_EQ(sign.deviceIndependentSize().toSize(), QSize(textHeight, textHeight));
        EXPECT_LE(Bar()->errorIcon->geometry().right(), error->geometry().left());
        EXPECT_EQ(Bar()->errorIcon->geometry().top(), error->geometry().top());
        Line()->setText("Cost > 1");
        EXPECT_TRUE(error->isHidden() && Bar()->errorIcon->isHidden());
    }
    EXPECT_NEAR(ContrastRatio(Qt::black, Qt::white), 21.0, 1e-9);
    EXPECT_NEAR(ContrastRatio(QColor(0x777777), Qt::white), 4.48, 0.01);
}

TEST_F(Conveniences, FilteredTableSortsRemovesAndExportsShownRows) {
    Filter("Cost < 8");  // hides alpha
    // Sorting sorts all rows; alpha stays hidden wherever it lands.
    Click(window->View()->Header(), window->View()->HeadingRect(1).center());
    EXPECT_EQ(Column(0), "delta,beta,gamma,alpha");
    EXPECT_TRUE(Data().IsHidden(3));
    // Ctrl+A lights only shown rows, Copy and export take only those.
    window->View()->setFocus();
    QTest::keyClick(window->View(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Status(), Lit(4, 3) + ",   3 shown");
    std::string exported;
    ForEachExportPiece(window->Table(), ExportSettings{}, [&](std::string_view p) { exported += p; });
    EXPECT_EQ(exported,
              "Name\tCost\tLocated In\tLine #\ndelta\t0.5\tmore.ufo  ::  c.fbi\t2"
              "\nbeta\t2.5\tbase.hpi  ::  a.fbi\t6\ngamma\t7\tbase.hpi  ::  b.fbi\t1");
    Data().SetSelected(3, true);  // a hidden highlighted row is not removed
    Data().SetSelected(1, false);
    window->Menu().removeUnhighlighted->trigger();
    EXPECT_EQ(Column(0), "delta,gamma,alpha");
    window->Menu().removeHighlighted->trigger();
    EXPECT_EQ(Column(0), "alpha");
    EXPECT_EQ(Status(), Lit(1, 1) + ",   0 shown");
    window->Reload();  // every row comes back and is filtered again
    EXPECT_EQ(ShownNames(), "delta,beta,gamma");
}

TEST_F(Conveniences, CopyPutsTextAndHtmlOnTheClipboard) {
    Data().SetColumnWidth(2, 10);  // collapsed "Located In" stays out
    window->Table().MoveColumn(3, 0);
    window->View()->setFocus();
    Click(Rows(), RowPoint(2));
    Click(Rows(), RowPoint(0), Qt::ControlModifier);
    QTest::keyClick(window.get(), Qt::Key_C, Qt::ControlModifier);
    const QMimeData* mime = QApplication::clipboard()->mimeData();
    ASSERT_NE(mime, nullptr);
    EXPECT_EQ(mime->text().toStdString(), "Line #\tName\tCost\n2\tdelta\t0.5\n6\tbeta\t2.5\n");
    EXPECT_EQ(mime->html().toStdString(),
              "<table>\n<tr><th>Line #</th><th>Name</th><th>Cost</th></tr>\n"
              "<tr><td>2</td><td>delta</td><td>0.5</td></tr>\n"
              "<tr><td>6</td><td>beta</td><td>2.5</td></tr>\n</table>\n");
}

TEST_F(Conveniences, RowMenuCopiesShowsSourceAndRemoves) {
    window->View()->setFocus();
    QContextMenuEvent event(QContextMenuEvent::Mouse, RowPoint(2), Rows()->mapToGlobal(RowPoint(2)));
    QApplication::sendEvent(Rows(), &event);
    QMenu* menu = window->Conveniences()->rowMenu;
    ASSERT_NE(menu, nullptr);
    QStringList texts;
    for (QAction* a : menu->actions()) texts += a->text();
    EXPECT_EQ(texts.join('|').toStdString(), "Copy|Show Record Source|Remove Highlighted|Edit &Cell");
    EXPECT_EQ(Status(), Lit(4, 1));
    menu->actions()[0]->trigger();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              "Name\tCost\tLocated In\tLine #\nbeta\t2.5\tbase.hpi  ::  a.fbi\t6\n");
    menu->actions()[1]->trigger();
    auto listings = window->findChildren<DataListingDialog*>();
    ASSERT_EQ(listings.size(), 1);
    EXPECT_EQ(listings[0]->windowTitle().toStdString(), "Data Segment from a.fbi");
    menu->actions()[2]->trigger();
    EXPECT_EQ(Column(0), "delta,alpha,gamma");
}

TEST_F(Conveniences, ColumnLayoutIsKeptPerConfigurationAndReset) {
    const std::string original = Headings();
    window->Table().MoveColumn(3, 0);     // "Line #" first
    window->Table().CollapseOrExpand(1);  // Name collapsed
    Data().SetColumnWidth(2, 99);
    const std::string arranged = "Line #:" + std::to_string(Data().ColumnWidth(0)) + ",Name:10,Cost:99," +
                                 "Located In:" + std::to_string(Data().ColumnWidth(3));
    EXPECT_EQ(Headings(), arranged);
    // Another configuration replaces it, then the first comes back: restored.
    Load("a.cfg");
    EXPECT_NE(Headings(), arranged);
    Load("units.cfg");
    EXPECT_EQ(Headings(), arranged);
    EXPECT_EQ(Column(0), "2,1,6,1") << "cells travel with their columns";
    Reopen();  // kept across a close and a new window
    EXPECT_EQ(Headings(), arranged);
    window->Conveniences()->resetLayoutAction->trigger();
    EXPECT_EQ(Headings(), original);
    EXPECT_EQ(Column(0), "delta,alpha,beta,gamma");
    Reopen();
    EXPECT_EQ(Headings(), original) << "the reset is kept too";
}

TEST_F(Conveniences, KeysReloadExportAndSelect) {
    Data().DeleteRow(0);
    QTest::keyClick(window.get(), Qt::Key_F5);
    EXPECT_EQ(Data().RowCount(), 4) << "F5 reloads";
    EXPECT_EQ(chooser.calls, 1) << "without asking";
    chooser.name = "";
    QTest::keyClick(window.get(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(chooser.calls, 2) << "Ctrl+O asks for a configuration";
    const std::tuple<QAction*, const char*, QKeySequence> actions[] = {
        {window->Menu().selectConfiguration, "&Select Configuration File", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {window->Menu().exportTable, "&Export table", QKeySequence(Qt::CTRL | Qt::Key_E)},
        {window->Conveniences()->filterAction, "&Filter Rows...", QKeySequence(Qt::CTRL | Qt::Key_F)},
        {window->Conveniences()->copyAction, "&Copy", QKeySequence(Qt::CTRL | Qt::Key_C)},
        {window->Conveniences()->reloadAction, "&Reload Configuration", QKeySequence(Qt::Key_F5)},
    };
    for (const auto& [action, text, keys] : actions) {
        EXPECT_EQ(action->text().toStdString(), text);
        EXPECT_EQ(action->shortcut(), keys) << text;
    }
}

TEST_F(Conveniences, ListingsCascadeAndFitTheirText) {
    DataListingDialog* first = window->OpenRecordListing(0);
    DataListingDialog* second = window->OpenRecordListing(1);
    ASSERT_TRUE(first && second);
    EXPECT_EQ(second->pos() - first->pos(), QPoint(28, 28));
    const QSize screen = window->screen()->availableGeometry().size();
    for (DataListingDialog* d : {first, second}) {
        EXPECT_LE(d->width(), screen.width() * 2 / 3);
        EXPECT_LE(d->height(), screen.height() * 2 / 3);
        EXPECT_EQ(d->listingEdit->verticalScrollBar()->maximum(), 0) << "the whole record shows";
    }
    window->Conveniences()->fixedFontAction->trigger();
    EXPECT_TRUE(QFontInfo(first->listingEdit->font()).fixedPitch());
    window->Conveniences()->fixedFontAction->trigger();
    EXPECT_FALSE(DataListingDialog::FixedWidthFont());
}

TEST_F(Conveniences, TableDrawsFromADarkPalette) {
    window->setPalette(DarkPalette());
    window->View()->setFocus();
    Click(Rows(), RowPoint(1));
    Data().SetColumnWidth(2, 10);
    Click(window->View()->Header(), window->View()->HeadingRect(1).center());
    const QImage shot = window->grab().toImage();
    auto at = [&](QWidget* w, QPoint p) { return shot.pixel(w->mapTo(window.get(), p)) & 0xffffff; };
    const QRect lit = window->View()->RowBoundsRect(Data().FocusedRow());
    const QRect plain = window->View()->RowBoundsRect(Data().FocusedRow() == 0 ? 1 : 0);
    EXPECT_EQ(at(Rows(), QPoint(plain.right() - 2, plain.center().y())), 0x1e1e1eu);
    EXPECT_EQ(at(Rows(), QPoint(lit.right() - 2, lit.center().y())), 0x2f65cau);
    EXPECT_EQ(at(Rows(), QPoint(lit.right() + 40, lit.center().y())), 0x1e1e1eu) << "beyond the last column";
    // The sort arrow is drawn light on the dark heading.
    auto* header = static_cast<TableHeaderCtrl*>(window->View()->Header());
    const QRect arrow = header->SortArrowRect(1);
    ASSERT_FALSE(arrow.isEmpty());
    int lightest = 0;
    for (int y = arrow.top(); y <= arrow.bottom(); ++y)
        for (int x = arrow.left(); x <= arrow.right(); ++x)
            lightest = std::max(lightest, qGray(at(header, QPoint(x, y))));
    EXPECT_GT(lightest, 0xa0);
    if (qEnvironmentVariableIsSet("LORVEX_DOCS")) shot.save(qEnvironmentVariable("LORVEX_DOCS") + "/dark-palette.png");
}

}  // namespace
}  // namespace lorvex
