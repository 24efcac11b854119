#include "DefinitionChecks.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>

namespace vornak {

namespace {

constexpr long long numberClamp = 1'000'000'000'000LL;
constexpr std::size_t none = std::string_view::npos;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

// Letters of names: ASCII, the underscore and the Cyrillic letters of Windows-1251 (with Ё and ё).
bool isLetter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || byte == '_' || byte >= 0xC0 ||
           byte == 0xA8 || byte == 0xB8;
}

bool isBlank(std::string_view text) {
    return std::all_of(text.begin(), text.end(), isSpace);
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && isSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && isSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) {
                   return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}

constexpr std::string_view functionNames[] = {"sin",  "cos", "tan", "cot",  "asin",  "acos", "atan",
                                              "sqrt", "exp", "abs", "ceil", "floor", "lg",   "ln"};

bool isFunctionName(std::string_view name) {
    return std::any_of(std::begin(functionNames), std::end(functionNames),
                       [name](std::string_view known) { return equalsIgnoringAsciiCase(name, known); });
}

bool isNumberedCodeLetter(char c) {
    return c == 'P' || c == 'R' || c == 'X' || c == 'N';
}

// Length of the number starting at text[pos] (digits with a decimal point or comma, an optional
// exponent), or 0 when none starts there.
std::size_t numberLength(std::string_view text, std::size_t pos) {
    std::size_t end = pos;
    std::size_t digits = 0;
    while (end < text.size() && isDigit(text[end])) {
        ++end;
        ++digits;
    }
    if (end < text.size() && (text[end] == '.' || text[end] == ',')) {
        std::size_t fraction = end + 1;
        while (fraction < text.size() && isDigit(text[fraction])) {
            ++fraction;
            ++digits;
        }
        if (digits > 0) {
            end = fraction;
        }
    }
    if (digits == 0) {
        return 0;
    }
    if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
        std::size_t exponent = end + 1;
        if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
            ++exponent;
        }
        if (exponent < text.size() && isDigit(text[exponent])) {
            while (exponent < text.size() && isDigit(text[exponent])) {
                ++exponent;
            }
            end = exponent;
        }
    }
    return end - pos;
}

// The position of the ")" that closes the "(" at text[open], or npos. Parentheses inside a quoted
// string do not count; a quotation mark that is never closed is taken as a plain character.
std::size_t matchingParenthesis(std::string_view text, std::size_t open) {
    int depth = 0;
    for (std::size_t pos = open; pos < text.size(); ++pos) {
        if (text[pos] == '"') {
            if (const std::size_t close = text.find('"', pos + 1); close != none) {
                pos = close;
            }
        } else if (text[pos] == '(') {
            ++depth;
        } else if (text[pos] == ')' && --depth == 0) {
            return pos;
        }
    }
    return none;
}

std::size_t skipSpaces(std::string_view text, std::size_t pos) {
    while (pos < text.size() && isSpace(text[pos])) {
        ++pos;
    }
    return pos;
}

// Parses "( n )" starting at text[pos] == '('. Returns the position after ')' or npos.
std::size_t parsePlainArgument(std::string_view text, std::size_t pos, long long& number,
                               std::size_t& digitsStart, std::size_t& digitsLength) {
    if (pos >= text.size() || text[pos] != '(') {
        return none;
    }
    pos = skipSpaces(text, pos + 1);
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    digitsStart = pos;
    long long value = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        if (value < numberClamp) {
            value = value * 10 + (text[pos] - '0');
        }
        ++pos;
    }
    if (pos == digitsStart) {
        return none;
    }
    digitsLength = pos - digitsStart;
    pos = skipSpaces(text, pos);
    if (pos >= text.size() || text[pos] != ')') {
        return none;
    }
    value = std::min(value, numberClamp);
    number = negative ? -value : value;
    return pos + 1;
}

// The syntax of one expression, read left to right with an explicit stack of open parentheses so
// that deep nesting cannot exhaust the call stack. Stops at the first mistake.
class ExpressionScanner {
public:
    ExpressionScanner(std::string_view text, std::size_t base, const TextLocation& where)
        : text_(text), base_(base), where_(where) {}

    std::optional<Finding> scan();

private:
    enum class Opener : std::uint8_t { Parenthesis, Function, Code };
    struct Open {
        Opener opener;
        std::size_t pos;         // of the "(" (or of the name or code before it)
        std::string_view name;   // the function or code, for FunctionWithoutArgument and the like
        std::size_t parenthesis; // position of the "("
    };

