// Finds the mistakes a definition may hold that the runner would stumble on or that would give a
// wrong conclusion: formula and code syntax, codes naming records that do not exist, range tables
// with gaps or overlaps, numbers that are not numbers, and incomplete records. Shared by vornak-cli
// and the editor; each finding has a kind and a place, so that every caller words it its own way.
#pragma once

#include "DefinitionText.h"
#include "ReportDefinition.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace vornak {

class CompactDefinition;

// One value per distinct problem. `number` and `detail` of a Finding mean what each comment says
// (0 and empty otherwise); `detail` holds text of the definition as written (Windows-1251 bytes).
// Syntax findings also carry the byte `offset` where the mistake starts in their text.
enum class FindingKind : std::uint8_t {
    // Records and references.
    CodeNamesNoParameter, // #P/#R/#N(n) names a parameter that does not exist: number n, detail the code
    CodeNamesNoResult,    // #X(n) names a result that does not exist: number n, detail the code
    UnknownValueKind,     // the kind code is none of 0, 1, 2: number the code (place: the parameter)
    InputWithSeveralRows, // an Input parameter with more than one value row: number the row count

    // Formula syntax (a parameter's formula) and code syntax (formulas and result texts).
    UnclosedParenthesis,     // an opening parenthesis is never closed: detail "("
    UnmatchedParenthesis,    // a closing parenthesis without an opening one: detail ")"
    EmptyParentheses,        // "()" holding nothing: detail "()"
    UnclosedQuote,           // a string whose closing quotation mark is missing: detail the quote
    UnknownFunction,         // a name followed by "(" that is no function: detail the name
    FunctionWithoutArgument, // a function not followed by its argument in parentheses: detail the name
    UnknownName,             // a word that is neither a function nor PI: detail the word
    UnknownCode,             // "#" followed by a letter that names no code: detail e.g. "#Q"
    CodeWithoutArgument,     // #P, #R, #X, #N, #I or #C without its argument: detail e.g. "#P"
    MissingOperand,          // an operator with nothing on one side: detail the operator
    MissingOperator,         // two operands with no operator between them: detail the second one's
                             // start (its word, number or code letter, else its first character)
    UnexpectedCharacter,     // a character formulas do not use: detail the character

    // Range tables (kind Range).
    // Row findings point at the row's lower bound (TextField::Value); rows with a bound that is not a
    // number, or with a lower bound not below the upper one, stay out of the order checks.
    BoundNotNumber,     // a lower (Value) or upper (UpperBound) bound that is no number: detail the text
    LowerNotBelowUpper, // a range whose lower bound is not below its upper bound
    RangeOutOfOrder,    // a range that starts below the range in the row above: number that row
    RangesOverlap,      // a range that starts inside one with a lower start: number that range's row
    RangeGap,           // a gap before this range: number the row the gap starts after, detail the gap
                        // as "from - to" (the bounds as written)

    // Numbers.
    ValueNotNumber, // a List or Input value of a parameter marked "number" that is no number: detail
                    // the value (an empty initial value of an Input parameter is fine)

    // Completeness.
    EmptyParameterName,
    EmptyResultName,
    EmptyFormula,       // the formula flag is set but the formula is empty
    DuplicateListValue, // the same value twice in a List (spaces around it aside): number the row where
                        // it first appears, detail the value
    ResultCycle,        // an #X chain that leads back to its own result: number how many results the
                        // circle holds, detail the chain, e.g. "1 > 3 > 1" (one finding per circle)
};

// A stable identifier for scripts and JSON, e.g. "code-names-no-parameter".
std::string_view findingKindName(FindingKind kind);

struct Finding {
    FindingKind kind = FindingKind::CodeNamesNoParameter;
    // The text the problem lies in. Findings about a whole parameter (UnknownValueKind,
    // InputWithSeveralRows) point at its name; ResultCycle at the result text of the cycle's
    // lowest-numbered result.
    TextLocation where;
    long long number = 0;
    std::string detail;
    std::size_t offset = 0; // byte offset in the text where the problem starts (0 if none)

    bool operator==(const Finding&) const = default;
};

// Every finding of the whole definition, in file order. Only texts that hold codes are read for
// codes: formulas (when the formula flag is set), value-row results and result-row results.
std::vector<Finding> checkDefinition(const ReportDefinition& definition);
// The same for a definition read compactly: the same findings for the same file.
std::vector<Finding> checkDefinition(const CompactDefinition& definition);
// The same findings handed over one by one in the same order, as they are found, so that a
// definition with very many of them needs memory for only one record's.
void forEachFinding(const CompactDefinition& definition, const std::function<void(Finding&&)>& take);

// Syntax of one formula (the language of the usage help). At most one syntax finding, the first;
// codes naming missing records are not judged here (checkDefinition does that). `where` is copied
// into the findings.
std::vector<Finding> checkFormulaSyntax(std::string_view formula, const TextLocation& where = {});
// The same for a result text, which is plain words around codes: only its codes are judged, each
// on its own.
std::vector<Finding> checkResultSyntax(std::string_view text, const TextLocation& where = {});

// The value of a number as the runner reads one: optional spaces around, an optional sign, digits
// with a decimal point or comma, an optional exponent. False for anything else, empty text included.
bool parseNumber(std::string_view text, double& value);

// English, for vornak-cli: the place ("parameter 2 value row 3 result", "parameter 1", "result 4")
// and one sentence saying what is wrong. Both may quote definition text (Windows-1251 bytes).
std::string describePlace(const Finding& finding);
std::string describeFinding(const Finding& finding);

// One code with a plain integer argument, as it appears in a text.
struct NumberedCode {
    char letter = 0;              // 'P', 'R', 'N' or 'X'
    std::string text;             // the code as written, e.g. "#P( 12 )"
    long long number = 0;         // its argument, clamped to +-1e12 so that huge numbers stay out of range
    std::size_t offset = 0;       // where the code starts in the text
    std::size_t digitsOffset = 0; // where the argument's digits start
    std::size_t digitsLength = 0;
};

// Every #P(n), #R(n), #N(n) and #X(n) in the text whose argument is a plain integer (optional
// spaces and sign around decimal digits; spaces between the letter and "(" too). Codes whose
// argument is an expression are not listed.
std::vector<NumberedCode> findNumberedCodes(std::string_view text);

} // namespace vornak
