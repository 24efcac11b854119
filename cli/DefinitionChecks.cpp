#include "DefinitionChecks.h"

#include <cstddef>
#include <string_view>

namespace vornak::cli {

namespace {

constexpr long long numberClamp = 1'000'000'000'000LL;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool isSpace(char c) {
    return c == ' ' || c == '\t';
}

// Parses "( n )" starting at text[pos] == '('. Returns the position after ')' or npos.
std::size_t parsePlainArgument(std::string_view text, std::size_t pos, long long& number) {
    if (pos >= text.size() || text[pos] != '(') {
        return std::string_view::npos;
    }
    ++pos;
    while (pos < text.size() && isSpace(text[pos])) {
        ++pos;
    }
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) {
        negative = text[pos] == '-';
        ++pos;
    }
    const std::size_t digitsStart = pos;
    long long value = 0;
    while (pos < text.size() && isDigit(text[pos])) {
        if (value < numberClamp) {
            value = value * 10 + (text[pos] - '0');
        }
        ++pos;
    }
    if (pos == digitsStart) {
        return std::string_view::npos;
    }
    while (pos < text.size() && isSpace(text[pos])) {
        ++pos;
    }
    if (pos >= text.size() || text[pos] != ')') {
        return std::string_view::npos;
    }
    if (value > numberClamp) {
        value = numberClamp;
    }
    number = negative ? -value : value;
    return pos + 1;
}

std::string countOf(std::size_t count, const char* singular, const char* plural) {
    if (count == 0) {
        return std::string("no ") + plural;
    }
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

void checkText(const std::string& text, const std::string& place, std::size_t parameterCount,
               std::size_t resultCount, std::vector<Finding>& findings) {
    for (const NumberedCode& code : findNumberedCodes(text)) {
        const bool namesResult = code.letter == 'X';
        const std::size_t count = namesResult ? resultCount : parameterCount;
        const char* singular = namesResult ? "result" : "parameter";
        const char* plural = namesResult ? "results" : "parameters";
        if (code.number < 1) {
            findings.push_back({place, code.text + " names " + singular + " " + std::to_string(code.number) +
                                           ", but " + plural + " are numbered from 1"});
        } else if (static_cast<unsigned long long>(code.number) > count) {
            findings.push_back({place, code.text + " names " + singular + " " + std::to_string(code.number) +
                                           ", but the definition has " + countOf(count, singular, plural)});
        }
    }
}

} // namespace

std::vector<NumberedCode> findNumberedCodes(const std::string& text) {
    std::vector<NumberedCode> codes;
    const std::string_view view(text);
    std::size_t pos = 0;
    while ((pos = view.find('#', pos)) != std::string_view::npos) {
        const std::size_t start = pos;
        ++pos;
        if (pos >= view.size()) {
            break;
        }
        const char letter = view[pos];
        if (letter != 'P' && letter != 'R' && letter != 'N' && letter != 'X') {
            continue;
        }
        long long number = 0;
        const std::size_t end = parsePlainArgument(view, pos + 1, number);
        if (end == std::string_view::npos) {
            continue;
        }
        codes.push_back({letter, std::string(view.substr(start, end - start)), number});
        pos = end;
    }
    return codes;
}

std::vector<Finding> checkDefinition(const ReportDefinition& definition) {
    std::vector<Finding> findings;
    const std::size_t parameterCount = definition.parameters.size();
    const std::size_t resultCount = definition.results.size();

    for (std::size_t p = 0; p < parameterCount; ++p) {
        const ParameterRecord& parameter = definition.parameters[p];
        const std::string place = "parameter " + std::to_string(p + 1);
        const unsigned kind = static_cast<unsigned>(parameter.kind);
        if (kind > static_cast<unsigned>(ValueKind::Input)) {
            findings.push_back(
                {place, "value kind " + std::to_string(kind) + " is none of 0 (List), 1 (Range), 2 (Input)"});
        } else if (parameter.kind == ValueKind::Input && parameter.values.size() > 1) {
            findings.push_back({place, "kind 2 (Input) takes one value row, but it has " +
                                           std::to_string(parameter.values.size())});
        }
        if (parameter.hasFormula != 0) {
            checkText(parameter.formula, place + " formula", parameterCount, resultCount, findings);
        }
        for (std::size_t v = 0; v < parameter.values.size(); ++v) {
            checkText(parameter.values[v].result, place + " value row " + std::to_string(v + 1) + " result",
                      parameterCount, resultCount, findings);
        }
    }
    for (std::size_t r = 0; r < resultCount; ++r) {
        checkText(definition.results[r].result, "result " + std::to_string(r + 1), parameterCount,
                  resultCount, findings);
    }
    return findings;
}

} // namespace vornak::cli