    Finding finding(FindingKind kind, std::size_t pos, std::string_view detail) const {
        return Finding{kind, where_, 0, std::string(detail), base_ + pos};
    }
    // Reads one operand that starts at pos_; returns a finding or nothing, and whether it opened
    // a parenthesis (so that an operand is still expected).
    std::optional<Finding> operand(bool& opened);
    std::optional<Finding> code(bool& opened);

    std::string_view text_;
    std::size_t base_;
    TextLocation where_;
    std::size_t pos_ = 0;
    std::vector<Open> open_;
};

std::optional<Finding> ExpressionScanner::scan() {
    bool expectOperand = true;
    bool justOpened = false;        // an operand is expected right after an opening parenthesis
    std::size_t operatorPos = none; // the operator (binary or sign) that waits for its operand
    for (;;) {
        pos_ = skipSpaces(text_, pos_);
        const bool atEnd = pos_ >= text_.size();
        const char c = atEnd ? '\0' : text_[pos_];
        if (expectOperand) {
            if (atEnd || c == ')') {
                if (operatorPos != none) {
                    return finding(FindingKind::MissingOperand, operatorPos, text_.substr(operatorPos, 1));
                }
                if (atEnd) {
                    if (open_.empty()) {
                        return std::nullopt; // a blank text: not a syntax matter
                    }
                    const Open& last = open_.back();
                    return finding(FindingKind::UnclosedParenthesis, last.parenthesis, "(");
                }
                if (justOpened) {
                    const Open& last = open_.back();
                    switch (last.opener) {
                    case Opener::Parenthesis:
                        return finding(FindingKind::EmptyParentheses, last.pos, "()");
                    case Opener::Function:
                        return finding(FindingKind::FunctionWithoutArgument, last.pos, last.name);
                    case Opener::Code:
                        return finding(FindingKind::CodeWithoutArgument, last.pos, last.name);
                    }
                }
                return finding(FindingKind::UnmatchedParenthesis, pos_, ")");
            }
            if (c == '+' || c == '-') {
                operatorPos = pos_++;
                justOpened = false;
                continue;
            }
            if (c == '*' || c == '/' || c == '^') {
                return finding(FindingKind::MissingOperand, pos_, text_.substr(pos_, 1));
            }
            bool opened = false;
            if (std::optional<Finding> mistake = operand(opened)) {
                return mistake;
            }
            operatorPos = none;
            justOpened = opened;
            expectOperand = opened;
            continue;
        }
        if (atEnd) {
            if (open_.empty()) {
                return std::nullopt;
            }
            return finding(FindingKind::UnclosedParenthesis, open_.back().parenthesis, "(");
        }
        if (c == ')') {
            if (open_.empty()) {
                return finding(FindingKind::UnmatchedParenthesis, pos_, ")");
            }
            open_.pop_back();
            ++pos_;
            continue;
        }
        if (c == '+' || c == '-' || c == '*' || c == '/' || c == '^') {
            operatorPos = pos_++;
            expectOperand = true;
            justOpened = false;
            continue;
        }
        if (isDigit(c) || c == '.' || c == '"' || c == '(' || c == '#' || isLetter(c)) {
            // The next operand's start: a word, number or code as far as it goes, else one character.
            std::size_t end = pos_ + 1;
            while (c != '(' && c != '"' && end < text_.size() &&
                   (isLetter(text_[end]) || isDigit(text_[end]))) {
                ++end;
            }
            return finding(FindingKind::MissingOperator, pos_, text_.substr(pos_, end - pos_));
        }
        return finding(FindingKind::UnexpectedCharacter, pos_, text_.substr(pos_, 1));
    }
}

std::optional<Finding> ExpressionScanner::operand(bool& opened) {
    const char c = text_[pos_];
    if (c == '(') {
        open_.push_back({Opener::Parenthesis, pos_, {}, pos_});
        ++pos_;
        opened = true;
        return std::nullopt;
    }
    if (c == '"') {
        const std::size_t close = text_.find('"', pos_ + 1);
        if (close == none) {
            return finding(FindingKind::UnclosedQuote, pos_, "\"");
        }
        pos_ = close + 1;
        return std::nullopt;
    }
    if (c == '#') {
        return code(opened);
    }
    if (const std::size_t length = numberLength(text_, pos_); length > 0) {
        pos_ += length;
        return std::nullopt;
    }
    if (isLetter(c)) {
        const std::size_t start = pos_;
        while (pos_ < text_.size() && (isLetter(text_[pos_]) || isDigit(text_[pos_]))) {
            ++pos_;
        }
        const std::string_view name = text_.substr(start, pos_ - start);
        const std::size_t after = skipSpaces(text_, pos_);
        const bool called = after < text_.size() && text_[after] == '(';
        if (isFunctionName(name)) {
            if (!called) {
                return finding(FindingKind::FunctionWithoutArgument, start, name);
            }
            open_.push_back({Opener::Function, start, name, after});
            pos_ = after + 1;
            opened = true;
            return std::nullopt;
        }
        if (called) {
            return finding(FindingKind::UnknownFunction, start, name);
        }
        if (!equalsIgnoringAsciiCase(name, "PI")) {
            return finding(FindingKind::UnknownName, start, name);
        }
        return std::nullopt;
    }
    return finding(FindingKind::UnexpectedCharacter, pos_, text_.substr(pos_, 1));
}

