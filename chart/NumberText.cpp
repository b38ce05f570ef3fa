#include "chart/NumberText.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

#include "platform/NumberFormat.h"

namespace lorvex {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

}  // namespace

bool ReadNumber(std::string_view text, double* value) {
    text = Trim(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // from_chars would also take "inf", "nan" and hexadecimal forms: a number
    // here starts with a digit, or a point and a digit.
    if (text.empty()) return false;
    // Most cells are short plain decimals ("162.8"): read them as a whole number
    // over a power of ten, which is exact to the nearest double for up to 15
    // digits (both are exact doubles, and one division rounds once).
    static constexpr double kTens[] = {1,   1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::int64_t whole = 0;
    int digits = 0, places = -1;
    std::size_t i = 0;
    for (; i < text.size() && digits <= 15; ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            whole = whole * 10 + (c - '0');
            ++digits;
            if (places >= 0) ++places;
        } else if (c == '.' && places < 0) {
            places = 0;
        } else {
            break;
        }
    }
    if (i == text.size() && digits > 0 && digits <= 15) {
        const double v = static_cast<double>(whole) / kTens[places < 0 ? 0 : places];
        *value = negative ? -v : v;
        return true;
    }
    const bool digitFirst = IsDigit(text[0]) || (text[0] == '.' && text.size() > 1 && IsDigit(text[1]));
    if (!digitFirst) return false;
    double v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v, std::chars_format::general);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
    *value = negative ? -v : v;
    return true;
}

int DecimalsOf(std::string_view text) {
    text = Trim(text);
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos) return 0;
    int places = 0;
    for (std::size_t i = point + 1; i < text.size() && IsDigit(text[i]); ++i) ++places;
    return std::min(places, kMaxShownDecimals);
}

std::string ShownNumber(double value, int decimals) {
    std::string text;
    platform::FormatFixed(text, std::clamp(decimals, 0, kMaxShownDecimals), value);
    platform::TrimNumber(text);
    if (text == "-0") text = "0";  // a figure reads as a number, not as the sign of a rounding
    return text;
}

std::string ShortNumber(double value, double precision) {
    struct Unit {
        double size;
        const char* suffix;
    };
    static constexpr Unit kUnits[] = {{1e12, "T"}, {1e9, "G"}, {1e6, "M"}, {1e3, "k"}};
    constexpr double kSlack = 1e-9;  // 999.9999999999 from a sum is a thousand
    const double size = std::abs(value);
    if (!std::isfinite(value)) return {};
    if (size >= kShortFormLimit * (1 - kSlack)) {
        const int power = static_cast<int>(std::floor(std::log10(size) + kSlack));
        return ShownNumber(value / std::pow(10.0, power), 2) + "e" + std::to_string(power);
    }
    Unit unit{1, ""};
    for (const Unit& u : kUnits) {
        if (size >= u.size * (1 - kSlack)) {
            unit = u;
            break;
        }
    }
    int places = 0;
    if (precision > 0 && std::isfinite(precision))
        places = std::max(0, -static_cast<int>(std::floor(std::log10(precision / unit.size) + kSlack)));
    return ShownNumber(value / unit.size, places) + unit.suffix;
}

}  // namespace lorvex
