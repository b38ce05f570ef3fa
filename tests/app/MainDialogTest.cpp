#include <QAction>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include "app/ConfigChooserDialog.h"
#include "app/DataListingDialog.h"
#include "table/widget/TableHeaderCtrl.h"
#include "tests/app/AppTestSupport.h"

namespace lorvex {
namespace {

using namespace apptest;

class MainWindow : public WindowTest {
protected:
    // The row whose "Name" cell is name, wherever that column stands now.
    int RowOf(const std::string& name) {
        int column = 0;
        while (column < Data().ColumnCount() && Data().Column(column).heading != "Name") ++column;
        for (int r = 0; r < Data().RowCount(); ++r)
            if (Data().Cell(r, column) == name) return r;
        return -1;
    }
    std::string Title() { return window->windowTitle().toStdString(); }
};

// Counts the paints a widget gets.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

TEST_F(MainWindow, FirstPaintLoadsThroughTheChooser) {
    std::vector<std::string> listed;
    WhenModal([&](QWidget* modal) {
        auto* dialog = dynamic_cast<ConfigChooserDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        for (int i = 0; i < dialog->fileList->count(); ++i)
            listed.push_back(dialog->fileList->item(i)->text().toStdString());
        dialog->fileList->setCurrentRow(2);
        dialog->okButton->click();
    });
    PaintCounter archivePaints;
    window = std::make_unique<MainDialog>();
    window->archiveLabel->installEventFilter(&archivePaints);
    EXPECT_EQ(Title(), "Lorvex   - by Quorrin");
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Data().RowCount() == 4; }, 5000));
    EXPECT_EQ(listed, (std::vector<std::string>{"a.cfg", "B.cfg", "units.cfg"}));
    EXPECT_EQ(Title(), "Lorvex - units.cfg   - by Quorrin");
    // more.ufo before base.hpi; the files of an archive in its order.
    EXPECT_EQ(Column(0), "delta,alpha,beta,gamma");
    EXPECT_EQ(Column(1), "0.5,10,2.5,7");
    EXPECT_EQ(Column(2), "more.ufo  ::  c.fbi,base.hpi  ::  a.fbi,base.hpi  ::  a.fbi,base.hpi  ::  b.fbi");
    EXPECT_EQ(Column(3), "2,1,6,1");
    EXPECT_EQ(Status(), "4 total table entries,   0 hilighted entries");
    EXPECT_TRUE(window->View()->isVisible());
    EXPECT_FALSE(window->archiveLabel->isVisible() || window->fileLabel->isVisible());
    EXPECT_GE(archivePaints.paints, 2) << "the progress labels are painted while the load holds the window";
    // Later paints start no other load.
    window->repaint();
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainWindow, CancelLeavesAnEmptyTableAndTheMenuLoadsLater) {
    Open("");
    EXPECT_EQ(Data().ColumnCount(), 0);
    EXPECT_EQ(Status(), "");
    chooser.name = "units.cfg";
    window->selectConfigurationAction->trigger();
    EXPECT_EQ(Data().RowCount(), 4);
    // A cancelled or failed later load leaves the table as it was.
    for (const char* name : {"", "gone.cfg"}) {
        chooser.name = name;
        window->selectConfigurationAction->trigger();
        EXPECT_EQ(Data().RowCount(), 4) << name;
        EXPECT_EQ(Title(), "Lorvex - units.cfg   - by Quorrin");
    }
    EXPECT_EQ(chooser.calls, 4);
}

