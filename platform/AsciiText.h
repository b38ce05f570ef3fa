#pragma once
// The one case rule of the game's names: file names, archive entries, record
// keys, column headings. Only A-Z fold to a-z; every other byte, the
// code page's accented letters included, stays as it is, whatever the locale,
// so that a name matches and sorts the same on every machine.
#include <string>
#include <string_view>

namespace lorvex::platform {

namespace detail {
constexpr int kByteValues = 256;
struct FoldTable {
    unsigned char folded[kByteValues];
};
constexpr FoldTable MakeFoldTable() {
    FoldTable t{};
    for (int i = 0; i < kByteValues; ++i)
        t.folded[i] = static_cast<unsigned char>(i >= 'A' && i <= 'Z' ? i - 'A' + 'a' : i);
    return t;
}
// A table rather than two comparisons: the sort folds both texts byte by byte,
// and a lookup keeps that loop as short as a plain byte comparison.
inline constexpr FoldTable kFoldTable = MakeFoldTable();
}  // namespace detail

// Inline: the sort and the record parser fold every byte they look at.
constexpr char FoldAscii(char c) { return static_cast<char>(detail::kFoldTable.folded[static_cast<unsigned char>(c)]); }

void FoldAsciiInPlace(std::string& text);
// A NUL-terminated text (the fixed name buffers of the configuration); null is left alone.
void FoldAsciiInPlace(char* text);
std::string FoldedAscii(std::string_view text);

// Same length and the same bytes after folding.
bool EqualsFolded(std::string_view a, std::string_view b);

// -1, 0 or 1: the folded bytes compared as unsigned values, and a text that
// begins the other first. Callers that need a total order break its ties
// themselves. Inline for the same reason as FoldAscii: it is the sort's inner loop.
inline int CompareFolded(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto x = static_cast<unsigned char>(FoldAscii(a[i]));
        const auto y = static_cast<unsigned char>(FoldAscii(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace lorvex::platform
