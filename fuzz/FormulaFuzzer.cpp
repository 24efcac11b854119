// libFuzzer target for the formula checker. The input either goes in as it is (as a formula and as
// a result text: nothing may crash, every finding must point into the text, and renumbering the
// codes there and back must give the same codes), or drives the building of a random valid
// expression that is written out as a user might type it, and whose formula must check clean.
#include "DefinitionChecks.h"
#include "DefinitionText.h"
#include "ReportDefinition.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

namespace {

using namespace vornak;

[[noreturn]] void fail(const char* what, const std::string& text, const std::vector<Finding>& findings = {}) {
    std::fprintf(stderr, "%s\ntext: [%s]\n", what, text.c_str());
    for (const Finding& finding : findings) {
        std::fprintf(stderr, "  %s at %zu: %s\n", std::string(findingKindName(finding.kind)).c_str(),
                     finding.offset, describeFinding(finding).c_str());
    }
    std::abort();
}

// Writes a random expression of the usage help's language, with spaces, letter case and number
// notations varied the way people type them.
class FormulaWriter {
public:
    explicit FormulaWriter(FuzzedDataProvider& input) : input_(input) {}

    std::string write() {
        expression(0);
        return std::move(text_);
    }

private:
    void spaces() {
        const int count = input_.ConsumeIntegralInRange(0, 3) == 0 ? input_.ConsumeIntegralInRange(1, 2) : 0;
        text_.append(static_cast<std::size_t>(count), input_.ConsumeBool() ? ' ' : '\t');
    }

    void number() {
        text_ += std::to_string(input_.ConsumeIntegralInRange(0, 100000));
        switch (input_.ConsumeIntegralInRange(0, 4)) {
        case 0:
            text_ += '.' + std::to_string(input_.ConsumeIntegralInRange(0, 999));
            break;
        case 1:
            text_ += ',' + std::to_string(input_.ConsumeIntegralInRange(0, 999));
            break;
        case 2:
            text_ += input_.ConsumeBool() ? "e" : "E";
            text_ += input_.PickValueInArray({"", "+", "-"});
            text_ += std::to_string(input_.ConsumeIntegralInRange(0, 300));
            break;
        default:
            break;
        }
    }

    void word(const char* name) {
        for (const char* c = name; *c != '\0'; ++c) {
            text_ += input_.ConsumeIntegralInRange(0, 7) == 0 ? static_cast<char>(*c - 'a' + 'A') : *c;
        }
    }

    // Letters, digits and spaces, never blank; Cyrillic letters as Windows-1251 bytes.
    void plainText(bool allowQuotes) {
        const std::size_t length = input_.ConsumeIntegralInRange<std::size_t>(1, 12);
        for (std::size_t i = 0; i < length; ++i) {
            switch (input_.ConsumeIntegralInRange(0, 5)) {
            case 0:
                text_ += ' ';
                break;
            case 1:
                text_ += static_cast<char>(input_.ConsumeIntegralInRange(0xC0, 0xFF));
                break;
            case 2:
                text_ += static_cast<char>(input_.ConsumeIntegralInRange('0', '9'));
                break;
            case 3:
                text_ += allowQuotes ? input_.PickValueInArray({'.', ':', '#', '(', '+'}) : '.';
                break;
            default:
                text_ += static_cast<char>(input_.ConsumeIntegralInRange('a', 'z'));
                break;
            }
        }
        text_ += 'x'; // never blank
    }

