#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <map>
#include <sstream>

#include "export/ExportDialog.h"
#include "tests/app/AppTestSupport.h"

namespace lorvex {
namespace {

using namespace testkit;

std::string browsedFrom;  // where the last "browse=" step's save dialog started

// Plays the user's steps on the dialog, comma separated: a button or box by a
// word of its label, "name=<text>" typed as the file name, "browse=<path>"
// chosen through Browse, or "escape" pressed in the name.
void Play(ExportDialog* d, const std::string& steps) {
    const std::map<std::string, QAbstractButton*> controls = {
        {"csv", d->csvButton},        {"markdown", d->markdownButton},      {"html", d->htmlButton},
        {"keep", d->keepFormulasBox}, {"escaped", d->escapedHtmlButton},    {"only", d->onlyHighlightedBox},
        {"cancel", d->cancelButton},  {"collapsed", d->includeCollapsedBox}};
    std::istringstream in(steps);
    for (std::string step; std::getline(in >> std::ws, step, ',');) {
        const QString value = QString::fromStdString(step.substr(step.find('=') + 1));
        if (step.starts_with("name=")) {
            d->fileNameEdit->setText(value);
        } else if (step.starts_with("browse=")) {
            d->chooseSavePath = [value](const QString& start) {
                browsedFrom = start.toStdString();
                return value;
            };
            d->browseButton->click();
        } else if (step == "escape") {
            QTest::keyClick(d->fileNameEdit, Qt::Key_Escape);
        } else {
            controls.at(step)->click();
        }
    }
}

// The steps, then OK unless they closed the dialog.
std::function<void(ExportDialog*)> Steps(const std::string& steps) {
    return [steps](ExportDialog* d) {
        Play(d, steps);
        if (d->isVisible()) d->okButton->click();
    };
}

// Runs the dialog with a script for the user, for configuration when one is
// given; the settings start as junk.
std::pair<bool, ExportSettings> RunDialog(const std::function<void(ExportDialog*)>& user,
                                          const char* configuration = nullptr) {
    ExportSettings s{"junk", "junk", "junk", "junk", "junk", true, true};
    s.csvFormulas = s.escapeHtmlCells = true;
    ExportDialog dialog;
    if (configuration) dialog.SetConfiguration(configuration);
    WhenModal<ExportDialog>(user);
    const bool ok = dialog.RunExportDialog(s);
    return {ok, s};
}

// The dialog over a fresh settings file, in a folder of its own.
class ExportDialogTest : public ::testing::Test {
protected:
    ExportDialogTest() {
        App();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(game.Root().string()));
        QSettings().clear();
        std::filesystem::create_directory("sub");
    }
    // What OK gives: file, format, the four flags and the column delimiter.
    static std::string Summary(const ExportSettings& s) {
        static const char* const names[] = {"tsv", "csv", "markdown", "html"};
        std::string flags;
        for (bool flag : {s.includeCollapsed, s.onlyHighlighted, s.csvFormulas, s.escapeHtmlCells})
            flags += flag ? '1' : '0';
        return s.fileName + "|" + names[static_cast<int>(s.format)] + "|" + flags + "|" + s.columnDelimiter;
    }
    GameFolder game;
};

TEST_F(ExportDialogTest, OkFillsTheSettingsWithinTheLimits) {
    auto [ok, s] = RunDialog([](ExportDialog* d) {
        d->headerEdit->setPlainText("ignored, box not checked");
        d->columnDelimiterEdit->setPlainText(";");
        d->okButton->click();
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(s.fileName + "|" + s.columnDelimiter + s.rowDelimiter + s.header + s.trailer, "DavuveRadev.dat|\t\n");

    // Long texts are cut, line breaks counted as CR LF; text leaves as Windows-1252.
    std::tie(ok, s) = RunDialog([](ExportDialog* d) {
        d->fileNameEdit->setText(QString(70, QLatin1Char('f')));
        d->customDelimitersBox->setChecked(true);
        d->customHeaderBox->setChecked(true);
        d->columnDelimiterEdit->setPlainText(QString(200, QLatin1Char('c')));
        d->rowDelimiterEdit->setPlainText(QString("x\n").repeated(100));
        d->headerEdit->setPlainText(
            QString::fromUtf8("\xE2\x82\xAC|\xC3\xA9|\xE4\xB8\x80"));  // euro, e acute, a CJK sign
        d->okButton->click();
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(s.fileName, std::string(63, 'f'));
    EXPECT_EQ(s.columnDelimiter, std::string(127, 'c'));
    EXPECT_EQ(s.rowDelimiter, QString("x\n").repeated(42).toStdString() + "x");
    EXPECT_EQ(s.header + "|" + s.trailer, "\x80|\xE9|?|");

    std::tie(ok, s) = RunDialog(Steps("name=x.dat, escape"));
    EXPECT_FALSE(ok);
    EXPECT_EQ(s.fileName, "junk");
}

TEST_F(ExportDialogTest, FormatButtonsAndBrowse) {
    const std::string longPath = "/tmp/" + std::string(70, 'p') + "/units.dat";
    browsedFrom.clear();
    const struct {
        std::string steps;
        std::string fileName;
        ExportFormat format;
        bool escapesHtml = false;  // the cells go inside the preset's HTML
    } cases[] = {
        {"csv", "DavuveRadev.csv", ExportFormat::Csv},
        {"escaped", "DavuveRadev.html", ExportFormat::Html},
        {"markdown, markdown", "DavuveRadev.dat", ExportFormat::Delimited},     // pressed twice
        {"html, csv, csv", "DavuveRadev.html", ExportFormat::Delimited, true},  // back to the preset's ending
        {"markdown, html", "DavuveRadev.html", ExportFormat::Delimited, true},  // the preset ends a format
        {"html, csv", "DavuveRadev.csv", ExportFormat::Csv},                    // CSV escapes in its own way
        {"browse=" + longPath + ", markdown", "/tmp/" + std::string(70, 'p') + "/units.md",  // kept whole
         ExportFormat::Markdown},
    };
    const std::map<ExportFormat, std::string> labels = {
        {ExportFormat::Delimited, "Exports the table contents as a tab-delimited file"},
        {ExportFormat::Csv, "Exports the table contents as a CSV file"},
        {ExportFormat::Markdown, "Exports the table contents as a Markdown file"},
        {ExportFormat::Html, "Exports the table contents as an HTML (escaped) file"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps);
        auto [ok, s] = RunDialog([&](ExportDialog* d) {
            Play(d, c.steps);
            EXPECT_EQ(d->csvButton->isChecked(), c.format == ExportFormat::Csv);
            EXPECT_EQ(d->formatLabel->text().toStdString(), labels.at(c.format));
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
    EXPECT_EQ(browsedFrom, (std::filesystem::current_path() / "DavuveRadev.dat").string());
}

TEST_F(ExportDialogTest, KeepsTheLastChoicesPerConfiguration) {
    const std::string cwd = std::filesystem::current_path().string();
    const std::string deep = cwd + "/" + std::string(70, 'd') + "/";  // longer than a typed name may be
    std::filesystem::create_directory(deep);
    const std::string browseDeep = "browse=" + deep + "t.txt, markdown";
    const struct {
        const char* why;
        const char* earlierIn;  // the configuration of an export before, if any ("": none given)
        std::string earlier;    // its steps
        const char* configuration;
        const char* steps;    // before OK, on the dialog as it opens
        std::string summary;  // of what OK gives then
    } cases[] = {
        {"first use: today's dialog", nullptr, "", "units.cfg", "", "DavuveRadev.dat|tsv|0000|\t"},
        {"a new format suggests the configuration's name", nullptr, "", "units.cfg", "csv", "units.csv|csv|0000|\t"},
        {"pressed again, back to the default name", nullptr, "", "units.cfg", "escaped, escaped",
         "DavuveRadev.dat|tsv|0000|\t"},
        {"a name the user typed only changes its ending", nullptr, "", "units.cfg", "name=mine.txt, markdown",
         "mine.md|markdown|0000|\t"},
        {"format and boxes kept, whatever the name's case", "units.cfg", "csv, keep, only", "UNITS.CFG", "",
         "UNITS.csv|csv|0110|\t"},
        {"the kept format can be left", "units.cfg", "csv, keep, only", "units.cfg", "csv",
         "DavuveRadev.dat|tsv|0100|\t"},
        {"another configuration starts anew", "units.cfg", "csv, keep, only", "b.cfg", "",
         "DavuveRadev.dat|tsv|0000|\t"},
        {"no configuration keeps nothing", "", "csv, keep, only", "units.cfg", "", "DavuveRadev.dat|tsv|0000|\t"},
        {"cancel keeps nothing", "units.cfg", "csv, cancel", "units.cfg", "", "DavuveRadev.dat|tsv|0000|\t"},
        {"the browsed folder kept, its path used whole", "units.cfg", browseDeep, "units.cfg", "",
         deep + "units.md|markdown|0000|\t"},
        {"in the kept folder, the default name", "units.cfg", browseDeep, "units.cfg", "markdown",
         deep + "DavuveRadev.dat|tsv|0000|\t"},
        {"a typed folder kept as the folder it named", "units.cfg", "name=sub/x.txt, collapsed", "units.cfg", "",
         cwd + "/sub/DavuveRadev.dat|tsv|1000|\t"},
        {"a folder that is not there is dropped", "units.cfg", "name=gone/x.md, markdown", "units.cfg", "",
         "units.md|markdown|0000|\t"},
        {"the HTML table kept, boxes and all", "units.cfg", "html", "units.cfg", "",
         "DavuveRadev.html|tsv|0001| </TD><TD> "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.why);
        QSettings().clear();
        if (c.earlierIn) RunDialog(Steps(c.earlier), c.earlierIn);
        auto [ok, s] = RunDialog(Steps(c.steps), c.configuration);
        ASSERT_TRUE(ok);
        EXPECT_EQ(Summary(s), c.summary);
    }
}

TEST_F(ExportDialogTest, DamagedKeptEntriesReadAsTheDefaultsALongTextCut) {
    QSettings settings;
    settings.beginGroup(QString::fromLatin1(ExportDialog::kSettingsGroup) + "/units.cfg");
    settings.setValue("format", "junk");
    settings.setValue("folder", "relative/");
    settings.setValue("columnDelimiter", QString(100000, QLatin1Char(';')));
    settings.setValue("customDelimiters", true);
    settings.sync();
    auto [ok, s] = RunDialog(
        [](ExportDialog* d) {
            EXPECT_EQ(d->columnDelimiterEdit->toPlainText().size(), ExportDialog::kMaxKeptText);
            d->okButton->click();
        },
        "units.cfg");
    ASSERT_TRUE(ok);
    EXPECT_EQ(Summary(s), "DavuveRadev.dat|tsv|0000|" + std::string(ExportDialog::kMaxText, ';'));
}

// Exports of the loaded table through the menu.
class ExportThroughWindow : public WindowTest {
protected:
    void SetUp() override { Open("units.cfg"); }
    void Export(const std::function<void(ExportDialog*)>& user) {
        QSettings().remove(QString::fromLatin1(ExportDialog::kSettingsGroup));  // each case as the first export
        WhenModal<ExportDialog>([&](ExportDialog* d) {
            EXPECT_EQ(d->fileNameEdit->text().toStdString(), "DavuveRadev.dat") << "nothing kept from the last export";
            EXPECT_FALSE(d->customHeaderBox->isChecked());
            user(d);
        });
        window->Menu().exportTable->trigger();
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
    const auto cell = [](const char* text) { return [=](TableListCtrl& t) { t.Data().SetCell(0, 0, text); }; };
    const std::tuple<std::function<void(TableListCtrl&)>, std::function<void(ExportDialog*)>, std::string, std::string>
        cases[] = {
            {{}, Steps(""), "DavuveRadev.dat", kTab},
            {{},
             [](ExportDialog* d) {
                 d->fileNameEdit->setText("custom.txt");
                 d->customDelimitersBox->setChecked(true);
                 QTest::keyClicks(d->columnDelimiterEdit, ";");
                 QTest::keyClicks(d->rowDelimiterEdit, "|");
                 QTest::keyClick(d->rowDelimiterEdit, Qt::Key_Return);
                 d->okButton->click();
             },
             "custom.txt",
             Sub(Sub(kTab, "\t", ";"), "\r\n", "|\r\n")},
            {{},
             [](ExportDialog* d) {  // header and trailer typed; Enter in the trailer presses OK
                 d->fileNameEdit->setText("framed.txt");
                 d->customHeaderBox->setChecked(true);
                 QTest::keyClicks(d->headerEdit, "Units");
                 QTest::keyClick(d->headerEdit, Qt::Key_Return);
                 QTest::keyClick(d->trailerEdit, Qt::Key_Return, Qt::ShiftModifier);
                 QTest::keyClicks(d->trailerEdit, "end");
                 QTest::keyClick(d->trailerEdit, Qt::Key_Return);
             },
             "framed.txt",
             std::string("Units\r\n") + kTab + "\r\nend"},
            {{}, Steps("html"), "DavuveRadev.html", html},
            // A cell that is markup: plain text keeps it, the HTML table shows it as text.
            {cell("<i>delta</i> & co"), Steps(""), "DavuveRadev.dat", Sub(kTab, "delta", "<i>delta</i> & co")},
            {cell("<i>delta</i> & co"), Steps("html"), "DavuveRadev.html",
             Sub(html, "delta", "&lt;i&gt;delta&lt;/i&gt; &amp; co")},
            // A formula in a cell: written behind a ' unless the user keeps formulas.
            {cell("=1+1"), Steps("csv"), "units.csv", Sub(Sub(kTab, "\t", ","), "delta", "'=1+1") + "\r\n"},
            {cell("=1+1"), Steps("csv, keep"), "units.csv", Sub(Sub(kTab, "\t", ","), "delta", "=1+1") + "\r\n"},
            {{},
             Steps("html, markdown"),
             "units.md",  // the preset ignored
             "| Name | Cost | Located In | Line # |\r\n| --- | --- | --- | --- |\r\n"
             "| delta | 0.5 | more.ufo  ::  c.fbi | 2 |\r\n| alpha | 10 | base.hpi  ::  a.fbi | 1 |\r\n"
             "| beta | 2.5 | base.hpi  ::  a.fbi | 6 |\r\n| gamma | 7 | base.hpi  ::  b.fbi | 1 |\r\n"},
            {[&](TableListCtrl& t) {  // moved and sorted columns, only the highlighted row, as CSV
                 std::filesystem::create_directory(deep.substr(0, 70));
                 t.MoveColumn(3, 0);
                 t.HeadingClick(0, 0, false);
                 t.Data().SetSelected(3, true);
             },
             Steps("browse=" + QDir::current().absoluteFilePath((deep + "txt").c_str()).toStdString() + ", only, csv"),
             deep + "csv", "Line #,Name,Cost,Located In\r\n6,beta,2.5,base.hpi  ::  a.fbi\r\n"},
        };
    for (const auto& [prepare, user, file, bytes] : cases) {
        SCOPED_TRACE(file);
        Load("units.cfg");  // a fresh table
        if (prepare) prepare(window->Table());
        Export(user);
        EXPECT_EQ(GameFolder::Read(file), bytes);
        QTextDocument tip;  // the path as the tooltip shows it: never read as markup
        tip.setHtml(window->StatusLabel()->toolTip());
        EXPECT_EQ(tip.toPlainText().toStdString(), (std::filesystem::current_path() / file).string());
        EXPECT_TRUE(window->StatusLabel()->text().startsWith("Exported to /"));
        std::filesystem::remove(file);
    }
    EXPECT_TRUE(messages.texts.empty());
    Export(Steps("name=cancelled.txt, cancel"));
    EXPECT_FALSE(std::filesystem::exists("cancelled.txt") || std::filesystem::exists("DavuveRadev.dat"));
}

TEST_F(ExportThroughWindow, UnwritableFileGivesAMessageAndKeepsTheOldOne) {
    Export(Steps("name=no such folder\\x.dat"));
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Unable to Create File"}));
    // The disk fills up half way: the old file stays as it was.
    GameFolder::Write("old.dat", "old contents");
    WithFileSizeLimit(64, [&] { return Export(Steps("name=old.dat")), 0; });
    EXPECT_EQ(messages.texts, (std::vector<std::string>{"Unable to Create File", "Unable to Create File"}));
    EXPECT_EQ(GameFolder::Read("old.dat"), "old contents");
    Export(Steps("name=old.dat"));  // an existing file is overwritten without a question
    EXPECT_EQ(GameFolder::Read("old.dat"), kTab);
    EXPECT_EQ(messages.texts.size(), 2u);
}

}  // namespace
}  // namespace lorvex
