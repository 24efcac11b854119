// The definition being edited: the one ReportDefinition, its undo stack, its file (as bytes) and what
// was on disk when it was last read or written. Every change goes through an undo command.
//
// API in short
//   Reading     definition(), undoStack(), path() (bytes, "" while untitled), displayPath(),
//               isUntitled(), isModified() (= !undoStack()->isClean()), changedOnDisk().
//   Files       newDocument() / newDocument(texts): one parameter "Название" with its first row, one
//               result, the nine texts kept (or replaced); path cleared; stack cleared.
//               open(path) -> OpenResult: reads into a fresh definition; on success it replaces the
//               document and clears the stack; on failure the document is left exactly as it was.
//               save() / saveAs(path) -> SaveResult: on success the path is taken, the stack marked
//               clean and the disk stamp renewed; on failure nothing changes. exportTable(path).
//   Edits       each pushes one command and returns false / -1 when there is nothing to do or the text
//               is refused (line break, no Windows-1251 byte, longer than 2047 bytes — judged by what
//               the change adds, so a text read with a CR inside stays editable):
//               setCell(location, text)            grid cells (the models call it from setData)
//               typeText(location, text)           the nine texts and the formula; merged while typing
//               finishTyping()                     ends the merging (focus left the field)
//               setDocumentFile(name)              Browse
//               setKind(p, kind), setNumber(p, on), setHasFormula(p, on)
//               Records, one step each (positions 0-based, ascending or not, repeats ignored;
//               a step that names a position outside the list does nothing):
//               insertRecords(list, pos, block) -> positions of the new records (a paste; refused
//               when any text holds a line break or is longer than 2047 bytes)
//               removeRecords(list, positions), moveRecords(list, positions, ±1) -> new positions,
//               moveRecordsTo(list, positions, destination) -> new positions (a drag: the records
//               gathered in order in front of the record at destination, 0..count; nothing when
//               none would move),
//               duplicateRecords(list, positions) -> positions of the copies (each run's copy
//               right below it); list is RecordList::parameters(), valueRows(p) or results().
//               The single-record forms: addParameter(pos) -> index, deleteParameter(i),
//               moveParameter(i, ±1) -> new index, duplicateParameter(i) -> index of the copy,
//               addValueRow(p, pos), deleteValueRow(p, r), moveValueRow(p, r, ±1),
//               addResult(pos), deleteResult(i), moveResult(i, ±1). An Input parameter holds one
//               value row at most.
//               Inserting, deleting, moving or duplicating parameters or results rewrites the codes
//               that name them (#P #R #N, #X) in the same undo step (codes naming a deleted record
//               become number 0, which names nothing); codesRenumbered(n) then says how many codes
//               changed.
//   Signals     definitionChanged: once after every step, merged keystroke, undo, redo, New and Open
//               (for whatever looks at the whole definition, such as the checks).
//               documentAboutToBeReset / documentReset (new, open), pathChanged, modifiedChanged,
//               textChanged(location): one text changed; textsChanged(locations): one step
//               rewrote several texts at once (a renumbering, a replace-all), for the lists to
//               follow as one change; those of them outside the lists (formulas, the nine texts)
//               are also told one by one with textChanged.
//               parameterChanged(p) (kind or flags), kindAboutToChange(p) /
//               kindChanged(p) (the value rows' columns change; rows may be dropped or restored),
//               recordsAboutToChange(change) / recordsChanged(change): one contiguous block of a
//               list inserted, removed or moved (RecordChange.h), codesRenumbered(n),
//               recordsPlaced(list, positions): a move done, undone or redone, where the records
//               it moved stand now (a move may take several blocks, and may be told as the move
//               of the records it passed over).
//   Changes     the apply* members below change the definition and emit the signals; only undo
//               commands call them. Each first waits for the readers on other threads that were
//               lent the definition (lendToReader), as do New, Open, a restore and the end.
//   Elsewhere   RecordTableModel for parameters and results (column 0 the computed number, not
//               editable), ValueTableModel (setParameter(p); follows its parameter through inserts, removals
//               and moves; parameterChanged(p)); each setData() is a setCell(). EditText.h:
//               displayText(bytes) for showing model texts, checkEdit(before, after) for the
//               validators of cell editors and fields. Positions are 0-based; TextLocation counts
//               records and rows from 1 (locationOf(ReportText::Title) for the nine texts).
#pragma once

