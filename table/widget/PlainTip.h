#pragma once
// Record values, headings and folder names come from strangers. A tooltip
// guesses rich text from the text itself (and has no switch to stop it), so a
// value such as <img src="/dev/zero"> would be loaded as an image: every tip
// that can hold such a text goes through here and is shown as written.
#include <QString>

class QPoint;
class QWidget;

namespace lorvex {

// The text as rich text that shows exactly its characters, spaces and line
// breaks kept; an empty text stays empty (no tip at all).
QString PlainTip(const QString& text);
// QToolTip::showText for a text that must not be read as markup.
void ShowPlainTip(const QPoint& globalPos, const QString& text, QWidget* widget);

}  // namespace lorvex
