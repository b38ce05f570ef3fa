#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <QAction>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <cstring>
#include <filesystem>

#include "app/ConfigChooserDialog.h"
#include "app/DataListingDialog.h"
#include "app/skipped/SkippedNotice.h"
#include "app/view/TableConveniences.h"
#include "hpi/HpiWriter.h"
#include "table/widget/TableHeaderCtrl.h"
#include "tests/app/AppTestSupport.h"

namespace lorvex {
namespace {

using namespace testkit;

// Rows as loaded: delta, alpha, beta, gamma.
class MainWindow : public WindowTest {
protected:
    std::string Title() { return window->windowTitle().toStdString(); }
};

class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override { return paints += event->type() == QEvent::Paint, false; }
};

// A record listing as its user sees it: the title over the text.
std::string Shown(const DataListingDialog* listing) {
    return listing->windowTitle().toStdString() + "\n" + listing->listingEdit->toPlainText().toStdString();
}

std::vector<std::string> Listed(QListWidget* list) {
    std::vector<std::string> names;
    for (int i = 0; i < list->count(); ++i) names.push_back(list->item(i)->text().toStdString());
    return names;
}

TEST_F(MainWindow, FirstPaintLoadsThroughTheChooser) {
    std::vector<std::string> listed;
    WhenModal<ConfigChooserDialog>([&](auto* dialog) {
        listed = Listed(dialog->fileList);
        dialog->fileList->setCurrentRow(2);
        dialog->okButton->click();
    });
    PaintCounter archivePaints;
    window = std::make_unique<MainDialog>();
    auto* archiveLabel = window->findChild<QLabel*>(QStringLiteral("archiveLabel"));
    archiveLabel->installEventFilter(&archivePaints);
    EXPECT_EQ(Title(), "Lorvex   - by Quorrin");
    window->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Data().RowCount() == 4; }, 5000));
    EXPECT_EQ(listed, (std::vector<std::string>{"a.cfg", "B.cfg", "units.cfg"}));
    EXPECT_EQ(Title(), "Lorvex - units.cfg   - by Quorrin");
    // more.ufo before base.hpi; the files of an archive in its order.
    EXPECT_EQ(Column(0) + "|" + Column(1) + "|" + Column(3), "delta,alpha,beta,gamma|0.5,10,2.5,7|2,1,6,1");
    EXPECT_EQ(Column(2), "more.ufo  ::  c.fbi,base.hpi  ::  a.fbi,base.hpi  ::  a.fbi,base.hpi  ::  b.fbi");
    EXPECT_EQ(Status(), Lit(4, 0));
    EXPECT_TRUE(window->View()->isVisible());
    EXPECT_FALSE(archiveLabel->isVisible() || window->findChild<QLabel*>(QStringLiteral("fileLabel"))->isVisible());
    EXPECT_GE(archivePaints.paints, 2) << "the progress labels are painted while the load holds the window";
    window->repaint();  // later paints start no other load
    QTest::qWait(50);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(MainWindow, CancelLeavesAnEmptyTableTheMenuLoadsLaterAndMessagesShowInABox) {
    Open("");
    EXPECT_EQ(Data().ColumnCount(), 0);
    EXPECT_EQ(Status(), "");
    Load("units.cfg");
    EXPECT_EQ(Data().RowCount(), 4);
    for (const char* name : {"", "gone.cfg"}) {  // a cancelled or failed later load changes nothing
        Load(name);
        EXPECT_EQ(Data().RowCount(), 4) << name;
        EXPECT_EQ(Title(), "Lorvex - units.cfg   - by Quorrin");
    }
    EXPECT_EQ(chooser.calls, 4);
    window->SetMessageSink(nullptr);  // the real message boxes
    std::string text;
    WhenModal<QMessageBox>([&](auto* box) { text = box->text().toStdString(), box->button(QMessageBox::Ok)->click(); });
    window->ShowMessage("Unable to Create File");
    EXPECT_EQ(text, "Unable to Create File");
}

