#include "table/widget/CellText.h"

namespace lorvex {
namespace {

// 0x80-0x9F of Windows-1252; the five bytes it leaves undefined keep their value.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

QChar DecodeCellByte(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9F ? QChar(kHighControls[byte - 0x80]) : QChar(static_cast<char16_t>(byte));
}

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
