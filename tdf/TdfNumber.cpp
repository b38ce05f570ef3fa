#include "tdf/TdfNumber.h"

#include <locale.h>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdlib>

namespace lorvex {
namespace {

locale_t CLocale() {
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return c;
}

}  // namespace

float ReadTdfFloat(const char* text, const char** end) {
    if (end) *end = text;
    if (!text) return 0.0f;
    char* stop = nullptr;
    const locale_t c = CLocale();
    const float value = c ? strtof_l(text, &stop, c) : std::strtof(text, &stop);
    if (end) *end = stop ? stop : text;
    if (stop == text) return 0.0f;
    return value;
}

std::int32_t ReadTdfInt(const char* text) {
    if (!text) return 0;
    char* stop = nullptr;
    const long long value = std::strtoll(text, &stop, 10);
    if (stop == text) return 0;
    if (value > INT32_MAX) return INT32_MAX;
    if (value < INT32_MIN) return INT32_MIN;
    return static_cast<std::int32_t>(value);
}

}  // namespace lorvex
