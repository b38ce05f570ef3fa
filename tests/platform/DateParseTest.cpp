#include "platform/DateParse.h"

#include <gtest/gtest.h>

namespace lorvex::platform {
namespace {

TEST(ParseDate, AcceptedAndRefusedForms) {
    const std::pair<const char*, double> accepted[] = {
        {"1899-12-30", 0}, {"1899-12-29", -1}, {"1900-01-01", 2}, {"1800-01-01", -36522}, {"2024-03-07", 45358},
        {"2024-03-07T12:00:00", 45358.5}, {"2024-03-07t06:00Z", 45358.25}, {"2024-03-07 00:00:30.5", 45358 + 30.5 / 86400},
        {"7/3/2024", 45358}, {"07.03.2024", 45358}, {"7-3-2024 18:00:00", 45358.75}, {"7/3/24", 45358},
        {"1/1/99", 36161}, {"  2024-03-07  ", 45358}, {"2024/03/07", 45358}, {"29/2/2024", 45351},
        {"2000-02-29", 36585}, {"31/12/9999", 2958465},
    };
    for (const auto& [text, value] : accepted) {
        const auto v = ParseDate(text);
        ASSERT_TRUE(v.has_value()) << text;
        EXPECT_NEAR(*v, value, 1e-9) << text;
    }
    for (const char* text : {"", "abc", "12", "1.5", "2024-13-01", "2023-02-29", "32/1/2024", "0/1/2024", "2024-03-00",
                             "2024-03-07 25:00", "2024-03-07 12:60", "2024-03-07 12:30:60", "7/3-2024", "2024-03-07x",
                             "2024-3-7T", "7/3/20245", "7/3/202", "2024-03-071", "2024-03-07 12", "1/1/0050",
                             "7/3/2024T10:00", "2024-03-07 12:5:00", "-2024-03-07", "1900-02-29"})
        EXPECT_FALSE(ParseDate(text).has_value()) << text;
    // Before the epoch, the time of day still counts forwards.
    EXPECT_LT(*ParseDate("1800-01-01"), *ParseDate("1899-12-29 12:00"));
    EXPECT_LT(*ParseDate("1899-12-29 12:00"), *ParseDate("1899-12-30"));
}

}  // namespace
}  // namespace lorvex::platform
