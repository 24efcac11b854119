// The undo commands that change a text, a kind or a flag of what is there (RecordCommands.h has
// the one for the record lists). Each changes the document only through its apply* members, so that
// the table models and the form hear of every change, and keeps what it needs to go back. Texts are
// Russian, made to follow "Отменить: " in the Edit menu.
#pragma once

#include "DefinitionDocument.h"

#include <QUndoCommand>

#include <cstdint>
#include <string>
#include <vector>

namespace vornak {

// One text: a grid cell, one of the nine report texts, the formula, or the document name chosen
// with Browse. While typing (typing = true) consecutive changes of the same text merge into one
// step until seal() is called.
class SetTextCommand : public QUndoCommand {
public:
    static constexpr int typingId = 1001;

    SetTextCommand(DefinitionDocument& document, const TextLocation& where, std::string bytes, bool typing,
                   const QString& text);

    void redo() override;
    void undo() override;
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

    void seal() const { sealed_ = true; }
    const TextLocation& location() const { return where_; }

    // The Edit menu's name for a change of the text at `where`.
    static QString describe(const TextLocation& where);

private:
    DefinitionDocument& document_;
    TextLocation where_;
    std::string before_;
    std::string after_;
    bool typing_;
    mutable bool sealed_ = false;
};

// The value kind of a parameter. A switch to Input keeps only the first row; the dropped rows come
// back on undo.
class SetKindCommand : public QUndoCommand {
public:
    SetKindCommand(DefinitionDocument& document, int parameter, std::uint8_t kind);
    void redo() override;
    void undo() override;

private:
    DefinitionDocument& document_;
    int parameter_;
    std::uint8_t kindBefore_;
    std::uint8_t kindAfter_;
    std::vector<ValueRow> rowsBefore_;
    std::vector<ValueRow> rowsAfter_;
};

// "Число" or "Формула:". Clearing the formula flag empties the formula; undo brings it back.
class SetFlagCommand : public QUndoCommand {
public:
    SetFlagCommand(DefinitionDocument& document, int parameter, ParameterFlag flag, bool on);
    void redo() override;
    void undo() override;

private:
    DefinitionDocument& document_;
    int parameter_;
    ParameterFlag flag_;
    std::uint8_t before_;
    std::uint8_t after_;
    std::string formulaBefore_;
};

} // namespace vornak
