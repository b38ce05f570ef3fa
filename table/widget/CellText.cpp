#include "table/widget/CellText.h"

#include "platform/Windows1252.h"

namespace lorvex {

QChar DecodeCellByte(unsigned char byte) { return QChar(platform::Windows1252ToUnicode(byte)); }

QString DecodeCellText(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (std::size_t i = 0; i < bytes.size(); ++i) out[i] = DecodeCellByte(static_cast<unsigned char>(bytes[i]));
    return text;
}

Qt::Alignment QtAlignment(Align align) {
    switch (align) {
        case Align::Right: return Qt::AlignRight;
        case Align::Center: return Qt::AlignHCenter;
        default: return Qt::AlignLeft;
    }
}

}  // namespace lorvex
