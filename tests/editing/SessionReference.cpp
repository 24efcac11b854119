#include "SessionReference.h"

#include "TextCodec.h"

#include <sstream>

namespace vornak::testing {

const char* gridName(int grid) {
    switch (grid) {
    case ParameterGrid:
        return "parameters";
    case ValueGrid:
        return "values";
    case ResultGrid:
        return "results";
    default:
        return "?";
    }
}

std::string* cellText(ReportDefinition& definition, const OpenEdit& cell) {
    const auto inRange = [](int index, std::size_t size) {
        return index >= 0 && static_cast<std::size_t>(index) < size;
    };
    switch (cell.grid) {
    case ParameterGrid:
        if (inRange(cell.row, definition.parameters.size()) && cell.column == 1) {
            return &definition.parameters[static_cast<std::size_t>(cell.row)].name;
        }
        return nullptr;
    case ResultGrid:
        if (inRange(cell.row, definition.results.size())) {
            ResultRow& r = definition.results[static_cast<std::size_t>(cell.row)];
            return cell.column == 1 ? &r.name : cell.column == 2 ? &r.result : nullptr;
        }
        return nullptr;
    case ValueGrid: {
        if (!inRange(cell.parameter, definition.parameters.size())) {
            return nullptr;
        }
        ParameterRecord& p = definition.parameters[static_cast<std::size_t>(cell.parameter)];
        if (!inRange(cell.row, p.values.size())) {
            return nullptr;
        }
        ValueRow& v = p.values[static_cast<std::size_t>(cell.row)];
        // A range has its upper bound between the value and the result.
        if (p.kind == ValueKind::Range) {
            return cell.column == 0 ? &v.value : cell.column == 1 ? &v.upperBound : cell.column == 2 ? &v.result : nullptr;
        }
        return cell.column == 0 ? &v.value : cell.column == 1 ? &v.result : nullptr;
    }
    default:
        return nullptr;
    }
}

bool confirmInto(ReportDefinition& definition, const OpenEdit& edit) {
    std::string* text = cellText(definition, edit);
    if (text == nullptr) {
        return false;
    }
    *text = TextCodec::encode(edit.text);
    return true;
}

namespace {

QString shown(const std::string& bytes) {
    return TextCodec::decode(bytes);
}

class Differences {
public:
    Differences(const char* first, const char* second) : first_(first), second_(second) {}

    template <typename T> void expect(const T& editor, const T& reference, const std::string& where) {
        if (editor != reference && count_++ < 6) {
            out_ << where << ": " << first_ << " has \"" << shownOf(editor) << "\", " << second_ << " \""
                 << shownOf(reference) << "\"\n";
        }
    }
    std::string text() const {
        return count_ > 6 ? out_.str() + "... and " + std::to_string(count_ - 6) + " more\n" : out_.str();
    }

private:
    static std::string shownOf(const std::string& bytes) { return shown(bytes).toStdString(); }
    template <typename T> static std::string shownOf(const T& value) { return std::to_string(value); }

    const char* first_;
    const char* second_;
    std::ostringstream out_;
    int count_ = 0;
};

void compareRows(Differences& diff, const ReportDefinition& a, const ReportDefinition& b, bool everything) {
    diff.expect(a.parameters.size(), b.parameters.size(), "number of parameters");
    for (std::size_t i = 0; i < std::min(a.parameters.size(), b.parameters.size()); ++i) {
        const ParameterRecord& p = a.parameters[i];
        const ParameterRecord& q = b.parameters[i];
        const std::string at = "parameter " + std::to_string(i + 1);
        diff.expect(p.name, q.name, at + " name");
        diff.expect(static_cast<int>(p.kind), static_cast<int>(q.kind), at + " kind");
        diff.expect(p.values.size(), q.values.size(), at + " number of values");
        for (std::size_t k = 0; k < std::min(p.values.size(), q.values.size()); ++k) {
            const std::string row = at + " value row " + std::to_string(k + 1);
            diff.expect(p.values[k].value, q.values[k].value, row + " value");
            diff.expect(p.values[k].upperBound, q.values[k].upperBound, row + " upper bound");
            diff.expect(p.values[k].result, q.values[k].result, row + " result");
        }
        if (everything) {
            diff.expect(p.formula, q.formula, at + " formula");
            diff.expect(static_cast<int>(p.isNumber), static_cast<int>(q.isNumber), at + " number flag");
            diff.expect(static_cast<int>(p.hasFormula), static_cast<int>(q.hasFormula), at + " formula flag");
        }
    }
    diff.expect(a.results.size(), b.results.size(), "number of results");
    for (std::size_t i = 0; i < std::min(a.results.size(), b.results.size()); ++i) {
        const std::string at = "result " + std::to_string(i + 1);
        diff.expect(a.results[i].name, b.results[i].name, at + " name");
        diff.expect(a.results[i].result, b.results[i].result, at + " result");
    }
}

} // namespace

std::string referenceDifference(const ReportDefinition& editor, const ReportDefinition& reference) {
    Differences diff("the editor", "the reference");
    diff.expect(editor.title, reference.title, "title");
    compareRows(diff, editor, reference, false);
    return diff.text();
}

std::string fullDifference(const ReportDefinition& a, const ReportDefinition& b, const char* aName,
                           const char* bName) {
    Differences diff(aName, bName);
    const std::string ReportDefinition::*texts[] = {
        &ReportDefinition::title,  &ReportDefinition::documentFile, &ReportDefinition::input1Caption,
        &ReportDefinition::input2Caption, &ReportDefinition::surnameCaption, &ReportDefinition::author,
        &ReportDefinition::source, &ReportDefinition::organisation, &ReportDefinition::date};
    for (const auto text : texts) {
        diff.expect(a.*text, b.*text, "report text");
    }
    compareRows(diff, a, b, true);
    std::string out = diff.text();
    if (out.empty() && !(a == b)) {
        out = "the definitions differ in a field not compared here\n";
    }
    return out;
}

} // namespace vornak::testing
