#pragma once
// The offscreen application and mouse input sent straight to a widget.
#include <QApplication>
#include <QMouseEvent>

namespace lorvex::testkit {

inline QApplication* App() {
    static int argc = 1;
    static char name[] = "lorvex_tests";
    static char* argv[] = {name, nullptr};
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QApplication* app = new QApplication(argc, argv);
    return app;
}

inline void Mouse(QWidget* w, QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons buttons,
                  Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QMouseEvent e(type, QPointF(pos), QPointF(w->mapToGlobal(pos)), button, buttons, mods);
    QApplication::sendEvent(w, &e);
}

inline void Click(QWidget* w, QPoint pos, Qt::KeyboardModifiers mods = Qt::NoModifier,
                  Qt::MouseButton button = Qt::LeftButton) {
    Mouse(w, QEvent::MouseButtonPress, pos, button, button, mods);
    Mouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton, mods);
}

inline void DoubleClick(QWidget* w, QPoint pos) {
    Click(w, pos);
    Mouse(w, QEvent::MouseButtonDblClick, pos, Qt::LeftButton, Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, pos, Qt::LeftButton, Qt::NoButton);
}

// Presses at from, moves to `to` with the button held, releases there.
inline void Drag(QWidget* w, QPoint from, QPoint to) {
    Mouse(w, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Mouse(w, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Mouse(w, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

}  // namespace lorvex::testkit
