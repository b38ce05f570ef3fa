#include "load/RecordParser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "load/PostfixEquation.h"
#include "platform/AsciiText.h"
#include "platform/NumberFormat.h"

namespace lorvex {
namespace {

constexpr const char* kLocationSeparator = "  ::  ";
constexpr const char* kBadEquation = "Bad Equation";

// One name that a configured column matches against a record key.
struct Matcher {
    const char* name;
    std::uint32_t length;
    std::uint32_t hash;  // of the name with A-Z folded: every key it matches has the same
    std::int32_t column;
    std::int32_t entry;  // MultiBool and Math: index into names; otherwise -1
    ColumnType type;
};

// A key matches a name only when both read the same with A-Z folded, so a
// hash of the folded text narrows the names to try without changing the rule.
std::uint32_t FoldedHash(const char* text, std::size_t length) {
    std::uint32_t h = 2166136261u;
    for (std::size_t i = 0; i < length; ++i)
        h = (h ^ static_cast<unsigned char>(platform::FoldAscii(text[i]))) * 16777619u;
    return h;
}

int ColumnPrecision(const ColumnDef& def) {
    const int precision = platform::FormatPrecision(def.texts[0].c_str(), ColumnDef::kMaxDecimals);
    return precision < 0 ? 4 : precision;
}

void FormatTrimmed(std::string& out, int precision, double value) {
    platform::FormatFixed(out, precision, value);
    platform::TrimNumber(out);
}

std::int32_t RoundSymbol(float value) {
    // Half up, then toward zero: -0.7 gives 0 and 0.6 gives 1.
    const double v = static_cast<double>(value) + 0.5;
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return INT32_MAX;
    if (v <= -2147483648.0) return INT32_MIN;
    return static_cast<std::int32_t>(v);
}

void AppendDecimal(std::string& out, std::int64_t value) {
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

// Everything one file's parse needs to know about the columns, worked out once.
class RecordWriter {
public:
    RecordWriter(LoadState& state, TdfReader& reader, TableData& table)
        : state_(state), reader_(reader), table_(table) {
        configured_ = std::clamp(state.locationColumn, 0, LoadState::kMaxColumns);
        for (int c = 0; c < configured_; ++c) {
            ColumnDef& def = state.columns[c];
            const auto type = static_cast<ColumnType>(def.type);
            if (type == ColumnType::Numeric || type == ColumnType::Math) precision_[c] = ColumnPrecision(def);
            switch (type) {
                case ColumnType::MultiBool:
                case ColumnType::Math: {
                    const int limit = type == ColumnType::Math ? ColumnDef::kMaxOperands : ColumnDef::kMaxEntries;
                    const int count = std::clamp(def.count, 0, limit);
                    for (int i = 0; i < count; ++i) AddMatcher(def.names[i], c, i, type);
                    finishing_.push_back(c);
                    break;
                }
                case ColumnType::Numeric:
                case ColumnType::String:
                case ColumnType::Boolean:
                case ColumnType::Symbolic: AddMatcher(def.tag, c, -1, type); break;
                default: break;  // a header text column claims no key
            }
        }
        std::stable_sort(matchers_.begin(), matchers_.end(), [](const Matcher& a, const Matcher& b) {
            return (a.hash & (kBuckets - 1)) < (b.hash & (kBuckets - 1));
        });
        // bucket_[b] .. bucket_[b + 1] are the matchers whose folded hash falls in bucket b.
        std::size_t m = 0;
        for (std::size_t b = 0; b < kBuckets; ++b) {
            bucket_[b] = static_cast<std::uint32_t>(m);
            while (m < matchers_.size() && (matchers_[m].hash & (kBuckets - 1)) == b) ++m;
        }
        bucket_[kBuckets] = static_cast<std::uint32_t>(m);
        RefreshExtraLengths();
    }

    bool StartRow(const std::string& location) {
        row_ = table_.AppendRow("...");
        if (row_ < 0) return false;
        table_.SetCell(row_, state_.locationColumn, location);
        text_.clear();
        AppendDecimal(text_, reader_.EntryLine());
        table_.SetCell(row_, state_.locationColumn + 1, text_);
        if (state_.headerTextColumn >= 0 && state_.headerTextColumn < configured_)
            table_.SetCell(row_, state_.headerTextColumn, reader_.BlockName());
        return true;
    }

    void ResetRecordValues() {
        for (int c : finishing_) {
            ColumnDef& def = state_.columns[c];
            if (static_cast<ColumnType>(def.type) == ColumnType::MultiBool) {
                for (int i = 0; i < std::clamp(def.count, 0, ColumnDef::kMaxEntries); ++i) def.values[i] = 0.0f;
            } else {
                for (int i = 0; i < std::clamp(def.count, 0, ColumnDef::kMaxOperands); ++i) def.work[i] = def.values[i];
            }
        }
    }

    void KeyValue(int depth) {
        const char* key = reader_.Key();
        const std::size_t length = std::strlen(key);
        bool claimed = false;
        if (length < ColumnDef::kNameSize) {
            const std::string_view keyView(key, length);
            const std::uint32_t hash = FoldedHash(key, length);
            const std::size_t b = hash & (kBuckets - 1);
            for (std::uint32_t m = bucket_[b]; m < bucket_[b + 1]; ++m) {
                const Matcher& match = matchers_[m];
                if (match.hash != hash || match.length != length) continue;
                if (!TdfNameEquals(std::string_view(match.name, match.length), keyView)) continue;
                claimed = true;
                Claim(match);
            }
        }
        if (!claimed && depth <= state_.showUnusedTags) Unclaimed(key, length);
    }

    void FinishRow() {
        for (int c : finishing_) {
            ColumnDef& def = state_.columns[c];
            if (static_cast<ColumnType>(def.type) == ColumnType::MultiBool) {
                text_.clear();
                bool first = true;
                for (int i = 0; i < std::clamp(def.count, 0, ColumnDef::kMaxEntries); ++i) {
                    if (def.values[i] == 0.0f) continue;
                    if (!first) text_ += ",  ";
                    text_ += def.texts[i];
                    first = false;
                }
                table_.SetCell(row_, c, text_);
            } else {
                Evaluate(def, c);
            }
        }
    }

private:
    void AddMatcher(const char* name, int column, int entry, ColumnType type) {
        const std::size_t length = strnlen(name, ColumnDef::kNameSize);
        if (length >= ColumnDef::kNameSize) return;  // not terminated: matches nothing
        matchers_.push_back(
            Matcher{name, static_cast<std::uint32_t>(length), FoldedHash(name, length), column, entry, type});
    }

    void RefreshExtraLengths() {
        extras_.clear();
        std::fill(std::begin(extraHead_), std::end(extraHead_), -1);
        std::fill(std::begin(extraTail_), std::end(extraTail_), -1);
        const int end = std::min(state_.columnCount, LoadState::kMaxColumns);
        for (int c = std::max(state_.firstExtraColumn, 0); c < end; ++c) AddExtra(c);
    }

    // Columns for unclaimed keys, chained by the folded hash of their tag (stored
    // folded, so a key's folded hash equals its column's), in column order.
    void AddExtra(int column) {
        const char* tag = state_.columns[column].tag;
        const std::size_t length = strnlen(tag, ColumnDef::kNameSize);
        const std::uint32_t hash = FoldedHash(tag, length);
        const auto index = static_cast<std::int32_t>(extras_.size());
        extras_.push_back(Extra{static_cast<std::uint32_t>(length), hash, column, -1});
        const std::size_t b = hash & (kExtraBuckets - 1);
        if (extraTail_[b] < 0)
            extraHead_[b] = index;
        else
            extras_[static_cast<std::size_t>(extraTail_[b])].next = index;
        extraTail_[b] = index;
    }

    void Claim(const Matcher& match) {
        ColumnDef& def = state_.columns[match.column];
        switch (match.type) {
            case ColumnType::MultiBool:
                if (reader_.ValueInt() != 0) def.values[match.entry] = 1.0f;
                break;
            case ColumnType::Math: def.work[match.entry] = reader_.ValueFloat(); break;
            case ColumnType::Numeric:
                FormatTrimmed(text_, precision_[match.column], reader_.ValueFloat());
                table_.SetCell(row_, match.column, text_);
                break;
            case ColumnType::String: table_.SetCell(row_, match.column, reader_.ValueText()); break;
            case ColumnType::Boolean:
                table_.SetCell(row_, match.column, def.texts[reader_.ValueInt() != 0 ? 1 : 0]);
                break;
            case ColumnType::Symbolic: {
                const std::int32_t n = RoundSymbol(reader_.ValueFloat());
                const int count = std::clamp(def.count, 0, ColumnDef::kMaxEntries);
                for (int i = 0; i < count; ++i) {
                    if (def.values[i] == static_cast<float>(n)) {
                        table_.SetCell(row_, match.column, def.texts[i]);
                        return;
                    }
                }
                text_.clear();
                AppendDecimal(text_, n);
                table_.SetCell(row_, match.column, text_);
                break;
            }
            default: break;
        }
    }

    void Unclaimed(const char* key, std::size_t length) {
        // An added column keeps the key cut to its field; longer keys match by that much.
        const std::size_t kept = std::min<std::size_t>(length, ColumnDef::kNameSize - 1);
        const std::string_view keyView(key, kept);
        const int first = std::max(state_.firstExtraColumn, 0);
        const std::uint32_t hash = FoldedHash(key, kept);
        for (std::int32_t i = extraHead_[hash & (kExtraBuckets - 1)]; i >= 0;
             i = extras_[static_cast<std::size_t>(i)].next) {
            const Extra& extra = extras_[static_cast<std::size_t>(i)];
            if (extra.length != kept || extra.hash != hash) continue;
            if (!TdfNameEquals(std::string_view(state_.columns[extra.column].tag, kept), keyView)) continue;
            table_.SetCell(row_, extra.column, reader_.ValueText());
            return;
        }
        if (state_.columnCount >= LoadState::kMaxColumns || state_.columnCount < first) return;
        const int c = state_.columnCount;
        table_.InsertColumn(c, std::string_view(key, length), Align::Center, 0);
        CopyName(state_.columns[c].tag, key);
        platform::FoldAsciiInPlace(state_.columns[c].tag);
        ++state_.columnCount;
        AddExtra(c);
        table_.SetCell(row_, c, reader_.ValueText());
    }

    void Evaluate(ColumnDef& def, int column) {
        const EquationResult result =
            EvaluatePostfix(def.tag, ColumnDef::kNameSize, def.work, std::clamp(def.count, 0, ColumnDef::kMaxOperands));
        if (result.outcome == EquationOutcome::Value) {
            FormatTrimmed(text_, precision_[column], result.value);
            table_.SetCell(row_, column, text_);
        } else if (result.outcome == EquationOutcome::Bad) {
            table_.SetCell(row_, column, kBadEquation);
        }
    }

    LoadState& state_;
    TdfReader& reader_;
    TableData& table_;
    int configured_ = 0;
    int row_ = -1;
    int precision_[LoadState::kMaxColumns] = {};
    std::vector<Matcher> matchers_;
    // More buckets than any configuration has names (128 columns of at most 16).
    static constexpr std::size_t kBuckets = 4096;
    std::uint32_t bucket_[kBuckets + 1] = {};
    std::vector<int> finishing_;  // MultiBool and Math columns, in order
    struct Extra {
        std::uint32_t length;
        std::uint32_t hash;
        std::int32_t column;
        std::int32_t next;  // the next entry of the same bucket, -1 for none
    };
    static constexpr std::size_t kExtraBuckets = 256;
    std::vector<Extra> extras_;
    std::int32_t extraHead_[kExtraBuckets] = {};
    std::int32_t extraTail_[kExtraBuckets] = {};
    std::string text_;  // reused for every formatted cell
};

}  // namespace

namespace {

// The rows of the file the reader has just opened.
bool ParseOpened(LoadState& state, TdfReader& reader, TableData& table, std::string_view entryName,
                 std::string_view archivePath, int pairIndex, std::size_t rowLimit) {
    // The same location for every record of the file. The archive path's
    // leading "..\" is dropped; a path without it is shown whole.
    std::string location;
    std::string_view archive = archivePath;
    if (archive.substr(0, 3) == "..\\") archive.remove_prefix(3);
    location.reserve(archive.size() + entryName.size() + 40);
    location.append(archive).append(kLocationSeparator);
    if (state.indexedKeys && pairIndex >= 0 && pairIndex < LoadState::kPairs)
        location.append(state.hpiFolders[pairIndex]).append("\\");
    location.append(entryName);

    RecordWriter writer(state, reader, table);
    TdfResult r = reader.NextEntry();
    bool whole = true;
    for (;;) {
        while (r != TdfResult::BlockOpen && r != TdfResult::End) r = reader.NextEntry();
        if (r == TdfResult::End) break;
        if (static_cast<std::size_t>(table.RowCount()) >= rowLimit) {
            whole = false;
            break;
        }
        if (!writer.StartRow(location)) break;
        r = reader.NextEntry();
        writer.ResetRecordValues();
        int depth = 1;
        while (depth >= 1 && r != TdfResult::End) {
            switch (r) {
                case TdfResult::KeyValue: writer.KeyValue(depth); break;
                case TdfResult::BlockOpen: ++depth; break;
                case TdfResult::BlockClose: --depth; break;
                default: break;
            }
            r = reader.NextEntry();
        }
        writer.FinishRow();
    }
    reader.Close();
    return whole;
}

}  // namespace

void ParseRecordFile(LoadState& state, TdfReader& reader, TableData& table, std::string_view entryName,
                     std::string_view scratchPath, std::string_view archivePath, int pairIndex) {
    if (!reader.Open(scratchPath)) {
        reader.Close();
        return;
    }
    ParseOpened(state, reader, table, entryName, archivePath, pairIndex, SIZE_MAX);
}

bool ParseRecordText(LoadState& state, TdfReader& reader, TableData& table, std::string_view entryName,
                     std::string_view text, std::string_view archivePath, int pairIndex, std::size_t rowLimit) {
    reader.OpenMemory(text);
    return ParseOpened(state, reader, table, entryName, archivePath, pairIndex, rowLimit);
}

}  // namespace lorvex
