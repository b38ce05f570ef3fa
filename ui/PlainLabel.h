#pragma once
// A label whose text is never read as markup: what it shows may come from a
// stranger's archive.
#include <QLabel>

namespace lorvex {

QLabel* MakePlainLabel(QWidget* parent, const QString& text, Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop,
                       const char* objectName = nullptr);

}  // namespace lorvex
