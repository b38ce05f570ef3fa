#include "ui/DialogText.h"

#include <QStringDecoder>

#include "table/widget/CellText.h"

namespace lorvex {

QString BytesToBoxText(std::string_view bytes) {
    QString text = DecodeCellText(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

std::string BoxTextToBytes(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            bytes += static_cast<char>(u);
            continue;
        }
        char byte = '?';
        for (int b = 0x80; b <= 0x9F; ++b) {
            if (DecodeCellByte(static_cast<unsigned char>(b)) == ch) {
                byte = static_cast<char>(b);
                break;
            }
        }
        bytes += byte;
    }
    return bytes;
}

QString FileNameToText(std::string_view bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError()) return text;
    return DecodeCellText(bytes);
}

}  // namespace lorvex
