#include "FormulaSyntax.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vornak {

namespace {

constexpr long long numberClamp = 1'000'000'000'000LL;
constexpr std::size_t none = std::string_view::npos;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Letters of names: ASCII, the underscore and the Cyrillic letters of Windows-1251 (with Ё and ё).
bool isLetter(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || byte == '_' || byte >= 0xC0 ||
           byte == 0xA8 || byte == 0xB8;
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
} // namespace

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

bool isSpace(char c) {
    return c == ' ' || c == '\t';
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

std::optional<Finding> firstFormulaMistake(std::string_view formula, const TextLocation& where) {
    return ExpressionScanner(formula, 0, where).scan();
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
    if (std::optional<Finding> mistake = firstFormulaMistake(formula, where)) {
        findings.push_back(std::move(*mistake));
    }
    return findings;
}

std::vector<Finding> checkResultSyntax(std::string_view text, const TextLocation& where) {
    std::vector<Finding> findings;
    checkCodesInText(text, where, findings);
    return findings;
}

} // namespace vornak
