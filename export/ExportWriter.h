#pragma once
// Writes the table as delimited text: header, the headings of the included
// columns, one row delimiter and the cells per exported row, then the trailer.
#include <functional>
#include <string>
#include <string_view>

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
};

// Hands the export's pieces to sink in file order: header, headings, each
// exported row (its row delimiter first), trailer. Line feeds are left as they
// are; the file writer stores each as CR LF.
void ForEachExportPiece(const TableListCtrl& table, const ExportSettings& settings,
                        const std::function<void(std::string_view)>& sink);

// Writes the export into a temporary file beside the target and renames it into
// place only when everything was written, so a failed export never replaces a
// good file. False when the file could not be created or written.
bool WriteExport(const TableListCtrl& table, const ExportSettings& settings);

}  // namespace lorvex
