#pragma once
// Text widths for fitting columns, measured with the fonts the widget draws
// with. Each byte's advance is measured once per font and then summed, so a
// fit over 100,000 rows costs one table lookup per byte.
#include <QFont>
#include <array>

#include "table/TextMeasure.h"

namespace lorvex {

class QtTextMeasure : public TextMeasure {
public:
    QtTextMeasure(const QFont& cellFont, const QFont& headingFont);
    void SetFonts(const QFont& cellFont, const QFont& headingFont);

    int CellTextWidth(std::string_view text) override;
    int HeadingTextWidth(std::string_view text) override;
    int SpaceWidth() override;

private:
    struct Advances {
        QFont font;
        std::array<qreal, 256> advance{};
        bool ready = false;
    };
    static int Width(Advances& advances, std::string_view text);

    Advances cell_;
    Advances heading_;
};

}  // namespace lorvex
