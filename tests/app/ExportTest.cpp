#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "export/ExportDialog.h"
#include "tests/app/AppTestSupport.h"

namespace lorvex {
namespace {

using namespace apptest;

// Runs the dialog with a script for the user; the settings start as junk.
std::pair<bool, ExportSettings> RunDialog(const std::function<void(ExportDialog*)>& user) {
    ExportSettings s{"junk", "junk", "junk", "junk", "junk", true, true};
    ExportDialog dialog;
    WhenModal([&](QWidget* modal) { user(dynamic_cast<ExportDialog*>(modal)); });
    const bool ok = dialog.RunExportDialog(s);
    return {ok, s};
}

TEST(ExportDialogTest, OkFillsTheSettingsWithinTheLimits) {
    App();
    auto [ok, s] = RunDialog([](ExportDialog* d) {
        d->headerEdit->setPlainText("ignored, box not checked");
        d->columnDelimiterEdit->setPlainText(";");
        d->okButton->click();
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(s.fileName + "|" + s.columnDelimiter + s.rowDelimiter + s.header + s.trailer, "DavuveRadev.dat|\t\n");
    EXPECT_FALSE(s.includeCollapsed || s.onlyHighlighted);

    // Long texts are cut, line breaks counted as CR LF; text leaves as Windows-1252.
    std::tie(ok, s) = RunDialog([](ExportDialog* d) {
        d->fileNameEdit->setText(QString(70, QLatin1Char('f')));
        d->customDelimitersBox->setChecked(true);
        d->customHeaderBox->setChecked(true);
        d->columnDelimiterEdit->setPlainText(QString(200, QLatin1Char('c')));
        d->rowDelimiterEdit->setPlainText(QString("x\n").repeated(100));
        d->headerEdit->setPlainText(QString::fromUtf8("\xE2\x82\xAC|\xC3\xA9|\xE4\xB8\x80"));  // euro, e acute, a CJK sign
        d->includeCollapsedBox->setChecked(true);
        d->onlyHighlightedBox->setChecked(true);
        d->okButton->click();
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(s.fileName, std::string(63, 'f'));
    EXPECT_EQ(s.columnDelimiter, std::string(127, 'c'));
    EXPECT_EQ(s.rowDelimiter, QString("x\n").repeated(42).toStdString() + "x");
    EXPECT_EQ(s.header, "\x80|\xE9|?");
    EXPECT_EQ(s.trailer, "");
    EXPECT_TRUE(s.includeCollapsed && s.onlyHighlighted);

    std::tie(ok, s) = RunDialog([](auto* d) {
        d->fileNameEdit->setText("x.dat");
        QTest::keyClick(d->fileNameEdit, Qt::Key_Escape);
    });
    EXPECT_FALSE(ok);
    EXPECT_EQ(s.fileName, "junk");
}

TEST(ExportDialogTest, FormatButtonsAndBrowse) {
    App();
    const std::string longPath = "/tmp/" + std::string(70, 'p') + "/units.dat";
    using Click = QPushButton* ExportDialog::*;
    const struct {
        const char* what;
        std::vector<Click> clicks;  // after an optional browse to longPath
        bool browse;
        std::string fileName;
        ExportFormat format;
    } cases[] = {
        {"CSV", {&ExportDialog::csvButton}, false, "DavuveRadev.csv", ExportFormat::Csv},
        {"HTML (escaped)", {&ExportDialog::escapedHtmlButton}, false, "DavuveRadev.html", ExportFormat::Html},
        {"pressed twice", {&ExportDialog::markdownButton, &ExportDialog::markdownButton}, false, "DavuveRadev.dat",
         ExportFormat::Delimited},
        {"back to the preset's ending", {&ExportDialog::htmlButton, &ExportDialog::csvButton, &ExportDialog::csvButton},
         false, "DavuveRadev.html", ExportFormat::Delimited},
        {"the preset ends a format", {&ExportDialog::markdownButton, &ExportDialog::htmlButton}, false,
         "DavuveRadev.html", ExportFormat::Delimited},
        {"a browsed path is kept whole", {&ExportDialog::markdownButton}, true,
         longPath.substr(0, longPath.size() - 4) + ".md", ExportFormat::Markdown},
    };
    for (const auto& c : cases) {
        auto [ok, s] = RunDialog([&](ExportDialog* d) {
            d->chooseSavePath = [&](const QString& start) {
                EXPECT_EQ(start.toStdString(), (std::filesystem::current_path() / "DavuveRadev.dat").string());
                return QString::fromStdString(longPath);
            };
            if (c.browse) d->browseButton->click();
            for (Click click : c.clicks) (d->*click)->click();
            EXPECT_EQ(d->csvButton->isChecked(), c.format == ExportFormat::Csv) << c.what;
            EXPECT_EQ(d->headerEdit->isEnabled(), c.format == ExportFormat::Delimited) << c.what;
            d->okButton->click();
        });
        ASSERT_TRUE(ok);
        EXPECT_EQ(s.fileName, c.fileName) << c.what;
        EXPECT_EQ(s.format, c.format) << c.what;
    }
}

// Exports of the loaded table through the menu.
class ExportThroughWindow : public WindowTest {
protected:
    void SetUp() override { Open("units.cfg"); }
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
};

const std::string kLong(70, 'd');

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
    // The user's steps in the dialog before OK; the file name when one is typed.
    auto steps = [](const char* name, std::function<void(ExportDialog*)> more) {
        return [name, more](ExportDialog* d) {
            if (name) d->fileNameEdit->setText(name);
            if (more) more(d);
            d->okButton->click();
        };
    };
    auto none = [](TableListCtrl&) {};
    const std::tuple<const char*, std::function<void(TableListCtrl&)>, std::function<void(ExportDialog*)>, std::string,
                     std::string>
        cases[] = {
            {"tab default", none, steps(nullptr, nullptr), "DavuveRadev.dat", kTab},
            {"custom delimiters typed", none,
             steps("custom.txt",
                   [](ExportDialog* d) {
                       d->customDelimitersBox->setChecked(true);
                       QTest::keyClicks(d->columnDelimiterEdit, ";");
                       QTest::keyClicks(d->rowDelimiterEdit, "|");
                       QTest::keyClick(d->rowDelimiterEdit, Qt::Key_Return);
                   }),
             "custom.txt",
             "Name;Cost;Located In;Line #|\r\ndelta;0.5;more.ufo  ::  c.fbi;2|\r\nalpha;10;base.hpi  ::  a.fbi;1|\r\n"
             "beta;2.5;base.hpi  ::  a.fbi;6|\r\ngamma;7;base.hpi  ::  b.fbi;1"},
            {"header and trailer typed; Enter in the trailer presses OK", none,
             [](ExportDialog* d) {
                 d->fileNameEdit->setText("framed.txt");
                 d->customHeaderBox->setChecked(true);
                 QTest::keyClicks(d->headerEdit, "Units");
                 QTest::keyClick(d->headerEdit, Qt::Key_Return);
                 QTest::keyClick(d->trailerEdit, Qt::Key_Return, Qt::ShiftModifier);
                 QTest::keyClicks(d->trailerEdit, "end");
                 QTest::keyClick(d->trailerEdit, Qt::Key_Return);
             },
             "framed.txt", std::string("Units\r\n") + kTab + "\r\nend"},
            {"HTML preset", none, steps(nullptr, [](ExportDialog* d) { d->htmlButton->click(); }), "DavuveRadev.html",
             html},
            {"HTML cells without the document", none,
             steps(nullptr, [](auto* d) { d->htmlButton->click(); d->customHeaderBox->setChecked(false); }),
             "DavuveRadev.html", html.substr(77, html.size() - 77 - 61)},
            {"only highlighted rows", [](TableListCtrl& t) { t.Data().SetSelected(2, true); },
             steps("some.txt", [](ExportDialog* d) { d->onlyHighlightedBox->setChecked(true); }), "some.txt",
             "Name\tCost\tLocated In\tLine #\r\nbeta\t2.5\tbase.hpi  ::  a.fbi\t6"},
            {"collapsed column left out", [](TableListCtrl& t) { t.CollapseOrExpand(1); }, steps("narrow.txt", nullptr),
             "narrow.txt",
             "Name\tLocated In\tLine #\r\ndelta\tmore.ufo  ::  c.fbi\t2\r\nalpha\tbase.hpi  ::  a.fbi\t1\r\n"
             "beta\tbase.hpi  ::  a.fbi\t6\r\ngamma\tbase.hpi  ::  b.fbi\t1"},
            {"collapsed column included", [](TableListCtrl& t) { t.CollapseOrExpand(1); },
             steps("wide.txt", [](ExportDialog* d) { d->includeCollapsedBox->setChecked(true); }), "wide.txt", kTab},
            {"CSV of the highlighted rows", [](TableListCtrl& t) { t.Data().SetSelected(2, true); },
             steps(nullptr, [](ExportDialog* d) { d->onlyHighlightedBox->setChecked(true); d->csvButton->click(); }),
             "DavuveRadev.csv", "Name,Cost,Located In,Line #\r\nbeta,2.5,base.hpi  ::  a.fbi,6\r\n"},
            {"Markdown ignores the preset's texts", none,
             steps(nullptr, [](ExportDialog* d) { d->htmlButton->click(); d->markdownButton->click(); }),
             "DavuveRadev.md",
             "| Name | Cost | Located In | Line # |\r\n| --- | --- | --- | --- |\r\n"
             "| delta | 0.5 | more.ufo  ::  c.fbi | 2 |\r\n| alpha | 10 | base.hpi  ::  a.fbi | 1 |\r\n"
             "| beta | 2.5 | base.hpi  ::  a.fbi | 6 |\r\n| gamma | 7 | base.hpi  ::  b.fbi | 1 |\r\n"},
            {"a browsed path longer than 63 characters", [](TableListCtrl&) { std::filesystem::create_directory(kLong); },
             steps(nullptr,
                   [](ExportDialog* d) {
                       d->chooseSavePath = [](const QString&) {
                           return QDir::current().absoluteFilePath(QString::fromStdString(kLong + "/t.txt"));
                       };
                       d->browseButton->click();
                   }),
             kLong + "/t.txt", kTab},
            {"moved column, sorted by it", [](TableListCtrl& t) { t.MoveColumn(3, 0); t.HeadingClick(0, 0, false); },
             steps("moved.txt", nullptr), "moved.txt",
             "Line #\tName\tCost\tLocated In\r\n1\talpha\t10\tbase.hpi  ::  a.fbi\r\n1\tgamma\t7\tbase.hpi  ::  b.fbi\r\n"
             "2\tdelta\t0.5\tmore.ufo  ::  c.fbi\r\n6\tbeta\t2.5\tbase.hpi  ::  a.fbi"},
        };
    for (const auto& [what, prepare, user, file, bytes] : cases) {
        SCOPED_TRACE(what);
        window->selectConfigurationAction->trigger();  // a fresh table
        ASSERT_EQ(Data().RowCount(), 4);
        prepare(window->Table());
        Export(user);
        EXPECT_EQ(GameFolder::Read(file), bytes);
        EXPECT_EQ(window->statusText->toolTip().toStdString(), (std::filesystem::current_path() / file).string());
        EXPECT_TRUE(window->statusText->text().startsWith("Exported to /"));
        std::filesystem::remove(file);
    }
    EXPECT_TRUE(messages.texts.empty());
    Export([](ExportDialog* d) {
        d->fileNameEdit->setText("cancelled.txt");
        d->cancelButton->click();
    });
    EXPECT_FALSE(std::filesystem::exists("cancelled.txt") || std::filesystem::exists("DavuveRadev.dat"));
}

TEST_F(ExportThroughWindow, UnwritableFileGivesAMessageAndKeepsTheOldOne) {
    auto named = [](const char* name) {
        return [name](ExportDialog* d) {
            d->fileNameEdit->setText(name);
            d->okButton->click();
        };
    };
    Export(named("no such folder\\x.dat"));
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Unable to Create File"}));
    // The disk fills up half way: the old file stays as it was.
    GameFolder::Write("old.dat", "old contents");
    WithFileSizeLimit(64, [&] {
        Export(named("old.dat"));
        return 0;
    });
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Unable to Create File", "Unable to Create File"}));
    EXPECT_EQ(GameFolder::Read("old.dat"), "old contents");
    // An existing file is overwritten without a question.
    Export(named("old.dat"));
    EXPECT_EQ(GameFolder::Read("old.dat"), kTab);
    EXPECT_EQ(messages.texts.size(), 2u);
}

}  // namespace
}  // namespace lorvex
