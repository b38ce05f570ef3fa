#include "table/widget/QtTextMeasure.h"

#include <QFontMetrics>
#include <QFontMetricsF>
#include <cmath>

#include "table/widget/CellText.h"

namespace lorvex {

QtTextMeasure::QtTextMeasure(const QFont& cellFont, const QFont& headingFont) { SetFonts(cellFont, headingFont); }

void QtTextMeasure::SetFonts(const QFont& cellFont, const QFont& headingFont) {
    cell_.font = cellFont;
    cell_.ready = false;
    heading_.font = headingFont;
    heading_.ready = false;
}

int QtTextMeasure::Width(Advances& advances, std::string_view text) {
    if (!advances.ready) {
        const QFontMetricsF metrics(advances.font);
        for (int b = 0; b < 256; ++b)
            advances.advance[b] = metrics.horizontalAdvance(DecodeCellByte(static_cast<unsigned char>(b)));
        advances.ready = true;
    }
    qreal width = 0;
    for (unsigned char c : text) width += advances.advance[c];
    return static_cast<int>(std::ceil(width));
}

int QtTextMeasure::CellTextWidth(std::string_view text) { return Width(cell_, text); }
int QtTextMeasure::HeadingTextWidth(std::string_view text) { return Width(heading_, text); }
int QtTextMeasure::SpaceWidth() { return QFontMetrics(cell_.font).horizontalAdvance(QLatin1Char(' ')); }

}  // namespace lorvex