std::optional<Finding> ExpressionScanner::code(bool& opened) {
    const std::size_t start = pos_;
    const char letter = start + 1 < text_.size() ? text_[start + 1] : '\0';
    if (letter == 'S' || letter == 'T') {
        pos_ = start + 2;
        return std::nullopt;
    }
    if (!isNumberedCodeLetter(letter) && letter != 'I' && letter != 'C') {
        // "#" with what follows it, up to the end of a word.
        std::size_t end = start + 1;
        while (end < text_.size() && (isLetter(text_[end]) || isDigit(text_[end]))) {
            ++end;
        }
        return finding(FindingKind::UnknownCode, start,
                       text_.substr(start, std::max<std::size_t>(end - start, 1)));
    }
    const std::string_view name = text_.substr(start, 2);
    const std::size_t parenthesis = skipSpaces(text_, start + 2);
    if (parenthesis >= text_.size() || text_[parenthesis] != '(') {
        return finding(FindingKind::CodeWithoutArgument, start, name);
    }
    if (isNumberedCodeLetter(letter)) {
        open_.push_back({Opener::Code, start, name, parenthesis});
        pos_ = parenthesis + 1;
        opened = true;
        return std::nullopt;
    }
    // #I(Str) and #C(Str) take a string as written, up to the matching parenthesis.
    const std::size_t close = matchingParenthesis(text_, parenthesis);
    if (close == none) {
        return finding(FindingKind::UnclosedParenthesis, parenthesis, "(");
    }
    if (isBlank(text_.substr(parenthesis + 1, close - parenthesis - 1))) {
        return finding(FindingKind::CodeWithoutArgument, start, name);
    }
    pos_ = close + 1;
    return std::nullopt;
}

// Result texts: every code on its own; "#" before anything else is a plain character there.
void checkCodesInText(std::string_view text, const TextLocation& where, std::vector<Finding>& findings) {
    std::size_t pos = 0;
    while ((pos = text.find('#', pos)) != none) {
        const std::size_t start = pos;
        const char letter = start + 1 < text.size() ? text[start + 1] : '\0';
        pos = start + 1;
        if (letter == 'S' || letter == 'T') {
            continue;
        }
        if (!isNumberedCodeLetter(letter) && letter != 'I' && letter != 'C') {
            continue;
        }
        const std::string_view name = text.substr(start, 2);
        const std::size_t parenthesis = skipSpaces(text, start + 2);
        if (parenthesis >= text.size() || text[parenthesis] != '(') {
            findings.push_back({FindingKind::CodeWithoutArgument, where, 0, std::string(name), start});
            continue;
        }
        const std::size_t close = matchingParenthesis(text, parenthesis);
        if (close == none) {
            findings.push_back({FindingKind::UnclosedParenthesis, where, 0, "(", parenthesis});
            continue;
        }
        const std::string_view argument = text.substr(parenthesis + 1, close - parenthesis - 1);
        if (isBlank(argument)) {
            findings.push_back({FindingKind::CodeWithoutArgument, where, 0, std::string(name), start});
        } else if (isNumberedCodeLetter(letter)) {
            if (std::optional<Finding> mistake = ExpressionScanner(argument, parenthesis + 1, where).scan()) {
                findings.push_back(std::move(*mistake));
            }
        }
        pos = close + 1;
    }
}

void checkReferences(std::string_view text, const TextLocation& where, std::size_t parameterCount,
                     std::size_t resultCount, std::vector<Finding>& findings) {
    for (NumberedCode& code : findNumberedCodes(text)) {
        const bool namesResult = code.letter == 'X';
        const std::size_t count = namesResult ? resultCount : parameterCount;
        if (code.number < 1 || static_cast<unsigned long long>(code.number) > count) {
            findings.push_back(
                {namesResult ? FindingKind::CodeNamesNoResult : FindingKind::CodeNamesNoParameter, where,
                 code.number, std::move(code.text), code.offset});
        }
    }
}