TEST_F(MainWindow, InputDuringALoadIsIgnoredAndStatusFollowsClicks) {
    chooser.during = [&] {
        if (chooser.calls != 1) return;
        QTest::keyClick(window.get(), Qt::Key_Escape);
        window->Menu().selectConfiguration->trigger();
        QTest::keyClick(window->View(), Qt::Key_Delete);
    };
    Open("units.cfg");
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(chooser.calls, 1) << "no second load inside the first";
    EXPECT_EQ(Data().RowCount(), 4);

    window->View()->setFocus();
    Click(Rows(), RowPoint(1));
    EXPECT_EQ(Status(), Lit(4, 1));
    Click(Rows(), RowPoint(3), Qt::ControlModifier);
    EXPECT_EQ(Status(), Lit(4, 2));
    // Keys, Ctrl+A and duplicate highlighting change the line at once.
    QTest::keyClick(window->View(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Status(), Lit(4, 1));
    QTest::keyClick(window->View(), Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Status(), Lit(4, 4));
    Click(window->View()->Header(), window->View()->HeadingRect(3).center(), Qt::ControlModifier);
    EXPECT_EQ(Status(), Lit(4, 2));
    QTest::keyClick(window->View(), Qt::Key_Return);  // Enter does nothing
    EXPECT_TRUE(window->isVisible());
    QTest::keyClick(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(MainWindow, RemovesTheRightRows) {
    QAction* MainMenu::*const lit = &MainMenu::removeHighlighted;
    QAction* MainMenu::*const unlit = &MainMenu::removeUnhighlighted;
    const struct {
        std::vector<int> highlight;
        QAction* MainMenu::*action /* none: the Delete key */;
        const char* left;
        int total, lit;
    } cases[] = {
        {{1, 3}, nullptr, "delta,beta", 2, 0},     {{0, 2}, lit, "alpha,gamma", 2, 0},
        {{0, 2}, unlit, "delta,beta", 2, 2},       {{}, unlit, "", 0, 0},
        {{}, lit, "delta,alpha,beta,gamma", 4, 0},
    };
    Open("units.cfg");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.left);
        Load("units.cfg");
        window->View()->setFocus();
        for (int row : c.highlight) Data().SetSelected(row, true);
        window->StatusLabel()->setText(QStringLiteral("stale"));
        if (c.action)
            (window->Menu().*c.action)->trigger();
        else
            QTest::keyClick(window->View(), Qt::Key_Delete);
        EXPECT_EQ(Column(0), c.left);
        EXPECT_EQ(Status(), Lit(c.total, c.lit));
        EXPECT_EQ(Data().ColumnCount(), 4) << "the columns stay";
    }
}

TEST_F(MainWindow, DoubleClickOpensTheRecordListing) {
    Open("units.cfg");
    DoubleClick(Rows(), RowPoint(2));
    const auto open = window->findChildren<DataListingDialog*>();
    ASSERT_EQ(open.size(), 1);
    QPointer<DataListingDialog> first(open[0]);
    EXPECT_TRUE(first->isVisible() && !first->isModal() && first->listingEdit->isReadOnly());
    EXPECT_EQ(Shown(first), "Data Segment from a.fbi\n[BETA]\n\t{\n\tName=beta;\n\tCost=2.5;\n\t}\n");
    // Another record after the columns moved ("Located In" to the front, "Line #" to the end).
    window->Table().MoveColumn(2, 0);
    window->Table().MoveColumn(3, 4);
    QPointer<DataListingDialog> second(window->OpenRecordListing(0));
    ASSERT_TRUE(second);
    EXPECT_EQ(Shown(second), "Data Segment from c.fbi\n[DELTA]\n\t{\n\tName=delta;\n\tCost=0.5;\n\t}\n");
    // The main window stays usable; each listing goes by itself.
    Click(Rows(), RowPoint(0));
    EXPECT_EQ(Status(), Lit(4, 1));
    QTest::keyClick(first->listingEdit, Qt::Key_Escape);
    EXPECT_TRUE(second->isVisible());
    second->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull() && second.isNull() && window->isVisible());
    // A file gone from the scratch folder: "Data Listing" and an empty box.
    std::filesystem::remove("Lorvex temp/b.fbi");
    DataListingDialog* missing = window->OpenRecordListing(3);
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(Shown(missing), "Data Listing\n");
    EXPECT_FALSE(std::filesystem::exists("Lorvex temp/b.fbi"));
    EXPECT_EQ(window->OpenRecordListing(-1), nullptr);
    EXPECT_EQ(window->OpenRecordListing(Data().RowCount()), nullptr);
}

