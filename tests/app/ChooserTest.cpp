#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <cstring>

#include "app/ConfigChooserDialog.h"
#include "app/DialogUnits.h"
#include "tests/app/AppTestSupport.h"

namespace lorvex {
namespace {

using namespace apptest;
using testing::GameFolder;

QPoint ItemPoint(QListWidget* list, int row) { return list->visualItemRect(list->item(row)).center(); }

struct Outcome {
    int result = 0;
    std::string buffer;
};

// Runs the real chooser with a script for the user, over a buffer that
// holds junk beforehand.
Outcome Choose(const std::function<void(ConfigChooserDialog*)>& user) {
    ConfigChooserDialog dialog;
    WhenModal([&](QWidget* modal) { user(dynamic_cast<ConfigChooserDialog*>(modal)); });
    char buffer[ConfigChooser::kBufferSize + 8];
    std::memset(buffer, 'J', sizeof buffer);
    Outcome out;
    out.result = dialog.RunChooser(buffer);
    EXPECT_EQ(buffer[ConfigChooser::kBufferSize], 'J') << "written past the buffer";
    EXPECT_NE(std::memchr(buffer, '\0', ConfigChooser::kBufferSize), nullptr);
    out.buffer = buffer;
    return out;
}

TEST(ConfigChooser, WritesTheSelectedNameOnlyWhenItEndsWithOk) {
    App();
    GameFolder game;
    for (const char* name : {"units.cfg", "B.cfg", "a.cfg", "c.CFG"}) GameFolder::Write(name, "x");
    GameFolder::Write("other.txt", "x");
    std::filesystem::create_directory("folder.cfg");

    struct Case {
        const char* what;
        std::function<void(ConfigChooserDialog*)> user;
        int result;
        const char* name;
    };
    const std::vector<Case> cases = {
        {"select, then Cancel",
         [](ConfigChooserDialog* d) {
             d->fileList->setCurrentRow(1);
             d->cancelButton->click();
         },
         QDialog::Rejected, ""},
        {"select, then Escape",
         [](ConfigChooserDialog* d) {
             d->fileList->setCurrentRow(1);
             QTest::keyClick(d->fileList, Qt::Key_Escape);
         },
         QDialog::Rejected, ""},
        {"click, arrow down, Enter",
         [](ConfigChooserDialog* d) {
             Click(d->fileList->viewport(), ItemPoint(d->fileList, 0));
             QTest::keyClick(d->fileList, Qt::Key_Down);
             QTest::keyClick(d->fileList, Qt::Key_Return);
         },
         QDialog::Accepted, "B.cfg"},
        {"double-click",
         [](ConfigChooserDialog* d) { DoubleClick(d->fileList->viewport(), ItemPoint(d->fileList, 2)); },
         QDialog::Accepted, "c.CFG"},
        {"one, then another, then OK",
         [](ConfigChooserDialog* d) {
             d->fileList->setCurrentRow(0);
             d->fileList->setCurrentRow(3);
             d->okButton->click();
         },
         QDialog::Accepted, "units.cfg"},
        {"OK without a selection", [](ConfigChooserDialog* d) { d->okButton->click(); }, QDialog::Accepted, ""},
        {"Enter without a selection", [](ConfigChooserDialog* d) { QTest::keyClick(d, Qt::Key_Return); },
         QDialog::Accepted, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> listed;
        const Outcome out = Choose([&](ConfigChooserDialog* d) {
            ASSERT_NE(d, nullptr);
            for (int i = 0; i < d->fileList->count(); ++i) listed.push_back(d->fileList->item(i)->text().toStdString());
            c.user(d);
        });
        EXPECT_EQ(listed, (std::vector<std::string>{"a.cfg", "B.cfg", "c.CFG", "units.cfg"}));
        EXPECT_EQ(out.result, c.result);
        EXPECT_EQ(out.buffer, c.name);
    }
}

TEST(ConfigChooser, LayoutAndEdgeCases) {
    App();
    GameFolder game;
    {
        SCOPED_TRACE("no configuration at all");
        const Outcome out = Choose([](ConfigChooserDialog* d) {
            EXPECT_EQ(d->fileList->count(), 0);
            d->okButton->click();
        });
        EXPECT_EQ(out.buffer, "");
    }
    {
        SCOPED_TRACE("the longest name a folder can hold fits the buffer");
        const std::string longName = std::string(251, 'n') + ".cfg";
        GameFolder::Write(longName, "x");
        const Outcome out = Choose([](ConfigChooserDialog* d) {
            d->fileList->setCurrentRow(0);
            d->okButton->click();
        });
        EXPECT_EQ(out.buffer, longName);
    }
    ConfigChooserDialog dialog;
    const DialogUnits du;
    EXPECT_EQ(dialog.windowTitle().toStdString(), "Configuration Files");
    EXPECT_EQ(dialog.size(), QSize(du.X(209), du.Y(174)));
    EXPECT_EQ(dialog.fileList->geometry(), du.Rect(7, 19, 195, 133));
    EXPECT_EQ(dialog.okButton->geometry(), du.Rect(152, 153, 50, 14));
    EXPECT_EQ(dialog.cancelButton->geometry(), du.Rect(7, 153, 50, 14));
    EXPECT_TRUE(dialog.okButton->isDefault());
    bool prompt = false;
    for (QLabel* l : dialog.findChildren<QLabel*>())
        prompt |= l->text() == "Please select the configuration file you wish to use:";
    EXPECT_TRUE(prompt);
    EXPECT_TRUE(dialog.fileList->selectedItems().isEmpty());
}

}  // namespace
}  // namespace lorvex
