#include "platform/NumberFormat.h"

#include <gtest/gtest.h>

#include <string>

namespace lorvex::platform {
namespace {

TEST(NumberFormat, FormatsAsPrintfWouldNeverCutAndTrims) {
    EXPECT_EQ(FormatNumber("%.0f", 2.5), "2");  // ties to even, as printf
    EXPECT_EQ(FormatNumber("%.200f", 1.0), "1." + std::string(60, '0'));
    EXPECT_EQ(FormatNumber("%.4f", -1e308).size(), 1u + 309u + 5u);
    EXPECT_EQ(FormatNumber("%d", 1.5), "1.5000");  // not a fixed format: four places
    const std::pair<const char*, const char*> trimmed[] = {
        {"1.500", "1.5"}, {"2.000", "2"}, {"100", "100"}, {"0.0", "0"}, {"-0.10", "-0.1"}, {"10.", "10"},
    };
    for (const auto& [text, expected] : trimmed) {
        std::string t = text;
        TrimNumber(t);
        EXPECT_EQ(t, expected) << text;
    }
    EXPECT_EQ(FormatPrecision("%.f", 60), 0);
    EXPECT_EQ(FormatPrecision("%.61f", 60), 60);
    EXPECT_EQ(FormatPrecision("%.2g", 60), -1);
}

}  // namespace
}  // namespace lorvex::platform
