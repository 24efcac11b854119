#include "DefinitionDocument.h"

#include "EditText.h"
#include "Texts.h"
#include "UndoCommands.h"

#include <QFile>

#include <algorithm>
#include <utility>

namespace vornak {

namespace {

template <class T> void moveElement(std::vector<T>& items, int from, int to) {
    const auto first = items.begin();
    if (from < to) {
        std::rotate(first + from, first + from + 1, first + to + 1);
    } else {
        std::rotate(first + to, first + from, first + from + 1);
    }
}

std::size_t at(int index) {
    return static_cast<std::size_t>(index);
}

} // namespace

DefinitionDocument::DefinitionDocument(QObject* parent) : QObject(parent) {
    connect(&undoStack_, &QUndoStack::cleanChanged, this,
            [this](bool clean) { emit modifiedChanged(!clean); });
    // Every step, merge, undo and redo moves or renews the stack's index; a reset says so itself.
    connect(&undoStack_, &QUndoStack::indexChanged, this, [this] {
        if (!resetting_) {
            emit definitionChanged();
        }
    });
    definition_.parameters.push_back(newParameter());
    definition_.results.push_back(newResult());
}

DefinitionDocument::~DefinitionDocument() = default;

// --- File --------------------------------------------------------------------------------------

QString DefinitionDocument::displayPath() const {
    return QFile::decodeName(QByteArray(path_.data(), static_cast<qsizetype>(path_.size())));
}

bool DefinitionDocument::changedOnDisk() const {
    if (path_.empty() || !stamp_.taken) {
        return false;
    }
    return DiskStamp::of(path_) != stamp_;
}

void DefinitionDocument::newDocument() {
    ReportDefinition next;
    for (int i = 1; i <= reportTextCount; ++i) {
        const TextLocation where{TextField::ReportText, i, 0};
        textAt(next, where) = textAt(definition_, where);
    }
    next.parameters.push_back(newParameter());
    next.results.push_back(newResult());
    replaceDefinition(std::move(next), std::string(), {});
}

void DefinitionDocument::newDocument(const std::array<QString, reportTextCount>& texts) {
    ReportDefinition next;
    for (int i = 0; i < reportTextCount; ++i) {
        const TextLocation where{TextField::ReportText, i + 1, 0};
        // A default the file cannot hold is left empty rather than written damaged.
        textAt(next, where) = editedBytes("", texts[at(i)]).value_or(std::string());
    }
    next.parameters.push_back(newParameter());
    next.results.push_back(newResult());
    replaceDefinition(std::move(next), std::string(), {});
}

OpenResult DefinitionDocument::open(const std::string& path) {
    // Stamped before reading: a change made while the file is read then counts as a change.
    const DiskStamp stamp = DiskStamp::of(path);
    ReportDefinition read;
    if (!read.load(path)) {
        return {false, read.loadError()};
    }
    replaceDefinition(std::move(read), path, stamp);
    return {true, {}};
}

void DefinitionDocument::restore(ReportDefinition definition, const std::string& path,
                                 const DiskStamp& stamp) {
    replaceDefinition(std::move(definition), path, path.empty() ? DiskStamp{} : stamp);
    // Nothing to undo, and still not what the file holds.
    undoStack_.resetClean();
}

SaveResult DefinitionDocument::save() {
    if (path_.empty()) {
        SaveError error;
        error.problem = FileProblem::NoFileName;
        error.reason = "the document has no file name";
        return {false, error};
    }
    return saveAs(path_);
}

SaveResult DefinitionDocument::saveAs(const std::string& path) {
    if (!definition_.save(path)) {
        return {false, definition_.saveError()};
    }
    stamp_ = DiskStamp::of(path);
    setPath(path);
    undoStack_.setClean();
    return {true, {}};
}

SaveResult DefinitionDocument::exportTable(const std::string& path) const {
    if (!definition_.exportTable(path)) {
        return {false, definition_.saveError()};
    }
    return {true, {}};
}

void DefinitionDocument::replaceDefinition(ReportDefinition definition, std::string path, DiskStamp stamp) {
    emit documentAboutToBeReset();
    resetting_ = true;
    undoStack_.clear();
    resetting_ = false;
    definition_ = std::move(definition);
    stamp_ = stamp;
    setPath(std::move(path));
    emit documentReset();
    emit definitionChanged();
}

void DefinitionDocument::setPath(std::string path) {
    if (path == path_) {
        return;
    }
    path_ = std::move(path);
    emit pathChanged();
}

// --- Edits -------------------------------------------------------------------------------------

bool DefinitionDocument::validParameter(int index) const {
    return index >= 0 && at(index) < definition_.parameters.size();
}

bool DefinitionDocument::contains(const TextLocation& where) const {
    const auto& parameters = definition_.parameters;
    const auto& results = definition_.results;
    switch (where.field) {
    case TextField::ParameterName:
    case TextField::ParameterFormula:
        return validParameter(where.record - 1);
    case TextField::Value:
    case TextField::UpperBound:
    case TextField::ValueResult:
        return validParameter(where.record - 1) && where.row >= 1 &&
               at(where.row) <= parameters[at(where.record - 1)].values.size();
    case TextField::ResultName:
    case TextField::ResultText:
        return where.record >= 1 && at(where.record) <= results.size();
    case TextField::ReportText:
        return where.record >= 1 && where.record <= reportTextCount;
    }
    return false;
}

bool DefinitionDocument::pushText(const TextLocation& where, const QString& text, bool typing,
                                  const QString& undoText) {
    if (!contains(where)) {
        return false;
    }
    const std::string& current = textAt(definition_, where);
    std::optional<std::string> bytes = editedBytes(current, text);
    if (!bytes) {
        return false;
    }
    if (*bytes == current) {
        return true; // nothing changes: no step
    }
    undoStack_.push(new SetTextCommand(*this, where, std::move(*bytes), typing, undoText));
    return true;
}

bool DefinitionDocument::setCell(const TextLocation& where, const QString& text) {
    return pushText(where, text, false, SetTextCommand::describe(where));
}

bool DefinitionDocument::typeText(const TextLocation& where, const QString& text) {
    return pushText(where, text, true, SetTextCommand::describe(where));
}

void DefinitionDocument::finishTyping() {
    const int top = undoStack_.index() - 1;
    if (top < 0) {
        return;
    }
    if (const auto* typing = dynamic_cast<const SetTextCommand*>(undoStack_.command(top))) {
        typing->seal();
    }
}

bool DefinitionDocument::setDocumentFile(const QString& name) {
    // A chosen name is new text as a whole: judged in full, not by difference.
    const TextLocation where = locationOf(ReportText::DocumentFile);
    std::optional<std::string> bytes = editedBytes("", name);
    if (name.isEmpty() || !bytes) {
        return false;
    }
    if (*bytes == textAt(definition_, where)) {
        return true;
    }
    undoStack_.push(
        new SetTextCommand(*this, where, std::move(*bytes), false, QStringLiteral("выбор документа")));
    return true;
}

bool DefinitionDocument::setKind(int parameter, ValueKind kind) {
    if (!validParameter(parameter)) {
        return false;
    }
    const ParameterRecord& record = definition_.parameters[at(parameter)];
    const bool dropsRows = kind == ValueKind::Input && record.values.size() > 1;
    if (record.kind == kind && !dropsRows) {
        return false;
    }
    undoStack_.push(new SetKindCommand(*this, parameter, static_cast<std::uint8_t>(kind)));
    return true;
}

bool DefinitionDocument::setNumber(int parameter, bool on) {
    if (!validParameter(parameter) || (definition_.parameters[at(parameter)].isNumber != 0) == on) {
        return false;
    }
    undoStack_.push(new SetFlagCommand(*this, parameter, ParameterFlag::IsNumber, on));
    return true;
}

bool DefinitionDocument::setHasFormula(int parameter, bool on) {
    if (!validParameter(parameter) || (definition_.parameters[at(parameter)].hasFormula != 0) == on) {
        return false;
    }
    undoStack_.push(new SetFlagCommand(*this, parameter, ParameterFlag::HasFormula, on));
    return true;
}

int DefinitionDocument::pushRenumbering(RenumberingCommand* command) {
    undoStack_.push(command); // runs redo, which finds the rewrites
    const int codes = command->renumberedCodes();
    if (codes > 0) {
        emit codesRenumbered(codes);
    }
    return codes;
}

int DefinitionDocument::addParameter(int position) {
    if (position < 0 || at(position) > definition_.parameters.size()) {
        return -1;
    }
    pushRenumbering(
        new InsertParameterCommand(*this, position, newParameter(), QStringLiteral("добавление параметра")));
    return position;
}

bool DefinitionDocument::deleteParameter(int index) {
    if (!validParameter(index)) {
        return false;
    }
    pushRenumbering(new RemoveParameterCommand(*this, index));
    return true;
}

int DefinitionDocument::moveParameter(int index, int step) {
    const int to = index + step;
    if (step == 0 || !validParameter(index) || !validParameter(to)) {
        return -1;
    }
    pushRenumbering(new MoveParameterCommand(*this, index, to));
    return to;
}

int DefinitionDocument::duplicateParameter(int index) {
    if (!validParameter(index)) {
        return -1;
    }
    pushRenumbering(new DuplicateParameterCommand(*this, index));
    return index + 1;
}

int DefinitionDocument::addValueRow(int parameter, int position) {
    if (!validParameter(parameter)) {
        return -1;
    }
    const ParameterRecord& record = definition_.parameters[at(parameter)];
    if (position < 0 || at(position) > record.values.size()) {
        return -1;
    }
    // An Input parameter takes one row.
    if (record.kind == ValueKind::Input && !record.values.empty()) {
        return -1;
    }
    undoStack_.push(new InsertValueRowCommand(*this, parameter, position,
                                              newValueRow(static_cast<std::uint8_t>(record.kind))));
    return position;
}

bool DefinitionDocument::deleteValueRow(int parameter, int row) {
    if (!validParameter(parameter) || row < 0 ||
        at(row) >= definition_.parameters[at(parameter)].values.size()) {
        return false;
    }
    undoStack_.push(new RemoveValueRowCommand(*this, parameter, row));
    return true;
}

int DefinitionDocument::moveValueRow(int parameter, int row, int step) {
    if (!validParameter(parameter)) {
        return -1;
    }
    const int count = static_cast<int>(definition_.parameters[at(parameter)].values.size());
    const int to = row + step;
    if (step == 0 || row < 0 || row >= count || to < 0 || to >= count) {
        return -1;
    }
    undoStack_.push(new MoveValueRowCommand(*this, parameter, row, to));
    return to;
}

int DefinitionDocument::addResult(int position) {
    if (position < 0 || at(position) > definition_.results.size()) {
        return -1;
    }
    pushRenumbering(new InsertResultCommand(*this, position, newResult()));
    return position;
}

bool DefinitionDocument::deleteResult(int index) {
    if (index < 0 || at(index) >= definition_.results.size()) {
        return false;
    }
    pushRenumbering(new RemoveResultCommand(*this, index));
    return true;
}

int DefinitionDocument::moveResult(int index, int step) {
    const int count = static_cast<int>(definition_.results.size());
    const int to = index + step;
    if (step == 0 || index < 0 || index >= count || to < 0 || to >= count) {
        return -1;
    }
    pushRenumbering(new MoveResultCommand(*this, index, to));
    return to;
}

ParameterRecord DefinitionDocument::newParameter() {
    ParameterRecord record;
    record.name = editedBytes("", texts::newParameterName).value_or(std::string());
    record.kind = ValueKind::List;
    record.values.push_back(newValueRow(static_cast<std::uint8_t>(ValueKind::List)));
    return record;
}

ValueRow DefinitionDocument::newValueRow(std::uint8_t kind) {
    const auto bytes = [](const QString& text) { return editedBytes("", text).value_or(std::string()); };
    switch (kind) {
    case static_cast<std::uint8_t>(ValueKind::List):
        return {bytes(texts::columnValue), {}, bytes(texts::columnResult)};
    case static_cast<std::uint8_t>(ValueKind::Range):
        return {"0", "1", bytes(texts::columnResult)};
    case static_cast<std::uint8_t>(ValueKind::Input):
        return {bytes(texts::columnInitialValue), {}, {}};
    default:
        return {bytes(texts::columnInitialValue), {}, bytes(texts::columnResult)};
    }
}

ResultRow DefinitionDocument::newResult() {
    const auto bytes = [](const QString& text) { return editedBytes("", text).value_or(std::string()); };
    return {bytes(texts::columnName), bytes(texts::columnResult)};
}

// --- Changes -----------------------------------------------------------------------------------

void DefinitionDocument::applyText(const TextLocation& where, const std::string& bytes) {
    textAt(definition_, where) = bytes;
    emit textChanged(where);
}

void DefinitionDocument::applyTextChanges(const std::vector<TextChange>& changes, bool forward) {
    for (const TextChange& change : changes) {
        applyText(change.where, forward ? change.after : change.before);
    }
}

void DefinitionDocument::applyKind(int parameter, std::uint8_t kind, std::vector<ValueRow> rows) {
    emit kindAboutToChange(parameter);
    ParameterRecord& record = definition_.parameters[at(parameter)];
    record.kind = static_cast<ValueKind>(kind);
    record.values = std::move(rows);
    emit kindChanged(parameter);
    emit parameterChanged(parameter);
}

void DefinitionDocument::applyFlag(int parameter, ParameterFlag flag, std::uint8_t value) {
    ParameterRecord& record = definition_.parameters[at(parameter)];
    (flag == ParameterFlag::IsNumber ? record.isNumber : record.hasFormula) = value;
    emit parameterChanged(parameter);
}

void DefinitionDocument::applyInsertParameter(int position, ParameterRecord record) {
    emit parameterAboutToBeInserted(position);
    auto& parameters = definition_.parameters;
    parameters.insert(parameters.begin() + position, std::move(record));
    emit parameterInserted(position);
}

ParameterRecord DefinitionDocument::applyRemoveParameter(int position) {
    emit parameterAboutToBeRemoved(position);
    auto& parameters = definition_.parameters;
    ParameterRecord record = std::move(parameters[at(position)]);
    parameters.erase(parameters.begin() + position);
    emit parameterRemoved(position);
    return record;
}

void DefinitionDocument::applyMoveParameter(int from, int to) {
    emit parameterAboutToBeMoved(from, to);
    moveElement(definition_.parameters, from, to);
    emit parameterMoved(from, to);
}

void DefinitionDocument::applyInsertValueRow(int parameter, int position, ValueRow row) {
    emit valueRowAboutToBeInserted(parameter, position);
    auto& values = definition_.parameters[at(parameter)].values;
    values.insert(values.begin() + position, std::move(row));
    emit valueRowInserted(parameter, position);
}

ValueRow DefinitionDocument::applyRemoveValueRow(int parameter, int position) {
    emit valueRowAboutToBeRemoved(parameter, position);
    auto& values = definition_.parameters[at(parameter)].values;
    ValueRow row = std::move(values[at(position)]);
    values.erase(values.begin() + position);
    emit valueRowRemoved(parameter, position);
    return row;
}

void DefinitionDocument::applyMoveValueRow(int parameter, int from, int to) {
    emit valueRowAboutToBeMoved(parameter, from, to);
    moveElement(definition_.parameters[at(parameter)].values, from, to);
    emit valueRowMoved(parameter, from, to);
}

void DefinitionDocument::applyInsertResult(int position, ResultRow row) {
    emit resultAboutToBeInserted(position);
    auto& results = definition_.results;
    results.insert(results.begin() + position, std::move(row));
    emit resultInserted(position);
}

ResultRow DefinitionDocument::applyRemoveResult(int position) {
    emit resultAboutToBeRemoved(position);
    auto& results = definition_.results;
    ResultRow row = std::move(results[at(position)]);
    results.erase(results.begin() + position);
    emit resultRemoved(position);
    return row;
}

void DefinitionDocument::applyMoveResult(int from, int to) {
    emit resultAboutToBeMoved(from, to);
    moveElement(definition_.results, from, to);
    emit resultMoved(from, to);
}

} // namespace vornak