#include "BackgroundRelease.h"
#include "CodeTextIndex.h"
#include "DefinitionText.h"
#include "DiskStamp.h"
#include "FileProblem.h"
#include "RecordChange.h"
#include "ReportDefinition.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <array>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <vector>

namespace vornak {

// The nine report texts, numbered in file order as TextLocation's `record` counts them.
enum class ReportText : int {
    Title = 1,
    DocumentFile,
    Input1Caption,
    Input2Caption,
    SurnameCaption,
    Author,
    Source,
    Organisation,
    Date
};
inline constexpr int reportTextCount = 9;
inline TextLocation locationOf(ReportText text) {
    return {TextField::ReportText, static_cast<int>(text), 0};
}

struct OpenResult {
    bool ok = false;
    LoadError error;
    explicit operator bool() const { return ok; }
};

struct SaveResult {
    bool ok = false;
    SaveError error;
    explicit operator bool() const { return ok; }
};

enum class ParameterFlag : std::uint8_t { IsNumber, HasFormula };

class RecordCommand;

class DefinitionDocument : public QObject {
    Q_OBJECT

public:
    explicit DefinitionDocument(QObject* parent = nullptr);
    ~DefinitionDocument() override;

    const ReportDefinition& definition() const { return definition_; }
    QUndoStack* undoStack() { return &undoStack_; }
    const QUndoStack* undoStack() const { return &undoStack_; }

    // --- File ----------------------------------------------------------------------------------
    const std::string& path() const { return path_; }
    bool isUntitled() const { return path_.empty(); }
    // The path for messages and captions (undecodable bytes shown as the system decodes them).
    QString displayPath() const;
    bool isModified() const { return !undoStack_.isClean(); }
    // True when the file was changed, replaced or deleted since it was last read or written here.
    // Always false while untitled.
    bool changedOnDisk() const;

    void newDocument();
    // The same, replacing the nine texts (in file order) too: the defaults at start-up.
    void newDocument(const std::array<QString, reportTextCount>& texts);
    OpenResult open(const std::string& path);
    // Takes a definition kept aside (a recovery copy) as a document with unsaved changes under
    // path ("" for untitled), with stamp as what the file looked like when it was last read or
    // written, so that Save still asks when another program changed it since.
    void restore(ReportDefinition definition, const std::string& path, const DiskStamp& stamp);
    // A large definition that New, Open or a restore replaced is freed apart from the window's
    // thread once the new one has been painted (so that the two do not contend for the
    // allocator); this starts it at once if it waits, and returns once it is gone.
    void waitUntilReplacedFreed();
    // What the file looked like when it was last read or written here (not taken while untitled).
    const DiskStamp& diskStamp() const { return stamp_; }
    SaveResult save();
    SaveResult saveAs(const std::string& path);
    // Writes the table export; changes nothing in the document.
    SaveResult exportTable(const std::string& path) const;

    // --- Edits (each one undo step) ------------------------------------------------------------
    // True when the location names a text of the definition as it is now.
    bool contains(const TextLocation& where) const;
    bool setCell(const TextLocation& where, const QString& text);
    bool typeText(const TextLocation& where, const QString& text);
    void finishTyping();
    bool setDocumentFile(const QString& name);
    bool setKind(int parameter, ValueKind kind);
    bool setNumber(int parameter, bool on);
    bool setHasFormula(int parameter, bool on);

    std::vector<int> insertRecords(const RecordList& list, int position, RecordBlock records,
                                   const QString& undoText = {});
    bool removeRecords(const RecordList& list, std::vector<int> positions);
    std::vector<int> moveRecords(const RecordList& list, std::vector<int> positions, int step);
    std::vector<int> moveRecordsTo(const RecordList& list, std::vector<int> positions, int destination);
    std::vector<int> duplicateRecords(const RecordList& list, std::vector<int> positions);
    // How many records a list holds now (0 for value rows of a parameter that is not there).
    int recordCount(const RecordList& list) const;

