#pragma once
// What editing a cell means for each kind of column: which key of the record
// file it writes, what the editor starts from (the value as the file writes
// it, not the rounded cell), what an answer writes, and why the columns that
// show no single written value cannot be edited.
#include <string>
#include <string_view>
#include <vector>

#include "config/LoadState.h"
#include "edit/EditSession.h"

namespace lorvex {

enum class CellEditKind {
    NotEditable,
    Number,  // a line editor that takes only what the record values read as a number
    Text,    // a line editor
    Choice,  // one of choices (Boolean, Symbolic)
    Flags,   // any set of choices (MultiBool)
};

struct CellEditor {
    CellEditKind kind = CellEditKind::NotEditable;
    std::string reason;                // NotEditable: one line for the status line
    std::string startText;             // Number, Text: the value as written, empty when absent
    std::vector<std::string> choices;  // Choice: the column's texts; Flags: the flags' texts
    int chosen = -1;                   // Choice: the current one, -1 when none is
    std::vector<bool> flags;           // Flags: which are set now
};

// The user's answer: text for Number and Text, choice for Choice, flags for Flags.
struct CellAnswer {
    std::string text;
    int choice = -1;
    std::vector<bool> flags;
};

// column is the load's column index (as LoadState numbers them); fileText is
// the current text of the row's record file and blockLine its "Line #".
CellEditor DescribeCellEdit(const LoadState& state, int column, std::string_view fileText, int blockLine);

// The writes an answer makes; problem (and no writes) when the answer is not
// acceptable for the column. No writes and no problem: nothing changes.
struct CellWrites {
    std::vector<ValueWrite> writes;
    std::string problem;
};
// The keys a load column reads its cell from, as the configuration spells them
// (an unclaimed key's column: its key); none for the columns that are no value.
std::vector<std::string> KeysOfColumn(const LoadState& state, int column);

CellWrites WritesForAnswer(const LoadState& state, int column, const CellAnswer& answer, std::string_view fileText,
                           int blockLine);

}  // namespace lorvex