TextLocation at(TextField field, std::size_t record, std::size_t row = 0) {
    return {field, static_cast<int>(record + 1), static_cast<int>(row)};
}

// Range tables: each bound a number, each range not empty, the ranges in rising order, touching
// without gaps or overlaps. Ranges that are not sound on their own stay out of the order checks.
void checkRanges(const ParameterRecord& parameter, std::size_t p, std::vector<Finding>& findings) {
    struct Range {
        double lower;
        double upper;
        std::size_t row; // 1-based
    };
    std::vector<Range> ranges;
    ranges.reserve(parameter.values.size());
    for (std::size_t v = 0; v < parameter.values.size(); ++v) {
        const ValueRow& row = parameter.values[v];
        Range range{0, 0, v + 1};
        const bool lowerOk = parseNumber(row.value, range.lower);
        const bool upperOk = parseNumber(row.upperBound, range.upper);
        if (!lowerOk) {
            findings.push_back(
                {FindingKind::BoundNotNumber, at(TextField::Value, p, v + 1), 0, row.value, 0});
        }
        if (!upperOk) {
            findings.push_back(
                {FindingKind::BoundNotNumber, at(TextField::UpperBound, p, v + 1), 0, row.upperBound, 0});
        }
        if (!lowerOk || !upperOk) {
            continue;
        }
        if (!(range.lower < range.upper)) {
            findings.push_back({FindingKind::LowerNotBelowUpper, at(TextField::Value, p, v + 1), 0, {}, 0});
            continue;
        }
        if (!ranges.empty() && range.lower < ranges.back().lower) {
            findings.push_back({FindingKind::RangeOutOfOrder,
                                at(TextField::Value, p, v + 1),
                                static_cast<long long>(ranges.back().row),
                                {},
                                0});
        }
        ranges.push_back(range);
    }
    // Sweep in rising order of the lower bounds; `reach` is the furthest upper bound so far, so
    // that a wide range covering several narrow ones leaves no false gap between them.
    std::stable_sort(ranges.begin(), ranges.end(),
                     [](const Range& a, const Range& b) { return a.lower < b.lower; });
    for (std::size_t i = 1, reach = 0; i < ranges.size(); ++i) {
        const Range& range = ranges[i];
        const Range& furthest = ranges[reach];
        const TextLocation where = at(TextField::Value, p, range.row);
        if (range.lower < furthest.upper) {
            findings.push_back(
                {FindingKind::RangesOverlap, where, static_cast<long long>(furthest.row), {}, 0});
        } else if (range.lower > furthest.upper) {
            const ValueRow& before = parameter.values[furthest.row - 1];
            const ValueRow& after = parameter.values[range.row - 1];
            findings.push_back(
                {FindingKind::RangeGap, where, static_cast<long long>(furthest.row),
                 std::string(trimmed(before.upperBound)) + " - " + std::string(trimmed(after.value)), 0});
        }
        if (range.upper > furthest.upper) {
            reach = i;
        }
    }
}

// The same value twice in a List (spaces around a value do not make it another value).
void checkDuplicates(const ParameterRecord& parameter, std::size_t p, std::vector<Finding>& findings) {
    const std::vector<ValueRow>& rows = parameter.values;
    const auto report = [&](std::size_t row, std::size_t first) {
        findings.push_back({FindingKind::DuplicateListValue, at(TextField::Value, p, row + 1),
                            static_cast<long long>(first + 1), rows[row].value, 0});
    };
    if (rows.size() <= 32) {
        // Few rows: compare hashes first, the texts only when they agree.
        std::size_t hashes[32];
        for (std::size_t v = 0; v < rows.size(); ++v) {
            const std::string_view value = trimmed(rows[v].value);
            hashes[v] = std::hash<std::string_view>{}(value);
            if (value.empty()) {
                continue;
            }
            for (std::size_t w = 0; w < v; ++w) {
                if (hashes[w] == hashes[v] && trimmed(rows[w].value) == value) {
                    report(v, w);
                    break;
                }
            }
        }
        return;
    }
    std::unordered_map<std::string_view, std::size_t> firstRow;
    firstRow.reserve(rows.size());
    for (std::size_t v = 0; v < rows.size(); ++v) {
        const std::string_view value = trimmed(rows[v].value);
        if (value.empty()) {
            continue;
        }
        const auto [it, inserted] = firstRow.emplace(value, v);
        if (!inserted) {
            report(v, it->second);
        }
    }
}

