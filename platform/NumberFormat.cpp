#include "platform/NumberFormat.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <vector>

namespace lorvex::platform {
namespace {

// What a configuration's "%.<n>f" may ask for; more places show nothing a float holds.
constexpr int kMaxPlaces = 60;
constexpr int kDefaultPlaces = 4;

}  // namespace

int FormatPrecision(const char* format, int maxPlaces) {
    if (!format || format[0] != '%' || format[1] != '.') return -1;
    const char* p = format + 2;
    long n = 0;
    bool digits = false;
    while (*p >= '0' && *p <= '9') {
        if (n <= maxPlaces) n = n * 10 + (*p - '0');
        digits = true;
        ++p;
    }
    if (*p != 'f' || p[1] != '\0') return -1;
    if (!digits) n = 0;  // "%.f" means no places, as in printf
    return static_cast<int>(std::min<long>(n, maxPlaces));
}

void FormatFixed(std::string& out, int places, double value) {
    // A double has at most 309 digits before the point; with 60 places that fits.
    char buffer[512];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, places);
    if (result.ec == std::errc()) {
        out.assign(buffer, result.ptr);
        return;
    }
    const int needed = std::snprintf(nullptr, 0, "%.*f", places, value);
    if (needed <= 0) {
        out.clear();
        return;
    }
    std::vector<char> big(static_cast<std::size_t>(needed) + 1);
    std::snprintf(big.data(), big.size(), "%.*f", places, value);
    out.assign(big.data(), static_cast<std::size_t>(needed));
}

void TrimNumber(std::string& text) {
    if (text.find('.') == std::string::npos) return;
    while (!text.empty() && text.back() == '0') text.pop_back();
    if (!text.empty() && text.back() == '.') text.pop_back();
}

std::string FormatNumber(const char* format, double value) {
    std::string out;
    int places = FormatPrecision(format, kMaxPlaces);
    if (places < 0) places = kDefaultPlaces;
    FormatFixed(out, places, value);
    return out;
}

}  // namespace lorvex::platform