    int addParameter(int position);
    bool deleteParameter(int index);
    int moveParameter(int index, int step);
    int duplicateParameter(int index);

    int addValueRow(int parameter, int position);
    bool deleteValueRow(int parameter, int row);
    int moveValueRow(int parameter, int row, int step);

    int addResult(int position);
    bool deleteResult(int index);
    int moveResult(int index, int step);

    // The records a new parameter, value row (by kind) and result start with.
    static ParameterRecord newParameter();
    static ValueRow newValueRow(std::uint8_t kind);
    static ResultRow newResult();

    // --- Readers on other threads -------------------------------------------------------------
    // A thread of someone else's (a recovery snapshot being copied) reads the definition until
    // `done` is ready: the window goes on meanwhile, and only a change (or a replace, or the
    // document's end) waits for it.
    void lendToReader(std::shared_future<void> done);
    // Returns once no thread reads the definition any more.
    void waitForReaders();

    // --- Changes: only undo commands call these ----------------------------------------------
    void applyText(const TextLocation& where, const std::string& bytes);
    void applyTextChanges(const std::vector<TextChange>& changes, bool forward);
    // Sets the kind and replaces the rows (the rows a switch to Input drops, or brings back).
    void applyKind(int parameter, std::uint8_t kind, std::vector<ValueRow> rows);
    void applyFlag(int parameter, ParameterFlag flag, std::uint8_t value);
    void applyInsert(const RecordList& list, int first, RecordBlock records);
    RecordBlock applyRemove(const RecordList& list, int first, int count);
    void applyMove(const RecordList& list, int first, int count, int to);
    // Says where the records a move took stand now, once all its blocks have moved.
    void applyPlaced(const RecordList& list, const std::vector<int>& positions);
    // Copies of the records [first, first + count) of a list.
    RecordBlock copyRecords(const RecordList& list, int first, int count) const;
    // The parameters (0-based, ascending) whose formula or value rows' results hold a "#": the only
    // ones whose texts a renumbering has to read. Kept in step with every change.
    std::vector<int> parametersWithCodes() { return codeTexts_.parametersWithCodes(definition_); }

signals:
    void definitionChanged();
    void documentAboutToBeReset();
    void documentReset();
    void pathChanged();
    void modifiedChanged(bool modified);

    void textChanged(const vornak::TextLocation& where);
    // Several texts rewritten in one step, each named once, in no particular order.
    void textsChanged(const std::vector<vornak::TextLocation>& where);
    void parameterChanged(int parameter);
    void kindAboutToChange(int parameter);
    void kindChanged(int parameter);

    // One contiguous block of a list is about to be, or was, inserted, removed or moved.
    void recordsAboutToChange(const vornak::RecordChange& change);
    void recordsChanged(const vornak::RecordChange& change);
    // A move's records (ascending) stand at these positions now: after the move, its undo or redo.
    void recordsPlaced(const vornak::RecordList& list, const std::vector<int>& positions);

    // A command that inserted, removed, moved or duplicated records rewrote this many codes.
    void codesRenumbered(int count);

private:
    bool validParameter(int index) const;
    bool pushText(const TextLocation& where, const QString& text, bool typing, const QString& undoText);
    // Sorted, without repeats, every one inside the list; empty when any is outside.
    std::vector<int> checkedPositions(const RecordList& list, std::vector<int> positions) const;
    std::vector<int> pushRecords(std::unique_ptr<RecordCommand> command);
    template <class F> decltype(auto) withRecords(const RecordList& list, F&& f);
    void replaceDefinition(ReportDefinition definition, std::string path, DiskStamp stamp);
    void setPath(std::string path);

    ReportDefinition definition_;
    CodeTextIndex codeTexts_;
    QUndoStack undoStack_;
    std::string path_;
    DiskStamp stamp_;
    bool resetting_ = false;
    void releaseReplaced();

    BackgroundRelease released_; // the replaced definition when it is large
    // The one replaced last, waiting to go to released_.
    std::unique_ptr<ReportDefinition> replaced_;
    std::vector<std::shared_future<void>> readers_; // lent the definition, not yet waited for
};

} // namespace vornak
