#include "export/TableFormats.h"

#include "table/CopyText.h"
#include "table/filter/RowFilter.h"

namespace lorvex {

namespace {

constexpr std::string_view kLineEnd = "\r\n";

// RFC 4180: a field is quoted when it holds a comma, a quote, CR or LF, and
// its quotes are doubled. A line of one empty field is written as "" so that
// readers do not take it for a blank line and drop it.
// Record values come from strangers' archives: a cell that a spreadsheet would
// run as a formula gets a leading ', which makes the spreadsheet take it as
// text, unless the user asked for formulas.
void AppendCsvLine(std::string& out, std::size_t count, const std::function<std::string_view(std::size_t)>& field,
                   const FormatOptions& options) {
    std::string guarded;
    for (std::size_t i = 0; i < count; ++i) {
        if (i) out += ',';
        std::string_view text = field(i);
        if (!options.csvFormulas && LooksLikeFormula(text)) {
            guarded = "'";
            guarded += text;
            text = guarded;
        }
        if (text.find_first_of(",\"\r\n") == std::string_view::npos && !(count == 1 && text.empty())) {
            out += text;
            continue;
        }
        out += '"';
        for (char c : text) {
            if (c == '"') out += '"';
            out += c;
        }
        out += '"';
    }
    out += kLineEnd;
}

// A pipe would end the cell and a line break the row: "\|" and "<br>" keep them
// inside it (CR LF, a lone LF and a lone CR each count as one line break).
// Characters that start emphasis, code, links, images, strike-through or raw
// HTML are escaped so that a cell renders as exactly its text; digits and
// everyday punctuation (. , : ; ( ) - + =) cannot start markup inside a table
// cell and stay as they are, so numbers read plainly in the file too.
// < and & are written as entities rather than "\<" and "\&": every renderer
// decodes &lt; and &amp;, while renderers that keep to the original, smaller
// set of backslash escapes would show the backslash.
void AppendMarkdownCell(std::string& out, std::string_view text) {
    constexpr std::string_view kBackslashed = "\\`*_[]~!";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '|') {
            out += "\\|";
        } else if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            out += "<br>";
        } else if (c == '<') {
            out += "&lt;";
        } else if (c == '&') {
            out += "&amp;";
        } else {
            if (kBackslashed.find(c) != std::string_view::npos) out += '\\';
            out += c;
        }
    }
}

void AppendMarkdownLine(std::string& out, std::size_t count,
                        const std::function<std::string_view(std::size_t)>& field) {
    out += '|';
    for (std::size_t i = 0; i < count; ++i) {
        out += ' ';
        AppendMarkdownCell(out, field(i));
        out += " |";
    }
    out += kLineEnd;
}

void AppendHtmlLine(std::string& out, std::size_t count, const std::function<std::string_view(std::size_t)>& field,
                    std::string_view open, std::string_view close) {
    out += "<tr>";
    for (std::size_t i = 0; i < count; ++i) {
        out += open;
        AppendEscapedHtml(out, field(i));
        out += close;
    }
    out += "</tr>";
    out += kLineEnd;
}

// The declared encoding must be true for every text in the document: UTF-8
// only when all of them are, else the Windows code page the game's tools wrote.
bool SliceIsUtf8(const TableSlice& slice) {
    for (std::string_view heading : slice.headings)
        if (!IsUtf8(heading)) return false;
    for (std::size_t r = 0; r < slice.rowCount; ++r)
        for (std::size_t c = 0; c < slice.headings.size(); ++c)
            if (!IsUtf8(slice.cell(r, c))) return false;
    return true;
}

}  // namespace

std::optional<ExportFormat> FormatFromName(std::string_view name) {
    if (name == "tsv") return ExportFormat::Delimited;
    if (name == "csv") return ExportFormat::Csv;
    if (name == "markdown") return ExportFormat::Markdown;
    if (name == "html") return ExportFormat::Html;
    return std::nullopt;
}

std::string_view FormatEnding(ExportFormat format) {
    switch (format) {
        case ExportFormat::Csv: return ".csv";
        case ExportFormat::Markdown: return ".md";
        case ExportFormat::Html: return ".html";
        case ExportFormat::Delimited: break;
    }
    return ".dat";
}

std::string WithEnding(std::string_view fileName, std::string_view ending) {
    const std::size_t slash = fileName.find_last_of("/\\");
    const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::size_t dot = fileName.rfind('.');
    // A leading dot names a hidden file rather than starting an ending.
    const bool hasEnding = dot != std::string_view::npos && dot > nameStart;
    return std::string(fileName.substr(0, hasEnding ? dot : fileName.size())) + std::string(ending);
}

void WriteFormatted(ExportFormat format, const TableSlice& slice, const std::function<void(std::string_view)>& sink,
                    const FormatOptions& options) {
    const std::size_t columns = slice.headings.size();
    const auto heading = [&](std::size_t c) { return slice.headings[c]; };
    std::string out;
    // One piece per line keeps memory flat however long the table is.
    const auto flush = [&] {
        if (!out.empty()) sink(out);
        out.clear();
    };
    for (std::size_t r = 0; r <= slice.rowCount; ++r) {
        // Line 0 holds the headings (with what goes before them), line r the row r - 1.
        const auto cell = [&](std::size_t c) { return slice.cell(r - 1, c); };
        const std::function<std::string_view(std::size_t)> field =
            r == 0 ? std::function<std::string_view(std::size_t)>(heading) : cell;
        switch (format) {
            case ExportFormat::Csv: AppendCsvLine(out, columns, field, options); break;
            case ExportFormat::Markdown:
                AppendMarkdownLine(out, columns, field);
                if (r == 0) AppendMarkdownLine(out, columns, [](std::size_t) { return std::string_view("---"); });
                break;
            case ExportFormat::Html:
                if (r == 0) {
                    out += "<!DOCTYPE html>\r\n<html>\r\n<head>\r\n<meta charset=\"";
                    out += SliceIsUtf8(slice) ? "UTF-8" : "windows-1252";
                    out += "\">\r\n<title>Table</title>\r\n</head>\r\n<body>\r\n<table border=\"1\">\r\n";
                    AppendHtmlLine(out, columns, field, "<th>", "</th>");
                } else {
                    AppendHtmlLine(out, columns, field, "<td>", "</td>");
                }
                break;
            case ExportFormat::Delimited: return;  // not a format of this module
        }
        flush();
    }
    if (format == ExportFormat::Html) out += "</table>\r\n</body>\r\n</html>\r\n";
    flush();
}

void AppendMarkdownText(std::string& out, std::string_view text) { AppendMarkdownCell(out, text); }

bool LooksLikeFormula(std::string_view text) {
    if (text.empty() || std::string_view("=+-@").find(text.front()) == std::string_view::npos) return false;
    double number = 0.0;
    return !ReadFilterNumber(text, &number);
}

bool IsUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            ++i;
            continue;
        }
        std::size_t length;
        unsigned min, max = 0xBF;  // the range allowed for the second byte
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2, min = 0x80;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3, min = b == 0xE0 ? 0xA0 : 0x80, max = b == 0xED ? 0x9F : 0xBF;
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4, min = b == 0xF0 ? 0x90 : 0x80, max = b == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (text.size() - i < length) return false;
        const auto second = static_cast<unsigned char>(text[i + 1]);
        if (second < min || second > max) return false;
        for (std::size_t k = 2; k < length; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80) return false;
        i += length;
    }
    return true;
}

}  // namespace lorvex
