#include <QListWidget>
#include <QPushButton>
#include <cstring>

#include "app/ConfigChooserDialog.h"
#include "tests/app/AppTestSupport.h"

namespace lorvex {
namespace {

using namespace apptest;

// Runs the real chooser with a script for the user, over a buffer that holds junk beforehand;
// gives the result and the buffer's text, and the names the list showed.
std::pair<int, std::string> Choose(const std::function<void(ConfigChooserDialog*)>& user,
                                   std::vector<std::string>* listed = nullptr) {
    ConfigChooserDialog dialog;
    WhenModal([&](QWidget* modal) {
        auto* d = dynamic_cast<ConfigChooserDialog*>(modal);
        ASSERT_NE(d, nullptr);
        for (int i = 0; listed && i < d->fileList->count(); ++i)
            listed->push_back(d->fileList->item(i)->text().toStdString());
        user(d);
    });
    char buffer[ConfigChooser::kBufferSize + 8];
    std::memset(buffer, 'J', sizeof buffer);
    const int result = dialog.RunChooser(buffer);
    EXPECT_EQ(buffer[ConfigChooser::kBufferSize], 'J') << "written past the buffer";
    EXPECT_NE(std::memchr(buffer, '\0', ConfigChooser::kBufferSize), nullptr);
    return {result, buffer};
}

TEST(ConfigChooser, WritesTheSelectedNameOnlyWhenItEndsWithOk) {
    App();
    GameFolder game;
    // The longest name a folder can hold fits the buffer.
    const std::string longName = std::string(251, 'n') + ".cfg";
    for (const char* name : {"units.cfg", "B.cfg", "a.cfg", "c.CFG", "other.txt", longName.c_str()})
        GameFolder::Write(name, "x");
    std::filesystem::create_directory("folder.cfg");
    auto point = [](QListWidget* list, int row) { return list->visualItemRect(list->item(row)).center(); };
    const std::tuple<const char*, std::function<void(ConfigChooserDialog*)>, int, const char*> cases[] = {
        {"select, then Escape",
         [](auto* d) { d->fileList->setCurrentRow(1); QTest::keyClick(d->fileList, Qt::Key_Escape); },
         QDialog::Rejected, ""},
        {"select, then Cancel", [](auto* d) { d->fileList->setCurrentRow(1); d->cancelButton->click(); },
         QDialog::Rejected, ""},
        {"click, arrow down, Enter",
         [&](ConfigChooserDialog* d) {
             Click(d->fileList->viewport(), point(d->fileList, 0));
             QTest::keyClick(d->fileList, Qt::Key_Down);
             QTest::keyClick(d->fileList, Qt::Key_Return);
         },
         QDialog::Accepted, "B.cfg"},
        {"double-click", [&](ConfigChooserDialog* d) { DoubleClick(d->fileList->viewport(), point(d->fileList, 2)); },
         QDialog::Accepted, "c.CFG"},
        {"the longest name", [](auto* d) { d->fileList->setCurrentRow(3); d->okButton->click(); }, QDialog::Accepted,
         longName.c_str()},
        {"OK without a selection", [](ConfigChooserDialog* d) { d->okButton->click(); }, QDialog::Accepted, ""},
    };
    for (const auto& [what, user, result, name] : cases) {
        SCOPED_TRACE(what);
        std::vector<std::string> listed;
        EXPECT_EQ(Choose(user, &listed), (std::pair<int, std::string>{result, name}));
        EXPECT_EQ(listed, (std::vector<std::string>{"a.cfg", "B.cfg", "c.CFG", longName, "units.cfg"}));
    }
}

}  // namespace
}  // namespace lorvex
