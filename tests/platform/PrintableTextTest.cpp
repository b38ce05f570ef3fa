#include "platform/PrintableText.h"

#include <gtest/gtest.h>

#include <string>

namespace lorvex::platform {
namespace {

TEST(EscapeControls, ControlsBecomeVisibleAndTheRestStays) {
    using namespace std::string_literals;
    const struct {
        std::string text, shown;
        const char* why;
    } cases[] = {
        {"armx.fbi", "armx.fbi", "a plain name is left alone"},
        {"\x1b]0;pwned\x07", "\\x1b]0;pwned\\x07", "an OSC retitling the terminal, with its BEL"},
        {"a\nb\rc\td", "a\\x0ab\\x0dc\\x09d", "a line break would forge a row"},
        {"\0x"s, "\\x00x", "NUL, the lowest C0 byte"},
        {"\x1f \x20", "\\x1f  ", "0x1F is the last control, the space after it is text"},
        {"~\x7f", "~\\x7f", "DEL, but not the printable byte below it"},
        {"\xc2\x9b" "31m", "\\xc2\\x9b31m", "the UTF-8 CSI"},
        {"\xc2\x80\xc2\x9f", "\\xc2\\x80\\xc2\\x9f", "both ends of the C1 range"},
        {"\xc2\xa0\xc2\x7f", "\xc2\xa0\xc2\\x7f", "a no-break space is text; a lead byte before DEL stays as it is"},
        {"caf\xc3\xa9 \xe2\x80\x9b", "caf\xc3\xa9 \xe2\x80\x9b", "other UTF-8, continuation bytes in the C1 range included"},
        {"end\xc2", "end\xc2", "a lead byte at the very end"},
        {"\\x1b", "\\x1b", "a backslash is text"},
    };
    for (const auto& c : cases) EXPECT_EQ(EscapeControls(c.text), c.shown) << c.why;
}

}  // namespace
}  // namespace lorvex::platform
