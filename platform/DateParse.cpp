#include "platform/DateParse.h"

#include <cstdint>

namespace lorvex::platform {
namespace {

class Cursor {
public:
    explicit Cursor(std::string_view text) : text_(text) {}
    bool AtEnd() const { return pos_ >= text_.size(); }
    char Peek() const { return AtEnd() ? '\0' : text_[pos_]; }
    bool Take(char c) {
        if (Peek() != c || AtEnd()) return false;
        ++pos_;
        return true;
    }
    void SkipBlanks() {
        while (!AtEnd() && (text_[pos_] == ' ' || text_[pos_] == '\t')) ++pos_;
    }
    // 1 to maxDigits decimal digits; *digits receives how many were read.
    bool Number(int maxDigits, int* value, int* digits) {
        int v = 0, n = 0;
        while (!AtEnd() && n < maxDigits && text_[pos_] >= '0' && text_[pos_] <= '9') {
            v = v * 10 + (text_[pos_] - '0');
            ++pos_;
            ++n;
        }
        if (n == 0) return false;
        // More digits than the field holds make the text no date.
        if (!AtEnd() && text_[pos_] >= '0' && text_[pos_] <= '9') return false;
        *value = v;
        if (digits) *digits = n;
        return true;
    }
    // The digits of a fraction, as a value in [0, 1).
    double Fraction() {
        double f = 0.0, scale = 0.1;
        while (!AtEnd() && text_[pos_] >= '0' && text_[pos_] <= '9') {
            f += (text_[pos_] - '0') * scale;
            scale /= 10.0;
            ++pos_;
        }
        return f;
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

// Days from 1970-01-01 to the given civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = static_cast<int>(y - era * 400);
    const int doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// hh:mm[:ss[.fff]]; false when the text there is no time.
bool ReadTime(Cursor& c, double* dayFraction) {
    int h = 0, mi = 0, s = 0, digits = 0;
    if (!c.Number(2, &h, nullptr) || !c.Take(':') || !c.Number(2, &mi, &digits) || digits != 2) return false;
    double frac = 0.0;
    if (c.Take(':')) {
        if (!c.Number(2, &s, &digits) || digits != 2) return false;
        if (c.Take('.') || c.Take(',')) frac = c.Fraction();
    }
    if (h > 23 || mi > 59 || s > 59) return false;
    *dayFraction = (h * 3600.0 + mi * 60.0 + s + frac) / 86400.0;
    return true;
}

}  // namespace

std::optional<double> ParseDate(std::string_view text) {
    Cursor c(text);
    c.SkipBlanks();
    int a = 0, b = 0, e = 0, aDigits = 0, eDigits = 0;
    if (!c.Number(4, &a, &aDigits)) return std::nullopt;
    const char sep = c.Peek();
    if (sep != '-' && sep != '/' && sep != '.') return std::nullopt;
    c.Take(sep);
    if (!c.Number(2, &b, nullptr) || !c.Take(sep) || !c.Number(4, &e, &eDigits)) return std::nullopt;

    int year = 0, month = 0, day = 0;
    const bool iso = aDigits == 4;
    if (iso) {  // year first: 2024-03-07 (also 2024/03/07, 2024.03.07)
        year = a, month = b, day = e;
        if (eDigits > 2) return std::nullopt;
    } else {  // day first: 7/3/2024, 07.03.2024, 7-3-24
        day = a, month = b, year = e;
        if (eDigits == 2)
            year += year < 30 ? 2000 : 1900;  // the usual two-digit window
        else if (eDigits != 4)
            return std::nullopt;
    }
    if (year < 100 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month)) return std::nullopt;

    double fraction = 0.0;
    const bool tSeparated = iso && (c.Peek() == 'T' || c.Peek() == 't');
    if (tSeparated) {
        c.Take(c.Peek());
        if (!ReadTime(c, &fraction)) return std::nullopt;
        c.Take('Z');
    } else {
        c.SkipBlanks();
        if (!c.AtEnd() && !ReadTime(c, &fraction)) return std::nullopt;
    }
    c.SkipBlanks();
    if (!c.AtEnd()) return std::nullopt;

    const std::int64_t days = DaysFromCivil(year, month, day) - DaysFromCivil(1899, 12, 30);
    return static_cast<double>(days) + fraction;
}

}  // namespace lorvex::platform
