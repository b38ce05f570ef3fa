#include "platform/TextFile.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/support/GameFolder.h"

namespace lorvex::platform {
namespace {

using testing::GameFolder;

// The line cases the record reader meets are read through it from file and memory (TdfReaderTest);
// here the length reported with each line, a folder, and the writer.
TEST(TextFile, ReadsLinesLikeTextModeReads) {
    GameFolder folder;
    const std::string k1022(1022, 'k');
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"a\r\n\r\nb", {"a", "", "b"}},  // a last line without a line end reads whole
        {"lone\rcr\n", {"lone\rcr"}},
        {"", {}},
        {std::string(2000, 'x') + "\n", {std::string(1022, 'x'), std::string(978, 'x')}},
        {k1022 + "\r\n" + "z", {k1022, "z"}},  // the line end right at the limit belongs to the line
        {std::string(1021, 'k') + "\r\n" + "z", {std::string(1021, 'k'), "z"}},
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

    TextFileWriter w;  // every line feed stored as CR LF
    ASSERT_TRUE(w.Create("w.txt"));
    EXPECT_TRUE(w.Write("a\nb") && w.Write("\n\nc") && w.Close());
    EXPECT_EQ(GameFolder::Read("w.txt"), "a\r\nb\r\n\r\nc");
    EXPECT_FALSE(w.Create("no-such-folder/x"));
}

}  // namespace
}  // namespace lorvex::platform
