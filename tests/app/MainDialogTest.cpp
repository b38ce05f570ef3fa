#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include "app/ConfigChooserDialog.h"
#include "app/DataListingDialog.h"
#include "app/DialogUnits.h"
#include "app/MainDialog.h"
#include "table/widget/TableListView.h"
#include "tests/app/AppTestSupport.h"

namespace lorvex {
namespace {

using namespace apptest;
using testing::GameFolder;

class MainWindow : public ::testing::Test {
protected:
    MainWindow() {
        App();
        BuildGame();
    }
    ~MainWindow() override {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Shows the window; its first paint asks the chooser (the scripted one
    // unless real is set).
    void Open(const std::string& cfg, bool real = false) {
        chooser.name = cfg;
        window = std::make_unique<MainDialog>();
        if (!real) window->SetChooser(&chooser);
        window->SetMessageSink(&messages);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        if (!real) {
            ASSERT_TRUE(QTest::qWaitFor([&] { return chooser.calls == 1 && !window->Loading(); }, 5000));
        }
    }

    TableData& Data() { return window->Table().Data(); }
    QWidget* Rows() { return window->View()->viewport(); }
    QPoint RowPoint(int row) { return window->View()->RowBoundsRect(row).center(); }
    std::string Status() { return window->statusText->text().toStdString(); }
    std::string Column(int c) {
        std::string s;
        for (int r = 0; r < Data().RowCount(); ++r) s += (r ? "," : "") + std::string(Data().Cell(r, c));
        return s;
    }
    // The row whose "Name" cell is name, wherever that column stands now.
    int RowOf(const std::string& name) {
        int column = 0;
        while (column < Data().ColumnCount() && Data().Column(column).heading != "Name") ++column;
        for (int r = 0; r < Data().RowCount(); ++r)
            if (Data().Cell(r, column) == name) return r;
        return -1;
    }
    std::vector<DataListingDialog*> Listings() {
        std::vector<DataListingDialog*> found;
        for (QDialog* d : window->findChildren<QDialog*>())
            if (auto* l = dynamic_cast<DataListingDialog*>(d)) found.push_back(l);
        return found;
    }

    GameFolder game;
    ScriptedChooser chooser;
    CapturedMessages messages;
    std::unique_ptr<MainDialog> window;
};

// Counts the paints a widget gets.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

TEST_F(MainWindow, FirstPaintLoadsThroughTheChooser) {
    std::vector<std::string> listed;
    std::string caption;
    WhenModal([&](QWidget* modal) {
        auto* dialog = dynamic_cast<ConfigChooserDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        caption = modal->windowTitle().toStdString();
        for (int i = 0; i < dialog->fileList->count(); ++i)
            listed.push_back(dialog->fileList->item(i)->text().toStdString());
        dialog->fileList->setCurrentRow(2);
        dialog->okButton->click();
    });
    PaintCounter archivePaints;
    window = std::make_unique<MainDialog>();
    window->archiveLabel->installEventFilter(&archivePaints);
    EXPECT_EQ(window->windowTitle().toStdString(), "Lorvex   - by Quorrin");
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Data().RowCount() == 4; }, 5000));

    EXPECT_EQ(caption, "Configuration Files");
    EXPECT_EQ(listed, (std::vector<std::string>{"a.cfg", "B.cfg", "units.cfg"}));
    EXPECT_EQ(window->windowTitle().toStdString(), "Lorvex - units.cfg   - by Quorrin");
    // more.ufo before base.hpi; the files of an archive in its order.
    EXPECT_EQ(Column(0), "delta,alpha,beta,gamma");
    EXPECT_EQ(Column(1), "0.5,10,2.5,7");
    EXPECT_EQ(Column(2), "more.ufo  ::  c.fbi,base.hpi  ::  a.fbi,base.hpi  ::  a.fbi,base.hpi  ::  b.fbi");
    EXPECT_EQ(Column(3), "2,1,6,1");
    EXPECT_EQ(Status(), "4 total table entries,   0 hilighted entries");
    EXPECT_TRUE(window->View()->isVisible());
    EXPECT_FALSE(window->archiveLabel->isVisible());
    EXPECT_FALSE(window->fileLabel->isVisible());
    // The progress labels were painted while the load held the window, once per archive at least.
    EXPECT_GE(archivePaints.paints, 2);

