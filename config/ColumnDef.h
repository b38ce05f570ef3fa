#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace lorvex {

// How the table shows a column's cells.
enum class ColumnAlign { Left, Right, Center };

// The table column a column block declares: its heading, alignment, width
// (0: fitted after the load) and kind byte (how it sorts and shows empties).
struct ListColumn {
    std::string heading;
    ColumnAlign align = ColumnAlign::Left;
    std::int32_t width = 0;
    std::uint8_t kind = 0x01;
};

enum class ColumnType : std::int32_t {
    Numeric = 0,
    String = 1,
    Boolean = 2,
    HeaderText = 3,
    Symbolic = 4,
    MultiBool = 5,
    Math = 6,
};

// One configured column. Fixed fields hold at most 127 characters; longer
// input is cut, never written past the field.
class ColumnDef {
public:
    static constexpr int kNameSize = 128;
    static constexpr int kMaxEntries = 16;
    static constexpr int kMaxOperands = 15;
    // Places after the point that a number format may ask for; more is cut to this.
    static constexpr int kMaxDecimals = 60;

    virtual ~ColumnDef() = default;

    std::int32_t decimals = 4;
    char tag[kNameSize] = {};
    std::int32_t type = 0;
    char names[kMaxEntries][kNameSize] = {};
    std::array<std::string, kMaxEntries> texts;
    float values[kMaxEntries] = {};
    float work[kMaxEntries] = {};
    std::int32_t count = 0;
};

// Copies at most kNameSize - 1 bytes of text into a fixed field and terminates it.
void CopyName(char (&field)[ColumnDef::kNameSize], const char* text);

}  // namespace lorvex
