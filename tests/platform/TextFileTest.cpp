#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/GameFolder.h"

namespace lorvex::platform {
namespace {

using testing::GameFolder;

TEST(TextFile, ReadsLinesLikeTextModeReads) {
    GameFolder folder;
    const std::string k1022(1022, 'k'), k1021(1021, 'k');
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"a\r\nb\n", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},  // a last line without a line end reads whole
        {"lone\rcr\n", {"lone\rcr"}},
        {"", {}},
        {std::string(2000, 'x') + "\n", {std::string(1022, 'x'), std::string(978, 'x')}},
        {k1022 + "\r\n" + "z", {k1022, "z"}},  // the line end right at the limit belongs to the line
        {k1021 + "\r\n" + "z", {k1021, "z"}},
        {k1022 + "y\n", {k1022, "y"}},
    };
    for (const auto& [bytes, expected] : cases) {
        GameFolder::Write("t.txt", bytes);
        TextFileReader r;
        ASSERT_TRUE(r.Open("t.txt"));
        std::vector<std::string> lines;
        char buf[1023];
        std::size_t len = 0;
        while (r.ReadLine(buf, sizeof buf, &len) && lines.size() < 100) {
            EXPECT_EQ(len, std::strlen(buf));
            lines.emplace_back(buf, len);
        }
        EXPECT_EQ(lines, expected) << bytes.substr(0, 20);
    }
    // Opening never creates; a folder is no text file.
    TextFileReader r;
    EXPECT_FALSE(r.Open("absent"));
    EXPECT_FALSE(std::filesystem::exists("absent"));
    EXPECT_FALSE(r.Open("."));
    char buf[8];
    EXPECT_FALSE(r.ReadLine(buf, sizeof buf));
}

TEST(TextFile, WriterStoresEveryLineFeedAsCrLf) {
    GameFolder folder;
    TextFileWriter w;
    ASSERT_TRUE(w.Create("w.txt"));
    EXPECT_TRUE(w.Write("a\nb") && w.Write("\n\nc") && w.Close());
    EXPECT_EQ(GameFolder::Read("w.txt"), "a\r\nb\r\n\r\nc");
    EXPECT_FALSE(w.Create("no-such-folder/x"));
}

}  // namespace
}  // namespace lorvex::platform
