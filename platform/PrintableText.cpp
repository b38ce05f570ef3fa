#include "platform/PrintableText.h"

namespace lorvex::platform {

namespace {

constexpr unsigned char kLastC0 = 0x1F;
constexpr unsigned char kDelete = 0x7F;
// UTF-8 spells the C1 controls U+0080..U+009F as this lead byte and a second byte in range.
constexpr unsigned char kC1Lead = 0xC2;
constexpr unsigned char kFirstC1 = 0x80;
constexpr unsigned char kLastC1 = 0x9F;

void AppendEscaped(std::string& out, unsigned char byte) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += "\\x";
    out.push_back(kHex[byte >> 4]);
    out.push_back(kHex[byte & 0xF]);
}

}  // namespace

std::string EscapeControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte <= kLastC0 || byte == kDelete) {
            AppendEscaped(out, byte);
        } else if (byte == kC1Lead && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= kFirstC1 &&
                   static_cast<unsigned char>(text[i + 1]) <= kLastC1) {
            AppendEscaped(out, byte);
            AppendEscaped(out, static_cast<unsigned char>(text[++i]));
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

}  // namespace lorvex::platform