    // Later paints start no other load.
    window->repaint();
    window->update();
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainWindow, CancelLeavesAnEmptyTableAndTheMenuLoadsLater) {
    Open("");
    EXPECT_EQ(Data().ColumnCount(), 0);
    EXPECT_EQ(Status(), "");
    EXPECT_EQ(window->windowTitle().toStdString(), "Lorvex   - by Quorrin");

    chooser.name = "units.cfg";
    window->selectConfigurationAction->trigger();
    EXPECT_EQ(chooser.calls, 2);
    EXPECT_EQ(Data().RowCount(), 4);

    // A cancelled or failed later load leaves the table as it was.
    for (const char* name : {"", "gone.cfg"}) {
        chooser.name = name;
        window->selectConfigurationAction->trigger();
        EXPECT_EQ(Data().RowCount(), 4) << name;
        EXPECT_EQ(window->windowTitle().toStdString(), "Lorvex - units.cfg   - by Quorrin");
    }
}

TEST_F(MainWindow, NoInputReachesTheWindowDuringALoad) {
    chooser.name = "units.cfg";
    int escapes = 0;
    chooser.during = [&] {
        if (chooser.calls != 1) return;
        // The user presses Escape, clicks the menu again and presses Delete while the load runs.
        QTest::keyClick(window.get(), Qt::Key_Escape);
        window->selectConfigurationAction->trigger();
        QTest::keyClick(window->View(), Qt::Key_Delete);
        escapes = window->isVisible() ? 0 : 1;
    };
    Open("units.cfg");
    EXPECT_EQ(escapes, 0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(chooser.calls, 1) << "no second load inside the first";
    EXPECT_EQ(Data().RowCount(), 4);
    // Afterwards input works again.
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(window->result(), QDialog::Rejected);
}

TEST_F(MainWindow, ClicksUpdateTheStatusLineAndKeysDoNot) {
    Open("units.cfg");
    window->View()->setFocus();
    Click(Rows(), RowPoint(1));
    EXPECT_EQ(Status(), "4 total table entries,   1 hilighted entries");
    Click(Rows(), RowPoint(3), Qt::ControlModifier);
    EXPECT_EQ(Status(), "4 total table entries,   2 hilighted entries");
    QTest::keyClick(window->View(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_NE(Data().SelectedCount(), 2);
    EXPECT_EQ(Status(), "4 total table entries,   2 hilighted entries");
    // Enter does nothing; the window stays.
    QTest::keyClick(window->View(), Qt::Key_Return);
    QTest::keyClick(window.get(), Qt::Key_Enter);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Data().RowCount(), 4);
}

TEST_F(MainWindow, RemovesTheRightRows) {
    struct Case {
        const char* what;
        std::vector<std::string> highlight;
        std::function<void(MainDialog&)> remove;
        const char* left;
        const char* status;
    };
    const std::vector<Case> cases = {
        {"Delete key", {"alpha", "gamma"}, [](MainDialog& w) { QTest::keyClick(w.View(), Qt::Key_Delete); },
         "delta,beta", "2 total table entries,   0 hilighted entries"},
        {"all highlighted", {"delta", "beta"}, [](MainDialog& w) { w.removeHighlightedAction->trigger(); },
         "alpha,gamma", "2 total table entries,   0 hilighted entries"},
        {"all unhighlighted", {"delta", "beta"},
         [](MainDialog& w) { w.removeUnhighlightedAction->trigger(); }, "delta,beta",
         "2 total table entries,   2 hilighted entries"},
        {"unhighlighted, none highlighted", {}, [](MainDialog& w) { w.removeUnhighlightedAction->trigger(); },
         "", "0 total table entries,   0 hilighted entries"},
        {"highlighted, none highlighted", {}, [](MainDialog& w) { w.removeHighlightedAction->trigger(); },
         "delta,alpha,beta,gamma", "4 total table entries,   0 hilighted entries"},
    };
    Open("units.cfg");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        chooser.name = "units.cfg";
        window->selectConfigurationAction->trigger();
        ASSERT_EQ(Data().RowCount(), 4);
        window->View()->setFocus();
        for (const std::string& name : c.highlight) Data().SetSelected(RowOf(name), true);
        window->statusText->setText(QStringLiteral("stale"));
        c.remove(*window);
        EXPECT_EQ(Column(0), c.left);
        EXPECT_EQ(Status(), c.status);
        EXPECT_EQ(Data().ColumnCount(), 4) << "the columns stay";
        EXPECT_TRUE(window->View()->isVisible());
    }
}

TEST_F(MainWindow, DoubleClickOpensTheRecordListing) {
    Open("units.cfg");
    const int beta = RowOf("beta");
    DoubleClick(Rows(), RowPoint(beta));
    std::vector<DataListingDialog*> open = Listings();
    ASSERT_EQ(open.size(), 1u);
    DataListingDialog* first = open[0];
    EXPECT_TRUE(first->isVisible());
    EXPECT_FALSE(first->isModal());
    EXPECT_EQ(first->windowTitle().toStdString(), "Data Segment from a.fbi");
    EXPECT_EQ(first->listingEdit->toPlainText().toStdString(), "[BETA]\n\t{\n\tName=beta;\n\tCost=2.5;\n\t}\n");
    EXPECT_TRUE(first->listingEdit->isReadOnly());
    EXPECT_EQ(first->listingEdit->textCursor().position(), 0);
    EXPECT_EQ(first->listingEdit->lineWrapMode(), QPlainTextEdit::NoWrap);
    const DialogUnits du;
    EXPECT_EQ(first->size(), QSize(du.X(166), du.Y(215)));
    first->resize(300, 200);
    EXPECT_EQ(first->listingEdit->geometry(), first->rect());

    // A second window for another record, after the columns have been moved
    // ("Located In" to the front, "Line #" to the end).
    window->Table().MoveColumn(2, 0);
    window->Table().MoveColumn(3, 4);
    ASSERT_EQ(Data().Column(0).heading, "Located In");
    DataListingDialog* second = window->OpenRecordListing(RowOf("delta"));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(second->windowTitle().toStdString(), "Data Segment from c.fbi");
    EXPECT_EQ(second->listingEdit->toPlainText().toStdString(), "[DELTA]\n\t{\n\tName=delta;\n\tCost=0.5;\n\t}\n");
    EXPECT_EQ(Listings().size(), 2u);

    // The main window stays usable; each listing goes by itself.
    Click(Rows(), RowPoint(0));
    EXPECT_EQ(Status(), "4 total table entries,   1 hilighted entries");
    DataListingDialog* third = window->OpenRecordListing(RowOf("delta"));
    ASSERT_NE(third, nullptr);
    QPointer<DataListingDialog> a(first), b(second), c(third);
    QTest::keyClick(first->listingEdit, Qt::Key_Escape);
    QTest::keyClick(third->listingEdit, Qt::Key_Return);
    EXPECT_TRUE(second->isVisible());
    second->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(a.isNull());
    EXPECT_TRUE(b.isNull());
    EXPECT_TRUE(c.isNull());
    EXPECT_TRUE(window->isVisible());

    // A file gone from the scratch folder: "Data Listing" and an empty box.
    std::filesystem::remove("Lorvex temp/b.fbi");
    DataListingDialog* missing = window->OpenRecordListing(RowOf("gamma"));
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(missing->windowTitle().toStdString(), "Data Listing");
    EXPECT_TRUE(missing->listingEdit->toPlainText().isEmpty());
    EXPECT_FALSE(missing->Loaded());
    EXPECT_FALSE(std::filesystem::exists("Lorvex temp/b.fbi"));

    EXPECT_EQ(window->OpenRecordListing(-1), nullptr);
    EXPECT_EQ(window->OpenRecordListing(Data().RowCount()), nullptr);
}

TEST_F(MainWindow, MenuAndLayout) {
    Open("units.cfg");
    std::vector<std::string> top;
    for (QAction* a : window->menuBar->actions()) top.push_back(a->text().toStdString());
    EXPECT_EQ(top, (std::vector<std::string>{"Select Configuration File", "|", "Export table", "|",
                                             "Remove From Table..."}));
    const QList<QAction*> actions = window->menuBar->actions();
    EXPECT_FALSE(actions[1]->isEnabled());
    EXPECT_FALSE(actions[3]->isEnabled());
    std::vector<std::string> items;
    for (QAction* a : window->removeMenu->actions()) items.push_back(a->text().toStdString());
    EXPECT_EQ(items, (std::vector<std::string>{"All Hilighted Items\tDelete", "All Unhilighted Items"}));
    EXPECT_TRUE(window->removeHighlightedAction->shortcut().isEmpty()) << "the Delete beside it is only text";

    // "v1.2" at the right end, doing nothing.
    QWidget* corner = window->menuBar->cornerWidget(Qt::TopRightCorner);
    ASSERT_NE(corner, nullptr);
    EXPECT_GT(corner->geometry().left(), window->width() / 2);
    EXPECT_EQ(window->versionAction->text().toStdString(), "v1.2");
    window->versionAction->trigger();
    actions[1]->trigger();
    EXPECT_EQ(chooser.calls, 1);
    EXPECT_EQ(Data().RowCount(), 4);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    const DialogUnits du;
    const int top0 = window->menuBar->height();
    EXPECT_EQ(window->width(), du.X(406));
    EXPECT_EQ(window->height(), top0 + du.Y(286));
    EXPECT_EQ(window->statusText->geometry(), du.Rect(13, 1, 285, 8).translated(0, top0));
    EXPECT_EQ(window->archiveLabel->geometry(), du.Rect(34, 72, 98, 8).translated(0, top0));
    EXPECT_EQ(window->fileLabel->geometry(), du.Rect(133, 72, 177, 8).translated(0, top0));
    EXPECT_EQ(window->archiveLabel->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    for (QSize size : {QSize(500, 300), QSize(900, 700), QSize(200, 60)}) {
        window->resize(size);
        EXPECT_EQ(window->View()->geometry(),
                  QRect(0, top0 + 18, window->width(), std::max(0, window->height() - top0 - 18)));
    }
}

TEST_F(MainWindow, MessageBoxSinkShowsTheText) {
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
