#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <csignal>
#include <optional>
#include <sys/resource.h>

#include "app/DialogUnits.h"
#include "app/MainDialog.h"
#include "export/ExportDialog.h"
#include "tests/app/AppTestSupport.h"

namespace lorvex {
namespace {

using namespace apptest;
using testing::GameFolder;

TEST(ExportDialogTest, StartsFromTheTemplate) {
    App();
    ExportDialog d;
    const DialogUnits du;
    EXPECT_EQ(d.windowTitle().toStdString(), "Export Table");
    EXPECT_EQ(d.size(), QSize(du.X(339), du.Y(172)));
    EXPECT_EQ(d.fileNameEdit->text().toStdString(), "DavuveRadev.dat");
    for (QCheckBox* b : {d.includeCollapsedBox, d.onlyHighlightedBox, d.customDelimitersBox, d.customHeaderBox})
        EXPECT_FALSE(b->isChecked());
    EXPECT_EQ(d.includeCollapsedBox->text().toStdString(), "Include collapsed columns");
    EXPECT_EQ(d.onlyHighlightedBox->text().toStdString(), "Export only hilighted rows");
    EXPECT_EQ(d.customDelimitersBox->text().toStdString(), "Use custom delimiting text:");
    EXPECT_EQ(d.customHeaderBox->text().toStdString(), "Use custom Header/Trailer");
    EXPECT_EQ(d.htmlButton->text().toStdString(), "As HTML Table");
    EXPECT_TRUE(d.okButton->isDefault());
    EXPECT_FALSE(d.windowFlags() & Qt::WindowCloseButtonHint);
    for (QPlainTextEdit* e : {d.columnDelimiterEdit, d.rowDelimiterEdit, d.headerEdit, d.trailerEdit}) {
        EXPECT_TRUE(e->toPlainText().isEmpty());
        EXPECT_TRUE(d.rect().contains(e->geometry()));
    }
    EXPECT_TRUE(d.rect().contains(d.cancelButton->geometry()));
}

TEST(ExportDialogTest, HtmlPreset) {
    App();
    EXPECT_EQ(ExportDialog::kHtmlColumn.size(), 11u);
    EXPECT_EQ(ExportDialog::kHtmlRow.size(), 45u);
    EXPECT_EQ(ExportDialog::kHtmlHeader.size(), 77u);
    EXPECT_EQ(ExportDialog::kHtmlTrailer.size(), 61u);
    EXPECT_EQ(ExportDialog::kHtmlHeader,
              "<HTML>\r\n   <BODY>\r\n      <TABLE border=\"1\">\r\n         <TR>\r\n            <TD> ");

    ExportDialog d;
    d.OnAsHtmlTable();
    EXPECT_TRUE(d.customDelimitersBox->isChecked());
    EXPECT_TRUE(d.customHeaderBox->isChecked());
    EXPECT_EQ(d.fileNameEdit->text().toStdString(), "DavuveRadev.html");
    auto noCr = [](std::string_view s) {
        std::string t(s);
        std::erase(t, '\r');
        return t;
    };
    EXPECT_EQ(ExportDialog::SettingText(d.columnDelimiterEdit->toPlainText(), 127), noCr(ExportDialog::kHtmlColumn));
    EXPECT_EQ(ExportDialog::SettingText(d.rowDelimiterEdit->toPlainText(), 127), noCr(ExportDialog::kHtmlRow));
    EXPECT_EQ(ExportDialog::SettingText(d.headerEdit->toPlainText(), 127), noCr(ExportDialog::kHtmlHeader));
    EXPECT_EQ(ExportDialog::SettingText(d.trailerEdit->toPlainText(), 127), noCr(ExportDialog::kHtmlTrailer));
}

// Runs the dialog with a script for the user; the settings start as junk.
std::pair<bool, ExportSettings> RunDialog(const std::function<void(ExportDialog*)>& user) {
    ExportSettings s;
    s.fileName = "junk";
    s.columnDelimiter = s.rowDelimiter = s.header = s.trailer = "junk";
    s.includeCollapsed = s.onlyHighlighted = true;
    ExportDialog dialog;
    WhenModal([&](QWidget* modal) { user(dynamic_cast<ExportDialog*>(modal)); });
    const bool ok = dialog.RunExportDialog(s);
    return {ok, s};
}

TEST(ExportDialogTest, OkFillsTheSettingsWithinTheLimits) {
    App();
    {
        SCOPED_TRACE("plain OK: the defaults");
        auto [ok, s] = RunDialog([](ExportDialog* d) {
            d->headerEdit->setPlainText("ignored, box not checked");
            d->columnDelimiterEdit->setPlainText(";");
            d->okButton->click();
        });
        ASSERT_TRUE(ok);
        EXPECT_EQ(s.fileName, "DavuveRadev.dat");
        EXPECT_EQ(s.columnDelimiter, "\t");
        EXPECT_EQ(s.rowDelimiter, "\n");
        EXPECT_EQ(s.header, "");
        EXPECT_EQ(s.trailer, "");
        EXPECT_FALSE(s.includeCollapsed);
        EXPECT_FALSE(s.onlyHighlighted);
    }
    {
        SCOPED_TRACE("long texts are cut, line breaks counted as CR LF");
        auto [ok, s] = RunDialog([](ExportDialog* d) {
            d->fileNameEdit->setText(QString(70, QLatin1Char('f')));
            d->customDelimitersBox->setChecked(true);
            d->customHeaderBox->setChecked(true);
            d->columnDelimiterEdit->setPlainText(QString(200, QLatin1Char('c')));
            QString lines;
            for (int i = 0; i < 100; ++i) lines += "x\n";
            d->rowDelimiterEdit->setPlainText(lines);
            d->headerEdit->setPlainText(QString::fromUtf8("\xE2\x82\xAC|\xC3\xA9|\xE4\xB8\x80"));  // euro, e acute, a CJK sign
            d->includeCollapsedBox->setChecked(true);
            d->onlyHighlightedBox->setChecked(true);
            d->okButton->click();
        });
        ASSERT_TRUE(ok);
        EXPECT_EQ(s.fileName, std::string(63, 'f'));
        EXPECT_EQ(s.columnDelimiter, std::string(127, 'c'));
        std::string rows;
        for (int i = 0; i < 42; ++i) rows += "x\n";
        EXPECT_EQ(s.rowDelimiter, rows + "x");
        EXPECT_EQ(s.header, "\x80|\xE9|?");
        EXPECT_EQ(s.trailer, "");
        EXPECT_TRUE(s.includeCollapsed);
        EXPECT_TRUE(s.onlyHighlighted);
    }
    {
        SCOPED_TRACE("typed line breaks and TABs");
        auto [ok, s] = RunDialog([](ExportDialog* d) {
            d->customDelimitersBox->setChecked(true);
            d->customHeaderBox->setChecked(true);
            QTest::keyClicks(d->columnDelimiterEdit, "a");
            QTest::keyClick(d->columnDelimiterEdit, Qt::Key_Tab, Qt::ControlModifier);
            QTest::keyClicks(d->rowDelimiterEdit, "r");
            QTest::keyClick(d->rowDelimiterEdit, Qt::Key_Return);
            QTest::keyClicks(d->headerEdit, "h");
            QTest::keyClick(d->headerEdit, Qt::Key_Return);
            QTest::keyClicks(d->headerEdit, "i");
            QTest::keyClicks(d->trailerEdit, "t");
            QTest::keyClick(d->trailerEdit, Qt::Key_Return, Qt::ShiftModifier);
            QTest::keyClicks(d->trailerEdit, "u");
            QTest::keyClick(d->trailerEdit, Qt::Key_Return);  // presses OK
        });
        ASSERT_TRUE(ok);
        EXPECT_EQ(s.columnDelimiter, "a\t");
        EXPECT_EQ(s.rowDelimiter, "r\n");
        EXPECT_EQ(s.header, "h\ni");
        EXPECT_EQ(s.trailer, "t\nu");
    }
    for (bool escape : {false, true}) {
        SCOPED_TRACE(escape ? "Escape" : "Cancel");
        auto [ok, s] = RunDialog([escape](ExportDialog* d) {
            d->fileNameEdit->setText("typed.dat");
            if (escape) QTest::keyClick(d->fileNameEdit, Qt::Key_Escape);
            else d->cancelButton->click();
        });
        EXPECT_FALSE(ok);
        EXPECT_EQ(s.fileName, "junk");
    }
}

// Exports of a loaded table through the menu.
class ExportThroughWindow : public ::testing::Test {
protected:
    ExportThroughWindow() {
        App();
        BuildGame();
        chooser.name = "units.cfg";
        window = std::make_unique<MainDialog>();
        window->SetChooser(&chooser);
        window->SetMessageSink(&messages);
        window->show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return chooser.calls == 1 && !window->Loading(); }, 5000));
    }
    ~ExportThroughWindow() override { window.reset(); }

    void Export(const std::function<void(ExportDialog*)>& user) {
        WhenModal([&](QWidget* modal) {
            auto* d = dynamic_cast<ExportDialog*>(modal);
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(d->fileNameEdit->text().toStdString(), "DavuveRadev.dat") << "nothing kept from the last export";
            EXPECT_FALSE(d->customHeaderBox->isChecked());
            user(d);
        });
        window->exportAction->trigger();
    }

    GameFolder game;
    ScriptedChooser chooser;
    CapturedMessages messages;
    std::unique_ptr<MainDialog> window;
};

