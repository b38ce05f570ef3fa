#pragma once
// The events that carry what the user does with mouse, keys and touch: what a
// window swallows while a load blocks it.
#include <QEvent>

namespace lorvex {

// moves: whether a mouse that only moves counts (a window that keeps a Cancel
// button working lets moves through, so the button still lights up).
inline bool IsUserInput(QEvent::Type type, bool moves = true) {
    switch (type) {
        case QEvent::MouseMove: return moves;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Close: return true;
        default: return false;
    }
}

}  // namespace lorvex
