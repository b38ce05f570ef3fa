#pragma once
// How a column's cells sort and where its empty cells go. The table keeps one
// byte per column (what a configuration declares travels with its column as
// the byte); these fields are the only way the byte is read or made.
#include <cstdint>

namespace lorvex {

// Which reading of the cell texts orders the rows.
enum class Comparison : std::uint8_t {
    Bytes = 0,        // byte by byte
    Folded = 1,       // A-Z folded
    WholeNumber = 2,  // a whole number read from the start of the text
    Date = 3,         // a date; a text that is no date equals everything
    None = 4,         // every pair equal: the rows keep their order
    Number = 5,       // a decimal number
    DateTime = 6,     // read as Date
};
inline constexpr std::uint8_t kMaxComparison = 6;

struct ColumnKind {
    std::uint8_t comparison = static_cast<std::uint8_t>(Comparison::Folded);  // 0-31; above kMaxComparison is refused
    bool emptyGreatest = false;  // an empty cell is greater than any text
    bool emptyLast = false;      // an empty cell goes last whichever way the column sorts

    static constexpr std::uint8_t kComparisonMask = 0x1f;
    static constexpr std::uint8_t kEmptyGreatestBit = 0x40;
    static constexpr std::uint8_t kEmptyLastBit = 0x80;

    static constexpr ColumnKind FromByte(std::uint8_t byte) {
        return ColumnKind{static_cast<std::uint8_t>(byte & kComparisonMask), (byte & kEmptyGreatestBit) != 0,
                          (byte & kEmptyLastBit) != 0};
    }
    static constexpr ColumnKind Of(Comparison c, bool emptyGreatest = false, bool emptyLast = false) {
        return ColumnKind{static_cast<std::uint8_t>(c), emptyGreatest, emptyLast};
    }
    constexpr std::uint8_t Byte() const {
        return static_cast<std::uint8_t>((comparison & kComparisonMask) | (emptyGreatest ? kEmptyGreatestBit : 0) |
                                         (emptyLast ? kEmptyLastBit : 0));
    }
    constexpr bool Is(Comparison c) const { return comparison == static_cast<std::uint8_t>(c); }
    constexpr bool Valid() const { return comparison <= kMaxComparison; }
};

}  // namespace lorvex
