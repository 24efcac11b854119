// Names one text of a definition (a cell of a parameter, value row or result, or one of the nine
// report texts) so that checks can point at it and edits that rewrite codes can be undone.
#pragma once

#include "ReportDefinition.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vornak {

enum class TextField : std::uint8_t {
    ParameterName,
    ParameterFormula,
    Value,       // value row: value
    UpperBound,  // value row: upper bound
    ValueResult, // value row: result
    ResultName,
    ResultText, // result row: result (formula or plain text)
    ReportText, // one of the nine report texts; `record` is 1..9 in file order
};

// parameter/result/report text numbers count from 1; `row` counts value rows from 1 (0 otherwise).
struct TextLocation {
    TextField field = TextField::ParameterName;
    int record = 0;
    int row = 0;

    bool operator==(const TextLocation&) const = default;
};

// One rewritten text: what it held before and after.
struct TextChange {
    TextLocation where;
    std::string before;
    std::string after;

    bool operator==(const TextChange&) const = default;
};

// A text that is to stand in place of the one at `where`: an edit the model has not taken yet.
struct TextReplacement {
    TextLocation where;
    std::string text;

    bool operator==(const TextReplacement&) const = default;
};

// The text a location names; the location must exist (std::out_of_range is thrown otherwise).
std::string& textAt(ReportDefinition& definition, const TextLocation& where);
const std::string& textAt(const ReportDefinition& definition, const TextLocation& where);

// Puts each change's `after` (forward) or `before` (back) text in place.
void applyTextChanges(ReportDefinition& definition, const std::vector<TextChange>& changes, bool forward);

// The rewrites that keep #P(n), #R(n), #N(n) naming the same parameters after they were renumbered:
// newNumberOf[n-1] is parameter n's new number, or 0 when it is gone: codes naming it then become
// #P(0), #R(0), #N(0), which name nothing and show up as findings (left as they were, they would
// silently name the parameter that took the number). Codes whose argument is an expression, and
// numbers outside the mapping, are left alone.
// Codes live in formulas, value-row results and result-row results; names, values, bounds and the
// report texts are never rewritten. The changes name texts of `definition` as passed, before the
// records move: apply them first, then insert, erase or move the records (undo in reverse order).
// Texts of records that are gone (new number 0) are not rewritten. Only the digits of a code change:
// "#P( 12 )" becomes "#P( 13 )". Nothing is changed in `definition`.
std::vector<TextChange> renumberParameterReferences(const ReportDefinition& definition,
                                                    const std::vector<int>& newNumberOf);
// The same for #X(n) and the results.
std::vector<TextChange> renumberResultReferences(const ReportDefinition& definition,
                                                 const std::vector<int>& newNumberOf);

// The same two, looking only at the formulas and value-row results of the parameters listed
// (0-based, ascending), and at every result row: for a caller that keeps track of which parameters
// hold a "#" in those texts. With every such parameter listed the changes are those above.
std::vector<TextChange> renumberParameterReferences(const ReportDefinition& definition,
                                                    const std::vector<int>& newNumberOf,
                                                    const std::vector<int>& parametersWithCodes);
std::vector<TextChange> renumberResultReferences(const ReportDefinition& definition,
                                                 const std::vector<int>& newNumberOf,
                                                 const std::vector<int>& parametersWithCodes);

// The mappings for the edits the editor makes, in the form the two functions above take; positions
// are 0-based, `count` is the number of records before the edit. Inserting (or duplicating) before
// `position`; erasing the record at `position`; moving the record at `from` so that it stands at `to`.
std::vector<int> numbersAfterInsert(int count, int position);
std::vector<int> numbersAfterErase(int count, int position);
std::vector<int> numbersAfterMove(int count, int from, int to);

// Every text holding a code that names parameter (or result) `number`, in file order, each text once;
// the record's own texts included.
std::vector<TextLocation> parameterReferences(const ReportDefinition& definition, int number);
std::vector<TextLocation> resultReferences(const ReportDefinition& definition, int number);

} // namespace vornak