    void operand(int depth) {
        const int last = depth >= 8 || input_.remaining_bytes() < 4 ? 3 : 11;
        spaces();
        switch (input_.ConsumeIntegralInRange(0, last)) {
        case 0:
            number();
            break;
        case 1:
            word("pi");
            break;
        case 2:
            text_ += '"';
            plainText(true);
            text_ += '"';
            break;
        case 3:
            text_ += input_.PickValueInArray({"#S", "#T"});
            break;
        case 4:
        case 5:
            // A code naming one of the three parameters or results the definition has.
            text_ += input_.PickValueInArray({"#P", "#R", "#N", "#X"});
            spaces();
            text_ += '(';
            if (input_.ConsumeBool()) {
                spaces();
                text_ += std::to_string(input_.ConsumeIntegralInRange(1, 3));
                spaces();
            } else {
                // An expression, never a plain number (which would have to name one of the three).
                expression(depth + 1);
                text_ += input_.ConsumeBool() ? "+0" : "*1";
            }
            text_ += ')';
            break;
        case 6:
            text_ += input_.PickValueInArray({"#I(", "#C("});
            plainText(false);
            text_ += ')';
            break;
        case 7:
        case 8: {
            static const char* const functions[] = {"sin",  "cos", "tan", "cot",  "asin",  "acos", "atan",
                                                    "sqrt", "exp", "abs", "ceil", "floor", "lg",   "ln"};
            word(functions[input_.ConsumeIntegralInRange<std::size_t>(0, std::size(functions) - 1)]);
            spaces();
            text_ += '(';
            expression(depth + 1);
            text_ += ')';
            break;
        }
        case 9:
            text_ += '(';
            expression(depth + 1);
            text_ += ')';
            break;
        default:
            text_ += input_.PickValueInArray({'-', '+'});
            operand(depth + 1);
            break;
        }
        spaces();
    }

    void expression(int depth) {
        operand(depth);
        const int operators = depth >= 8 ? 0 : input_.ConsumeIntegralInRange(0, 3);
        for (int i = 0; i < operators; ++i) {
            text_ += input_.PickValueInArray({'+', '-', '*', '/', '^'});
            operand(depth + 1);
        }
    }

    FuzzedDataProvider& input_;
    std::string text_;
};

ReportDefinition threeOfEach(const std::string& formula) {
    ReportDefinition definition;
    for (const char* name : {"a", "b", "c"}) {
        definition.parameters.push_back({name, "", ValueKind::List, 0, 0, {{"1", "", "r"}, {"2", "", "r"}}});
        definition.results.push_back({name, "r"});
    }
    definition.parameters[0].hasFormula = 1;
    definition.parameters[0].formula = formula;
    return definition;
}

void checkRawText(const std::string& text) {
    const std::vector<Finding> asFormula = checkFormulaSyntax(text);
    if (asFormula.size() > 1) {
        fail("more than one syntax finding for a formula", text, asFormula);
    }
    for (const std::vector<Finding>& findings : {asFormula, checkResultSyntax(text)}) {
        for (const Finding& finding : findings) {
            if (finding.offset > text.size()) {
                fail("a finding points beyond the text", text, findings);
            }
        }
    }
    // Reverse the parameters and back: every code names what it named before.
    ReportDefinition definition = threeOfEach(text);
    definition.parameters.resize(5, definition.parameters[1]);
    const std::vector<NumberedCode> before = findNumberedCodes(text);
    const std::vector<TextChange> there = renumberParameterReferences(definition, {5, 4, 3, 2, 1});
    applyTextChanges(definition, there, true);
    const std::vector<TextChange> back = renumberParameterReferences(definition, {5, 4, 3, 2, 1});
    applyTextChanges(definition, back, true);
    const std::vector<NumberedCode> after = findNumberedCodes(definition.parameters[0].formula);
    bool same = before.size() == after.size();
    for (std::size_t i = 0; same && i < before.size(); ++i) {
        same = before[i].letter == after[i].letter && before[i].number == after[i].number;
    }
    if (!same) {
        fail("renumbering there and back changed a code", text);
    }
    applyTextChanges(definition, back, false);
    applyTextChanges(definition, there, false);
    if (definition.parameters[0].formula != text) {
        fail("undoing the renumbering did not restore the text", text);
    }
    (void)checkDefinition(definition);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    if (input.ConsumeBool()) {
        checkRawText(input.ConsumeRemainingBytesAsString());
        return 0;
    }
    const std::string formula = FormulaWriter(input).write();
    const std::vector<Finding> findings = checkFormulaSyntax(formula);
    if (!findings.empty()) {
        fail("a valid formula has syntax findings", formula, findings);
    }
    const std::vector<Finding> asResult = checkResultSyntax(formula);
    if (!asResult.empty()) {
        fail("a valid formula has findings as a result text", formula, asResult);
    }
    const std::vector<Finding> all = checkDefinition(threeOfEach(formula));
    if (!all.empty()) {
        fail("a valid formula in a sound definition has findings", formula, all);
    }
    return 0;
}
