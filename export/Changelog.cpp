#include "export/Changelog.h"

#include <string>
#include <unordered_set>

#include "export/TableFormats.h"

namespace lorvex {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kChangeArrow = " \xE2\x86\x92 ";  // " → " in UTF-8
constexpr std::string_view kEmptyValue = "(empty)";
constexpr std::string_view kNull = "NULL";

// A row as written: this game's, the other's, or a matched pair.
struct OutputRow {
    int mine = -1;   // this table's row, or -1
    int other = -1;  // the other table's row, or -1
    RowChange change = RowChange::None;
};

std::vector<OutputRow> OutputRows(const TableComparison& diff) {
    std::vector<OutputRow> rows;
    const TableData& a = *diff.Mine().data;
    const TableData& b = *diff.Other().data;
    for (int r = a.NextRow(-1, false, true); r >= 0; r = a.NextRow(r, false, true))
        rows.push_back({r, diff.OtherRow(r), diff.Status(r)});
    for (int o : diff.RemovedRows())
        if (!b.IsHidden(o)) rows.push_back({-1, o, RowChange::Removed});
    return rows;
}

// The written text of a compared column on an output row: this game's, or the
// other's for a removed row and for a column this game lacks.
std::string_view TextAt(const TableComparison& diff, const OutputRow& row, std::size_t k) {
    if (row.mine < 0 || diff.Columns()[k].mine < 0) return diff.OtherAt(row.other, k);
    return diff.MineAt(row.mine, k);
}

std::string_view RecordFile(const TableComparison& diff, const OutputRow& row) {
    const CompareSide& side = row.mine >= 0 ? diff.Mine() : diff.Other();
    const int r = row.mine >= 0 ? row.mine : row.other;
    return side.locationColumn < 0 ? std::string_view() : RecordFileOf(side.data->Cell(r, side.locationColumn));
}

void AppendValue(std::string& out, std::string_view text) {
    if (text.empty()) {
        out += kEmptyValue;
    } else {
        AppendMarkdownText(out, text);
    }
}

// The format reads NULL as a missing value: a text that reads so after its
// leading underscores gets one more.
std::string QuoteForDiff(std::string_view text) {
    std::size_t underscores = 0;
    while (underscores < text.size() && text[underscores] == '_') ++underscores;
    std::string quoted = text.substr(underscores) == kNull ? "_" : "";
    quoted += text;
    return quoted;
}

}  // namespace

std::vector<std::size_t> OutputColumns(const TableComparison& diff, const std::vector<int>& mineColumns,
                                       bool otherOnly) {
    std::vector<std::size_t> columns;
    for (int c : mineColumns)
        if (const int k = diff.ColumnOfMine(c); k >= 0) columns.push_back(static_cast<std::size_t>(k));
    if (otherOnly)
        for (std::size_t k = 0; k < diff.Columns().size(); ++k)
            if (diff.Columns()[k].mine < 0) columns.push_back(k);
    return columns;
}

int LabelColumn(const TableComparison& diff, const std::vector<std::size_t>& columns) {
    const std::vector<OutputRow> rows = OutputRows(diff);
    int best = -1;
    std::size_t bestCount = 0;
    std::unordered_set<std::string_view> texts;
    for (std::size_t k : columns) {
        if (!diff.Columns()[k].compared) continue;
        texts.clear();
        for (const OutputRow& row : rows) texts.insert(TextAt(diff, row, k));
        if (texts.size() == rows.size()) return static_cast<int>(k);
        if (best < 0 || texts.size() > bestCount) {
            best = static_cast<int>(k);
            bestCount = texts.size();
        }
    }
    return best;
}

void WriteChangelog(const TableComparison& diff, const std::vector<std::size_t>& columns,
                    const std::function<void(std::string_view)>& sink) {
    const std::vector<OutputRow> rows = OutputRows(diff);
    const int label = LabelColumn(diff, columns);
    constexpr int kSections = 3;
    constexpr std::string_view kHeadings[kSections] = {"## Changed", "## Added", "## Removed"};
    std::string sections[kSections];
    std::string line;
    for (const OutputRow& row : rows) {
        if (row.change == RowChange::None) continue;
        line = "- ";
        const std::string_view name = label < 0 ? std::string_view() : TextAt(diff, row, label);
        if (!name.empty()) {
            line += "**";
            AppendMarkdownText(line, name);
            line += "** ";
        }
        line += '(';
        AppendMarkdownText(line, RecordFile(diff, row));
        line += ')';
        if (row.change == RowChange::Changed) {
            std::size_t listed = 0;
            for (std::size_t k : columns) {
                if (!diff.ChangedAt(row.mine, k)) continue;
                line += listed++ ? ", " : ": ";
                AppendMarkdownText(line, diff.Columns()[k].heading);
                line += ' ';
                AppendValue(line, diff.OtherAt(row.other, k));
                line += kChangeArrow;
                AppendValue(line, diff.MineAt(row.mine, k));
            }
            if (listed == 0) continue;
        }
        line += kLineEnd;
        sections[row.change == RowChange::Changed ? 0 : row.change == RowChange::Added ? 1 : 2] += line;
    }
    bool any = false;
    for (int s = 0; s < kSections; ++s) {
        if (sections[s].empty()) continue;
        std::string piece = any ? std::string(kLineEnd) : std::string();
        piece += kHeadings[s];
        piece += kLineEnd;
        piece += kLineEnd;
        sink(piece);
        sink(sections[s]);
        any = true;
    }
    if (!any) sink("No differences.\r\n");
}

