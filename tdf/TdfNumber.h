#pragma once
// Numbers in TDF text read the way the game's tools read them with " %f" and
// " %d": leading white space skipped, the longest number that can be read,
// 0 when there is none. The C locale's decimal point always applies, whatever
// locale the window toolkit switched the process to.
#include <cstdint>

namespace lorvex {

// Reads a float from text; *end (when given) is set behind the number, or to
// text when none could be read.
float ReadTdfFloat(const char* text, const char** end = nullptr);
// Reads a decimal integer; values beyond 32 bits are clamped to the nearest limit.
std::int32_t ReadTdfInt(const char* text);

}  // namespace lorvex
