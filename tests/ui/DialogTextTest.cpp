// The windows' side of the code page: record bytes to what a box shows, typed
// text back to bytes, and file names that may or may not be UTF-8.
#include <gtest/gtest.h>

#include "ui/DialogText.h"

namespace lorvex {
namespace {

TEST(DialogText, EveryByteComesBackAndOnlyCrLfBecomesOneBreak) {
    std::string every;
    for (int b = 0; b < 256; ++b) every += static_cast<char>(b);
    EXPECT_EQ(BoxTextToBytes(BytesToBoxText(every)), every) << "no byte lost or changed on its way through a box";
    EXPECT_EQ(BytesToBoxText("a\r\nb\rc\nd\x80"), QString::fromUtf8("a\nb\rc\nd\xE2\x82\xAC"));
    EXPECT_EQ(BoxTextToBytes(QString::fromUtf8("\xE2\x82\xAC \xE2\x98\x83")), "\x80 ?") << "a snowman has no byte";
}

TEST(DialogText, FileNamesReadAsUtf8WhenTheyAre) {
    const std::pair<std::string, const char*> cases[] = {
        {"caf\xC3\xA9.hpi", "caf\xC3\xA9.hpi"},  // UTF-8, as a Linux folder names it
        {"caf\xE9.hpi", "caf\xC3\xA9.hpi"},      // the game's code page, as an old archive names it
        {"plain.hpi", "plain.hpi"},
    };
    for (const auto& [bytes, shown] : cases) EXPECT_EQ(FileNameToText(bytes), QString::fromUtf8(shown)) << bytes;
}

}  // namespace
}  // namespace lorvex
