#include "ui/DialogText.h"

#include <QStringDecoder>

#include "platform/Windows1252.h"

namespace lorvex {
namespace {

// Typed characters the code page cannot hold.
constexpr char kNoByte = '?';

// One character per byte; the table's widget has its own loop over the same
// code page, since the dialogs do not reach into the table's room.
QString DecodeBytes(std::string_view bytes) {
    QString text(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* out = text.data();
    for (std::size_t i = 0; i < bytes.size(); ++i)
        out[i] = QChar(platform::Windows1252ToUnicode(static_cast<unsigned char>(bytes[i])));
    return text;
}

}  // namespace

QString BytesToBoxText(std::string_view bytes) {
    QString text = DecodeBytes(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

std::string BoxTextToBytes(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (const QChar ch : text) {
        const int byte = platform::UnicodeToWindows1252(ch.unicode());
        bytes += byte < 0 ? kNoByte : static_cast<char>(byte);
    }
    return bytes;
}

QString FileNameToText(std::string_view bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
    if (!utf8.hasError()) return text;
    return DecodeBytes(bytes);
}

}  // namespace lorvex
