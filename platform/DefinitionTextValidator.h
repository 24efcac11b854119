// A validator for the editor's line edits: a change (typed, pasted, dropped or set through the
// undo stack) that would make the text unfit for a definition file is refused as a whole, so the
// edit keeps its text and nothing is silently dropped or altered.
#pragma once

#include <QValidator>

namespace vornak {

class DefinitionTextValidator : public QValidator {
    Q_OBJECT
public:
    explicit DefinitionTextValidator(QObject* parent = nullptr);

    // Acceptable when fitsDefinitionFile holds, Invalid otherwise; never alters the input.
    State validate(QString& input, int& pos) const override;
};

} // namespace vornak
