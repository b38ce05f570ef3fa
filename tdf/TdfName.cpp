#include "tdf/TdfReader.h"

#include "platform/AsciiText.h"

namespace lorvex {

bool TdfNameEquals(std::string_view pattern, std::string_view text) {
    if (pattern.size() != text.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // Only the text is folded: a capital in the pattern matches only itself.
        if (text[i] != pattern[i] && platform::FoldAscii(text[i]) != pattern[i]) return false;
    }
    return true;
}

}  // namespace lorvex