// A load that left record files out says how many beside the status line,
// which keeps its own text; one click shows which and why, as plain text.
TEST_F(MainWindow, SkippedRecordFilesAreCountedAndListed) {
    hpi::HpiWriter w;
    w.AddFile("units\\e.fbi", Unit("EPSILON", "<b>epsilon</b>", "1"), hpi::PackMethod::Zlib);
    std::string bytes = w.Build(0);
    bytes.back() = static_cast<char>(bytes.back() ^ 0x5a);  // its checksum fails
    GameFolder::Write("../zz.hpi", bytes);
    std::filesystem::create_directories("Lorvex temp/b.fbi");  // in the way of b.fbi's scratch copy
    Open("units.cfg");
    EXPECT_EQ(Status(), Lit(3, 0));
    ASSERT_TRUE(window->Skipped()->isVisible());
    EXPECT_EQ(window->Skipped()->text().toStdString(), "2 record files skipped");
    EXPECT_LE(window->Skipped()->geometry().right(), window->width());
    const std::string list = window->Skipped()->ListText().toStdString();
    EXPECT_NE(list.find("..\\base.hpi: units\\b.fbi: its scratch copy cannot be written: a folder"), std::string::npos)
        << list;
    EXPECT_NE(list.find("..\\zz.hpi: units\\e.fbi: it is damaged"), std::string::npos) << list;
    QPointer<QDialog> shown = window->Skipped()->OpenList();
    auto* edit = shown->findChild<QPlainTextEdit*>(QStringLiteral("skippedList"));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->toPlainText().toStdString(), list);
    shown->close();

    std::filesystem::remove("Lorvex temp/b.fbi");
    std::filesystem::remove("../zz.hpi");
    Load("units.cfg");  // nothing skipped: nothing shown
    EXPECT_FALSE(window->Skipped()->isVisible());
    EXPECT_EQ(Status(), Lit(4, 0));
}

// Another load holds the scratch folder: the status line says this one waits,
// and Escape cancels it without ending the program or touching the table.
TEST_F(MainWindow, ALoadThatWaitsShowsItAndEscapeCancelsIt) {
    Open("units.cfg");
    const int held = ::open("Lorvex temp", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    std::string shown;
    QTimer::singleShot(300, [&] {
        shown = Status();
        QTest::keyClick(window->View(), Qt::Key_Escape);
    });
    Load("a.cfg");
    EXPECT_EQ(shown, "Waiting for another load using \"Lorvex temp\" to end (Escape cancels)");
    EXPECT_EQ(window->LastLoad().end, LoadEnd::Cancelled);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(Column(0), "delta,alpha,beta,gamma");
    EXPECT_EQ(Status(), Lit(4, 0));
    // The next load that waits is let go: it loads, the Escape of the last one forgotten.
    QTimer::singleShot(300, [held] { ::close(held); });
    Load("a.cfg");
    EXPECT_EQ(window->LastLoad().end, LoadEnd::Loaded);
}

// The real chooser over a buffer that holds junk beforehand: the result, the
// buffer's text, and the names the list showed.
TEST(ConfigChooser, WritesTheSelectedNameOnlyWhenItEndsWithOk) {
    App();
    GameFolder game;
    const std::string longName = std::string(251, 'n') + ".cfg";  // the longest a folder can hold fits
    for (const char* name : {"units.cfg", "B.cfg", "a.cfg", "c.CFG", "other.txt", longName.c_str()})
        GameFolder::Write(name, "x");
    std::filesystem::create_directory("folder.cfg");
    const auto ok = [](ConfigChooserDialog* d) { d->okButton->click(); };
    const struct {
        int row;  // made current first, if any
        std::function<void(ConfigChooserDialog*)> then;
        int result;
        std::string name;
    } cases[] = {
        {1, [](auto* d) { QTest::keyClick(d->fileList, Qt::Key_Escape); }, QDialog::Rejected, ""},
        {1, [](auto* d) { d->cancelButton->click(); }, QDialog::Rejected, ""},
        {0, [](auto* d) { QTest::keySequence(d->fileList, QKeySequence(Qt::Key_Down, Qt::Key_Return)); },
         QDialog::Accepted, "B.cfg"},
        {-1,
         [](auto* d) {
             DoubleClick(d->fileList->viewport(), d->fileList->visualItemRect(d->fileList->item(2)).center());
         },
         QDialog::Accepted, "c.CFG"},
        {3, ok, QDialog::Accepted, longName},
        {-1, ok, QDialog::Accepted, ""},  // OK without a selection
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> listed;
        WhenModal<ConfigChooserDialog>([&](ConfigChooserDialog* d) {
            listed = Listed(d->fileList);
            if (c.row >= 0) d->fileList->setCurrentRow(c.row);
            c.then(d);
        });
        ConfigChooserDialog dialog;
        char buffer[ConfigChooserDialog::kBufferSize + 8];
        std::memset(buffer, 'J', sizeof buffer);
        EXPECT_EQ(dialog.RunChooser(buffer), c.result);
        EXPECT_EQ(buffer[ConfigChooserDialog::kBufferSize], 'J') << "written past the buffer";
        ASSERT_NE(std::memchr(buffer, '\0', ConfigChooserDialog::kBufferSize), nullptr);
        EXPECT_EQ(buffer, c.name);
        EXPECT_EQ(listed, (std::vector<std::string>{"a.cfg", "B.cfg", "c.CFG", longName, "units.cfg"}));
    }
}

}  // namespace
}  // namespace lorvex
