#include "platform/AsciiText.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/Windows1252.h"

namespace lorvex::platform {
namespace {

using namespace std::string_literals;

TEST(AsciiFold, OnlyTheCapitalsAToZFold) {
    // Each byte beside the ends of a letter range, the high bytes (negative as a char) and the code page's
    // accented capitals, which never fold whatever the locale.
    const std::string in = "@AZ[`az{\x80\xC0\xFF", out = "@az[`az{\x80\xC0\xFF";
    EXPECT_EQ(FoldedAscii(in), out);
    std::string buffer = in;
    FoldAsciiInPlace(buffer.data());
    EXPECT_EQ(buffer, out);
    // A NUL ends a name buffer; what lies past it is someone else's.
    char name[] = "AB\0CD";
    FoldAsciiInPlace(name);
    EXPECT_EQ(std::string(name, sizeof name - 1), "ab\0CD"s);
    FoldAsciiInPlace(static_cast<char*>(nullptr));
}

TEST(AsciiFold, EqualsAndOrder) {
    const struct {
        std::string a, b;
        int order;  // CompareFolded(a, b); EqualsFolded is order == 0
        const char* why;
    } cases[] = {
        {"Units", "uNITS", 0, "letters in either case"},
        {"unit", "units", -1, "a text that begins the other goes first, and is not equal"},
        {"units", "unit", 1, "the same the other way"},
        {"", "", 0, "two empty texts"},
        {"a\0B"s, "A\0b"s, 0, "a NUL is a byte like any other"},
        {"[", "{", -1, "no letters: 0x20 apart but never folded"},
        {"@", "`", -1, "no letters either"},
        {"a_b", "aab", -1, "'_' lies between 'Z' and 'a': folding to upper case would turn this round"},
        {"A_B", "AAB", -1, "raw bytes put '_' after 'A': the folded texts are what is compared"},
        {"B", "a", 1, "the same for letters alone"},
        {"\xC9", "\xE9", -1, "accented capitals keep their case"},
        {"\xE9", "z", 1, "bytes compare as unsigned values"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CompareFolded(c.a, c.b), c.order) << c.why;
        EXPECT_EQ(EqualsFolded(c.a, c.b), c.order == 0) << c.why;
    }
}

TEST(Windows1252, BothWays) {
    const struct {
        unsigned char byte;
        char16_t unit;
        const char* why;
    } cases[] = {
        {0x7F, 0x007F, "the last ASCII byte is itself"},
        {0x80, 0x20AC, "the first byte where the code page differs from Latin-1"},
        {0x81, 0x0081, "a byte the code page leaves undefined keeps its value"},
        {0x9F, 0x0178, "the last byte where it differs"},
        {0xA0, 0x00A0, "Latin-1 again from here"},
        {0xFF, 0x00FF, "the last byte"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Windows1252ToUnicode(c.byte), c.unit) << c.why;
        EXPECT_EQ(UnicodeToWindows1252(c.unit), c.byte) << c.why;
    }
    // U+0080 is no character of the code page: its byte stands for the euro sign.
    for (const char16_t unit : {u'\u0080', u'\u009F', u'\u0100', u'\uFFFD'}) EXPECT_EQ(UnicodeToWindows1252(unit), -1);
    // Every byte comes back as itself: no two bytes share a character.
    for (int b = 0; b < 256; ++b)
        EXPECT_EQ(UnicodeToWindows1252(Windows1252ToUnicode(static_cast<unsigned char>(b))), b) << b;
}

}  // namespace
}  // namespace lorvex::platform
