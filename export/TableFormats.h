#pragma once
// The export formats that need quoting or escaping, for spreadsheets (CSV),
// wikis and forum posts (Markdown) and web pages (HTML). They sit beside the
// plain delimited export, which writes every text as it is. Cells are written
// as the bytes the table holds: record files are often not UTF-8.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lorvex {

enum class ExportFormat {
    Delimited,  // the delimiter boxes, or tab-delimited text; nothing escaped
    Csv,        // comma-separated, fields quoted where they must be, CR LF
    Markdown,   // a pipe table with a heading separator row
    Html,       // a complete document, every text escaped
};

// The format a script names: "tsv" (the delimited default), "csv", "markdown" or "html".
std::optional<ExportFormat> FormatFromName(std::string_view name);
// The file-name ending that goes with a format, dot included (".dat" for delimited text).
std::string_view FormatEnding(ExportFormat format);

// fileName with its ending (the last dot of its last component and what
// follows) replaced by ending, or ending appended when it has none.
std::string WithEnding(std::string_view fileName, std::string_view ending);

// What a format walks: the headings, and each row's cells in the same order.
struct TableSlice {
    std::vector<std::string_view> headings;
    std::size_t rowCount = 0;
    std::function<std::string_view(std::size_t row, std::size_t column)> cell;
};

// Choices that change what a format makes of a cell.
struct FormatOptions {
    // A CSV cell starting with = + - or @ that is no number is a formula to a
    // spreadsheet; it is written behind a ' unless formulas are wanted.
    bool csvFormulas = false;
};

// Hands the slice written in format (anything but Delimited) to sink as the
// file's exact bytes; every line, the last included, ends with CR LF.
void WriteFormatted(ExportFormat format, const TableSlice& slice, const std::function<void(std::string_view)>& sink,
                    const FormatOptions& options = {});

// Appends text escaped as a Markdown table cell escapes it, so that it shows as
// exactly itself wherever Markdown puts it (a list item, a heading).
void AppendMarkdownText(std::string& out, std::string_view text);

// True when a spreadsheet would take text for a formula: it starts with = + -
// or @ and does not read as a number the way the table's filter reads one.
bool LooksLikeFormula(std::string_view text);

// True when text is well-formed UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF).
bool IsUtf8(std::string_view text);

}  // namespace lorvex
