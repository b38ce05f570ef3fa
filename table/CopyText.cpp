#include "table/CopyText.h"

#include "table/TableListCtrl.h"

namespace lorvex {
namespace {

// A TAB or a line break inside a cell would split it on paste.
void AppendPlainCell(std::string& out, std::string_view cell) {
    for (char c : cell) out += (c == '\t' || c == '\n' || c == '\r') ? ' ' : c;
}

}  // namespace

void AppendEscapedHtml(std::string& out, std::string_view text) {
    for (char c : text) {
        switch (c) {
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '"': out += "&quot;"; break;
            default: out += c;
        }
    }
}

std::vector<int> RowsToCopy(const TableData& table) {
    std::vector<int> rows;
    for (int r = table.NextRow(-1, true, true); r >= 0; r = table.NextRow(r, true, true)) rows.push_back(r);
    const int focus = table.FocusedRow();
    if (rows.empty() && focus >= 0 && !table.IsHidden(focus)) rows.push_back(focus);
    return rows;
}

CopiedRows CopyRows(const TableData& table) {
    CopiedRows out;
    const std::vector<int> rows = RowsToCopy(table);
    std::vector<int> columns;
    for (int c = 0; c < table.ColumnCount(); ++c)
        if (table.ColumnWidth(c) > TableListCtrl::kCollapsedLimit) columns.push_back(c);
    if (rows.empty() || columns.empty()) return out;
    out.rows = static_cast<int>(rows.size());

    out.html = "<table>\n<tr>";
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i) out.plain += '\t';
        AppendPlainCell(out.plain, table.Column(columns[i]).heading);
        out.html += "<th>";
        AppendEscapedHtml(out.html, table.Column(columns[i]).heading);
        out.html += "</th>";
    }
    out.plain += '\n';
    out.html += "</tr>\n";
    for (int r : rows) {
        out.html += "<tr>";
        for (std::size_t i = 0; i < columns.size(); ++i) {
            if (i) out.plain += '\t';
            AppendPlainCell(out.plain, table.Cell(r, columns[i]));
            out.html += "<td>";
            AppendEscapedHtml(out.html, table.Cell(r, columns[i]));
            out.html += "</td>";
        }
        out.plain += '\n';
        out.html += "</tr>\n";
    }
    out.html += "</table>\n";
    return out;
}

}  // namespace lorvex
