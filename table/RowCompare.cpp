#include "table/RowCompare.h"

#include <charconv>
#include <cstring>
#include <limits>
#include <optional>

#include "platform/AsciiText.h"
#include "platform/DateParse.h"
#include "table/MergeSort.h"
#include "table/TableData.h"

namespace lorvex {
namespace {

// White space as the C library's readers skip it in the "C" locale.
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t SkipBlanks(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    return i;
}

int Sign(int v) { return (v > 0) - (v < 0); }

// A number too large or too small for a float: infinity when its decimal
// exponent is positive, else zero (what the C library's reader gives).
float OutOfRange(std::string_view number) {
    std::size_t i = 0;
    long long exponent = 0;  // decimal position of the first significant digit
    bool seenSignificant = false, afterPoint = false;
    for (; i < number.size(); ++i) {
        const char c = number[i];
        if (c == '.') {
            afterPoint = true;
        } else if (IsDigit(c)) {
            if (!seenSignificant && c != '0') seenSignificant = true;
            if (seenSignificant && !afterPoint) ++exponent;
            if (!seenSignificant && afterPoint) --exponent;
        } else {
            break;
        }
    }
    if (i < number.size() && (number[i] == 'e' || number[i] == 'E')) {
        std::size_t j = i + 1;
        bool negative = false;
        if (j < number.size() && (number[j] == '+' || number[j] == '-')) negative = number[j++] == '-';
        long long e = 0;
        for (; j < number.size() && IsDigit(number[j]); ++j)
            if (e < 1000000000) e = e * 10 + (number[j] - '0');
        exponent += negative ? -e : e;
    }
    return exponent > 0 ? std::numeric_limits<float>::infinity() : 0.0f;
}

}  // namespace

int CompareBytes(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    if (n != 0) {
        if (const int r = std::memcmp(a.data(), b.data(), n)) return Sign(r);
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

std::int64_t ReadWholeNumber(std::string_view text) {
    std::size_t i = SkipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Accumulate towards the sign so that the most negative value fits; clamp
    // like the C library's reader instead of overflowing.
    constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    std::int64_t value = 0;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
        const int digit = text[i] - '0';
        if (negative) {
            if (value < (kMin + digit) / 10) return kMin;
            value = value * 10 - digit;
        } else {
            if (value > (kMax - digit) / 10) return kMax;
            value = value * 10 + digit;
        }
    }
    return value;
}

float ReadFloat(std::string_view text) {
    std::size_t i = SkipBlanks(text);
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const std::string_view rest = text.substr(i);
    // Only the decimal form counts: digits, or a point followed by a digit.
    // (This also keeps words such as "inf" and "nan" at 0, like any other word.)
    const bool startsNumber =
        !rest.empty() && (IsDigit(rest[0]) || (rest[0] == '.' && rest.size() > 1 && IsDigit(rest[1])));
    if (!startsNumber) return 0.0f;
    float value = 0.0f;
    const auto result = std::from_chars(rest.data(), rest.data() + rest.size(), value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range)
        value = OutOfRange(rest);
    else if (result.ec != std::errc())
        value = 0.0f;
    return negative ? -value : value;
}

int CompareRows(const SortRecord& a, const SortRecord& b, std::uint32_t sortParam) {
    const int d = (sortParam & 0xffu) != 0 ? 1 : -1;
    const ColumnKind k = ColumnKind::FromByte(static_cast<std::uint8_t>((sortParam >> 8) & 0xffu));
    const int c = k.comparison;
    const bool aEmpty = a.text.empty(), bEmpty = b.text.empty();
    if (k.emptyLast) {
        if (aEmpty && bEmpty) return 0;
        if (aEmpty) return 1;
        if (bEmpty) return -1;
    } else if (k.emptyGreatest) {
        if (aEmpty && bEmpty) return 0;
        if (aEmpty) return d;
        if (bEmpty) return -d;
    }
    switch (c) {
        case 0: return CompareBytes(a.text, b.text) * d;
        case 1: return CompareFolded(a.text, b.text) * d;
        case 2: {
            const std::int64_t x = ReadWholeNumber(a.text), y = ReadWholeNumber(b.text);
            return (x < y ? -1 : (x > y ? 1 : 0)) * d;
        }
        case 3:
        case 6: {
            const std::optional<double> x = platform::ParseDate(a.text), y = platform::ParseDate(b.text);
            if (!x || !y) return 0;
            return (*x < *y ? -1 : 1) * d;
        }
        case 5: return (ReadFloat(a.text) < ReadFloat(b.text) ? -1 : 1) * d;
        default: return 0;  // 4 compares nothing; above 6 is refused by SetColumnKinds
    }
}

namespace {

// The first eight bytes of a text, big-endian, zero-padded: comparing two of
// these decides most text comparisons without touching the texts.
std::uint64_t Prefix(std::string_view text, bool fold) {
    std::uint64_t p = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        const char c = i < text.size() ? text[i] : '\0';
        p = (p << 8) | static_cast<unsigned char>(fold ? platform::FoldAscii(c) : c);
    }
    return p;
}

struct TextKey {
    std::uint64_t prefix;
    const char* data;
    std::uint32_t size;
    int row;
};
template <class V>
struct ValueKey {
    V value;
    int row;
};
struct DateKey {
    double value;
    bool valid;
    int row;
};

int Order(auto x, auto y) { return x < y ? -1 : (x > y ? 1 : 0); }

// Sorts the rows listed in `rows` by their keys; d is +1 ascending, -1
// descending. Equal values compare 0 so that the sort keeps their order.
// texts[r] is row r's cell text.
template <class Key, class MakeKey, class CompareKeys>
void SortByKeys(std::vector<int>& rows, const std::vector<std::string_view>& texts, int d, MakeKey makeKey,
                CompareKeys compareKeys) {
    std::vector<Key> keys;
    keys.reserve(rows.size());
    // The texts of a large table lie all over memory: ask for them a little
    // ahead so that reading them overlaps with parsing.
    constexpr std::size_t kAhead = 16;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i + kAhead < rows.size()) __builtin_prefetch(texts[static_cast<std::size_t>(rows[i + kAhead])].data());
        keys.push_back(makeKey(texts[static_cast<std::size_t>(rows[i])], rows[i]));
    }
    MergeSort(keys, [&](const Key& a, const Key& b) { return compareKeys(a, b) * d; });
    for (std::size_t i = 0; i < keys.size(); ++i) rows[i] = keys[i].row;
}

}  // namespace

