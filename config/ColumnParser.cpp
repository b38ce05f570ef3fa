#include "config/ColumnParser.h"

#include <cstring>
#include <string>

#include "platform/AsciiText.h"
#include "platform/ColumnKind.h"
#include "tdf/TdfNumber.h"

namespace lorvex {
namespace {

constexpr const char* kDefaultHeading = "................";
constexpr int kMaxTokens = ColumnDef::kNameSize - 1;

struct TypeInfo {
    const char* blockName;
    ColumnType type;
    ColumnAlign align;
    std::uint8_t kind;
};

// In the order in which a block name is tested.
constexpr TypeInfo kTypes[] = {
    {"numeric", ColumnType::Numeric, ColumnAlign::Right, ColumnKind::Of(Comparison::Number).Byte()},
    {"string", ColumnType::String, ColumnAlign::Left, ColumnKind::Of(Comparison::Folded, false, true).Byte()},
    {"boolean", ColumnType::Boolean, ColumnAlign::Center, ColumnKind::Of(Comparison::Folded, true).Byte()},
    {"headertext", ColumnType::HeaderText, ColumnAlign::Center, ColumnKind::Of(Comparison::Folded).Byte()},
    {"symbolic", ColumnType::Symbolic, ColumnAlign::Center, ColumnKind::Of(Comparison::Folded, false, true).Byte()},
    {"multibool", ColumnType::MultiBool, ColumnAlign::Left, ColumnKind::Of(Comparison::Folded, false, true).Byte()},
    {"math", ColumnType::Math, ColumnAlign::Right, ColumnKind::Of(Comparison::Number, true).Byte()},
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsOperator(char c) { return c == '+' || c == '-' || c == '*' || c == '/'; }

std::string NumberFormat(std::int32_t decimals) {
    if (decimals < 0) decimals = 0;
    if (decimals > ColumnDef::kMaxDecimals) decimals = ColumnDef::kMaxDecimals;
    return "%." + std::to_string(decimals) + "f";
}

// Compiles one postfix equation into column.tag (one character per token) and
// column.names / column.values (operand names as written, and defaults).
// Returns the number of operands taken.
int CompileEquation(ColumnDef& column, const char* text, const std::string& heading, platform::MessageSink& messages) {
    int operands = 0;
    int tokens = 0;
    column.tag[0] = '\0';
    const std::size_t length = std::strlen(text);
    std::size_t i = 0;
    while (i < length && IsBlank(text[i])) ++i;
    while (i < length && tokens < kMaxTokens) {
        const char c = text[i];
        if (IsOperator(c)) {
            column.tag[tokens++] = c;
            ++i;
        } else if (operands == ColumnDef::kMaxOperands) {
            messages.ShowMessage("Column " + heading + ": too many tags specifiedin equation (15 max)");
            break;
        } else {
            std::size_t end = i;
            while (end < length && !IsBlank(text[end]) && !IsOperator(text[end]) && text[end] != '(') ++end;
            char* name = column.names[operands];
            const std::size_t kept = std::min<std::size_t>(end - i, ColumnDef::kNameSize - 1);
            std::memcpy(name, text + i, kept);
            name[kept] = '\0';
            float defaultValue = 0.0f;
            if (end < length && text[end] == '(') {
                defaultValue = ReadTdfFloat(text + end + 1);
                const char* close = std::strchr(text + end + 1, ')');
                end = close ? static_cast<std::size_t>(close - text) + 1 : length;
            }
            column.values[operands] = defaultValue;
            column.tag[tokens++] = 'x';
            ++operands;
            i = end;
        }
        while (i < length && IsBlank(text[i])) ++i;
    }
    column.tag[tokens] = '\0';
    return operands;
}

}  // namespace

bool ParseColumnBlock(LoadState& state, TdfReader& reader, platform::MessageSink& messages, ListColumn& listColumn,
                      int index) {
    listColumn = ListColumn{};
    std::string heading = kDefaultHeading;
    std::int32_t width = 0;

    const TypeInfo* info = nullptr;
    for (const TypeInfo& t : kTypes) {
        if (TdfNameEquals(t.blockName, reader.BlockName())) {
            info = &t;
            break;
        }
    }
    if (!info || index < 0 || index >= LoadState::kMaxColumns) return false;

    ColumnDef& column = state.columns[index];
    const ColumnType type = info->type;
    column.type = static_cast<std::int32_t>(type);
    listColumn.kind = info->kind;
    // The definitions are reused from load to load: a block without a tag line
    // must not keep the tag of an earlier configuration.
    column.tag[0] = '\0';
    column.count = 0;
    if (type == ColumnType::Numeric || type == ColumnType::Math) column.decimals = 4;
    if (type == ColumnType::Boolean) {
        column.texts[0].clear();
        column.texts[1] = "X";
    }
    int entries = 0;   // symbol or tagfor lines taken
    int operands = 0;  // operands of the last equation

    const bool readsTag = type == ColumnType::Numeric || type == ColumnType::String || type == ColumnType::Boolean ||
                          type == ColumnType::Symbolic;
    const bool readsDecimals = type == ColumnType::Numeric || type == ColumnType::Math;

    for (;;) {
        const TdfResult r = reader.NextEntry();
        if (r == TdfResult::Other) continue;
        if (r != TdfResult::KeyValue) break;
        const std::string_view key = reader.Key();
        if (TdfNameEquals("width", key)) {
            width = reader.ValueInt();
        } else if (TdfNameEquals("name", key)) {
            heading = reader.ValueText();
        } else if (readsTag && TdfNameEquals("tag", key)) {
            CopyName(column.tag, reader.ValueText());
            platform::FoldAsciiInPlace(column.tag);
        } else if (type == ColumnType::Math && TdfNameEquals("equation", key)) {
            operands = CompileEquation(column, reader.ValueText(), heading, messages);
        } else if (readsDecimals && TdfNameEquals("decimals", key)) {
            column.decimals = reader.ValueInt();
        } else if (type == ColumnType::Symbolic && reader.KeyWithArgument("symbol")) {
            // Room for 16 symbols; later lines are dropped.
            if (entries < ColumnDef::kMaxEntries) {
                column.values[entries] = static_cast<float>(reader.ArgumentInt());
                column.texts[entries] = reader.ValueText();
                ++entries;
            }
        } else if (type == ColumnType::MultiBool && reader.KeyWithArgument("tagfor")) {
            if (entries >= ColumnDef::kMaxEntries) {
                messages.ShowMessage("Column " + heading + ": too many TagFor= lines specified(16 max)");
            } else {
                CopyName(column.names[entries], reader.ValueText());
                platform::FoldAsciiInPlace(column.names[entries]);
                column.texts[entries] = reader.Argument();
                ++entries;
            }
        }
    }

    switch (type) {
        case ColumnType::Numeric: column.texts[0] = NumberFormat(column.decimals); break;
        case ColumnType::HeaderText:
            if (state.headerTextColumn >= 0) return false;  // only the first one counts
            state.headerTextColumn = index;
            break;
        case ColumnType::Symbolic: column.count = entries; break;
        case ColumnType::MultiBool:
            if (entries == 0) return false;
            column.count = entries;
            break;
        case ColumnType::Math:
            if (operands == 0) return false;
            column.texts[0] = NumberFormat(column.decimals);
            column.count = operands;
            break;
        default: break;
    }
    listColumn.heading = std::move(heading);
    listColumn.align = info->align;
    listColumn.width = width;
    return true;
}

}  // namespace lorvex
