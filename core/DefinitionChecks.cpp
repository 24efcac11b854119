#include "DefinitionChecks.h"

#include "CompactDefinition.h"
#include "DefinitionAccess.h"
#include "FormulaSyntax.h"

#include <algorithm>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>

namespace vornak {

namespace {

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
template <typename Parameter>
void checkRanges(const Parameter& parameter, std::size_t p, std::vector<Finding>& findings) {
    struct Range {
        double lower;
        double upper;
        std::size_t row; // 1-based
    };
    std::vector<Range> ranges;
    ranges.reserve(parameter.values.size());
    for (std::size_t v = 0; v < parameter.values.size(); ++v) {
        const auto& row = parameter.values[v];
        Range range{0, 0, v + 1};
        const bool lowerOk = parseNumber(row.value, range.lower);
        const bool upperOk = parseNumber(row.upperBound, range.upper);
        if (!lowerOk) {
            findings.push_back(
                {FindingKind::BoundNotNumber, at(TextField::Value, p, v + 1), 0, std::string(row.value), 0});
        }
        if (!upperOk) {
            findings.push_back({FindingKind::BoundNotNumber, at(TextField::UpperBound, p, v + 1), 0,
                                std::string(row.upperBound), 0});
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
            const auto& before = parameter.values[furthest.row - 1];
            const auto& after = parameter.values[range.row - 1];
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
template <typename Parameter>
void checkDuplicates(const Parameter& parameter, std::size_t p, std::vector<Finding>& findings) {
    const auto& rows = parameter.values;
    const auto report = [&](std::size_t row, std::size_t first) {
        findings.push_back({FindingKind::DuplicateListValue, at(TextField::Value, p, row + 1),
                            static_cast<long long>(first + 1), std::string(rows[row].value), 0});
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
template <typename D> void checkResultCycles(const D& definition, std::vector<Finding>& findings) {
    const std::size_t count = definition.resultCount();
    std::vector<std::vector<std::size_t>> edges(count);
    bool anyEdge = false;
    for (std::size_t r = 0; r < count; ++r) {
        const std::string_view text = definition.result(r).result;
        if (text.find("#X") == std::string_view::npos) {
            continue;
        }
        for (const NumberedCode& code : findNumberedCodes(text)) {
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

namespace {

// Hands the findings to `emit` in file order, one record's at a time (the results' all at once,
// with their circles), so that only those are held.
template <typename D, typename Emit> void checkEverything(const D& definition, Emit emit) {
    std::vector<Finding> findings;
    const std::size_t parameterCount = definition.parameterCount();
    const std::size_t resultCount = definition.resultCount();

    // Findings come in file order except those of the range sweep and the circles, so each record's
    // few findings are put in order on their own rather than all of them at the end.
    const auto putInOrder = [&findings](std::size_t from) {
        const auto first = findings.begin() + static_cast<std::ptrdiff_t>(from);
        if (!std::is_sorted(first, findings.end(), inFileOrder)) {
            std::stable_sort(first, findings.end(), inFileOrder);
        }
    };
    for (std::size_t p = 0; p < parameterCount; ++p) {
        const auto& parameter = definition.parameter(p);
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
            } else if (std::optional<Finding> mistake = firstFormulaMistake(parameter.formula, formulaAt)) {
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
                const std::string_view value = parameter.values[v].value;
                double number = 0;
                // An Input parameter may start without an initial value.
                if ((parameter.kind == ValueKind::Input && isBlank(value)) || parseNumber(value, number)) {
                    continue;
                }
                findings.push_back(
                    {FindingKind::ValueNotNumber, at(TextField::Value, p, v + 1), 0, std::string(value), 0});
            }
        }
        for (std::size_t v = 0; v < parameter.values.size(); ++v) {
            const std::string_view result = parameter.values[v].result;
            if (result.find('#') == std::string_view::npos) {
                continue;
            }
            const TextLocation resultAt = at(TextField::ValueResult, p, v + 1);
            checkCodesInText(result, resultAt, findings);
            checkReferences(result, resultAt, parameterCount, resultCount, findings);
        }
        putInOrder(firstOfRecord);
        for (Finding& finding : findings) {
            emit(std::move(finding));
        }
        findings.clear();
    }
    const std::size_t firstOfResults = findings.size();
    for (std::size_t r = 0; r < resultCount; ++r) {
        const auto& row = definition.result(r);
        if (isBlank(row.name)) {
            findings.push_back({FindingKind::EmptyResultName, at(TextField::ResultName, r), 0, {}, 0});
        }
        if (std::string_view(row.result).find('#') != std::string_view::npos) {
            const TextLocation resultAt = at(TextField::ResultText, r);
            checkCodesInText(row.result, resultAt, findings);
            checkReferences(row.result, resultAt, parameterCount, resultCount, findings);
        }
    }
    checkResultCycles(definition, findings);
    putInOrder(firstOfResults);
    for (Finding& finding : findings) {
        emit(std::move(finding));
    }
}

} // namespace

std::vector<Finding> checkDefinition(const ReportDefinition& definition) {
    std::vector<Finding> findings;
    checkEverything(DefinitionAccess(definition),
                    [&findings](Finding&& f) { findings.push_back(std::move(f)); });
    return findings;
}

std::vector<Finding> checkDefinition(const CompactDefinition& definition) {
    std::vector<Finding> findings;
    checkEverything(definition, [&findings](Finding&& f) { findings.push_back(std::move(f)); });
    return findings;
}

void forEachFinding(const CompactDefinition& definition, const std::function<void(Finding&&)>& take) {
    checkEverything(definition, [&take](Finding&& f) { take(std::move(f)); });
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