#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "platform/TextFile.h"

namespace fs = std::filesystem;
using lorvex::platform::TextFileReader;
using lorvex::platform::TextFileWriter;

namespace {

fs::path TempFile(const std::string& tag) {
    return fs::temp_directory_path() / ("lorvex-text-" + std::to_string(::getpid()) + "-" + tag);
}

std::vector<std::string> ReadAll(const std::string& bytes, std::size_t capacity) {
    const fs::path p = TempFile("read");
    std::ofstream(p, std::ios::binary) << bytes;
    TextFileReader r;
    EXPECT_TRUE(r.Open(p.string()));
    std::vector<std::string> lines;
    std::vector<char> buf(capacity);
    std::size_t len = 0;
    while (r.ReadLine(buf.data(), capacity, &len)) {
        EXPECT_EQ(len, std::strlen(buf.data()));
        lines.emplace_back(buf.data(), len);
        EXPECT_LT(lines.size(), 100000u);
    }
    fs::remove(p);
    return lines;
}

TEST(TextFileReader, SplitsLinesLikeTextModeReads) {
    const std::string k1022(1022, 'k');
    const std::string k1021(1021, 'k');
    struct Case {
        std::string bytes;
        std::vector<std::string> lines;
    } cases[] = {
        {"a\r\nb\n", {"a", "b"}},
        {"a\r\n\r\nb", {"a", "", "b"}},  // a last line without a line end reads whole
        {"lone\rcr\n", {"lone\rcr"}},
        {"", {}},
        {std::string(2000, 'x') + "\n", {std::string(1022, 'x'), std::string(978, 'x')}},
        {k1022 + "\n" + "z", {k1022, "z"}},       // the line end right at the limit belongs to the line
        {k1022 + "\r\n" + "z", {k1022, "z"}},
        {k1021 + "\r\n" + "z", {k1021, "z"}},
        {k1022 + "y\n", {k1022, "y"}},
    };
    for (const Case& c : cases) EXPECT_EQ(ReadAll(c.bytes, 1023), c.lines) << c.bytes.substr(0, 20);
}

TEST(TextFileReader, OpeningNeverCreates) {
    const fs::path p = TempFile("absent");
    TextFileReader r;
    EXPECT_FALSE(r.Open(p.string()));
    EXPECT_FALSE(fs::exists(p));
    EXPECT_FALSE(r.Open(fs::temp_directory_path().string()));  // a folder is no text file
    char buf[8];
    EXPECT_FALSE(r.ReadLine(buf, sizeof buf));
}

TEST(TextFileWriter, StoresEveryLineFeedAsCrLf) {
    const fs::path p = TempFile("write");
    TextFileWriter w;
    ASSERT_TRUE(w.Create(p.string()));
    EXPECT_TRUE(w.Write("a\nb"));
    EXPECT_TRUE(w.Write("\n\nc"));
    EXPECT_TRUE(w.Close());
    std::ifstream in(p, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    EXPECT_EQ(ss.str(), "a\r\nb\r\n\r\nc");
    fs::remove(p);
    EXPECT_FALSE(w.Create((fs::temp_directory_path() / "no-such-folder-lorvex" / "x").string()));
}

}  // namespace
