// A validator for the editor's line edits: a change (typed, pasted or dropped) that adds a line
// break or a character without a Windows-1251 byte, or that grows the text past the longest line a
// definition file holds, is refused as a whole, so the edit keeps its text and nothing is silently
// dropped or altered. A text the program sets (one read from a file may hold a CR) is shown as it
// is and does not switch the check off.
#pragma once

#include "TextChangeValidator.h"

namespace vornak {

class DefinitionTextValidator : public TextChangeValidator {
    Q_OBJECT
public:
    // Set it on the line edit that is its parent.
    explicit DefinitionTextValidator(QObject* parent = nullptr);
};

} // namespace vornak
