#include "ui/DialogUnits.h"

#include <QApplication>
#include <QFontMetrics>
#include <QWidget>

namespace lorvex {

DialogUnits::DialogUnits() {
    const QFontMetrics metrics(QApplication::font());
    // The average width of the 52 letters, rounded, as the platform's dialog
    // base unit is taken; the font's own average is often skewed by its digits.
    const int letters =
        metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseWidth_ = std::max(1, (letters / 26 + 1) / 2);
    baseHeight_ = std::max(1, metrics.height());
}

int DialogUnits::X(int du) const { return du * baseWidth_ / 4; }
int DialogUnits::Y(int du) const { return du * baseHeight_ / 8; }

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
    return QRect(X(x), Y(y), X(x + width) - X(x), Y(y + height) - Y(y));
}

void DialogUnits::Place(QWidget* widget, int x, int y, int width, int height, int topPx) const {
    widget->setGeometry(Rect(x, y, width, height).translated(0, topPx));
}

}  // namespace lorvex
