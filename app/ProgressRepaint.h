#pragma once
// Repaints a load's progress labels at a bounded rate, and lets the window
// repaint itself when it is exposed or resized meanwhile. No input reaches the
// application while it does: the load still holds the window.
#include "load/RepaintPace.h"

class QWidget;

namespace lorvex {

class ProgressRepaint {
public:
    // A load starts showing its progress in these two widgets.
    void Start(QWidget* first, QWidget* second) {
        first_ = first;
        second_ = second;
        pace_.Reset();
    }
    // A label's text changed.
    void Changed();
    // Paints the last texts if they are not on screen yet.
    void Flush();

private:
    void Paint();

    QWidget* first_ = nullptr;
    QWidget* second_ = nullptr;
    RepaintPace pace_;
};

}  // namespace lorvex
