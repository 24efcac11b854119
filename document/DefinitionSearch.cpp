#include "DefinitionSearch.h"

#include "DefinitionDocument.h"
#include "TextCodec.h"

#include <algorithm>
#include <array>
#include <tuple>

namespace vornak {

namespace {

// Where each kind of text stands in the form's tab order: the title, document and three captions
// along the top, then the parameters (their list, formula and value list, which all show the
// selected parameter), the results, and the author, organisation, source and date along the bottom.
struct ScreenOrder {
    std::array<int, reportTextCount + 1> reportText{}; // by ReportText number
    int parameters = 0;
    int results = 0;
    int name = 0; // the parts of a parameter, in the same order
    int formula = 1;
    int values = 2;
};

constexpr ScreenOrder makeScreenOrder() {
    ScreenOrder order;
    int group = 0;
    const auto place = [&order, &group](ReportText text) {
        order.reportText[static_cast<std::size_t>(text)] = group++;
    };
    place(ReportText::Title);
    place(ReportText::DocumentFile);
    place(ReportText::Input1Caption);
    place(ReportText::Input2Caption);
    place(ReportText::SurnameCaption);
    order.parameters = group++;
    order.results = group++;
    place(ReportText::Author);
    place(ReportText::Organisation);
    place(ReportText::Source);
    place(ReportText::Date);
    return order;
}

const ScreenOrder& screenOrder() {
    static constexpr ScreenOrder order = makeScreenOrder();
    return order;
}

using Key = std::array<int, 5>;

Key keyOf(const TextLocation& where) {
    const ScreenOrder& order = screenOrder();
    switch (where.field) {
    case TextField::ReportText: {
        const bool known = where.record >= 1 && where.record <= reportTextCount;
        return {known ? order.reportText[static_cast<std::size_t>(where.record)] : -1, 0, 0, 0, 0};
    }
    case TextField::ParameterName:
        return {order.parameters, where.record, order.name, 0, 0};
    case TextField::ParameterFormula:
        return {order.parameters, where.record, order.formula, 0, 0};
    case TextField::Value:
        return {order.parameters, where.record, order.values, where.row, 0};
    case TextField::UpperBound:
        return {order.parameters, where.record, order.values, where.row, 1};
    case TextField::ValueResult:
        return {order.parameters, where.record, order.values, where.row, 2};
    case TextField::ResultName:
        return {order.results, where.record, 0, 0, 0};
    case TextField::ResultText:
        return {order.results, where.record, 0, 0, 1};
    }
    return {-1, 0, 0, 0, 0};
}

std::tuple<Key, int> placeOf(const TextMatch& match) {
    return {keyOf(match.where), match.start};
}

bool isWordCharacter(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}

EditRefusal refusalOf(DefinitionTextProblem problem) {
    switch (problem) {
    case DefinitionTextProblem::None:
        return EditRefusal::None;
    case DefinitionTextProblem::LineBreak:
        return EditRefusal::LineBreak;
    case DefinitionTextProblem::Unencodable:
        return EditRefusal::Unencodable;
    case DefinitionTextProblem::TooLong:
        return EditRefusal::TooLong;
    }
    return EditRefusal::None;
}

// What the replacement itself adds that no file line may hold.
EditRefusal replacementRefusal(const QString& replacement) {
    const DefinitionTextProblem problem = definitionTextProblem(replacement);
    return problem == DefinitionTextProblem::TooLong ? EditRefusal::None : refusalOf(problem);
}

bool tooLong(std::size_t before, std::size_t after) {
    return after > maxLineBytes && after > before;
}

bool isSearched(const ReportDefinition& definition, const TextLocation& where) {
    const auto searched = searchedTexts(definition);
    return std::find(searched.begin(), searched.end(), where) != searched.end();
}

} // namespace

std::vector<TextLocation> searchedTexts(const ReportDefinition& definition) {
    std::vector<TextLocation> texts;
    for (int r = 1; r <= reportTextCount; ++r) {
        texts.push_back(locationOf(static_cast<ReportText>(r)));
    }
    for (std::size_t p = 0; p < definition.parameters.size(); ++p) {
        const ParameterRecord& record = definition.parameters[p];
        const int number = static_cast<int>(p) + 1;
        texts.push_back({TextField::ParameterName, number, 0});
        if (record.hasFormula != 0) {
            texts.push_back({TextField::ParameterFormula, number, 0});
        }
        const bool list = record.kind == ValueKind::List || record.kind == ValueKind::Input;
        const bool range = record.kind == ValueKind::Range;
        if (!list && !range) {
            continue; // the value list shows no column for this kind
        }
        for (std::size_t v = 0; v < record.values.size(); ++v) {
            const int row = static_cast<int>(v) + 1;
            texts.push_back({TextField::Value, number, row});
            if (range) {
                texts.push_back({TextField::UpperBound, number, row});
            }
            texts.push_back({TextField::ValueResult, number, row});
        }
    }
    for (std::size_t r = 0; r < definition.results.size(); ++r) {
        const int number = static_cast<int>(r) + 1;
        texts.push_back({TextField::ResultName, number, 0});
        texts.push_back({TextField::ResultText, number, 0});
    }
    std::stable_sort(texts.begin(), texts.end(),
                     [](const TextLocation& a, const TextLocation& b) { return keyOf(a) < keyOf(b); });
    return texts;
}

bool comesBefore(const TextLocation& a, const TextLocation& b) {
    return keyOf(a) < keyOf(b);
}

DefinitionSearch::DefinitionSearch(QString pattern, SearchOptions options)
    : pattern_(std::move(pattern)), options_(options) {
}

bool DefinitionSearch::isMatchAt(const QString& text, qsizetype start) const {
    const qsizetype length = pattern_.size();
    if (pattern_.isEmpty() || start < 0 || start + length > text.size()) {
        return false;
    }
    const Qt::CaseSensitivity cs = options_.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    if (QStringView(text).mid(start, length).compare(pattern_, cs) != 0) {
        return false;
    }
    if (options_.wholeWord) {
        // Only an end of the pattern that is part of a word needs the word to end there.
        if (isWordCharacter(pattern_.front()) && start > 0 && isWordCharacter(text[start - 1])) {
            return false;
        }
        const qsizetype end = start + length;
        if (isWordCharacter(pattern_.back()) && end < text.size() && isWordCharacter(text[end])) {
            return false;
        }
    }
    return true;
}

std::vector<std::pair<int, int>> DefinitionSearch::matchesIn(const QString& text) const {
    std::vector<std::pair<int, int>> found;
    if (pattern_.isEmpty()) {
        return found;
    }
    const Qt::CaseSensitivity cs = options_.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    qsizetype from = 0;
    while (true) {
        const qsizetype at = text.indexOf(pattern_, from, cs);
        if (at < 0) {
            break;
        }
        if (isMatchAt(text, at)) {
            found.emplace_back(static_cast<int>(at), static_cast<int>(pattern_.size()));
            from = at + pattern_.size();
        } else {
            from = at + 1;
        }
    }
    return found;
}

std::vector<TextMatch> DefinitionSearch::findAll(const ReportDefinition& definition) const {
    std::vector<TextMatch> matches;
    if (pattern_.isEmpty()) {
        return matches;
    }
    for (const TextLocation& where : searchedTexts(definition)) {
        for (const auto& [start, length] : matchesIn(displayText(textAt(definition, where)))) {
            matches.push_back({where, start, length});
        }
    }
    return matches;
}

DefinitionSearch::Step DefinitionSearch::step(const ReportDefinition& definition,
                                              const std::optional<TextMatch>& from, bool backward,
                                              bool inclusive) const {
    Step result;
    const std::vector<TextMatch> matches = findAll(definition);
    result.count = static_cast<int>(matches.size());
    if (matches.empty()) {
        return result;
    }
    std::optional<std::size_t> chosen;
    if (!from) {
        chosen = backward ? matches.size() - 1 : 0;
    } else {
        const auto here = placeOf(*from);
        if (!backward) {
            for (std::size_t i = 0; i < matches.size() && !chosen; ++i) {
                const auto place = placeOf(matches[i]);
                if (place > here || (inclusive && place == here)) {
                    chosen = i;
                }
            }
            if (!chosen) {
                chosen = 0;
                result.wrapped = true;
            }
        } else {
            for (std::size_t i = matches.size(); i > 0 && !chosen; --i) {
                const auto place = placeOf(matches[i - 1]);
                if (place < here || (inclusive && place == here)) {
                    chosen = i - 1;
                }
            }
            if (!chosen) {
                chosen = matches.size() - 1;
                result.wrapped = true;
            }
        }
    }
    result.match = matches[*chosen];
    result.index = static_cast<int>(*chosen);
    return result;
}

int DefinitionSearch::indexOf(const ReportDefinition& definition, const TextMatch& match) const {
    const std::vector<TextMatch> matches = findAll(definition);
    const auto found = std::find(matches.begin(), matches.end(), match);
    return found == matches.end() ? -1 : static_cast<int>(found - matches.begin());
}

std::optional<TextChange> DefinitionSearch::replaceOne(const ReportDefinition& definition,
                                                       const TextMatch& match, const QString& replacement,
                                                       EditRefusal* refusal) const {
    EditRefusal dummy = EditRefusal::None;
    EditRefusal& why = refusal ? *refusal : dummy;
    why = EditRefusal::None;
    if (!isSearched(definition, match.where)) {
        return std::nullopt;
    }
    const std::string& before = textAt(definition, match.where);
    const QString shown = displayText(before);
    if (match.length != pattern_.size() || static_cast<std::size_t>(shown.size()) != before.size() ||
        !isMatchAt(shown, match.start)) {
        return std::nullopt;
    }
    why = replacementRefusal(replacement);
    if (why != EditRefusal::None) {
        return std::nullopt;
    }
    const auto start = static_cast<std::size_t>(match.start);
    std::string after = before.substr(0, start);
    after += TextCodec::encode(replacement);
    after += before.substr(start + static_cast<std::size_t>(match.length));
    if (tooLong(before.size(), after.size())) {
        why = EditRefusal::TooLong;
        return std::nullopt;
    }
    return TextChange{match.where, before, std::move(after)};
}

ReplaceAll DefinitionSearch::replaceAll(const ReportDefinition& definition,
                                        const QString& replacement) const {
    ReplaceAll result;
    if (pattern_.isEmpty()) {
        return result;
    }
    const std::string bytes = TextCodec::encode(replacement);
    bool checked = false;
    for (const TextLocation& where : searchedTexts(definition)) {
        const std::string& before = textAt(definition, where);
        const QString shown = displayText(before);
        const auto matches = matchesIn(shown);
        // Offsets in the shown text are byte offsets only while every byte is one character.
        if (matches.empty() || static_cast<std::size_t>(shown.size()) != before.size()) {
            continue;
        }
        if (!checked) {
            result.refusal = replacementRefusal(replacement);
            if (result.refusal != EditRefusal::None) {
                return result;
            }
            checked = true;
        }
        std::string after;
        std::size_t kept = 0;
        for (const auto& [start, length] : matches) {
            after.append(before, kept, static_cast<std::size_t>(start) - kept);
            after += bytes;
            kept = static_cast<std::size_t>(start + length);
        }
        after.append(before, kept);
        if (tooLong(before.size(), after.size())) {
            result.changes.clear();
            result.replaced = 0;
            result.refusal = EditRefusal::TooLong;
            result.refusedAt = where;
            return result;
        }
        result.replaced += static_cast<int>(matches.size());
        if (after != before) {
            result.changes.push_back({where, before, std::move(after)});
        }
    }
    return result;
}

} // namespace vornak