// #X chains among the result texts that lead back to where they started: one finding per cycle,
// at its lowest-numbered result. Strongly connected parts found with Tarjan's method, iteratively.
void checkResultCycles(const ReportDefinition& definition, std::vector<Finding>& findings) {
    const std::size_t count = definition.results.size();
    std::vector<std::vector<std::size_t>> edges(count);
    bool anyEdge = false;
    for (std::size_t r = 0; r < count; ++r) {
        if (definition.results[r].result.find("#X") == std::string::npos) {
            continue;
        }
        for (const NumberedCode& code : findNumberedCodes(definition.results[r].result)) {
            if (code.letter == 'X' && code.number >= 1 &&
                static_cast<unsigned long long>(code.number) <= count) {
                edges[r].push_back(static_cast<std::size_t>(code.number - 1));
                anyEdge = true;
            }
        }
    }
    if (!anyEdge) {
        return;
    }
    constexpr std::size_t unvisited = static_cast<std::size_t>(-1);
    std::vector<std::size_t> index(count, unvisited);
    std::vector<std::size_t> lowLink(count, 0);
    std::vector<bool> onStack(count, false);
    std::vector<std::size_t> stack;
    std::vector<std::size_t> component(count, unvisited);
    std::vector<std::pair<std::size_t, std::size_t>> calls; // node, next edge
    std::size_t nextIndex = 0;
    std::size_t components = 0;
    for (std::size_t root = 0; root < count; ++root) {
        if (index[root] != unvisited) {
            continue;
        }
        calls.emplace_back(root, 0);
        while (!calls.empty()) {
            auto& [node, edge] = calls.back();
            if (edge == 0 && index[node] == unvisited) {
                index[node] = lowLink[node] = nextIndex++;
                stack.push_back(node);
                onStack[node] = true;
            }
            if (edge < edges[node].size()) {
                const std::size_t target = edges[node][edge++];
                if (index[target] == unvisited) {
                    calls.emplace_back(target, 0);
                } else if (onStack[target]) {
                    lowLink[node] = std::min(lowLink[node], index[target]);
                }
                continue;
            }
            const std::size_t finished = node;
            calls.pop_back();
            if (!calls.empty()) {
                lowLink[calls.back().first] = std::min(lowLink[calls.back().first], lowLink[finished]);
            }
            if (lowLink[finished] == index[finished]) {
                std::size_t member = 0;
                do {
                    member = stack.back();
                    stack.pop_back();
                    onStack[member] = false;
                    component[member] = components;
                } while (member != finished);
                ++components;
            }
        }
    }
    // For each part that holds a cycle, the shortest chain from its lowest result back to it.
    std::vector<std::size_t> sizes(components, 0);
    for (const std::size_t part : component) {
        ++sizes[part];
    }
    std::vector<bool> reported(components, false);
    std::vector<std::size_t> previous(count, unvisited);
    std::vector<std::size_t> queue;
    for (std::size_t start = 0; start < count; ++start) {
        const std::size_t part = component[start];
        if (reported[part]) {
            continue;
        }
        reported[part] = true;
        if (sizes[part] == 1 &&
            std::find(edges[start].begin(), edges[start].end(), start) == edges[start].end()) {
            continue; // a single result that does not name itself
        }
        queue.assign(1, start);
        std::size_t last = start;
        bool closed = false;
        for (std::size_t head = 0; head < queue.size() && !closed; ++head) {
            const std::size_t node = queue[head];
            for (const std::size_t target : edges[node]) {
                if (target == start) {
                    closed = true;
                    last = node;
                    break;
                }
                if (component[target] == part && previous[target] == unvisited) {
                    previous[target] = node;
                    queue.push_back(target);
                }
            }
        }
        std::vector<std::size_t> chain;
        for (std::size_t node = last; node != start; node = previous[node]) {
            chain.push_back(node);
        }
        chain.push_back(start);
        std::reverse(chain.begin(), chain.end());
        for (const std::size_t node : queue) {
            previous[node] = unvisited;
        }
        std::string text;
        for (const std::size_t node : chain) {
            text += std::to_string(node + 1) + " > ";
        }
        text += std::to_string(start + 1);
        findings.push_back({FindingKind::ResultCycle, at(TextField::ResultText, start),
                            static_cast<long long>(chain.size()), std::move(text), 0});
    }
}

int fieldRank(TextField field) {
    return static_cast<int>(field);
}

// File order: parameters before results, records in order, within a record its name, its formula,
// then its rows cell by cell; findings of one text keep the order in which they were found.
bool inFileOrder(const Finding& a, const Finding& b) {
    const auto key = [](const Finding& f) {
        const bool result = f.where.field == TextField::ResultName || f.where.field == TextField::ResultText;
        const int section = f.where.field == TextField::ReportText ? 0 : (result ? 2 : 1);
        return std::make_tuple(section, f.where.record, f.where.row, fieldRank(f.where.field));
    };
    return key(a) < key(b);
}

} // namespace

