#include "platform/AsciiText.h"

namespace lorvex::platform {

void FoldAsciiInPlace(std::string& text) {
    for (char& c : text) c = FoldAscii(c);
}

void FoldAsciiInPlace(char* text) {
    if (!text) return;
    for (; *text; ++text) *text = FoldAscii(*text);
}

std::string FoldedAscii(std::string_view text) {
    std::string folded(text);
    FoldAsciiInPlace(folded);
    return folded;
}

bool EqualsFolded(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

}  // namespace lorvex::platform
