// Several texts changed in one undo step: what a replace-all does. Each text goes to its new bytes
// on redo and back on undo.
#pragma once

#include "DefinitionDocument.h"

#include <QUndoCommand>

#include <vector>

namespace vornak {

class TextChangesCommand : public QUndoCommand {
public:
    TextChangesCommand(DefinitionDocument& document, std::vector<TextChange> changes, const QString& text);

    void redo() override;
    void undo() override;

private:
    DefinitionDocument& document_;
    std::vector<TextChange> changes_;
};

// Pushes the changes as one step; false (and nothing pushed) when there are none or one names a
// text the definition does not hold, or holds other bytes than the change expects.
bool pushTextChanges(DefinitionDocument& document, std::vector<TextChange> changes, const QString& text);

// The Edit menu's names for a replacement ("замена «см» на «мм»").
QString replaceUndoText(const QString& pattern, const QString& replacement);

} // namespace vornak