std::string_view findingKindName(FindingKind kind) {
    switch (kind) {
    case FindingKind::CodeNamesNoParameter:
        return "code-names-no-parameter";
    case FindingKind::CodeNamesNoResult:
        return "code-names-no-result";
    case FindingKind::UnknownValueKind:
        return "unknown-value-kind";
    case FindingKind::InputWithSeveralRows:
        return "input-with-several-rows";
    case FindingKind::UnclosedParenthesis:
        return "unclosed-parenthesis";
    case FindingKind::UnmatchedParenthesis:
        return "unmatched-parenthesis";
    case FindingKind::EmptyParentheses:
        return "empty-parentheses";
    case FindingKind::UnclosedQuote:
        return "unclosed-quote";
    case FindingKind::UnknownFunction:
        return "unknown-function";
    case FindingKind::FunctionWithoutArgument:
        return "function-without-argument";
    case FindingKind::UnknownName:
        return "unknown-name";
    case FindingKind::UnknownCode:
        return "unknown-code";
    case FindingKind::CodeWithoutArgument:
        return "code-without-argument";
    case FindingKind::MissingOperand:
        return "missing-operand";
    case FindingKind::MissingOperator:
        return "missing-operator";
    case FindingKind::UnexpectedCharacter:
        return "unexpected-character";
    case FindingKind::BoundNotNumber:
        return "bound-not-number";
    case FindingKind::LowerNotBelowUpper:
        return "lower-not-below-upper";
    case FindingKind::RangeOutOfOrder:
        return "range-out-of-order";
    case FindingKind::RangesOverlap:
        return "ranges-overlap";
    case FindingKind::RangeGap:
        return "range-gap";
    case FindingKind::ValueNotNumber:
        return "value-not-number";
    case FindingKind::EmptyParameterName:
        return "empty-parameter-name";
    case FindingKind::EmptyResultName:
        return "empty-result-name";
    case FindingKind::EmptyFormula:
        return "empty-formula";
    case FindingKind::DuplicateListValue:
        return "duplicate-list-value";
    case FindingKind::ResultCycle:
        return "result-cycle";
    }
    return "unknown";
}

bool parseNumber(std::string_view text, double& value) {
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty() || numberLength(text, 0) != text.size()) {
        return false;
    }
    std::string plain(text);
    std::replace(plain.begin(), plain.end(), ',', '.');
    double parsed = 0;
    const auto [end, error] = std::from_chars(plain.data(), plain.data() + plain.size(), parsed);
    if (error == std::errc::result_out_of_range) {
        // Beyond what a double holds: tiny with a negative exponent or no whole part, else huge.
        const std::size_t e = plain.find_first_of("eE");
        const bool tiny = e != std::string::npos ? plain.compare(e + 1, 1, "-") == 0
                                                 : plain.find_first_not_of("0.") == std::string::npos ||
                                                       plain.find_first_not_of('0') == plain.find('.');
        parsed = tiny ? 0.0 : HUGE_VAL;
    } else if (error != std::errc() || end != plain.data() + plain.size()) {
        return false;
    }
    value = negative ? -parsed : parsed;
    return true;
}

std::vector<NumberedCode> findNumberedCodes(std::string_view text) {
    std::vector<NumberedCode> codes;
    std::size_t pos = 0;
    while ((pos = text.find('#', pos)) != none) {
        const std::size_t start = pos;
        ++pos;
        if (pos >= text.size() || !isNumberedCodeLetter(text[pos])) {
            continue;
        }
        const char letter = text[pos];
        long long number = 0;
        std::size_t digitsStart = 0;
        std::size_t digitsLength = 0;
        const std::size_t end =
            parsePlainArgument(text, skipSpaces(text, pos + 1), number, digitsStart, digitsLength);
        if (end == none) {
            continue;
        }
        codes.push_back(
            {letter, std::string(text.substr(start, end - start)), number, start, digitsStart, digitsLength});
        pos = end;
    }
    return codes;
}

std::vector<Finding> checkFormulaSyntax(std::string_view formula, const TextLocation& where) {
    std::vector<Finding> findings;
    if (std::optional<Finding> mistake = ExpressionScanner(formula, 0, where).scan()) {
        findings.push_back(std::move(*mistake));
    }
    return findings;
}

std::vector<Finding> checkResultSyntax(std::string_view text, const TextLocation& where) {
    std::vector<Finding> findings;
    checkCodesInText(text, where, findings);
    return findings;
}

