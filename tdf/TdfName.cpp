#include "tdf/TdfReader.h"

#include <string>

namespace lorvex {

bool TdfNameEquals(std::string_view pattern, std::string_view text) {
    if (pattern.size() != text.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char t = text[i];
        if (t == pattern[i]) continue;
        // Only the text is folded: a capital in the pattern matches only itself.
        if (t < 'A' || t > 'Z' || static_cast<char>(t - 'A' + 'a') != pattern[i]) return false;
    }
    return true;
}

void LowercaseAscii(char* text) {
    if (!text) return;
    for (; *text; ++text)
        if (*text >= 'A' && *text <= 'Z') *text = static_cast<char>(*text - 'A' + 'a');
}

void LowercaseAscii(std::string& text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
}

}  // namespace lorvex
