#include "edit/CellEdit.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "tdf/TdfEdit.h"
#include "tdf/TdfNumber.h"

namespace lorvex {
namespace {

constexpr const char* kLocationReason =
    "\"Located In\" tells where the record was found; it is not in the record file.";
constexpr const char* kLineReason = "\"Line #\" tells where the record starts in its file; it is not a value.";
constexpr const char* kHeaderReason = "The record's name is its block header; records are not renamed here.";
constexpr const char* kMathReason = "This column is computed by its equation: edit the values the equation reads.";
constexpr const char* kNoColumnReason = "There is no such column.";

enum class Role { Location, Line, Configured, Unclaimed, None };

Role RoleOf(const LoadState& state, int column) {
    if (column == state.locationColumn) return Role::Location;
    if (column == state.locationColumn + 1) return Role::Line;
    if (column < 0 || column >= state.columnCount || column >= LoadState::kMaxColumns) return Role::None;
    if (column < state.locationColumn) return Role::Configured;
    return column >= state.firstExtraColumn ? Role::Unclaimed : Role::None;
}

CellEditor NotEditable(const char* reason) {
    CellEditor editor;
    editor.reason = reason;
    return editor;
}

int Entries(const ColumnDef& def) { return std::clamp(def.count, 0, ColumnDef::kMaxEntries); }

// The symbol a value shows: rounded half up, then toward zero, as a load rounds it.
int SymbolOf(const ColumnDef& def, const std::string& value) {
    const double v = std::trunc(static_cast<double>(ReadTdfFloat(value.c_str())) + 0.5);
    for (int i = 0; i < Entries(def); ++i)
        if (static_cast<double>(def.values[i]) == v) return i;
    return -1;
}

bool FlagSet(std::string_view text, int blockLine, const char* key) {
    for (const TdfValueAt& at : TdfReadValues(text, blockLine, key, kTdfAnyDepth))
        if (ReadTdfInt(at.value.c_str()) != 0) return true;
    return false;
}

// Whole text read as a number, the way record values are read.
bool IsNumber(const std::string& text) {
    if (text.empty()) return false;
    const char* end = nullptr;
    const float value = ReadTdfFloat(text.c_str(), &end);
    return end == text.c_str() + text.size() && std::isfinite(value);
}

std::string IntegerText(float value) { return std::to_string(static_cast<long long>(value)); }

CellWrites Problem(std::string problem) { return {{}, std::move(problem)}; }

}  // namespace

CellEditor DescribeCellEdit(const LoadState& state, int column, std::string_view fileText, int blockLine) {
    switch (RoleOf(state, column)) {
        case Role::Location: return NotEditable(kLocationReason);
        case Role::Line: return NotEditable(kLineReason);
        case Role::None: return NotEditable(kNoColumnReason);
        case Role::Unclaimed: {
            CellEditor editor;
            editor.kind = CellEditKind::Text;
            const auto& tag = state.columns[static_cast<std::size_t>(column)].tag;
            editor.startText = TdfReadValue(fileText, blockLine, tag, state.showUnusedTags).value_or("");
            return editor;
        }
        case Role::Configured: break;
    }
    const ColumnDef& def = state.columns[static_cast<std::size_t>(column)];
    const std::string value = TdfReadValue(fileText, blockLine, def.tag, kTdfAnyDepth).value_or("");
    CellEditor editor;
    switch (static_cast<ColumnType>(def.type)) {
        case ColumnType::HeaderText: return NotEditable(kHeaderReason);
        case ColumnType::Math: return NotEditable(kMathReason);
        case ColumnType::Numeric:
            editor.kind = CellEditKind::Number;
            editor.startText = value;
            break;
        case ColumnType::String:
            editor.kind = CellEditKind::Text;
            editor.startText = value;
            break;
        case ColumnType::Boolean:
            editor.kind = CellEditKind::Choice;
            editor.choices = {def.texts[0], def.texts[1]};
            if (!value.empty()) editor.chosen = ReadTdfInt(value.c_str()) != 0 ? 1 : 0;
            break;
        case ColumnType::Symbolic:
            editor.kind = CellEditKind::Choice;
            editor.choices.assign(def.texts.begin(), def.texts.begin() + Entries(def));
            if (!value.empty()) editor.chosen = SymbolOf(def, value);
            break;
        case ColumnType::MultiBool:
            editor.kind = CellEditKind::Flags;
            for (int i = 0; i < Entries(def); ++i) {
                editor.choices.push_back(def.texts[i]);
                editor.flags.push_back(FlagSet(fileText, blockLine, def.names[i]));
            }
            break;
        default: return NotEditable(kNoColumnReason);
    }
    return editor;
}

std::vector<std::string> KeysOfColumn(const LoadState& state, int column) {
    const auto name = [](const char* field) { return std::string(field, strnlen(field, ColumnDef::kNameSize)); };
    const Role role = RoleOf(state, column);
    if (role != Role::Configured && role != Role::Unclaimed) return {};
    const ColumnDef& def = state.columns[static_cast<std::size_t>(column)];
    if (role == Role::Unclaimed) return {name(def.tag)};
    switch (static_cast<ColumnType>(def.type)) {
        case ColumnType::Numeric:
        case ColumnType::String:
        case ColumnType::Boolean:
        case ColumnType::Symbolic: return {name(def.tag)};
        case ColumnType::MultiBool: {
            std::vector<std::string> keys;
            for (int i = 0; i < Entries(def); ++i) keys.push_back(name(def.names[i]));
            return keys;
        }
        default: return {};  // block names and equations read no key of their own
    }
}

CellWrites WritesForAnswer(const LoadState& state, int column, const CellAnswer& answer, std::string_view fileText,
                           int blockLine) {
    const CellEditor editor = DescribeCellEdit(state, column, fileText, blockLine);
    const ColumnDef& def = state.columns[static_cast<std::size_t>(std::clamp(column, 0, LoadState::kMaxColumns - 1))];
    switch (editor.kind) {
        case CellEditKind::NotEditable: return Problem(editor.reason);
        case CellEditKind::Number:
            if (!IsNumber(answer.text)) return Problem("\"" + answer.text + "\" is not a number.");
            return {{ValueWrite{def.tag, answer.text}}, {}};
        case CellEditKind::Text:
            if (RoleOf(state, column) == Role::Unclaimed)
                return {{ValueWrite{def.tag, answer.text, state.showUnusedTags}}, {}};
            return {{ValueWrite{def.tag, answer.text}}, {}};
        case CellEditKind::Choice: {
            if (answer.choice < 0 || answer.choice >= static_cast<int>(editor.choices.size()))
                return Problem("Choose one of the column's values.");
            if (answer.choice == editor.chosen) return {};
            const bool boolean = static_cast<ColumnType>(def.type) == ColumnType::Boolean;
            const std::string number = boolean ? std::to_string(answer.choice) : IntegerText(def.values[answer.choice]);
            return {{ValueWrite{def.tag, number}}, {}};
        }
        case CellEditKind::Flags: {
            if (answer.flags.size() != editor.flags.size()) return Problem("Give every flag of the column.");
            CellWrites result;
            for (std::size_t i = 0; i < editor.flags.size(); ++i)
                if (answer.flags[i] != editor.flags[i])
                    result.writes.push_back({def.names[i], answer.flags[i] ? "1" : "0", kTdfAnyDepth, true});
            return result;
        }
    }
    return {};
}

}  // namespace lorvex
