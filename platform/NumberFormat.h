#pragma once
// Numbers written as the game's tools wrote them: fixed places, a point
// whatever the process locale, trailing zeros trimmed where a cell wants it.
#include <string>

namespace lorvex::platform {

// Reads a "%.<n>f" format and gives n, at most maxPlaces; -1 for any other text.
int FormatPrecision(const char* format, int maxPlaces);

// value with `places` digits after the point ("%.*f", never cut short).
void FormatFixed(std::string& out, int places, double value);

// Removes trailing zeros after a decimal point, and the point when it is left last.
void TrimNumber(std::string& text);

// value formatted with a "%.<n>f" format (at most 60 places; 4 for any other format).
std::string FormatNumber(const char* format, double value);

}  // namespace lorvex::platform
