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
    s.csvFormulas = s.escapeHtmlCells = true;
    ExportDialog dialog;
    WhenModal<ExportDialog>(user);
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
    EXPECT_FALSE(s.includeCollapsed || s.onlyHighlighted || s.csvFormulas || s.escapeHtmlCells);

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
    EXPECT_EQ(s.header + "|" + s.trailer, "\x80|\xE9|?|");
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
    const Click csv = &ExportDialog::csvButton, md = &ExportDialog::markdownButton, html = &ExportDialog::htmlButton;
    const struct {
        std::vector<Click> clicks;  // after an optional browse to longPath
        bool browse;
        std::string fileName;
        ExportFormat format;
        bool escapesHtml = false;  // the cells go inside the preset's HTML
    } cases[] = {
        {{csv}, false, "DavuveRadev.csv", ExportFormat::Csv},
        {{&ExportDialog::escapedHtmlButton}, false, "DavuveRadev.html", ExportFormat::Html},
        {{md, md}, false, "DavuveRadev.dat", ExportFormat::Delimited},  // pressed twice
        {{html, csv, csv}, false, "DavuveRadev.html", ExportFormat::Delimited, true},  // back to the preset's ending
        {{md, html}, false, "DavuveRadev.html", ExportFormat::Delimited, true},  // the preset ends a format
        {{html, csv}, false, "DavuveRadev.csv", ExportFormat::Csv},  // CSV escapes in its own way
        {{md}, true, longPath.substr(0, longPath.size() - 4) + ".md", ExportFormat::Markdown},  // kept whole
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fileName);
        auto [ok, s] = RunDialog([&](ExportDialog* d) {
            d->chooseSavePath = [&](const QString& start) {
                EXPECT_EQ(start.toStdString(), (std::filesystem::current_path() / "DavuveRadev.dat").string());
                return QString::fromStdString(longPath);
            };
            if (c.browse) d->browseButton->click();
            for (Click click : c.clicks) (d->*click)->click();
            EXPECT_EQ(d->csvButton->isChecked(), c.format == ExportFormat::Csv);
            EXPECT_EQ(d->headerEdit->isEnabled(), c.format == ExportFormat::Delimited);
            // Off at first, usable only for CSV, and taken only for CSV however it was set.
            EXPECT_FALSE(d->keepFormulasBox->isChecked());
            EXPECT_EQ(d->keepFormulasBox->isEnabled(), c.format == ExportFormat::Csv);
            d->keepFormulasBox->setChecked(true);
            d->okButton->click();
        });
        ASSERT_TRUE(ok);
        EXPECT_EQ(s.fileName, c.fileName);
        EXPECT_EQ(s.format, c.format);
        EXPECT_EQ(s.csvFormulas, c.format == ExportFormat::Csv);
        EXPECT_EQ(s.escapeHtmlCells, c.escapesHtml);
    }
}

// Exports of the loaded table through the menu.
class ExportThroughWindow : public WindowTest {
protected:
    void SetUp() override { Open("units.cfg"); }
    void Export(const std::function<void(ExportDialog*)>& user) {
        WhenModal<ExportDialog>([&](ExportDialog* d) {
            EXPECT_EQ(d->fileNameEdit->text().toStdString(), "DavuveRadev.dat") << "nothing kept from the last export";
            EXPECT_FALSE(d->customHeaderBox->isChecked());
            user(d);
        });
        window->exportAction->trigger();
    }
    // The user's steps before OK, the file name first when one is given.
    static std::function<void(ExportDialog*)> Steps(const char* name, std::function<void(ExportDialog*)> more = {}) {
        return [name, more](ExportDialog* d) {
            if (name) d->fileNameEdit->setText(name);
            if (more) more(d);
            d->okButton->click();
        };
    }
};

const char* kTab =
    "Name\tCost\tLocated In\tLine #\r\ndelta\t0.5\tmore.ufo  ::  c.fbi\t2\r\nalpha\t10\tbase.hpi  ::  a.fbi\t1\r\n"
    "beta\t2.5\tbase.hpi  ::  a.fbi\t6\r\ngamma\t7\tbase.hpi  ::  b.fbi\t1";

