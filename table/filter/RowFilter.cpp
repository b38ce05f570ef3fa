#include "table/filter/RowFilter.h"

#include <charconv>

#include "table/TableListCtrl.h"

namespace lorvex {
namespace {

// The cells are Windows-1252 bytes: A-Z and the accented capitals fold.
unsigned char FoldByte(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return static_cast<unsigned char>(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<unsigned char>(c + 32);
    return c;
}

std::string Fold(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(FoldByte(static_cast<unsigned char>(c)));
    return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsOpChar(char c) { return c == '=' || c == '!' || c == '<' || c == '>' || c == '~'; }

struct Token {
    enum Kind { Word, Quoted, Op, Minus } kind = Word;
    std::string text;
};

// "or" and "not" are words of the language only where a term may start and
// no operator follows: a column headed "Not" is still "Not = 3", and quoting
// searches for the word itself.
bool IsKeyword(const Token& t, const Token* next, std::string_view keyword) {
    return t.kind == Token::Word && (next == nullptr || next->kind != Token::Op) && Fold(t.text) == keyword;
}

const char* OpText(FilterOp op) {
    switch (op) {
        case FilterOp::Equal: return "=";
        case FilterOp::NotEqual: return "!=";
        case FilterOp::Less: return "<";
        case FilterOp::LessEqual: return "<=";
        case FilterOp::Greater: return ">";
        case FilterOp::GreaterEqual: return ">=";
        case FilterOp::Contains: return "~";
        default: return "";
    }
}

bool ReadOp(std::string_view text, FilterOp* op) {
    for (FilterOp o : {FilterOp::Equal, FilterOp::NotEqual, FilterOp::Less, FilterOp::LessEqual, FilterOp::Greater,
                       FilterOp::GreaterEqual, FilterOp::Contains})
        if (text == OpText(o)) {
            *op = o;
            return true;
        }
    return false;
}

// Splits expr into words, quoted texts and operators; false with a message
// for an unclosed quote or an operator that is none.
bool Tokenize(std::string_view expr, std::vector<Token>* tokens, std::string* error) {
    std::size_t i = 0;
    while (i < expr.size()) {
        if (IsBlank(expr[i])) {
            ++i;
        } else if (expr[i] == '"') {
            const std::size_t close = expr.find('"', i + 1);
            if (close == std::string_view::npos) {
                *error = "A quote is not closed: " + std::string(expr.substr(i));
                return false;
            }
            tokens->push_back({Token::Quoted, std::string(expr.substr(i + 1, close - i - 1))});
            i = close + 1;
        } else if (expr[i] == '-' && (tokens->empty() || tokens->back().kind != Token::Op)) {
            // Where a term starts, a minus negates it; after an operator it
            // belongs to the value ("Speed > -1").
            tokens->push_back({Token::Minus, "-"});
            ++i;
        } else if (IsOpChar(expr[i])) {
            std::size_t end = i + 1;
            while (end < expr.size() && IsOpChar(expr[end])) ++end;
            const std::string op(expr.substr(i, end - i));
            FilterOp unused;
            if (!ReadOp(op, &unused)) {
                *error = "\"" + op + "\" is no operator; use = != < <= > >= or ~";
                return false;
            }
            tokens->push_back({Token::Op, op});
            i = end;
        } else {
            std::size_t end = i;
            while (end < expr.size() && !IsBlank(expr[end]) && expr[end] != '"' && !IsOpChar(expr[end])) ++end;
            tokens->push_back({Token::Word, std::string(expr.substr(i, end - i))});
            i = end;
        }
    }
    return true;
}

int CompareText(std::string_view a, std::string_view b) {
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = FoldByte(static_cast<unsigned char>(a[i]));
        const unsigned char y = FoldByte(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

bool ContainsFolded(std::string_view cell, const std::string& foldedValue) {
    if (foldedValue.empty()) return true;
    if (cell.size() < foldedValue.size()) return false;
    for (std::size_t start = 0; start + foldedValue.size() <= cell.size(); ++start) {
        std::size_t k = 0;
        while (k < foldedValue.size() &&
               FoldByte(static_cast<unsigned char>(cell[start + k])) == static_cast<unsigned char>(foldedValue[k]))
            ++k;
        if (k == foldedValue.size()) return true;
    }
    return false;
}

bool Holds(FilterOp op, int order) {
    switch (op) {
        case FilterOp::Equal: return order == 0;
        case FilterOp::NotEqual: return order != 0;
        case FilterOp::Less: return order < 0;
        case FilterOp::LessEqual: return order <= 0;
        case FilterOp::Greater: return order > 0;
        case FilterOp::GreaterEqual: return order >= 0;
        default: return false;
    }
}

bool IsOrdering(FilterOp op) {
    return op == FilterOp::Less || op == FilterOp::LessEqual || op == FilterOp::Greater || op == FilterOp::GreaterEqual;
}

}  // namespace

bool ReadFilterNumber(std::string_view text, double* number) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    // Digits must lead (after a sign): "inf", "nan" and hex are texts here.
    const std::size_t lead = !text.empty() && text.front() == '-' ? 1 : 0;
    if (text.size() <= lead) return false;
    const char c = text[lead];
    if (!(c >= '0' && c <= '9') && c != '.') return false;
    if (text.size() > lead + 1 && c == '0' && (text[lead + 1] == 'x' || text[lead + 1] == 'X')) return false;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::general);
    if (ec != std::errc() || end != text.data() + text.size()) return false;
    *number = value;
    return true;
}

struct FilterParser {
    static FilterParse Parse(std::string_view expr, const TableData& table, FilterOptions options) {
        FilterParse result;
        std::vector<Token> tokens;
        if (!Tokenize(expr, &tokens, &result.error)) return result;
        RowFilter& filter = result.filter;
        const Token* negation = nullptr;  // the last "not" or "-" still waiting for its term
        bool negated = false;
        const Token* pendingOr = nullptr;
        for (std::size_t i = 0; i < tokens.size(); ++i) {
            const Token& t = tokens[i];
            const Token* next = i + 1 < tokens.size() ? &tokens[i + 1] : nullptr;
            if (t.kind == Token::Op) {
                result.error = "\"" + t.text + "\" needs a column heading before it";
                break;
            }
            if (t.kind == Token::Minus || IsKeyword(t, next, "not")) {
                negation = &t;
                negated = !negated;
                continue;
            }
            if (IsKeyword(t, next, "or")) {
                if (negation != nullptr) {
                    result.error = "\"" + negation->text + "\" needs a term after it";
                    break;
                }
                if (filter.terms_.empty() || pendingOr != nullptr) {
                    result.error = "\"" + t.text + "\" needs a term on each side";
                    break;
                }
                pendingOr = &t;
                continue;
            }
            FilterTerm term;
            term.negated = negated;
            term.startsAlternative = pendingOr != nullptr;
            negation = pendingOr = nullptr;
            negated = false;
            if (i + 1 < tokens.size() && tokens[i + 1].kind == Token::Op) {
                ReadOp(tokens[i + 1].text, &term.op);
                if (i + 2 >= tokens.size() || tokens[i + 2].kind == Token::Op) {
                    result.error = "\"" + t.text + " " + tokens[i + 1].text + "\" needs a value after it";
                    break;
                }
                const std::string heading = Fold(t.text);
                for (int c = 0; c < table.ColumnCount() && term.column < 0; ++c)
                    if (Fold(table.Column(c).heading) == heading) term.column = c;
                if (term.column < 0) {
                    result.error = "No column is headed \"" + t.text + "\"";
                    break;
                }
                term.value = tokens[i + 2].text;
                i += 2;
            } else {
                term.value = t.text;
            }
            term.folded = Fold(term.value);
            term.numeric = ReadFilterNumber(term.value, &term.number);
            filter.terms_.push_back(std::move(term));
        }
        if (result.error.empty() && negation != nullptr)
            result.error = "\"" + negation->text + "\" needs a term after it";
        else if (result.error.empty() && pendingOr != nullptr)
            result.error = "\"" + pendingOr->text + "\" needs a term on each side";
        if (!result.error.empty()) {
            filter.terms_.clear();
            return result;
        }
        for (int c = 0; c < table.ColumnCount(); ++c)
            if (options.searchCollapsed || table.ColumnWidth(c) > TableListCtrl::kCollapsedLimit)
                filter.searched_.push_back(c);
        return result;
    }
};

FilterParse RowFilter::Parse(std::string_view expr, const TableData& table, FilterOptions options) {
    return FilterParser::Parse(expr, table, options);
}

bool RowFilter::Matches(const TableData& table, int row) const {
    // Runs of terms joined by "or": the row is in when every term of one run holds.
    bool runHolds = true;
    for (const FilterTerm& term : terms_) {
        if (term.startsAlternative) {
            if (runHolds) return true;
            runHolds = true;
        } else if (!runHolds) {
            continue;  // this run has failed already; look for the next "or"
        }
        bool holds = false;
        if (term.op == FilterOp::Anywhere) {
            for (int c : searched_)
                if (ContainsFolded(table.Cell(row, c), term.folded)) {
                    holds = true;
                    break;
                }
        } else {
            const std::string_view cell = table.Cell(row, term.column);
            if (term.op == FilterOp::Contains) {
                holds = ContainsFolded(cell, term.folded);
            } else {
                double number = 0.0;
                const bool cellNumeric = term.numeric && ReadFilterNumber(cell, &number);
                if (cellNumeric)
                    holds = Holds(term.op, number < term.number ? -1 : (number > term.number ? 1 : 0));
                else if (!term.numeric || !IsOrdering(term.op))
                    holds = Holds(term.op, CompareText(cell, term.value));
                // else: a text or an empty cell is neither below nor above a number
            }
        }
        runHolds = holds != term.negated;
    }
    return runHolds;
}

int ApplyFilter(TableData& table, const RowFilter& filter) {
    NotifyHold hold(table);
    for (int r = 0; r < table.RowCount(); ++r) table.SetHidden(r, !filter.Matches(table, r));
    return table.ShownCount();
}

}  // namespace lorvex
