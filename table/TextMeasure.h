#pragma once
#include <string_view>

namespace lorvex {

// Pixel widths of texts as the table draws them. The window front end measures
// with its font; tests use a fixed width per character.
class TextMeasure {
public:
    virtual ~TextMeasure() = default;
    virtual int CellTextWidth(std::string_view text) = 0;     // a cell's text in the rows' font
    virtual int HeadingTextWidth(std::string_view text) = 0;  // a heading in the header's font
    virtual int SpaceWidth() = 0;                             // one " " in the rows' font
};

}  // namespace lorvex
