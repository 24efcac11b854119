// One undo command per kind of change of the definition. Each changes the document only through its
// apply* members, so that the table models and the form hear of every change, and keeps what it needs
// to go back. Texts are Russian, made to follow "Отменить: " in the Edit menu.
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

// A change of the parameter or result sequence that rewrites the codes naming them, in one step.
// The rewrites are found once, on the first redo, and replayed afterwards: on redo the texts are
// rewritten and then the records move; undo moves them back and then restores the texts. Codes
// naming a removed record become number 0, which names nothing (and shows up as a finding).
class RenumberingCommand : public QUndoCommand {
public:
    void redo() final;
    void undo() final;
    // How many texts the renumbering rewrote (known after the first redo).
    int renumberedTexts() const { return static_cast<int>(changes_.size()); }
    // How many codes it rewrote.
    int renumberedCodes() const { return codes_; }

protected:
    RenumberingCommand(DefinitionDocument& document, const QString& text);
    virtual void forward() = 0;
    virtual void back() = 0;
    // The rewrites that keep codes naming the same records, on the definition before forward().
    virtual std::vector<TextChange> renumbering() const = 0;

    DefinitionDocument& document_;

private:
    std::vector<TextChange> changes_;
    int codes_ = 0;
    bool done_ = false;
};

class InsertParameterCommand : public RenumberingCommand {
public:
    InsertParameterCommand(DefinitionDocument& document, int position, ParameterRecord record,
                           const QString& text);

protected:
    void forward() override;
    void back() override;
    std::vector<TextChange> renumbering() const override;
    int position() const { return position_; }

private:
    int position_;
    int countBefore_;
    ParameterRecord record_;
};

// A copy of a parameter with all its rows, placed below it.
class DuplicateParameterCommand : public InsertParameterCommand {
public:
    DuplicateParameterCommand(DefinitionDocument& document, int index);

protected:
    void forward() override;
};

class RemoveParameterCommand : public RenumberingCommand {
public:
    RemoveParameterCommand(DefinitionDocument& document, int position);

protected:
    void forward() override;
    void back() override;
    std::vector<TextChange> renumbering() const override;

private:
    int position_;
    int countBefore_;
    ParameterRecord record_;
};

class MoveParameterCommand : public RenumberingCommand {
public:
    MoveParameterCommand(DefinitionDocument& document, int from, int to);

protected:
    void forward() override;
    void back() override;
    std::vector<TextChange> renumbering() const override;

private:
    int from_;
    int to_;
    int count_;
};

class InsertResultCommand : public RenumberingCommand {
public:
    InsertResultCommand(DefinitionDocument& document, int position, ResultRow row);

protected:
    void forward() override;
    void back() override;
    std::vector<TextChange> renumbering() const override;

private:
    int position_;
    int countBefore_;
    ResultRow row_;
};

class RemoveResultCommand : public RenumberingCommand {
public:
    RemoveResultCommand(DefinitionDocument& document, int position);

protected:
    void forward() override;
    void back() override;
    std::vector<TextChange> renumbering() const override;

private:
    int position_;
    int countBefore_;
    ResultRow row_;
};

class MoveResultCommand : public RenumberingCommand {
public:
    MoveResultCommand(DefinitionDocument& document, int from, int to);

protected:
    void forward() override;
    void back() override;
    std::vector<TextChange> renumbering() const override;

private:
    int from_;
    int to_;
    int count_;
};

// Value rows are not referred to by number, so these rewrite nothing.
class InsertValueRowCommand : public QUndoCommand {
public:
    InsertValueRowCommand(DefinitionDocument& document, int parameter, int position, ValueRow row);
    void redo() override;
    void undo() override;

private:
    DefinitionDocument& document_;
    int parameter_;
    int position_;
    ValueRow row_;
};

class RemoveValueRowCommand : public QUndoCommand {
public:
    RemoveValueRowCommand(DefinitionDocument& document, int parameter, int position);
    void redo() override;
    void undo() override;

private:
    DefinitionDocument& document_;
    int parameter_;
    int position_;
    ValueRow row_;
};

class MoveValueRowCommand : public QUndoCommand {
public:
    MoveValueRowCommand(DefinitionDocument& document, int parameter, int from, int to);
    void redo() override;
    void undo() override;

private:
    DefinitionDocument& document_;
    int parameter_;
    int from_;
    int to_;
};

} // namespace vornak