std::vector<Finding> checkDefinition(const ReportDefinition& definition) {
    std::vector<Finding> findings;
    const std::size_t parameterCount = definition.parameters.size();
    const std::size_t resultCount = definition.results.size();

    // Findings come in file order except those of the range sweep and the circles, so each record's
    // few findings are put in order on their own rather than all of them at the end.
    const auto putInOrder = [&findings](std::size_t from) {
        const auto first = findings.begin() + static_cast<std::ptrdiff_t>(from);
        if (!std::is_sorted(first, findings.end(), inFileOrder)) {
            std::stable_sort(first, findings.end(), inFileOrder);
        }
    };
    for (std::size_t p = 0; p < parameterCount; ++p) {
        const ParameterRecord& parameter = definition.parameters[p];
        const std::size_t firstOfRecord = findings.size();
        const TextLocation nameAt = at(TextField::ParameterName, p);
        if (isBlank(parameter.name)) {
            findings.push_back({FindingKind::EmptyParameterName, nameAt, 0, {}, 0});
        }
        const unsigned kind = static_cast<unsigned>(parameter.kind);
        if (kind > static_cast<unsigned>(ValueKind::Input)) {
            findings.push_back({FindingKind::UnknownValueKind, nameAt, kind, {}, 0});
        } else if (parameter.kind == ValueKind::Input && parameter.values.size() > 1) {
            findings.push_back({FindingKind::InputWithSeveralRows,
                                nameAt,
                                static_cast<long long>(parameter.values.size()),
                                {},
                                0});
        }
        if (parameter.hasFormula != 0) {
            const TextLocation formulaAt = at(TextField::ParameterFormula, p);
            if (isBlank(parameter.formula)) {
                findings.push_back({FindingKind::EmptyFormula, formulaAt, 0, {}, 0});
            } else if (std::optional<Finding> mistake =
                           ExpressionScanner(parameter.formula, 0, formulaAt).scan()) {
                findings.push_back(std::move(*mistake));
            }
            checkReferences(parameter.formula, formulaAt, parameterCount, resultCount, findings);
        }
        if (parameter.kind == ValueKind::Range) {
            checkRanges(parameter, p, findings);
        } else if (parameter.kind == ValueKind::List) {
            checkDuplicates(parameter, p, findings);
        }
        if (parameter.isNumber != 0 && kind != static_cast<unsigned>(ValueKind::Range) &&
            kind <= static_cast<unsigned>(ValueKind::Input)) {
            for (std::size_t v = 0; v < parameter.values.size(); ++v) {
                const std::string& value = parameter.values[v].value;
                double number = 0;
                // An Input parameter may start without an initial value.
                if ((parameter.kind == ValueKind::Input && isBlank(value)) || parseNumber(value, number)) {
                    continue;
                }
                findings.push_back(
                    {FindingKind::ValueNotNumber, at(TextField::Value, p, v + 1), 0, value, 0});
            }
        }
        for (std::size_t v = 0; v < parameter.values.size(); ++v) {
            const std::string& result = parameter.values[v].result;
            if (result.find('#') == std::string::npos) {
                continue;
            }
            const TextLocation resultAt = at(TextField::ValueResult, p, v + 1);
            checkCodesInText(result, resultAt, findings);
            checkReferences(result, resultAt, parameterCount, resultCount, findings);
        }
        putInOrder(firstOfRecord);
    }
    const std::size_t firstOfResults = findings.size();
    for (std::size_t r = 0; r < resultCount; ++r) {
        const ResultRow& row = definition.results[r];
        if (isBlank(row.name)) {
            findings.push_back({FindingKind::EmptyResultName, at(TextField::ResultName, r), 0, {}, 0});
        }
        if (row.result.find('#') != std::string::npos) {
            const TextLocation resultAt = at(TextField::ResultText, r);
            checkCodesInText(row.result, resultAt, findings);
            checkReferences(row.result, resultAt, parameterCount, resultCount, findings);
        }
    }
    checkResultCycles(definition, findings);
    putInOrder(firstOfResults);
    return findings;
}

