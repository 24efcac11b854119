// The commands that insert, remove and move parameters, value rows and results. Those on parameters
// and results rewrite the codes that name them in the same step.
#include "UndoCommands.h"

#include "Renumbering.h"

#include <utility>

namespace vornak {

namespace {

std::size_t at(int index) {
    return static_cast<std::size_t>(index);
}

int parameterCount(const DefinitionDocument& document) {
    return static_cast<int>(document.definition().parameters.size());
}

int resultCount(const DefinitionDocument& document) {
    return static_cast<int>(document.definition().results.size());
}

bool keepsEveryNumber(const std::vector<int>& newNumberOf) {
    for (std::size_t i = 0; i < newNumberOf.size(); ++i) {
        if (newNumberOf[i] != static_cast<int>(i) + 1) {
            return false;
        }
    }
    return true;
}

// Adding at the end renumbers nothing: no need to look at every text.
std::vector<TextChange> parameterRewrites(const DefinitionDocument& document,
                                          const std::vector<int>& newNumberOf) {
    return keepsEveryNumber(newNumberOf) ? std::vector<TextChange>()
                                         : renumberParameterReferences(document.definition(), newNumberOf);
}

std::vector<TextChange> resultRewrites(const DefinitionDocument& document,
                                       const std::vector<int>& newNumberOf) {
    return keepsEveryNumber(newNumberOf) ? std::vector<TextChange>()
                                         : renumberResultReferences(document.definition(), newNumberOf);
}

} // namespace

// --- RenumberingCommand ------------------------------------------------------------------------

RenumberingCommand::RenumberingCommand(DefinitionDocument& document, const QString& text)
    : QUndoCommand(text), document_(document) {
}

void RenumberingCommand::redo() {
    // The rewrites name texts where they stand before the records move: they go first.
    if (!done_) {
        changes_ = renumbering();
        codes_ = countChangedCodes(changes_);
        done_ = true;
    }
    document_.applyTextChanges(changes_, true);
    forward();
}

void RenumberingCommand::undo() {
    back();
    document_.applyTextChanges(changes_, false);
}

// --- Parameters --------------------------------------------------------------------------------

InsertParameterCommand::InsertParameterCommand(DefinitionDocument& document, int position,
                                               ParameterRecord record, const QString& text)
    : RenumberingCommand(document, text), position_(position), countBefore_(parameterCount(document)),
      record_(std::move(record)) {
}

void InsertParameterCommand::forward() {
    document_.applyInsertParameter(position_, record_);
}

void InsertParameterCommand::back() {
    document_.applyRemoveParameter(position_);
}

std::vector<TextChange> InsertParameterCommand::renumbering() const {
    return parameterRewrites(document_, numbersAfterInsert(countBefore_, position_));
}

DuplicateParameterCommand::DuplicateParameterCommand(DefinitionDocument& document, int index)
    : InsertParameterCommand(document, index + 1, {}, QStringLiteral("копирование параметра")) {
}

void DuplicateParameterCommand::forward() {
    // The copy is taken once the original's codes are rewritten, so that both name the same records.
    document_.applyInsertParameter(position(), document_.definition().parameters[at(position() - 1)]);
}

RemoveParameterCommand::RemoveParameterCommand(DefinitionDocument& document, int position)
    : RenumberingCommand(document, QStringLiteral("удаление параметра")), position_(position),
      countBefore_(parameterCount(document)) {
}

void RemoveParameterCommand::forward() {
    record_ = document_.applyRemoveParameter(position_);
}

void RemoveParameterCommand::back() {
    document_.applyInsertParameter(position_, std::move(record_));
    record_ = {};
}

std::vector<TextChange> RemoveParameterCommand::renumbering() const {
    return parameterRewrites(document_, numbersAfterErase(countBefore_, position_));
}

MoveParameterCommand::MoveParameterCommand(DefinitionDocument& document, int from, int to)
    : RenumberingCommand(document, QStringLiteral("перемещение параметра")), from_(from), to_(to),
      count_(parameterCount(document)) {
}

void MoveParameterCommand::forward() {
    document_.applyMoveParameter(from_, to_);
}

void MoveParameterCommand::back() {
    document_.applyMoveParameter(to_, from_);
}

std::vector<TextChange> MoveParameterCommand::renumbering() const {
    return parameterRewrites(document_, numbersAfterMove(count_, from_, to_));
}

// --- Results -----------------------------------------------------------------------------------

InsertResultCommand::InsertResultCommand(DefinitionDocument& document, int position, ResultRow row)
    : RenumberingCommand(document, QStringLiteral("добавление результата")), position_(position),
      countBefore_(resultCount(document)), row_(std::move(row)) {
}

void InsertResultCommand::forward() {
    document_.applyInsertResult(position_, row_);
}

void InsertResultCommand::back() {
    document_.applyRemoveResult(position_);
}

std::vector<TextChange> InsertResultCommand::renumbering() const {
    return resultRewrites(document_, numbersAfterInsert(countBefore_, position_));
}

RemoveResultCommand::RemoveResultCommand(DefinitionDocument& document, int position)
    : RenumberingCommand(document, QStringLiteral("удаление результата")), position_(position),
      countBefore_(resultCount(document)) {
}

void RemoveResultCommand::forward() {
    row_ = document_.applyRemoveResult(position_);
}

void RemoveResultCommand::back() {
    document_.applyInsertResult(position_, std::move(row_));
    row_ = {};
}

std::vector<TextChange> RemoveResultCommand::renumbering() const {
    return resultRewrites(document_, numbersAfterErase(countBefore_, position_));
}

MoveResultCommand::MoveResultCommand(DefinitionDocument& document, int from, int to)
    : RenumberingCommand(document, QStringLiteral("перемещение результата")), from_(from), to_(to),
      count_(resultCount(document)) {
}

void MoveResultCommand::forward() {
    document_.applyMoveResult(from_, to_);
}

void MoveResultCommand::back() {
    document_.applyMoveResult(to_, from_);
}

std::vector<TextChange> MoveResultCommand::renumbering() const {
    return resultRewrites(document_, numbersAfterMove(count_, from_, to_));
}

// --- Value rows --------------------------------------------------------------------------------

InsertValueRowCommand::InsertValueRowCommand(DefinitionDocument& document, int parameter, int position,
                                             ValueRow row)
    : QUndoCommand(QStringLiteral("добавление значения")), document_(document), parameter_(parameter),
      position_(position), row_(std::move(row)) {
}

void InsertValueRowCommand::redo() {
    document_.applyInsertValueRow(parameter_, position_, row_);
}

void InsertValueRowCommand::undo() {
    document_.applyRemoveValueRow(parameter_, position_);
}

RemoveValueRowCommand::RemoveValueRowCommand(DefinitionDocument& document, int parameter, int position)
    : QUndoCommand(QStringLiteral("удаление значения")), document_(document), parameter_(parameter),
      position_(position) {
}

void RemoveValueRowCommand::redo() {
    row_ = document_.applyRemoveValueRow(parameter_, position_);
}

void RemoveValueRowCommand::undo() {
    document_.applyInsertValueRow(parameter_, position_, std::move(row_));
    row_ = {};
}

MoveValueRowCommand::MoveValueRowCommand(DefinitionDocument& document, int parameter, int from, int to)
    : QUndoCommand(QStringLiteral("перемещение значения")), document_(document), parameter_(parameter),
      from_(from), to_(to) {
}

void MoveValueRowCommand::redo() {
    document_.applyMoveValueRow(parameter_, from_, to_);
}

void MoveValueRowCommand::undo() {
    document_.applyMoveValueRow(parameter_, to_, from_);
}

} // namespace vornak
