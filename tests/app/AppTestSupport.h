#pragma once
// Shared by the window tests: a game folder with two archives and a few
// configurations, and a way to act on a modal dialog once it is up.
#include <gtest/gtest.h>

#include <QLabel>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <type_traits>

#include "app/ConfigChooser.h"
#include "app/MainDialog.h"
#include "table/widget/TableListView.h"
#include "tests/support/GameData.h"
#include "tests/support/GameFolder.h"
#include "tests/support/QtInput.h"
#include "tests/support/TableFill.h"
#include "tests/tdf/TestFiles.h"

// Failed comparisons of Qt texts print the texts.
inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QStringList& list, std::ostream* os) { *os << list.join(QLatin1Char('|')).toStdString(); }

namespace lorvex::testkit {

using namespace lorvex::testkit;
using lorvex::testkit::CapturedMessages;

// A chooser that answers without a dialog.
class ScriptedChooser : public ConfigChooser {
public:
    std::string name;  // empty: the user cancels
    int calls = 0;
    std::function<void()> during;  // runs inside the load, before the answer
    std::string ChooseConfiguration() override {
        ++calls;
        if (during) during();
        return name;
    }
};

// Calls act with the modal dialog of type D once one other than `except` is up
// (polling from the event loop that the dialog's own exec runs).
template <class D = QWidget>
void WhenModal(std::type_identity_t<std::function<void(D*)>> act, QWidget* except = nullptr, int tries = 500) {
    QTimer::singleShot(10, [=] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == except || !modal->isVisible()) {
            if (tries > 0) return WhenModal<D>(act, except, tries - 1);
            ADD_FAILURE() << "no modal dialog came up";
        } else if (auto* d = dynamic_cast<D*>(modal)) {
            act(d);
        } else {
            ADD_FAILURE() << "another dialog came up";
            modal->close();
        }
    });
}

// ../base.hpi: units\a.fbi (alpha, beta), units\b.fbi (gamma);
// ../more.ufo: units\c.fbi (delta). Configurations in the current folder.
inline void BuildGame() {
    ASSERT_TRUE(
        WriteArchive("../base.hpi", {{"units\\a.fbi", Unit("ALPHA", "alpha", "10") + Unit("BETA", "beta", "2.5")},
                                     {"units\\b.fbi", Unit("GAMMA", "gamma", "7")}}));
    ASSERT_TRUE(WriteArchive("../more.ufo", {{"units\\c.fbi", "// delta\r\n" + Unit("DELTA", "delta", "0.5")}}));
    GameFolder::Write("units.cfg", kUnitsCfg);
    GameFolder::Write("B.cfg", "extension=.none;\n");
    GameFolder::Write("a.cfg", "hpifolder=units;\nextension=.fbi;\n");
    GameFolder::Write("notes.txt", "not a configuration");
}

inline std::string Lit(int total, int lit) {
    return std::to_string(total) + " total table entries,   " + std::to_string(lit) + " hilighted entries";
}

// The main window over the game folder, loaded through the scripted chooser.
class WindowTest : public ::testing::Test {
protected:
    WindowTest() {
        App();
        BuildGame();
        // Settings kept between runs go to the test's own folder, fresh each time.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(game.Root().string()));
        QSettings().clear();
    }
    ~WindowTest() override {
        window.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Shows the window; its first paint asks the chooser for cfg.
    void Open(const std::string& cfg) {
        chooser.name = cfg;
        chooser.calls = 0;
        window = std::make_unique<MainDialog>();
        window->SetChooser(&chooser);
        window->SetMessageSink(&messages);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return chooser.calls == 1 && !window->Loading(); }, 5000));
    }
    void Load(const std::string& cfg) {
        chooser.name = cfg;
        window->Menu().selectConfiguration->trigger();
    }
    TableData& Data() { return window->Table().Data(); }
    std::string Column(int c) { return ColumnText(Data(), c); }
    std::string Status() { return window->StatusLabel()->text().toStdString(); }
    QWidget* Rows() { return window->View()->viewport(); }
    QPoint RowPoint(int row) { return window->View()->RowBoundsRect(row).center(); }

    GameFolder game;
    ScriptedChooser chooser;
    CapturedMessages messages;
    std::unique_ptr<MainDialog> window;
};

}  // namespace lorvex::testkit
