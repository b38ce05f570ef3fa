#pragma once
// Dialog units: the windows are laid out in units of the application font,
// a quarter of its average character width across and an eighth of its
// height down, so that they scale with the font as dialog templates do.
#include <QRect>

class QWidget;

namespace lorvex {

class DialogUnits {
public:
    DialogUnits();  // from the application font

    int X(int du) const;
    int Y(int du) const;
    QRect Rect(int x, int y, int width, int height) const;
    // Places widget at a rectangle given in dialog units, shifted down by topPx.
    void Place(QWidget* widget, int x, int y, int width, int height, int topPx = 0) const;

    int BaseWidth() const { return baseWidth_; }
    int BaseHeight() const { return baseHeight_; }

private:
    int baseWidth_;
    int baseHeight_;
};

}  // namespace lorvex
