#include "ui/PlainLabel.h"

namespace lorvex {

QLabel* MakePlainLabel(QWidget* parent, const QString& text, Qt::Alignment align, const char* objectName) {
    auto* label = new QLabel(text, parent);
    if (objectName) label->setObjectName(QLatin1String(objectName));
    label->setAlignment(align);
    label->setTextFormat(Qt::PlainText);
    return label;
}

}  // namespace lorvex