TEST_F(MainWindow, InputDuringALoadIsIgnoredAndStatusFollowsClicks) {
    chooser.during = [&] {
        if (chooser.calls != 1) return;
        // The user presses Escape, picks the menu again and presses Delete while the load runs.
        QTest::keyClick(window.get(), Qt::Key_Escape);
        window->selectConfigurationAction->trigger();
        QTest::keyClick(window->View(), Qt::Key_Delete);
    };
    Open("units.cfg");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(chooser.calls, 1) << "no second load inside the first";
    EXPECT_EQ(Data().RowCount(), 4);

    window->View()->setFocus();
    Click(Rows(), RowPoint(1));
    EXPECT_EQ(Status(), "4 total table entries,   1 hilighted entries");
    Click(Rows(), RowPoint(3), Qt::ControlModifier);
    EXPECT_EQ(Status(), "4 total table entries,   2 hilighted entries");
    // Keys, Ctrl+A and duplicate highlighting change the line at once (the
    // first release left it stale until the next click).
    QTest::keyClick(window->View(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Status(), "4 total table entries,   1 hilighted entries");
    QTest::keyClick(window->View(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Status(), "4 total table entries,   4 hilighted entries");
    Click(window->View()->Header(), window->View()->HeadingRect(3).center(), Qt::ControlModifier);
    EXPECT_EQ(Status(), "4 total table entries,   2 hilighted entries");
    QTest::keyClick(window->View(), Qt::Key_Return);  // Enter does nothing
    EXPECT_TRUE(window->isVisible());
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindow, RemovesTheRightRows) {
    const std::tuple<const char*, std::vector<std::string>, std::function<void(MainDialog&)>, const char*, const char*>
        cases[] = {
            {"Delete key", {"alpha", "gamma"}, [](MainDialog& w) { QTest::keyClick(w.View(), Qt::Key_Delete); },
             "delta,beta", "2 total table entries,   0 hilighted entries"},
            {"all highlighted", {"delta", "beta"}, [](MainDialog& w) { w.removeHighlightedAction->trigger(); },
             "alpha,gamma", "2 total table entries,   0 hilighted entries"},
            {"all unhighlighted", {"delta", "beta"}, [](MainDialog& w) { w.removeUnhighlightedAction->trigger(); },
             "delta,beta", "2 total table entries,   2 hilighted entries"},
            {"unhighlighted, none highlighted", {}, [](MainDialog& w) { w.removeUnhighlightedAction->trigger(); }, "",
             "0 total table entries,   0 hilighted entries"},
            {"highlighted, none highlighted", {}, [](MainDialog& w) { w.removeHighlightedAction->trigger(); },
             "delta,alpha,beta,gamma", "4 total table entries,   0 hilighted entries"},
        };
    Open("units.cfg");
    for (const auto& [what, highlight, remove, left, status] : cases) {
        SCOPED_TRACE(what);
        window->selectConfigurationAction->trigger();
        ASSERT_EQ(Data().RowCount(), 4);
        window->View()->setFocus();
        for (const std::string& name : highlight) Data().SetSelected(RowOf(name), true);
        window->statusText->setText(QStringLiteral("stale"));
        remove(*window);
        EXPECT_EQ(Column(0), left);
        EXPECT_EQ(Status(), status);
        EXPECT_EQ(Data().ColumnCount(), 4) << "the columns stay";
    }
}

TEST_F(MainWindow, DoubleClickOpensTheRecordListing) {
    Open("units.cfg");
    DoubleClick(Rows(), RowPoint(RowOf("beta")));
    std::vector<DataListingDialog*> open;
    for (QDialog* d : window->findChildren<QDialog*>())
        if (auto* l = dynamic_cast<DataListingDialog*>(d)) open.push_back(l);
    ASSERT_EQ(open.size(), 1u);
    DataListingDialog* first = open[0];
    EXPECT_TRUE(first->isVisible() && !first->isModal());
    EXPECT_EQ(first->windowTitle().toStdString(), "Data Segment from a.fbi");
    EXPECT_EQ(first->listingEdit->toPlainText().toStdString(), "[BETA]\n\t{\n\tName=beta;\n\tCost=2.5;\n\t}\n");
    EXPECT_TRUE(first->listingEdit->isReadOnly());
    // Another record after the columns moved ("Located In" to the front, "Line #" to the end).
    window->Table().MoveColumn(2, 0);
    window->Table().MoveColumn(3, 4);
    DataListingDialog* second = window->OpenRecordListing(RowOf("delta"));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->windowTitle().toStdString(), "Data Segment from c.fbi");
    EXPECT_EQ(second->listingEdit->toPlainText().toStdString(), "[DELTA]\n\t{\n\tName=delta;\n\tCost=0.5;\n\t}\n");
    // The main window stays usable; each listing goes by itself.
    Click(Rows(), RowPoint(0));
    EXPECT_EQ(Status(), "4 total table entries,   1 hilighted entries");
    QPointer<DataListingDialog> a(first), b(second);
    QTest::keyClick(first->listingEdit, Qt::Key_Escape);
    EXPECT_TRUE(second->isVisible());
    second->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(a.isNull() && b.isNull());
    EXPECT_TRUE(window->isVisible());
    // A file gone from the scratch folder: "Data Listing" and an empty box.
    std::filesystem::remove("Lorvex temp/b.fbi");
    DataListingDialog* missing = window->OpenRecordListing(RowOf("gamma"));
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->windowTitle().toStdString(), "Data Listing");
    EXPECT_TRUE(missing->listingEdit->toPlainText().isEmpty());
    EXPECT_FALSE(std::filesystem::exists("Lorvex temp/b.fbi"));
    EXPECT_EQ(window->OpenRecordListing(-1), nullptr);
    EXPECT_EQ(window->OpenRecordListing(Data().RowCount()), nullptr);
}

TEST_F(MainWindow, MessageBoxShowsTheText) {
    Open("");
    window->SetMessageSink(nullptr);  // the real message boxes
    std::string text;
    WhenModal([&](QWidget* modal) {
        auto* box = dynamic_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        text = box->text().toStdString();
        box->button(QMessageBox::Ok)->click();
    });
    window->ShowMessage("Unable to Create File");
    EXPECT_EQ(text, "Unable to Create File");
}

}  // namespace
}  // namespace lorvex
