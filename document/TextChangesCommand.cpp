#include "TextChangesCommand.h"

#include <utility>

namespace vornak {

TextChangesCommand::TextChangesCommand(DefinitionDocument& document, std::vector<TextChange> changes,
                                       const QString& text)
    : QUndoCommand(text), document_(document), changes_(std::move(changes)) {
}

void TextChangesCommand::redo() {
    document_.applyTextChanges(changes_, true);
}

void TextChangesCommand::undo() {
    document_.applyTextChanges(changes_, false);
}

bool pushTextChanges(DefinitionDocument& document, std::vector<TextChange> changes, const QString& text) {
    if (changes.empty()) {
        return false;
    }
    for (const TextChange& change : changes) {
        if (!document.contains(change.where) ||
            textAt(document.definition(), change.where) != change.before) {
            return false;
        }
    }
    document.undoStack()->push(new TextChangesCommand(document, std::move(changes), text));
    return true;
}

QString replaceUndoText(const QString& pattern, const QString& replacement) {
    // The Edit menu shows the start of a long text.
    const auto shortened = [](const QString& text) {
        constexpr qsizetype longest = 24;
        return text.size() <= longest ? text : text.left(longest - 1) + QChar(0x2026);
    };
    return QStringLiteral("замена «%1» на «%2»").arg(shortened(pattern), shortened(replacement));
}

} // namespace vornak
