#pragma once
// The data listing's work without a window: which scratch file and line a
// row's "Located In" and "Line #" cells name, and the record's text read back
// from that file, from its header line to the line that closes its outermost block.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "table/TableListCtrl.h"

namespace lorvex {

// The row's cells are read into buffers of these sizes (at most size - 1 characters).
inline constexpr std::size_t kListingLocationBuffer = 501;
inline constexpr std::size_t kListingLineNumberBuffer = 31;
// Lines are read in pieces of at most kListingReadBuffer - 1 characters.
inline constexpr std::size_t kListingReadBuffer = 1023;

// The record file's name in a location text: after the first colon, every
// colon and blank skipped, the part after the last backslash. Empty when the
// text has no colon or no name follows.
std::string ListingFileName(std::string_view location);

// A "Line #" text as a whole number: leading white space, an optional sign,
// decimal digits up to the first other character. Saturates instead of overflowing.
std::int32_t ListingLineNumber(std::string_view text);

struct RecordListing {
    bool opened = false;  // the file could be opened; otherwise the text is empty
    std::string text;     // each line shown followed by CR LF
};

// Reads the record that starts at lineNumber (counted from 1) from the file
// at pathText. A line number below 1, or one past the end of the file, gives
// an opened listing with no text.
RecordListing ReadRecordListing(std::string_view pathText, std::int32_t lineNumber);

// Where "Located In" and "Line #" stand now for row. They are found by their
// column kinds (and the location by its heading and a cell that names a
// file), so a listing still works after the user has moved columns; a table
// whose kinds say nothing falls back to locationColumn and the column after it.
struct ListingColumns {
    int location = -1;
    int line = -1;
};
ListingColumns FindListingColumns(const TableListCtrl& table, int locationColumn, int row);

struct ListingRequest {
    std::string path;      // "Lorvex temp\" and the file name
    std::string fileName;  // the path without the scratch folder
    std::int32_t lineNumber = 0;
};

// What a double-click on row asks for; false when the row does not exist or
// its location names no file.
bool ListingRequestForRow(const TableListCtrl& table, int locationColumn, int row, ListingRequest* request);

}  // namespace lorvex