std::string describePlace(const Finding& finding) {
    const TextLocation& where = finding.where;
    const std::string record = std::to_string(where.record);
    const std::string row = " value row " + std::to_string(where.row);
    switch (finding.kind) {
    case FindingKind::UnknownValueKind:
    case FindingKind::InputWithSeveralRows:
        return "parameter " + record;
    case FindingKind::LowerNotBelowUpper:
    case FindingKind::RangeOutOfOrder:
    case FindingKind::RangesOverlap:
    case FindingKind::RangeGap:
        return "parameter " + record + row;
    default:
        break;
    }
    switch (where.field) {
    case TextField::ParameterName:
        return "parameter " + record + " name";
    case TextField::ParameterFormula:
        return "parameter " + record + " formula";
    case TextField::Value:
        return "parameter " + record + row +
               (finding.kind == FindingKind::BoundNotNumber ? " lower bound" : " value");
    case TextField::UpperBound:
        return "parameter " + record + row + " upper bound";
    case TextField::ValueResult:
        return "parameter " + record + row + " result";
    case TextField::ResultName:
        return "result " + record + " name";
    case TextField::ResultText:
        return "result " + record;
    case TextField::ReportText:
        return "report text " + record;
    }
    return "definition";
}

std::string describeFinding(const Finding& finding) {
    const std::string& detail = finding.detail;
    const std::string number = std::to_string(finding.number);
    switch (finding.kind) {
    case FindingKind::CodeNamesNoParameter:
        return finding.number < 1
                   ? detail + " names parameter " + number + ", but parameters are numbered from 1"
                   : detail + " names parameter " + number + ", which does not exist";
    case FindingKind::CodeNamesNoResult:
        return finding.number < 1 ? detail + " names result " + number + ", but results are numbered from 1"
                                  : detail + " names result " + number + ", which does not exist";
    case FindingKind::UnknownValueKind:
        return "value kind " + number + " is none of 0 (List), 1 (Range), 2 (Input)";
    case FindingKind::InputWithSeveralRows:
        return "kind 2 (Input) takes one value row, but it has " + number;
    case FindingKind::UnclosedParenthesis:
        return "the parenthesis opened at character " + std::to_string(finding.offset + 1) +
               " is never closed";
    case FindingKind::UnmatchedParenthesis:
        return "the closing parenthesis at character " + std::to_string(finding.offset + 1) +
               " has no opening one";
    case FindingKind::EmptyParentheses:
        return "the parentheses at character " + std::to_string(finding.offset + 1) + " hold nothing";
    case FindingKind::UnclosedQuote:
        return "the string opened at character " + std::to_string(finding.offset + 1) +
               " has no closing quote";
    case FindingKind::UnknownFunction:
        return "'" + detail +
               "' is not a function (known: sin, cos, tan, cot, asin, acos, atan, sqrt, exp, abs, "
               "ceil, floor, lg, ln)";
    case FindingKind::FunctionWithoutArgument:
        return "function '" + detail + "' lacks its argument in parentheses";
    case FindingKind::UnknownName:
        return "'" + detail + "' is neither a function nor PI (text belongs in quotes)";
    case FindingKind::UnknownCode:
        return "'" + detail + "' is not a code (known: #P, #R, #X, #N, #I, #C, #S, #T)";
    case FindingKind::CodeWithoutArgument:
        return detail + " lacks its argument in parentheses";
    case FindingKind::MissingOperand:
        return "operator '" + detail + "' at character " + std::to_string(finding.offset + 1) +
               " lacks an operand";
    case FindingKind::MissingOperator:
        return "an operator is missing before '" + detail + "' at character " +
               std::to_string(finding.offset + 1);
    case FindingKind::UnexpectedCharacter:
        return "character '" + detail + "' at character " + std::to_string(finding.offset + 1) +
               " has no meaning in a formula";
    case FindingKind::BoundNotNumber:
        return detail.empty() ? "the bound is empty" : "the bound '" + detail + "' is not a number";
    case FindingKind::LowerNotBelowUpper:
        return "the lower bound is not below the upper bound";
    case FindingKind::RangeOutOfOrder:
        return "the range starts below the range of row " + number;
    case FindingKind::RangesOverlap:
        return "the range overlaps the range of row " + number;
    case FindingKind::RangeGap:
        return "no range covers " + detail + " (gap after row " + number + ")";
    case FindingKind::ValueNotNumber:
        return detail.empty() ? "the parameter is a number, but the value is empty"
                              : "the parameter is a number, but '" + detail + "' is not a number";
    case FindingKind::EmptyParameterName:
        return "the parameter has no name";
    case FindingKind::EmptyResultName:
        return "the result has no name";
    case FindingKind::EmptyFormula:
        return "the formula is switched on but empty";
    case FindingKind::DuplicateListValue:
        return "the value '" + detail + "' is already in row " + number;
    case FindingKind::ResultCycle:
        return finding.number == 1
                   ? "the result names itself with #X(" + std::to_string(finding.where.record) + ")"
                   : "the results name each other with #X in a circle: " + detail;
    }
    return "unknown problem";
}

} // namespace vornak