std::vector<int> SortRowOrder(const TableData& data, int column, std::uint8_t kind, bool ascending) {
    const int n = data.RowCount();
    const int d = ascending ? 1 : -1;
    const ColumnKind k = ColumnKind::FromByte(kind);
    const int c = k.comparison;

    // Empty cells first go to their fixed place: an empty cell compares the
    // same way with every non-empty one, so sorting the others alone and
    // putting the empty ones (in their old order) before or after gives the
    // order the full comparison gives.
    const bool emptyRule = k.emptyLast || k.emptyGreatest;
    const bool emptiesFirst = !k.emptyLast && k.emptyGreatest && !ascending;

    // Each cell is read once, in short loops whose memory reads do not wait
    // for one another: first the text ids, then where the texts lie.
    std::vector<StringPool::Id> ids(static_cast<std::size_t>(n));
    for (int r = 0; r < n; ++r) ids[static_cast<std::size_t>(r)] = data.CellId(r, column);
    const StringPool& pool = data.Pool();
    std::vector<std::string_view> texts(static_cast<std::size_t>(n));
    for (std::size_t r = 0; r < texts.size(); ++r) texts[r] = pool.Text(ids[r]);

    std::vector<int> rows, empties;
    rows.reserve(static_cast<std::size_t>(n));
    for (int r = 0; r < n; ++r) {
        if (emptyRule && ids[static_cast<std::size_t>(r)] == StringPool::kEmpty)
            empties.push_back(r);
        else
            rows.push_back(r);
    }

    switch (c) {
        case 0:
        case 1: {
            const bool fold = c == 1;
            SortByKeys<TextKey>(
                rows, texts, d,
                [fold](std::string_view t, int r) {
                    return TextKey{Prefix(t, fold), t.data(), static_cast<std::uint32_t>(t.size()), r};
                },
                [fold](const TextKey& a, const TextKey& b) {
                    if (a.prefix != b.prefix) return a.prefix < b.prefix ? -1 : 1;
                    const std::string_view x(a.data, a.size), y(b.data, b.size);
                    return fold ? CompareFolded(x, y) : CompareBytes(x, y);
                });
            break;
        }
        case 2:
            SortByKeys<ValueKey<std::int64_t>>(
                rows, texts, d,
                [](std::string_view t, int r) {
                    return ValueKey<std::int64_t>{ReadWholeNumber(t), r};
                },
                [](const auto& a, const auto& b) { return Order(a.value, b.value); });
            break;
        case 5:
            SortByKeys<ValueKey<float>>(
                rows, texts, d,
                [](std::string_view t, int r) {
                    return ValueKey<float>{ReadFloat(t), r};
                },
                [](const auto& a, const auto& b) { return Order(a.value, b.value); });
            break;
        case 3:
        case 6:
            SortByKeys<DateKey>(
                rows, texts, d,
                [](std::string_view t, int r) {
                    const std::optional<double> v = platform::ParseDate(t);
                    return DateKey{v.value_or(0.0), v.has_value(), r};
                },
                // A text that is no date is equal to everything, as in CompareRows.
                [](const DateKey& a, const DateKey& b) { return a.valid && b.valid ? Order(a.value, b.value) : 0; });
            break;
        default: break;  // comparison 4: the rows keep their order
    }

    if (empties.empty()) return rows;
    std::vector<int> order;
    order.reserve(static_cast<std::size_t>(n));
    const std::vector<int>& head = emptiesFirst ? empties : rows;
    const std::vector<int>& tail = emptiesFirst ? rows : empties;
    order.insert(order.end(), head.begin(), head.end());
    order.insert(order.end(), tail.begin(), tail.end());
    return order;
}

}  // namespace lorvex
