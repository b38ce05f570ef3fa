#include "table/widget/PlainTip.h"

#include <QToolTip>

namespace lorvex {

QString PlainTip(const QString& text) {
    if (text.isEmpty()) return {};
    // Always markup, whatever the text: the tip never has to guess.
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

void ShowPlainTip(const QPoint& globalPos, const QString& text, QWidget* widget) {
    QToolTip::showText(globalPos, PlainTip(text), widget);
}

}  // namespace lorvex