const char* kTab =
    "Name\tCost\tLocated In\tLine #\r\n"
    "delta\t0.5\tmore.ufo  ::  c.fbi\t2\r\n"
    "alpha\t10\tbase.hpi  ::  a.fbi\t1\r\n"
    "beta\t2.5\tbase.hpi  ::  a.fbi\t6\r\n"
    "gamma\t7\tbase.hpi  ::  b.fbi\t1";

TEST_F(ExportThroughWindow, WritesTheExactBytesInEveryMode) {
    const std::string html =
        "<HTML>\r\n   <BODY>\r\n      <TABLE border=\"1\">\r\n         <TR>\r\n            <TD> "
        "Name </TD><TD> Cost </TD><TD> Located In </TD><TD> Line #"
        " </TD>\r\n         </TR><TR>\r\n            <TD> delta </TD><TD> 0.5 </TD><TD> more.ufo  ::  c.fbi </TD><TD> 2"
        " </TD>\r\n         </TR><TR>\r\n            <TD> alpha </TD><TD> 10 </TD><TD> base.hpi  ::  a.fbi </TD><TD> 1"
        " </TD>\r\n         </TR><TR>\r\n            <TD> beta </TD><TD> 2.5 </TD><TD> base.hpi  ::  a.fbi </TD><TD> 6"
        " </TD>\r\n         </TR><TR>\r\n            <TD> gamma </TD><TD> 7 </TD><TD> base.hpi  ::  b.fbi </TD><TD> 1"
        " </TD>\r\n         </TR>\r\n      </TABLE>\r\n   </BODY>\r\n</HTML>\r\n";
    struct Case {
        const char* what;
        std::function<void(TableListCtrl&)> prepare;
        std::function<void(ExportDialog*)> user;
        const char* file;
        std::string bytes;
    };
    auto named = [](const char* name, std::function<void(ExportDialog*)> more = nullptr) {
        return [name, more](ExportDialog* d) {
            d->fileNameEdit->setText(name);
            if (more) more(d);
            d->okButton->click();
        };
    };
    auto none = [](TableListCtrl&) {};
    const std::vector<Case> cases = {
        {"tab default", none, [](ExportDialog* d) { d->okButton->click(); }, "DavuveRadev.dat", kTab},
        {"custom delimiters typed", none,
         named("custom.txt",
               [](ExportDialog* d) {
                   d->customDelimitersBox->setChecked(true);
                   QTest::keyClicks(d->columnDelimiterEdit, ";");
                   QTest::keyClicks(d->rowDelimiterEdit, "|");
                   QTest::keyClick(d->rowDelimiterEdit, Qt::Key_Return);
               }),
         "custom.txt",
         "Name;Cost;Located In;Line #|\r\ndelta;0.5;more.ufo  ::  c.fbi;2|\r\nalpha;10;base.hpi  ::  a.fbi;1|\r\n"
         "beta;2.5;base.hpi  ::  a.fbi;6|\r\ngamma;7;base.hpi  ::  b.fbi;1"},
        {"header and trailer", none,
         named("framed.txt",
               [](ExportDialog* d) {
                   d->customHeaderBox->setChecked(true);
                   QTest::keyClicks(d->headerEdit, "Units");
                   QTest::keyClick(d->headerEdit, Qt::Key_Return);
                   QTest::keyClick(d->trailerEdit, Qt::Key_Return, Qt::ShiftModifier);
                   QTest::keyClicks(d->trailerEdit, "end");
               }),
         "framed.txt", std::string("Units\r\n") + kTab + "\r\nend"},
        {"HTML preset", none,
         [](ExportDialog* d) {
             d->htmlButton->click();
             d->okButton->click();
         },
         "DavuveRadev.html", html},
        {"HTML cells without the document", none,
         [](ExportDialog* d) {
             d->htmlButton->click();
             d->customHeaderBox->setChecked(false);
             d->fileNameEdit->setText("cells.html");
             d->okButton->click();
         },
         "cells.html", html.substr(77, html.size() - 77 - 61)},
        {"only highlighted rows", [](TableListCtrl& t) { t.Data().SetSelected(2, true); },
         named("some.txt", [](ExportDialog* d) { d->onlyHighlightedBox->setChecked(true); }), "some.txt",
         "Name\tCost\tLocated In\tLine #\r\nbeta\t2.5\tbase.hpi  ::  a.fbi\t6"},
        {"collapsed column left out", [](TableListCtrl& t) { t.CollapseOrExpand(1); }, named("narrow.txt"),
         "narrow.txt",
         "Name\tLocated In\tLine #\r\ndelta\tmore.ufo  ::  c.fbi\t2\r\nalpha\tbase.hpi  ::  a.fbi\t1\r\n"
         "beta\tbase.hpi  ::  a.fbi\t6\r\ngamma\tbase.hpi  ::  b.fbi\t1"},
        {"collapsed column included", [](TableListCtrl& t) { t.CollapseOrExpand(1); },
         named("wide.txt", [](ExportDialog* d) { d->includeCollapsedBox->setChecked(true); }), "wide.txt", kTab},
        {"moved column, sorted rows",
         [](TableListCtrl& t) {
             t.MoveColumn(3, 0);
             t.HeadingClick(0, 0, false);  // sort by "Line #"
         },
         named("moved.txt"), "moved.txt",
         "Line #\tName\tCost\tLocated In\r\n1\talpha\t10\tbase.hpi  ::  a.fbi\r\n1\tgamma\t7\tbase.hpi  ::  b.fbi\r\n"
         "2\tdelta\t0.5\tmore.ufo  ::  c.fbi\r\n6\tbeta\t2.5\tbase.hpi  ::  a.fbi"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window->selectConfigurationAction->trigger();  // a fresh table
        ASSERT_EQ(window->Table().Data().RowCount(), 4);
        c.prepare(window->Table());
        Export(c.user);
        EXPECT_EQ(GameFolder::Read(c.file), c.bytes);
        std::filesystem::remove(c.file);
    }
    EXPECT_TRUE(messages.texts.empty());

    // Cancel writes nothing.
    Export([](ExportDialog* d) {
        d->fileNameEdit->setText("cancelled.txt");
        d->cancelButton->click();
    });
    EXPECT_FALSE(std::filesystem::exists("cancelled.txt"));
    EXPECT_FALSE(std::filesystem::exists("DavuveRadev.dat"));
}

TEST_F(ExportThroughWindow, UnwritableFileGivesAMessageAndKeepsTheOldOne) {
    Export([](ExportDialog* d) {
        d->fileNameEdit->setText("no such folder\\x.dat");
        d->okButton->click();
    });
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Unable to Create File"}));

    // The disk fills up half way: the old file stays as it was.
    GameFolder::Write("old.dat", "old contents");
    struct rlimit saved {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    Export([&](ExportDialog* d) {
        d->fileNameEdit->setText("old.dat");
        struct rlimit small = saved;
        small.rlim_cur = 64;
        ::setrlimit(RLIMIT_FSIZE, &small);
        d->okButton->click();
    });
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(messages.texts.size(), 2u);
    EXPECT_EQ(GameFolder::Read("old.dat"), "old contents");

    // An existing file is overwritten without a question.
    Export([](ExportDialog* d) {
        d->fileNameEdit->setText("old.dat");
        d->okButton->click();
    });
    EXPECT_EQ(GameFolder::Read("old.dat"), kTab);
    EXPECT_EQ(messages.texts.size(), 2u);
}

}  // namespace
}  // namespace lorvex
