#include "DefinitionDocument.h"

#include "EditText.h"
#include "RecordCommands.h"
#include "Texts.h"
#include "UndoCommands.h"

#include <QFile>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <iterator>
#include <type_traits>
#include <utility>
#include <variant>

namespace vornak {

namespace {

std::size_t at(int index) {
    return static_cast<std::size_t>(index);
}

// A definition with this many records and value rows or more is freed on a worker thread.
constexpr std::size_t kReleasedApart = 4096;
// How long a replaced definition waits before it is freed: past the new one's first paint.
constexpr std::chrono::milliseconds kReleaseDelay{250};

std::size_t textCount(const ReportDefinition& definition) {
    std::size_t count = definition.parameters.size() + definition.results.size();
    for (const ParameterRecord& parameter : definition.parameters) {
        count += parameter.values.size();
        if (count >= kReleasedApart) {
            break;
        }
    }
    return count;
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
    codeTexts_.invalidate();
}

DefinitionDocument::~DefinitionDocument() {
    waitForReaders();
}

// --- Readers on other threads ------------------------------------------------------------------

void DefinitionDocument::lendToReader(std::shared_future<void> done) {
    // Those done already need no waiting for.
    std::erase_if(readers_, [](const std::shared_future<void>& reader) {
        return reader.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    });
    readers_.push_back(std::move(done));
}

void DefinitionDocument::waitForReaders() {
    for (const std::shared_future<void>& reader : readers_) {
        reader.wait(); // a reader that never started (its promise broken) is ready too
    }
    readers_.clear();
}

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
    waitForReaders();
    emit documentAboutToBeReset();
    resetting_ = true;
    undoStack_.clear();
    // clear() leaves an empty stack as it was, and a restored copy's stack is empty yet unclean.
    undoStack_.setClean();
    resetting_ = false;
    ReportDefinition previous = std::exchange(definition_, std::move(definition));
    codeTexts_.invalidate();
    stamp_ = stamp;
    setPath(std::move(path));
    emit documentReset();
    emit definitionChanged();
    // Freeing a large definition's texts takes longer than showing the next one: it is not waited
    // for, and starts once the new one has been laid out and painted, so that the two do not
    // contend for the allocator.
    if (textCount(previous) >= kReleasedApart) {
        releaseReplaced(); // one replaced before, still waiting
        replaced_ = std::make_unique<ReportDefinition>(std::move(previous));
        QTimer::singleShot(kReleaseDelay, this, &DefinitionDocument::releaseReplaced);
    }
}

void DefinitionDocument::releaseReplaced() {
    if (replaced_) {
        released_.release(std::move(replaced_));
    }
}

void DefinitionDocument::waitUntilReplacedFreed() {
    releaseReplaced();
    released_.wait();
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

// --- Records -----------------------------------------------------------------------------------

template <class F> decltype(auto) DefinitionDocument::withRecords(const RecordList& list, F&& f) {
    switch (list.kind) {
    case RecordKind::Parameter:
        return f(definition_.parameters);
    case RecordKind::ValueRow:
        return f(definition_.parameters[at(list.parameter)].values);
    case RecordKind::Result:
        break;
    }
    return f(definition_.results);
}

int DefinitionDocument::recordCount(const RecordList& list) const {
    switch (list.kind) {
    case RecordKind::Parameter:
        return static_cast<int>(definition_.parameters.size());
    case RecordKind::ValueRow:
        return validParameter(list.parameter)
                   ? static_cast<int>(definition_.parameters[at(list.parameter)].values.size())
                   : 0;
    case RecordKind::Result:
        break;
    }
    return static_cast<int>(definition_.results.size());
}

std::vector<int> DefinitionDocument::checkedPositions(const RecordList& list,
                                                      std::vector<int> positions) const {
    if (list.kind == RecordKind::ValueRow && !validParameter(list.parameter)) {
        return {};
    }
    std::sort(positions.begin(), positions.end());
    positions.erase(std::unique(positions.begin(), positions.end()), positions.end());
    if (positions.empty() || positions.front() < 0 || positions.back() >= recordCount(list)) {
        return {};
    }
    return positions;
}

std::vector<int> DefinitionDocument::pushRecords(std::unique_ptr<RecordCommand> command) {
    RecordCommand* pushed = command.release();
    undoStack_.push(pushed); // runs redo, which finds the rewrites
    if (pushed->renumberedCodes() > 0) {
        emit codesRenumbered(pushed->renumberedCodes());
    }
    return pushed->placed();
}

namespace {

// A record a file cannot hold (a line break, or a line longer than the reader takes) is not let in.
bool storable(const std::string& text) {
    return text.size() <= maxLineBytes && text.find_first_of("\r\n") == std::string::npos;
}

bool storable(const ValueRow& row) {
    return storable(row.value) && storable(row.upperBound) && storable(row.result);
}

bool storable(const ResultRow& row) {
    return storable(row.name) && storable(row.result);
}

bool storable(const ParameterRecord& record) {
    return storable(record.name) && storable(record.formula) &&
           std::all_of(record.values.begin(), record.values.end(),
                       [](const ValueRow& row) { return storable(row); });
}

} // namespace

std::vector<int> DefinitionDocument::insertRecords(const RecordList& list, int position, RecordBlock records,
                                                   const QString& undoText) {
    const int count = blockSize(records);
    if (count == 0 || records.index() != emptyBlock(list.kind).index() ||
        (list.kind == RecordKind::ValueRow && !validParameter(list.parameter)) || position < 0 ||
        position > recordCount(list)) {
        return {};
    }
    if (list.kind == RecordKind::ValueRow &&
        definition_.parameters[at(list.parameter)].kind == ValueKind::Input &&
        recordCount(list) + count > 1) {
        return {}; // an Input parameter takes one row
    }
    const bool fits = std::visit(
        [](const auto& block) {
            return std::all_of(block.begin(), block.end(), [](const auto& r) { return storable(r); });
        },
        records);
    if (!fits) {
        return {};
    }
    return pushRecords(RecordCommand::insert(*this, list, position, std::move(records), undoText));
}

bool DefinitionDocument::removeRecords(const RecordList& list, std::vector<int> positions) {
    positions = checkedPositions(list, std::move(positions));
    if (positions.empty()) {
        return false;
    }
    pushRecords(RecordCommand::remove(*this, list, positions));
    return true;
}

std::vector<int> DefinitionDocument::moveRecords(const RecordList& list, std::vector<int> positions,
                                                 int step) {
    positions = checkedPositions(list, std::move(positions));
    if (positions.empty() || (step != 1 && step != -1) || positions.front() + step < 0 ||
        positions.back() + step >= recordCount(list)) {
        return {};
    }
    return pushRecords(RecordCommand::move(*this, list, positions, step));
}

std::vector<int> DefinitionDocument::moveRecordsTo(const RecordList& list, std::vector<int> positions,
                                                   int destination) {
    positions = checkedPositions(list, std::move(positions));
    if (positions.empty() || destination < 0 || destination > recordCount(list)) {
        return {};
    }
    std::unique_ptr<RecordCommand> command = RecordCommand::moveTo(*this, list, positions, destination);
    if (command == nullptr) {
        return {};
    }
    return pushRecords(std::move(command));
}

std::vector<int> DefinitionDocument::duplicateRecords(const RecordList& list, std::vector<int> positions) {
    positions = checkedPositions(list, std::move(positions));
    if (positions.empty()) {
        return {};
    }
    if (list.kind == RecordKind::ValueRow &&
        definition_.parameters[at(list.parameter)].kind == ValueKind::Input) {
        return {}; // an Input parameter takes one row
    }
    return pushRecords(RecordCommand::duplicate(*this, list, positions));
}

namespace {

int firstOf(const std::vector<int>& positions) {
    return positions.empty() ? -1 : positions.front();
}

} // namespace

int DefinitionDocument::addParameter(int position) {
    return firstOf(
        insertRecords(RecordList::parameters(), position, std::vector<ParameterRecord>{newParameter()}));
}

bool DefinitionDocument::deleteParameter(int index) {
    return removeRecords(RecordList::parameters(), {index});
}

int DefinitionDocument::moveParameter(int index, int step) {
    return firstOf(moveRecords(RecordList::parameters(), {index}, step));
}

int DefinitionDocument::duplicateParameter(int index) {
    return firstOf(duplicateRecords(RecordList::parameters(), {index}));
}

int DefinitionDocument::addValueRow(int parameter, int position) {
    if (!validParameter(parameter)) {
        return -1;
    }
    const auto kind = static_cast<std::uint8_t>(definition_.parameters[at(parameter)].kind);
    return firstOf(
        insertRecords(RecordList::valueRows(parameter), position, std::vector<ValueRow>{newValueRow(kind)}));
}

bool DefinitionDocument::deleteValueRow(int parameter, int row) {
    return removeRecords(RecordList::valueRows(parameter), {row});
}

int DefinitionDocument::moveValueRow(int parameter, int row, int step) {
    return firstOf(moveRecords(RecordList::valueRows(parameter), {row}, step));
}

int DefinitionDocument::addResult(int position) {
    return firstOf(insertRecords(RecordList::results(), position, std::vector<ResultRow>{newResult()}));
}

bool DefinitionDocument::deleteResult(int index) {
    return removeRecords(RecordList::results(), {index});
}

int DefinitionDocument::moveResult(int index, int step) {
    return firstOf(moveRecords(RecordList::results(), {index}, step));
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
    waitForReaders();
    std::string& text = textAt(definition_, where);
    codeTexts_.textReplaced(where, text, bytes);
    text = bytes;
    emit textChanged(where);
}

void DefinitionDocument::applyTextChanges(const std::vector<TextChange>& changes, bool forward) {
    waitForReaders();
    if (changes.empty()) {
        return;
    }
    std::vector<TextLocation> where;
    where.reserve(changes.size());
    for (const TextChange& change : changes) {
        std::string& text = textAt(definition_, change.where);
        const std::string& bytes = forward ? change.after : change.before;
        codeTexts_.textReplaced(change.where, text, bytes);
        text = bytes;
        where.push_back(change.where);
    }
    // A renumbering rewrites up to every result and value row: the lists hear of it once. The
    // texts shown outside them are few and told one by one.
    for (const TextLocation& one : where) {
        if (one.field == TextField::ParameterFormula || one.field == TextField::ReportText) {
            emit textChanged(one);
        }
    }
    emit textsChanged(where);
}

void DefinitionDocument::applyKind(int parameter, std::uint8_t kind, std::vector<ValueRow> rows) {
    waitForReaders();
    emit kindAboutToChange(parameter);
    ParameterRecord& record = definition_.parameters[at(parameter)];
    record.kind = static_cast<ValueKind>(kind);
    record.values = std::move(rows);
    codeTexts_.parameterReplaced(parameter, record);
    emit kindChanged(parameter);
    emit parameterChanged(parameter);
}

void DefinitionDocument::applyFlag(int parameter, ParameterFlag flag, std::uint8_t value) {
    waitForReaders();
    ParameterRecord& record = definition_.parameters[at(parameter)];
    (flag == ParameterFlag::IsNumber ? record.isNumber : record.hasFormula) = value;
    emit parameterChanged(parameter);
}

void DefinitionDocument::applyInsert(const RecordList& list, int first, RecordBlock records) {
    waitForReaders();
    const RecordChange change{RecordChange::Type::Insert, list, first, blockSize(records), 0};
    emit recordsAboutToChange(change);
    withRecords(list, [&](auto& items) {
        using Items = std::remove_reference_t<decltype(items)>;
        auto& block = std::get<Items>(records);
        if constexpr (std::is_same_v<Items, std::vector<ParameterRecord>>) {
            codeTexts_.parametersInserted(first, block);
        } else if constexpr (std::is_same_v<Items, std::vector<ValueRow>>) {
            codeTexts_.valueRowsInserted(list.parameter, block);
        }
        items.insert(items.begin() + first, std::make_move_iterator(block.begin()),
                     std::make_move_iterator(block.end()));
    });
    emit recordsChanged(change);
}

RecordBlock DefinitionDocument::applyRemove(const RecordList& list, int first, int count) {
    waitForReaders();
    const RecordChange change{RecordChange::Type::Remove, list, first, count, 0};
    emit recordsAboutToChange(change);
    RecordBlock removed = withRecords(list, [&](auto& items) -> RecordBlock {
        const auto begin = items.begin() + first;
        std::remove_reference_t<decltype(items)> block(std::make_move_iterator(begin),
                                                       std::make_move_iterator(begin + count));
        items.erase(begin, begin + count);
        using Items = std::remove_reference_t<decltype(items)>;
        if constexpr (std::is_same_v<Items, std::vector<ParameterRecord>>) {
            codeTexts_.parametersRemoved(first, count);
        } else if constexpr (std::is_same_v<Items, std::vector<ValueRow>>) {
            codeTexts_.valueRowsRemoved(list.parameter, block);
        }
        return block;
    });
    emit recordsChanged(change);
    return removed;
}

void DefinitionDocument::applyMove(const RecordList& list, int first, int count, int to) {
    waitForReaders();
    const RecordChange change{RecordChange::Type::Move, list, first, count, to};
    emit recordsAboutToChange(change);
    withRecords(list, [&](auto& items) { moveBlock(items, first, count, to); });
    if (list.kind == RecordKind::Parameter) {
        codeTexts_.parametersMoved(first, count, to);
    }
    emit recordsChanged(change);
}

void DefinitionDocument::applyPlaced(const RecordList& list, const std::vector<int>& positions) {
    emit recordsPlaced(list, positions);
}

RecordBlock DefinitionDocument::copyRecords(const RecordList& list, int first, int count) const {
    const auto copy = [&](const auto& items) -> RecordBlock {
        return std::remove_cvref_t<decltype(items)>(items.begin() + first, items.begin() + first + count);
    };
    switch (list.kind) {
    case RecordKind::Parameter:
        return copy(definition_.parameters);
    case RecordKind::ValueRow:
        return copy(definition_.parameters[at(list.parameter)].values);
    case RecordKind::Result:
        break;
    }
    return copy(definition_.results);
}

} // namespace vornak
