#include "platform/Windows1252.h"

namespace lorvex::platform {

namespace {

// Below this the code page is ASCII; from kFirstLatin1 up it is Latin-1. Only
// the 32 bytes between differ.
constexpr unsigned kFirstHigh = 0x80;
constexpr unsigned kLastHigh = 0x9F;
constexpr unsigned kFirstLatin1 = 0xA0;
constexpr unsigned kLastLatin1 = 0xFF;
constexpr unsigned kHighCount = kLastHigh - kFirstHigh + 1;

constexpr char16_t kHighControls[kHighCount] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

}  // namespace

char16_t Windows1252ToUnicode(unsigned char byte) {
    return byte >= kFirstHigh && byte <= kLastHigh ? kHighControls[byte - kFirstHigh] : static_cast<char16_t>(byte);
}

int UnicodeToWindows1252(char16_t unit) {
    if (unit < kFirstHigh || (unit >= kFirstLatin1 && unit <= kLastLatin1)) return unit;
    for (unsigned i = 0; i < kHighCount; ++i)
        if (kHighControls[i] == unit) return static_cast<int>(kFirstHigh + i);
    return -1;
}

}  // namespace lorvex::platform