// s with every from made to.
std::string Sub(std::string s, const std::string& from, const std::string& to) {
    for (auto at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
        s.replace(at, from.size(), to);
    return s;
}

TEST_F(ExportThroughWindow, WritesTheExactBytesInEveryMode) {
    const std::string row = " </TD>\r\n         </TR><TR>\r\n            <TD> ";
    const std::string html = "<HTML>\r\n   <BODY>\r\n      <TABLE border=\"1\">\r\n         <TR>\r\n            <TD> " +
                             Sub(Sub(kTab, "\t", " </TD><TD> "), "\r\n", row) +
                             " </TD>\r\n         </TR>\r\n      </TABLE>\r\n   </BODY>\r\n</HTML>\r\n";
    const std::string deep = std::string(70, 'd') + "/t.";  // a browsed path longer than 63 characters
    const std::tuple<std::function<void(TableListCtrl&)>, std::function<void(ExportDialog*)>, std::string, std::string>
        cases[] = {
            {{}, Steps(nullptr), "DavuveRadev.dat", kTab},
            {{}, Steps("custom.txt", [](ExportDialog* d) {
                 d->customDelimitersBox->setChecked(true);
                 QTest::keyClicks(d->columnDelimiterEdit, ";");
                 QTest::keyClicks(d->rowDelimiterEdit, "|");
                 QTest::keyClick(d->rowDelimiterEdit, Qt::Key_Return);
             }),
             "custom.txt", Sub(Sub(kTab, "\t", ";"), "\r\n", "|\r\n")},
            {{}, [](ExportDialog* d) {  // header and trailer typed; Enter in the trailer presses OK
                 d->fileNameEdit->setText("framed.txt");
                 d->customHeaderBox->setChecked(true);
                 QTest::keyClicks(d->headerEdit, "Units");
                 QTest::keyClick(d->headerEdit, Qt::Key_Return);
                 QTest::keyClick(d->trailerEdit, Qt::Key_Return, Qt::ShiftModifier);
                 QTest::keyClicks(d->trailerEdit, "end");
                 QTest::keyClick(d->trailerEdit, Qt::Key_Return);
             },
             "framed.txt", std::string("Units\r\n") + kTab + "\r\nend"},
            {{}, Steps(nullptr, [](ExportDialog* d) { d->htmlButton->click(); }), "DavuveRadev.html", html},
            // A cell that is markup: plain text keeps it, the HTML table shows it as text.
            {[](TableListCtrl& t) { t.Data().SetCell(0, 0, "<i>delta</i> & co"); }, Steps(nullptr),
             "DavuveRadev.dat", Sub(kTab, "delta", "<i>delta</i> & co")},
            {[](TableListCtrl& t) { t.Data().SetCell(0, 0, "<i>delta</i> & co"); },
             Steps(nullptr, [](ExportDialog* d) { d->htmlButton->click(); }), "DavuveRadev.html",
             Sub(html, "delta", "&lt;i&gt;delta&lt;/i&gt; &amp; co")},
            // A formula in a cell: written behind a ' unless the user keeps formulas.
            {[](TableListCtrl& t) { t.Data().SetCell(0, 0, "=1+1"); },
             Steps(nullptr, [](ExportDialog* d) { d->csvButton->click(); }), "DavuveRadev.csv",
             Sub(Sub(kTab, "\t", ","), "delta", "'=1+1") + "\r\n"},
            {[](TableListCtrl& t) { t.Data().SetCell(0, 0, "=1+1"); },
             Steps(nullptr, [](ExportDialog* d) {
                 d->csvButton->click();
                 d->keepFormulasBox->click();
             }),
             "DavuveRadev.csv", Sub(Sub(kTab, "\t", ","), "delta", "=1+1") + "\r\n"},
            {{}, Steps(nullptr, [](auto* d) { d->htmlButton->click(); d->markdownButton->click(); }),  // preset ignored
             "DavuveRadev.md",
             "| Name | Cost | Located In | Line # |\r\n| --- | --- | --- | --- |\r\n"
             "| delta | 0.5 | more.ufo  ::  c.fbi | 2 |\r\n| alpha | 10 | base.hpi  ::  a.fbi | 1 |\r\n"
             "| beta | 2.5 | base.hpi  ::  a.fbi | 6 |\r\n| gamma | 7 | base.hpi  ::  b.fbi | 1 |\r\n"},
            {[&](TableListCtrl& t) {  // moved and sorted columns, only the highlighted row, as CSV
                 std::filesystem::create_directory(deep.substr(0, 70));
                 t.MoveColumn(3, 0);
                 t.HeadingClick(0, 0, false);
                 t.Data().SetSelected(3, true);
             },
             Steps(nullptr, [&](ExportDialog* d) {
                 d->chooseSavePath = [&](auto&) { return QDir::current().absoluteFilePath((deep + "txt").c_str()); };
                 d->browseButton->click();
                 d->onlyHighlightedBox->setChecked(true);
                 d->csvButton->click();
             }),
             deep + "csv", "Line #,Name,Cost,Located In\r\n6,beta,2.5,base.hpi  ::  a.fbi\r\n"},
        };
    for (const auto& [prepare, user, file, bytes] : cases) {
        SCOPED_TRACE(file);
        Load("units.cfg");  // a fresh table
        if (prepare) prepare(window->Table());
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
    Export(Steps("no such folder\\x.dat"));
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Unable to Create File"}));
    // The disk fills up half way: the old file stays as it was.
    GameFolder::Write("old.dat", "old contents");
    WithFileSizeLimit(64, [&] { return Export(Steps("old.dat")), 0; });
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Unable to Create File", "Unable to Create File"}));
    EXPECT_EQ(GameFolder::Read("old.dat"), "old contents");
    Export(Steps("old.dat"));  // an existing file is overwritten without a question
    EXPECT_EQ(GameFolder::Read("old.dat"), kTab);
    EXPECT_EQ(messages.texts.size(), 2u);
}

}  // namespace
}  // namespace lorvex
