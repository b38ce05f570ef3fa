#pragma once
// Writes the table as delimited text: header, the headings of the included
// columns, one row delimiter and the cells per exported row, then the trailer.
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "export/TableFormats.h"
#include "table/TableListCtrl.h"

namespace lorvex {

struct ExportSettings {
    std::string fileName = "DavuveRadev.dat";
    std::string columnDelimiter = "\t";
    std::string rowDelimiter = "\n";
    std::string header;
    std::string trailer;
    bool includeCollapsed = false;
    bool onlyHighlighted = false;
    // The delimited text above, or one of the formats that quote and escape
    // (they ignore the delimiters, header and trailer).
    ExportFormat format = ExportFormat::Delimited;
    // CSV cells that a spreadsheet would run as formulas are kept as they are
    // instead of being written behind a '.
    bool csvFormulas = false;
    // Delimited text whose header, delimiters and trailer make an HTML table:
    // headings and cells are written with & < > as entities, the rest as typed.
    bool escapeHtmlCells = false;
    // When not empty, exactly these columns in this order, collapsed or not.
    std::vector<int> columns;
};

// The columns an export writes, in order: the chosen list, or every column
// that is not collapsed (all of them when collapsed ones are included).
std::vector<int> ExportedColumns(const TableListCtrl& table, const ExportSettings& settings);

// The column whose heading equals text without regard to the case of A-Z; -1 when none does.
int FindColumnByHeading(const TableListCtrl& table, std::string_view text);

// Hands the export's pieces to sink in file order: header, headings, each
// exported row (its row delimiter first), trailer. Line feeds are left as they
// are; the file writer stores each as CR LF. For the other formats the pieces
// are the file's exact bytes.
void ForEachExportPiece(const TableListCtrl& table, const ExportSettings& settings,
                        const std::function<void(std::string_view)>& sink);

// Writes the pieces make hands out to an open stream byte for byte (a
// changelog, a diff). False when a write failed.
using PieceSink = std::function<void(std::string_view)>;
bool WritePiecesTo(std::FILE* out, const std::function<void(const PieceSink&)>& make);

// Writes the whole export to an open stream: delimited text with each LF
// stored as CR LF, the other formats byte for byte. False when a write failed.
bool WriteExportTo(const TableListCtrl& table, const ExportSettings& settings, std::FILE* out);

// Writes the export to the named file through platform::SaveFile: a regular
// file is replaced only when everything was written, a device or a pipe is
// written where it is. False when the file could not be created or written,
// with the reason in error (when given); on success writtenPath (when given)
// receives the full path of the file written.
bool WriteExport(const TableListCtrl& table, const ExportSettings& settings, std::string* writtenPath = nullptr,
                 std::string* error = nullptr);

}  // namespace lorvex
