#pragma once
#include <optional>
#include <string_view>

namespace lorvex::platform {

// Reads a date or date-time: ISO 8601 (2024-03-07, 2024-03-07T12:30:00,
// 2024-03-07 12:30) and day/month/year forms (7/3/2024, 07.03.2024, 7-3-2024,
// with an optional time hh:mm[:ss]). Leading and trailing blanks are allowed.
// The result counts days since 1899-12-30 with the time as the fraction, so
// later moments give larger values. Anything else gives no value.
std::optional<double> ParseDate(std::string_view text);

}  // namespace lorvex::platform
