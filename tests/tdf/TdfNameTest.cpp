#include <gtest/gtest.h>

#include "tdf/TdfReader.h"

namespace lorvex {
namespace {

TEST(TdfName, FoldsOnlyTheTextsCapitals) {
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"numeric", "NUMERIC", true}, {"numeric", "Numeric", true}, {"Name", "name", false},
        {"Name", "Name", true},       {"name", "names", false},     {"names", "name", false},
        {"", "", true},               {"a b", "A B", true},         {"[", "{", false},  // no letters: never folded
    };
    for (const auto& [pattern, text, equal] : cases) EXPECT_EQ(TdfNameEquals(pattern, text), equal) << pattern << text;
    char text[] = "ItemName_ZA[\xC4]";
    LowercaseAscii(text);
    EXPECT_STREQ(text, "itemname_za[\xC4]");
    std::string s = "ABC xyz @[";
    LowercaseAscii(s);
    EXPECT_EQ(s, "abc xyz @[");
}

}  // namespace
}  // namespace lorvex
