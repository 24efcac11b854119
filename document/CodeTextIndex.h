// Which parameters hold a code in their formula or their value rows' results, kept in step with
// every change of the definition, so that a renumbering reads only those parameters' texts instead
// of every value row of a large definition. A text counts when it holds a "#": every code starts
// with one. The document tells it of each change before or as it makes it; parametersWithCodes()
// must always equal what a fresh look at the definition finds.
#pragma once

#include "DefinitionText.h"
#include "ReportDefinition.h"

#include <vector>

namespace vornak {

class CodeTextIndex {
public:
    // A definition taken as a whole (new, opened, restored): the index is made again the first time
    // it is asked, so that opening a large file does not pay for it.
    void invalidate();
    void rebuild(const ReportDefinition& definition);

    // One text goes from `before` to `after` (texts of other fields are ignored).
    void textReplaced(const TextLocation& where, const std::string& before, const std::string& after);
    void parametersInserted(int first, const std::vector<ParameterRecord>& records);
    void parametersRemoved(int first, int count);
    void parametersMoved(int first, int count, int to);
    void valueRowsInserted(int parameter, const std::vector<ValueRow>& rows);
    void valueRowsRemoved(int parameter, const std::vector<ValueRow>& rows);
    // The parameter's texts were replaced wholesale (a kind switch drops or brings back rows).
    void parameterReplaced(int parameter, const ParameterRecord& record);

    // 0-based, ascending; `definition` is the one the index follows.
    std::vector<int> parametersWithCodes(const ReportDefinition& definition);

private:
    // Per parameter: how many of its code texts hold a "#".
    std::vector<int> counts_;
    bool stale_ = true; // counts_ says nothing until rebuilt; changes till then need no note
};

} // namespace vornak