void FillChangeTable(const TableComparison& diff, const std::vector<std::size_t>& columns, TableData& out) {
    NotifyHold hold(out);
    out.DeleteAllRows();
    while (out.DeleteColumn(0)) {
    }
    out.InsertColumn(0, "Change", Align::Left, 0);
    for (std::size_t k : columns) out.InsertColumn(out.ColumnCount(), diff.Columns()[k].heading, Align::Left, 0);
    std::string text;
    for (const OutputRow& row : OutputRows(diff)) {
        const int r = out.AppendRow(ChangeWord(row.change));
        if (r < 0) break;
        for (std::size_t i = 0; i < columns.size(); ++i) {
            const std::size_t k = columns[i];
            if (row.mine >= 0 && diff.ChangedAt(row.mine, k)) {
                text = diff.OtherAt(row.other, k);
                text += kChangeArrow;
                text += diff.MineAt(row.mine, k);
                out.SetCell(r, static_cast<int>(i) + 1, text);
            } else {
                out.SetCell(r, static_cast<int>(i) + 1, TextAt(diff, row, k));
            }
        }
    }
}

void WriteHighlighterDiff(const TableComparison& diff, const std::vector<std::size_t>& columns,
                          const std::function<void(std::string_view)>& sink) {
    std::vector<std::size_t> written;
    for (std::size_t k : columns)
        if (diff.Columns()[k].compared) written.push_back(k);
    const std::vector<OutputRow> rows = OutputRows(diff);

    // The arrow must not be read out of a cell that holds it.
    std::string arrow = "->";
    const auto lengthen = [&](std::string_view text) {
        while (text.find(arrow) != std::string_view::npos) arrow.insert(arrow.begin(), '-');
    };
    for (const OutputRow& row : rows) {
        for (std::size_t k : written) {
            if (row.mine >= 0) lengthen(diff.MineAt(row.mine, k));
            if (row.other >= 0) lengthen(diff.OtherAt(row.other, k));
        }
    }

    std::vector<std::vector<std::string>> lines;
    bool schemaChanged = false;
    std::vector<std::string> schema{"!"}, headings{"@@"};
    for (std::size_t k : written) {
        const ComparedColumn& column = diff.Columns()[k];
        schema.push_back(column.other < 0 ? "+++" : column.mine < 0 ? "---" : "");
        schemaChanged = schemaChanged || column.other < 0 || column.mine < 0;
        headings.push_back(column.heading);
    }
    if (schemaChanged) lines.push_back(std::move(schema));
    lines.push_back(std::move(headings));
    // A column only one game has is added or dropped whole by the "!" row: its
    // cells are plain values, and only columns of both games change a cell.
    const auto changedAt = [&](const OutputRow& row, std::size_t k) {
        const ComparedColumn& column = diff.Columns()[k];
        return row.mine >= 0 && column.mine >= 0 && column.other >= 0 && diff.ChangedAt(row.mine, k);
    };
    for (const OutputRow& row : rows) {
        std::vector<std::string> line;
        line.reserve(written.size() + 1);
        bool changed = false;
        for (std::size_t k : written) changed = changed || changedAt(row, k);
        line.push_back(changed                            ? arrow
                       : row.change == RowChange::Added   ? "+++"
                       : row.change == RowChange::Removed ? "---"
                                                          : "");
        for (std::size_t k : written) {
            if (changedAt(row, k)) {
                line.push_back(QuoteForDiff(diff.OtherAt(row.other, k)) + arrow +
                               QuoteForDiff(diff.MineAt(row.mine, k)));
            } else {
                line.push_back(QuoteForDiff(TextAt(diff, row, k)));
            }
        }
        lines.push_back(std::move(line));
    }

    TableSlice slice;
    slice.headings.assign(lines.front().begin(), lines.front().end());
    slice.rowCount = lines.size() - 1;
    slice.cell = [&](std::size_t r, std::size_t c) { return std::string_view(lines[r + 1][c]); };
    // A patch carries the values as they are: no cell is guarded as a formula.
    WriteFormatted(ExportFormat::Csv, slice, sink, {.csvFormulas = true});
}

}  // namespace lorvex
