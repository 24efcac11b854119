#include "DefinitionText.h"

#include "DefinitionChecks.h"

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <string_view>

namespace vornak {

namespace {

// The texts that hold codes: each parameter's formula and its value rows' results, then each
// result row's result. Names, values, bounds and the nine report texts are shown as written, so a
// "#" in them is no code. The formula is read whatever its flag, since clearing the flag empties it.
template <typename Definition, typename Visit> void forEachCodeText(Definition& definition, Visit&& visit) {
    for (std::size_t p = 0; p < definition.parameters.size(); ++p) {
        auto& parameter = definition.parameters[p];
        const int record = static_cast<int>(p + 1);
        visit(TextLocation{TextField::ParameterFormula, record, 0}, parameter.formula);
        for (std::size_t v = 0; v < parameter.values.size(); ++v) {
            visit(TextLocation{TextField::ValueResult, record, static_cast<int>(v + 1)},
                  parameter.values[v].result);
        }
    }
    for (std::size_t r = 0; r < definition.results.size(); ++r) {
        visit(TextLocation{TextField::ResultText, static_cast<int>(r + 1), 0}, definition.results[r].result);
    }
}

// The same for the parameters listed (0-based, ascending) and every result row: for a caller that
// knows which parameters hold no code.
template <typename Visit>
void forEachCodeTextOf(const ReportDefinition& definition, const std::vector<int>& parameters,
                       Visit&& visit) {
    for (const int p : parameters) {
        const auto& parameter = definition.parameters.at(static_cast<std::size_t>(p));
        const int record = p + 1;
        visit(TextLocation{TextField::ParameterFormula, record, 0}, parameter.formula);
        for (std::size_t v = 0; v < parameter.values.size(); ++v) {
            visit(TextLocation{TextField::ValueResult, record, static_cast<int>(v + 1)},
                  parameter.values[v].result);
        }
    }
    for (std::size_t r = 0; r < definition.results.size(); ++r) {
        visit(TextLocation{TextField::ResultText, static_cast<int>(r + 1), 0}, definition.results[r].result);
    }
}

bool namesParameter(char letter) {
    return letter == 'P' || letter == 'R' || letter == 'N';
}

// The text with the digits of every code whose letter `matches` renumbered by the mapping.
template <typename Matches>
bool renumbered(const std::string& text, const std::vector<int>& newNumberOf, Matches matches,
                std::string& out) {
    if (text.find('#') == std::string::npos) {
        return false;
    }
    bool changed = false;
    std::size_t copied = 0;
    for (const NumberedCode& code : findNumberedCodes(text)) {
        if (!matches(code.letter) || code.number < 1 ||
            static_cast<unsigned long long>(code.number) > newNumberOf.size()) {
            continue;
        }
        // A code naming a record that is gone becomes code 0, which names nothing and shows up as
        // a finding; left as it was it would silently name whichever record took the number.
        const int target = std::max(newNumberOf[static_cast<std::size_t>(code.number - 1)], 0);
        if (target == code.number) {
            continue;
        }
        if (!changed) {
            out.clear();
            changed = true;
        }
        out.append(text, copied, code.digitsOffset - copied);
        out += std::to_string(target);
        copied = code.digitsOffset + code.digitsLength;
    }
    if (changed) {
        out.append(text, copied, std::string::npos);
    }
    return changed;
}

// Whether a text belongs to a record that the renumbering removes.
bool isGone(const TextLocation& where, bool parameters, const std::vector<int>& newNumberOf) {
    const bool ofParameter =
        where.field == TextField::ParameterFormula || where.field == TextField::ValueResult;
    if (ofParameter != parameters || where.record < 1 ||
        static_cast<std::size_t>(where.record) > newNumberOf.size()) {
        return false;
    }
    return newNumberOf[static_cast<std::size_t>(where.record - 1)] <= 0;
}

// `forEach(visit)` visits the texts to look at, in file order.
template <typename ForEach, typename Matches>
std::vector<TextChange> renumber(ForEach&& forEach, const std::vector<int>& newNumberOf, bool parameters,
                                 Matches matches) {
    std::vector<TextChange> changes;
    std::string after;
    forEach([&](const TextLocation& where, const std::string& text) {
        // Most texts hold no code at all: they are passed over here, without the call.
        if (text.find('#') == std::string::npos) {
            return;
        }
        if (!isGone(where, parameters, newNumberOf) && renumbered(text, newNumberOf, matches, after)) {
            changes.push_back({where, text, after});
        }
    });
    return changes;
}

auto everyCodeText(const ReportDefinition& definition) {
    return [&definition](auto&& visit) { forEachCodeText(definition, visit); };
}

auto codeTextsOf(const ReportDefinition& definition, const std::vector<int>& parameters) {
    return [&definition, &parameters](auto&& visit) { forEachCodeTextOf(definition, parameters, visit); };
}

bool namesResult(char letter) {
    return letter == 'X';
}

template <typename Matches>
std::vector<TextLocation> references(const ReportDefinition& definition, int number, Matches matches) {
    std::vector<TextLocation> found;
    forEachCodeText(definition, [&](const TextLocation& where, const std::string& text) {
        if (text.find('#') == std::string::npos) {
            return;
        }
        for (const NumberedCode& code : findNumberedCodes(text)) {
            if (matches(code.letter) && code.number == number) {
                found.push_back(where);
                return;
            }
        }
    });
    return found;
}

template <typename Definition> auto& textIn(Definition& definition, const TextLocation& where) {
    const auto index = [](int number) {
        if (number < 1) {
            throw std::out_of_range("text location numbers count from 1");
        }
        return static_cast<std::size_t>(number - 1);
    };
    switch (where.field) {
    case TextField::ParameterName:
        return definition.parameters.at(index(where.record)).name;
    case TextField::ParameterFormula:
        return definition.parameters.at(index(where.record)).formula;
    case TextField::Value:
        return definition.parameters.at(index(where.record)).values.at(index(where.row)).value;
    case TextField::UpperBound:
        return definition.parameters.at(index(where.record)).values.at(index(where.row)).upperBound;
    case TextField::ValueResult:
        return definition.parameters.at(index(where.record)).values.at(index(where.row)).result;
    case TextField::ResultName:
        return definition.results.at(index(where.record)).name;
    case TextField::ResultText:
        return definition.results.at(index(where.record)).result;
    case TextField::ReportText:
        switch (where.record) {
        case 1:
            return definition.title;
        case 2:
            return definition.documentFile;
        case 3:
            return definition.input1Caption;
        case 4:
            return definition.input2Caption;
        case 5:
            return definition.surnameCaption;
        case 6:
            return definition.author;
        case 7:
            return definition.source;
        case 8:
            return definition.organisation;
        case 9:
            return definition.date;
        default:
            break;
        }
        break;
    }
    throw std::out_of_range("no such text in the definition");
}

} // namespace

std::string& textAt(ReportDefinition& definition, const TextLocation& where) {
    return textIn(definition, where);
}

const std::string& textAt(const ReportDefinition& definition, const TextLocation& where) {
    return textIn(definition, where);
}

void applyTextChanges(ReportDefinition& definition, const std::vector<TextChange>& changes, bool forward) {
    if (forward) {
        for (const TextChange& change : changes) {
            textAt(definition, change.where) = change.after;
        }
        return;
    }
    for (auto change = changes.rbegin(); change != changes.rend(); ++change) {
        textAt(definition, change->where) = change->before;
    }
}

std::vector<TextChange> renumberParameterReferences(const ReportDefinition& definition,
                                                    const std::vector<int>& newNumberOf) {
    return renumber(everyCodeText(definition), newNumberOf, true, namesParameter);
}

std::vector<TextChange> renumberResultReferences(const ReportDefinition& definition,
                                                 const std::vector<int>& newNumberOf) {
    return renumber(everyCodeText(definition), newNumberOf, false, namesResult);
}

std::vector<TextChange> renumberParameterReferences(const ReportDefinition& definition,
                                                    const std::vector<int>& newNumberOf,
                                                    const std::vector<int>& parametersWithCodes) {
    return renumber(codeTextsOf(definition, parametersWithCodes), newNumberOf, true, namesParameter);
}

std::vector<TextChange> renumberResultReferences(const ReportDefinition& definition,
                                                 const std::vector<int>& newNumberOf,
                                                 const std::vector<int>& parametersWithCodes) {
    return renumber(codeTextsOf(definition, parametersWithCodes), newNumberOf, false, namesResult);
}

std::vector<int> numbersAfterInsert(int count, int position) {
    std::vector<int> mapping;
    for (int n = 1; n <= count; ++n) {
        mapping.push_back(n - 1 < position ? n : n + 1);
    }
    return mapping;
}

std::vector<int> numbersAfterErase(int count, int position) {
    std::vector<int> mapping;
    for (int n = 1; n <= count; ++n) {
        mapping.push_back(n - 1 < position ? n : (n - 1 == position ? 0 : n - 1));
    }
    return mapping;
}

std::vector<int> numbersAfterMove(int count, int from, int to) {
    std::vector<int> mapping;
    for (int n = 1; n <= count; ++n) {
        const int old = n - 1;
        int moved = old;
        if (old == from) {
            moved = to;
        } else if (from < to && old > from && old <= to) {
            moved = old - 1;
        } else if (to < from && old >= to && old < from) {
            moved = old + 1;
        }
        mapping.push_back(moved + 1);
    }
    return mapping;
}

std::vector<TextLocation> parameterReferences(const ReportDefinition& definition, int number) {
    return references(definition, number, namesParameter);
}

std::vector<TextLocation> resultReferences(const ReportDefinition& definition, int number) {
    return references(definition, number, namesResult);
}

} // namespace vornak
