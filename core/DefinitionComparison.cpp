#include "DefinitionComparison.h"

#include "DefinitionText.h"
#include "SequenceAlignment.h"

#include <algorithm>
#include <functional>
#include <map>
#include <string_view>

namespace vornak {

namespace {

using Equal = std::function<bool(std::size_t, std::size_t)>;
using Resemblance = std::function<double(std::size_t, std::size_t)>;
// What makes a record the same record wherever it stands (its name); empty for lists whose items
// do not move.
using MoveKey = std::function<const std::string&(std::size_t)>;

constexpr long none = -1;

// Who is whose partner between an old and a new list of records.
struct RecordMatch {
    std::vector<long> partnerOfOld;
    std::vector<long> partnerOfNew;
    std::vector<bool> moved; // by old position: matched across other records
};

// Records kept in order are found first, by each of `anchorLevels` in turn: the strictest over the
// whole lists, each looser one inside the gaps the stricter ones left. A record left over on both sides in
// different gaps between kept ones is moved when their keys (names) agree; what is
// left in each gap is paired when it resembles enough (an edited record), the rest is inserted or
// removed.
RecordMatch matchRecords(std::size_t oldCount, std::size_t newCount, const std::vector<Equal>& anchorLevels,
                         const MoveKey& oldKey, const MoveKey& newKey, const Resemblance& resemblance,
                         double threshold) {
    RecordMatch match;
    match.partnerOfOld.assign(oldCount, none);
    match.partnerOfNew.assign(newCount, none);
    match.moved.assign(oldCount, false);
    std::vector<AlignedPair> anchors;
    for (const Equal& equal : anchorLevels) {
        std::vector<AlignedPair> found;
        AlignedPair gapStart{0, 0};
        const auto searchGap = [&](AlignedPair end) {
            const std::size_t n = end.first - gapStart.first;
            const std::size_t m = end.second - gapStart.second;
            if (n > 0 && m > 0) {
                const AlignedPair offset = gapStart;
                for (const AlignedPair& pair : commonSubsequence(n, m, [&](std::size_t i, std::size_t j) {
                         return equal(offset.first + i, offset.second + j);
                     })) {
                    found.push_back({offset.first + pair.first, offset.second + pair.second});
                }
            }
        };
        for (const AlignedPair& anchor : anchors) {
            searchGap(anchor);
            found.push_back(anchor);
            gapStart = {anchor.first + 1, anchor.second + 1};
        }
        searchGap({oldCount, newCount});
        anchors = std::move(found);
    }
    for (const AlignedPair& pair : anchors) {
        match.partnerOfOld[pair.first] = static_cast<long>(pair.second);
        match.partnerOfNew[pair.second] = static_cast<long>(pair.first);
    }
    // The gap of a left-over record: how many anchors stand before it.
    std::vector<std::size_t> gapOfOld(oldCount, 0);
    std::vector<std::size_t> gapOfNew(newCount, 0);
    {
        std::size_t gap = 0;
        for (std::size_t i = 0; i < oldCount; ++i) {
            if (match.partnerOfOld[i] != none) {
                ++gap;
            }
            gapOfOld[i] = gap;
        }
        gap = 0;
        for (std::size_t j = 0; j < newCount; ++j) {
            if (match.partnerOfNew[j] != none) {
                ++gap;
            }
            gapOfNew[j] = gap;
        }
    }
    if (oldKey && newKey) {
        std::multimap<std::string_view, std::size_t> unmatchedNew;
        for (std::size_t j = 0; j < newCount; ++j) {
            if (match.partnerOfNew[j] == none) {
                unmatchedNew.emplace(newKey(j), j);
            }
        }
        for (std::size_t i = 0; i < oldCount; ++i) {
            if (match.partnerOfOld[i] != none) {
                continue;
            }
            const auto found = unmatchedNew.find(oldKey(i));
            if (found == unmatchedNew.end()) {
                continue;
            }
            const std::size_t j = found->second;
            unmatchedNew.erase(found);
            match.partnerOfOld[i] = static_cast<long>(j);
            match.partnerOfNew[j] = static_cast<long>(i);
            match.moved[i] = gapOfOld[i] != gapOfNew[j];
        }
    }
    // The left-overs gap by gap.
    const std::size_t gaps = anchors.size() + 1;
    std::vector<std::vector<std::size_t>> oldLeft(gaps);
    std::vector<std::vector<std::size_t>> newLeft(gaps);
    for (std::size_t i = 0; i < oldCount; ++i) {
        if (match.partnerOfOld[i] == none) {
            oldLeft[gapOfOld[i]].push_back(i);
        }
    }
    for (std::size_t j = 0; j < newCount; ++j) {
        if (match.partnerOfNew[j] == none) {
            newLeft[gapOfNew[j]].push_back(j);
        }
    }
    for (std::size_t gap = 0; gap < gaps; ++gap) {
        for (const AlignedPair& pair : pairResembling(oldLeft[gap], newLeft[gap], resemblance, threshold)) {
            match.partnerOfOld[pair.first] = static_cast<long>(pair.second);
            match.partnerOfNew[pair.second] = static_cast<long>(pair.first);
        }
    }
    return match;
}

// How much of two multisets of keys is shared: 2 × common / (both sizes), 1 for two empty ones.
double sharedShare(const std::vector<std::string>& first, const std::vector<std::string>& second) {
    if (first.empty() && second.empty()) {
        return 1.0;
    }
    std::size_t common = 0;
    auto a = first.begin();
    auto b = second.begin();
    while (a != first.end() && b != second.end()) {
        if (*a < *b) {
            ++a;
        } else if (*b < *a) {
            ++b;
        } else {
            ++common;
            ++a;
            ++b;
        }
    }
    return 2.0 * static_cast<double>(common) / static_cast<double>(first.size() + second.size());
}

// A text with the numbers of its record codes left out, so that a text that only followed a
// renumbering still looks the same: "#P(3)+1" and "#P(4)+1" both become "#P()+1".
std::string withoutCodeNumbers(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        out += text[i];
        if (text[i] != '#' || i + 1 >= text.size()) {
            continue;
        }
        const char letter = text[i + 1];
        if (letter != 'P' && letter != 'R' && letter != 'N' && letter != 'X') {
            continue;
        }
        std::size_t j = i + 2;
        while (j < text.size() && text[j] == ' ') {
            ++j;
        }
        if (j >= text.size() || text[j] != '(') {
            continue;
        }
        std::size_t k = j + 1;
        while (k < text.size() && ((text[k] >= '0' && text[k] <= '9') || text[k] == ' ')) {
            ++k;
        }
        if (k < text.size() && text[k] == ')') {
            out += letter;
            out += '(';
            i = k - 1; // the ")" is copied next
        }
    }
    return out;
}

// What a parameter holds beyond its name and kind, as sorted keys: its rows and its formula.
std::vector<std::string> contentKeys(const ParameterRecord& parameter) {
    std::vector<std::string> keys;
    keys.reserve(parameter.values.size() + 1);
    if (!parameter.formula.empty()) {
        // Built by appending: GCC 12 at -O3 takes "literal" + string for an overlapping copy.
        std::string key(1, '\x1e');
        key += withoutCodeNumbers(parameter.formula);
        keys.push_back(std::move(key));
    }
    for (const ValueRow& row : parameter.values) {
        std::string key = row.value;
        key += '\x1f';
        key += row.upperBound;
        key += '\x1f';
        key += withoutCodeNumbers(row.result);
        keys.push_back(std::move(key));
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

// A parameter as it reads with its code numbers left out.
std::string parameterShape(const ParameterRecord& parameter) {
    std::string shape = parameter.name;
    shape += '\x1e';
    shape += static_cast<char>(parameter.kind);
    shape += static_cast<char>(parameter.isNumber != 0 ? 1 : 0);
    shape += static_cast<char>(parameter.hasFormula != 0 ? 1 : 0);
    shape += withoutCodeNumbers(parameter.formula);
    for (const ValueRow& row : parameter.values) {
        shape += '\x1e';
        shape += row.value;
        shape += '\x1f';
        shape += row.upperBound;
        shape += '\x1f';
        shape += withoutCodeNumbers(row.result);
    }
    return shape;
}

std::string rowText(const ValueRow& row, ValueKind kind) {
    if (kind == ValueKind::Range) {
        return row.value + " | " + row.upperBound + " | " + row.result;
    }
    return row.value + " | " + row.result;
}

std::string flag(std::uint8_t value) {
    return value != 0 ? "1" : "0";
}

// One definition's differences, gathered with the place each is read at.
class Comparison {
public:
    Comparison(const ReportDefinition& before, const ReportDefinition& after) : old_(before), new_(after) {}

    std::vector<Difference> run() {
        compareReportTexts();
        matchParameters();
        // The old definition with its codes renumbered as the new one numbers the records, so
        // that a code that only followed a renumbering is no difference.
        renumbered_ = old_;
        applyTextChanges(renumbered_, renumberParameterReferences(old_, numbersOf(parameters_.partnerOfOld)), true);
        matchResults();
        applyTextChanges(renumbered_, renumberResultReferences(renumbered_, numbersOf(results_.partnerOfOld)), true);
        compareParameters();
        compareResults();
        return std::move(differences_);
    }

private:
    static std::vector<int> numbersOf(const std::vector<long>& partners) {
        std::vector<int> numbers;
        numbers.reserve(partners.size());
        for (long partner : partners) {
            numbers.push_back(partner == none ? 0 : static_cast<int>(partner) + 1);
        }
        return numbers;
    }

    void compareReportTexts() {
        for (int record = 1; record <= 9; ++record) {
            const TextLocation where{TextField::ReportText, record, 0};
            const std::string& before = textAt(old_, where);
            const std::string& after = textAt(new_, where);
            if (before != after) {
                Difference difference;
                difference.part = DifferencePart::ReportText;
                difference.oldRecord = record;
                difference.newRecord = record;
                difference.before = before;
                difference.after = after;
                differences_.push_back(std::move(difference));
            }
        }
    }

    void matchParameters() {
        const auto& olds = old_.parameters;
        const auto& news = new_.parameters;
        const Equal sameName = [&](std::size_t i, std::size_t j) { return olds[i].name == news[j].name; };
        std::vector<std::string> oldShapes;
        std::vector<std::string> newShapes;
        for (const ParameterRecord& record : olds) {
            oldShapes.push_back(parameterShape(record));
        }
        for (const ParameterRecord& record : news) {
            newShapes.push_back(parameterShape(record));
        }
        const Equal sameShape = [&](std::size_t i, std::size_t j) { return oldShapes[i] == newShapes[j]; };
        std::vector<std::vector<std::string>> oldKeys(olds.size());
        std::vector<std::vector<std::string>> newKeys(news.size());
        std::vector<bool> oldKeysMade(olds.size(), false);
        std::vector<bool> newKeysMade(news.size(), false);
        const Resemblance resemblance = [&](std::size_t i, std::size_t j) {
            if (!oldKeysMade[i]) {
                oldKeys[i] = contentKeys(olds[i]);
                oldKeysMade[i] = true;
            }
            if (!newKeysMade[j]) {
                newKeys[j] = contentKeys(news[j]);
                newKeysMade[j] = true;
            }
            return sharedShare(oldKeys[i], newKeys[j]);
        };
        const MoveKey oldName = [&](std::size_t i) -> const std::string& { return olds[i].name; };
        const MoveKey newName = [&](std::size_t j) -> const std::string& { return news[j].name; };
        parameters_ = matchRecords(olds.size(), news.size(), {sameShape, sameName}, oldName, newName, resemblance, 0.5);
    }

    void matchResults() {
        const auto& olds = renumbered_.results;
        const auto& news = new_.results;
        const Equal same = [&](std::size_t i, std::size_t j) { return olds[i] == news[j]; };
        const Equal sameName = [&](std::size_t i, std::size_t j) { return olds[i].name == news[j].name; };
        const MoveKey oldName = [&](std::size_t i) -> const std::string& { return olds[i].name; };
        const MoveKey newName = [&](std::size_t j) -> const std::string& { return news[j].name; };
        const Resemblance resemblance = [&](std::size_t i, std::size_t j) {
            return ((olds[i].name == news[j].name ? 1.0 : 0.0) + (olds[i].result == news[j].result ? 1.0 : 0.0)) /
                   2.0;
        };
        results_ = matchRecords(olds.size(), news.size(), {same, sameName}, oldName, newName, resemblance, 0.5);
    }

    // Removed records are told where the reader would miss them: right after the new place of the
    // nearest kept record before them, ahead of anything inserted there.
    template <class Emit, class EmitRemoved>
    void inNewOrder(const RecordMatch& match, std::size_t newCount, Emit emit, EmitRemoved emitRemoved) {
        std::vector<std::vector<std::size_t>> removedBefore(newCount + 1);
        const std::size_t oldCount = match.partnerOfOld.size();
        std::size_t at = 0;
        for (std::size_t i = 0; i < oldCount; ++i) {
            if (match.partnerOfOld[i] == none) {
                removedBefore[at].push_back(i);
            } else if (!match.moved[i]) {
                at = static_cast<std::size_t>(match.partnerOfOld[i]) + 1;
            }
        }
        for (std::size_t j = 0; j <= newCount; ++j) {
            for (std::size_t i : removedBefore[j]) {
                emitRemoved(i);
            }
            if (j < newCount) {
                emit(j);
            }
        }
    }

    Difference parameterDifference(DifferenceKind kind, DifferencePart part, long oldIndex, long newIndex) const {
        Difference difference;
        difference.kind = kind;
        difference.part = part;
        difference.oldRecord = oldIndex == none ? 0 : static_cast<int>(oldIndex) + 1;
        difference.newRecord = newIndex == none ? 0 : static_cast<int>(newIndex) + 1;
        const ParameterRecord& record = newIndex == none ? old_.parameters[static_cast<std::size_t>(oldIndex)]
                                                         : new_.parameters[static_cast<std::size_t>(newIndex)];
        difference.recordName = record.name;
        difference.recordKind = record.kind;
        return difference;
    }

    void changed(DifferencePart part, long oldIndex, long newIndex, const std::string& before,
                 const std::string& after) {
        Difference difference = parameterDifference(DifferenceKind::Changed, part, oldIndex, newIndex);
        difference.before = before;
        difference.after = after;
        differences_.push_back(std::move(difference));
    }

    void compareParameters() {
        const auto& olds = old_.parameters;
        const auto& news = new_.parameters;
        inNewOrder(
            parameters_, news.size(),
            [&](std::size_t j) {
                const long i = parameters_.partnerOfNew[j];
                const long newIndex = static_cast<long>(j);
                if (i == none) {
                    Difference difference =
                        parameterDifference(DifferenceKind::Inserted, DifferencePart::Parameter, none, newIndex);
                    difference.after = news[j].name;
                    differences_.push_back(std::move(difference));
                    return;
                }
                const auto oldIndex = static_cast<std::size_t>(i);
                if (parameters_.moved[oldIndex]) {
                    Difference difference =
                        parameterDifference(DifferenceKind::Moved, DifferencePart::Parameter, i, newIndex);
                    difference.before = olds[oldIndex].name;
                    difference.after = news[j].name;
                    differences_.push_back(std::move(difference));
                }
                compareParameter(oldIndex, j);
            },
            [&](std::size_t i) {
                Difference difference =
                    parameterDifference(DifferenceKind::Removed, DifferencePart::Parameter, static_cast<long>(i), none);
                difference.before = olds[i].name;
                differences_.push_back(std::move(difference));
            });
    }

    void compareParameter(std::size_t i, std::size_t j) {
        const ParameterRecord& before = old_.parameters[i];
        const ParameterRecord& renumbered = renumbered_.parameters[i];
        const ParameterRecord& after = new_.parameters[j];
        const long oldIndex = static_cast<long>(i);
        const long newIndex = static_cast<long>(j);
        if (before.name != after.name) {
            changed(DifferencePart::ParameterName, oldIndex, newIndex, before.name, after.name);
        }
        if (before.kind != after.kind) {
            changed(DifferencePart::ParameterKind, oldIndex, newIndex, std::to_string(static_cast<int>(before.kind)),
                    std::to_string(static_cast<int>(after.kind)));
        }
        if ((before.isNumber != 0) != (after.isNumber != 0)) {
            changed(DifferencePart::NumberFlag, oldIndex, newIndex, flag(before.isNumber), flag(after.isNumber));
        }
        if ((before.hasFormula != 0) != (after.hasFormula != 0)) {
            changed(DifferencePart::FormulaFlag, oldIndex, newIndex, flag(before.hasFormula), flag(after.hasFormula));
        }
        if (renumbered.formula != after.formula) {
            changed(DifferencePart::Formula, oldIndex, newIndex, before.formula, after.formula);
        }
        compareRows(i, j);
    }

    void compareRows(std::size_t i, std::size_t j) {
        const std::vector<ValueRow>& olds = renumbered_.parameters[i].values;
        const std::vector<ValueRow>& originals = old_.parameters[i].values;
        const std::vector<ValueRow>& news = new_.parameters[j].values;
        const ValueKind kind = new_.parameters[j].kind;
        const Equal same = [&](std::size_t a, std::size_t b) { return olds[a] == news[b]; };
        const Resemblance resemblance = [&](std::size_t a, std::size_t b) {
            const int equalCells = (olds[a].value == news[b].value ? 1 : 0) +
                                   (olds[a].upperBound == news[b].upperBound ? 1 : 0) +
                                   (olds[a].result == news[b].result ? 1 : 0);
            return equalCells / 3.0;
        };
        const RecordMatch rows = matchRecords(olds.size(), news.size(), {same}, {}, {}, resemblance, 0.3);
        const auto rowDifference = [&](DifferenceKind differenceKind, DifferencePart part, long oldRow, long newRow) {
            Difference difference =
                parameterDifference(differenceKind, part, static_cast<long>(i), static_cast<long>(j));
            difference.oldRow = oldRow == none ? 0 : static_cast<int>(oldRow) + 1;
            difference.newRow = newRow == none ? 0 : static_cast<int>(newRow) + 1;
            return difference;
        };
        inNewOrder(
            rows, news.size(),
            [&](std::size_t b) {
                const long a = rows.partnerOfNew[b];
                if (a == none) {
                    Difference difference =
                        rowDifference(DifferenceKind::Inserted, DifferencePart::ValueRow, none, static_cast<long>(b));
                    difference.after = rowText(news[b], kind);
                    differences_.push_back(std::move(difference));
                    return;
                }
                const auto oldRow = static_cast<std::size_t>(a);
                const struct {
                    DifferencePart part;
                    const std::string& renumbered;
                    const std::string& original;
                    const std::string& now;
                } cells[] = {
                    {DifferencePart::Value, olds[oldRow].value, originals[oldRow].value, news[b].value},
                    {DifferencePart::UpperBound, olds[oldRow].upperBound, originals[oldRow].upperBound,
                     news[b].upperBound},
                    {DifferencePart::ValueResult, olds[oldRow].result, originals[oldRow].result, news[b].result},
                };
                for (const auto& cell : cells) {
                    if (cell.renumbered != cell.now) {
                        Difference difference =
                            rowDifference(DifferenceKind::Changed, cell.part, a, static_cast<long>(b));
                        difference.before = cell.original;
                        difference.after = cell.now;
                        differences_.push_back(std::move(difference));
                    }
                }
            },
            [&](std::size_t a) {
                Difference difference =
                    rowDifference(DifferenceKind::Removed, DifferencePart::ValueRow, static_cast<long>(a), none);
                difference.before = rowText(originals[a], old_.parameters[i].kind);
                differences_.push_back(std::move(difference));
            });
    }

    Difference resultDifference(DifferenceKind kind, DifferencePart part, long oldIndex, long newIndex) const {
        Difference difference;
        difference.kind = kind;
        difference.part = part;
        difference.oldRecord = oldIndex == none ? 0 : static_cast<int>(oldIndex) + 1;
        difference.newRecord = newIndex == none ? 0 : static_cast<int>(newIndex) + 1;
        difference.recordName = newIndex == none ? old_.results[static_cast<std::size_t>(oldIndex)].name
                                                 : new_.results[static_cast<std::size_t>(newIndex)].name;
        return difference;
    }

    void compareResults() {
        const auto& olds = old_.results;
        const auto& renumbered = renumbered_.results;
        const auto& news = new_.results;
        inNewOrder(
            results_, news.size(),
            [&](std::size_t j) {
                const long i = results_.partnerOfNew[j];
                const long newIndex = static_cast<long>(j);
                if (i == none) {
                    Difference difference =
                        resultDifference(DifferenceKind::Inserted, DifferencePart::Result, none, newIndex);
                    difference.after = news[j].name;
                    differences_.push_back(std::move(difference));
                    return;
                }
                const auto oldIndex = static_cast<std::size_t>(i);
                if (results_.moved[oldIndex]) {
                    Difference difference =
                        resultDifference(DifferenceKind::Moved, DifferencePart::Result, i, newIndex);
                    difference.before = olds[oldIndex].name;
                    difference.after = news[j].name;
                    differences_.push_back(std::move(difference));
                }
                if (olds[oldIndex].name != news[j].name) {
                    Difference difference =
                        resultDifference(DifferenceKind::Changed, DifferencePart::ResultName, i, newIndex);
                    difference.before = olds[oldIndex].name;
                    difference.after = news[j].name;
                    differences_.push_back(std::move(difference));
                }
                if (renumbered[oldIndex].result != news[j].result) {
                    Difference difference =
                        resultDifference(DifferenceKind::Changed, DifferencePart::ResultText, i, newIndex);
                    difference.before = olds[oldIndex].result;
                    difference.after = news[j].result;
                    differences_.push_back(std::move(difference));
                }
            },
            [&](std::size_t i) {
                Difference difference =
                    resultDifference(DifferenceKind::Removed, DifferencePart::Result, static_cast<long>(i), none);
                difference.before = olds[i].name;
                differences_.push_back(std::move(difference));
            });
    }

    const ReportDefinition& old_;
    const ReportDefinition& new_;
    ReportDefinition renumbered_;
    RecordMatch parameters_;
    RecordMatch results_;
    std::vector<Difference> differences_;
};

} // namespace

std::vector<Difference> compareDefinitions(const ReportDefinition& before, const ReportDefinition& after) {
    return Comparison(before, after).run();
}

std::optional<TextLocation> differenceLocation(const Difference& difference, const ReportDefinition& after) {
    const auto parameters = static_cast<int>(after.parameters.size());
    const auto results = static_cast<int>(after.results.size());
    // A removed record's place is taken by the next one, or the last when it was at the end.
    const auto near = [](int number, int count) { return std::min(number, count); };
    const int record = difference.newRecord;
    switch (difference.part) {
    case DifferencePart::ReportText:
        return TextLocation{TextField::ReportText, difference.newRecord, 0};
    case DifferencePart::Parameter:
    case DifferencePart::ParameterName:
    case DifferencePart::ParameterKind:
    case DifferencePart::NumberFlag:
    case DifferencePart::FormulaFlag: {
        const int number = record != 0 ? record : near(difference.oldRecord, parameters);
        if (number < 1) {
            return std::nullopt;
        }
        return TextLocation{TextField::ParameterName, number, 0};
    }
    case DifferencePart::Formula:
        return TextLocation{TextField::ParameterFormula, record, 0};
    case DifferencePart::ValueRow: {
        const auto rows = static_cast<int>(after.parameters[static_cast<std::size_t>(record - 1)].values.size());
        const int row = difference.newRow != 0 ? difference.newRow : near(difference.oldRow, rows);
        if (row < 1) {
            return TextLocation{TextField::ParameterName, record, 0};
        }
        return TextLocation{TextField::Value, record, row};
    }
    case DifferencePart::Value:
        return TextLocation{TextField::Value, record, difference.newRow};
    case DifferencePart::UpperBound:
        return TextLocation{TextField::UpperBound, record, difference.newRow};
    case DifferencePart::ValueResult:
        return TextLocation{TextField::ValueResult, record, difference.newRow};
    case DifferencePart::Result:
    case DifferencePart::ResultName: {
        const int number = record != 0 ? record : near(difference.oldRecord, results);
        if (number < 1) {
            return std::nullopt;
        }
        return TextLocation{TextField::ResultName, number, 0};
    }
    case DifferencePart::ResultText:
        return TextLocation{TextField::ResultText, record, 0};
    }
    return std::nullopt;
}

} // namespace vornak
