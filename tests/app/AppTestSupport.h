#pragma once
// Shared by the window tests: the offscreen application, a game folder with
// two archives and a few configurations, and a way to act on a modal dialog
// once it is up.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "hpi/HpiWriter.h"
#include "load/LoadRun.h"
#include "platform/MessageSink.h"
#include "tests/support/GameFolder.h"

namespace lorvex::apptest {

inline QApplication* App() {
    static int argc = 1;
    static char name[] = "app_tests";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return app;
}

// Calls act with the modal dialog as soon as one other than `except` is up
// (polling from the event loop that the dialog's own exec runs).
inline void WhenModal(std::function<void(QWidget*)> act, QWidget* except = nullptr) {
    auto tries = std::make_shared<int>(0);
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [act, except, tries, poll] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != except && modal->isVisible()) {
            act(modal);
            *poll = nullptr;  // break the cycle
            return;
        }
        if (++*tries > 500) {
            ADD_FAILURE() << "no modal dialog came up";
            *poll = nullptr;
            return;
        }
        QTimer::singleShot(10, [poll] {
            if (*poll) (*poll)();
        });
    };
    QTimer::singleShot(0, [poll] {
        if (*poll) (*poll)();
    });
}

inline void Mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
                  Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, mods);
    QApplication::sendEvent(w, &e);
}

inline void Click(QWidget* w, QPoint pos, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    Mouse(w, QEvent::MouseButtonPress, pos, Qt::LeftButton, Qt::LeftButton, mods);
    Mouse(w, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton, mods);
}

inline void DoubleClick(QWidget* w, QPoint pos) {
    Click(w, pos);
    Mouse(w, QEvent::MouseButtonDblClick, pos, Qt::LeftButton, Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
}

inline std::string Unit(const std::string& block, const std::string& name, const std::string& cost) {
    return "[" + block + "]\r\n\t{\r\n\tName=" + name + ";\r\n\tCost=" + cost + ";\r\n\t}\r\n";
}

inline const char* kUnitsCfg =
    "hpifolder=units;\nextension=.fbi;\n"
    "[string]\n{\nname=Name;\ntag=name;\n}\n"
    "[numeric]\n{\nname=Cost;\ntag=cost;\ndecimals=2;\n}\n";

// ../base.hpi: units\a.fbi (alpha, beta), units\b.fbi (gamma);
// ../more.ufo: units\c.fbi (delta). Configurations in the current folder.
inline void BuildGame() {
    hpi::HpiWriter base;
    base.AddFile("units\\a.fbi", Unit("ALPHA", "alpha", "10") + Unit("BETA", "beta", "2.5"));
    base.AddFile("units\\b.fbi", Unit("GAMMA", "gamma", "7"));
    ASSERT_TRUE(base.WriteTo("../base.hpi"));
    hpi::HpiWriter more;
    more.AddFile("units\\c.fbi", "// delta\r\n" + Unit("DELTA", "delta", "0.5"));
    ASSERT_TRUE(more.WriteTo("../more.ufo"));
    testing::GameFolder::Write("units.cfg", kUnitsCfg);
    testing::GameFolder::Write("B.cfg", "extension=.none;\n");
    testing::GameFolder::Write("a.cfg", "hpifolder=units;\nextension=.fbi;\n");
    testing::GameFolder::Write("notes.txt", "not a configuration");
}

// Answers the load's question without a dialog.
class ScriptedChooser : public ConfigChooser {
public:
    std::string name;
    int calls = 0;
    std::function<void()> during;  // runs inside the load, before the answer
    int RunChooser(char* buffer) override {
        ++calls;
        if (during) during();
        std::snprintf(buffer, kBufferSize, "%s", name.c_str());
        return name.empty() ? 2 : 1;
    }
};

class CapturedMessages : public platform::MessageSink {
public:
    std::vector<std::string> texts;
    void ShowMessage(std::string_view text) override { texts.emplace_back(text); }
};

}  // namespace lorvex::apptest
