// The one undo command that inserts, removes, moves or duplicates records of any list: parameters,
// one parameter's value rows, results. It is a short plan of block steps (a removal of scattered
// rows is one step per contiguous run), replayed forward on redo and backward on undo. For
// parameters and results the codes that name them (#P #R #N, #X) are rewritten in the same step:
// found once, on the first redo, on the definition as it was, and replayed afterwards; codes naming
// a removed record become number 0, which names nothing.
#pragma once

#include "DefinitionText.h"
#include "RecordChange.h"

#include <QUndoCommand>

#include <memory>
#include <optional>
#include <vector>

namespace vornak {

class DefinitionDocument;

// The Edit menu's name for a paste into a list ("вставка параметров").
QString pasteUndoText(RecordKind kind);

class RecordCommand : public QUndoCommand {
public:
    // Positions are 0-based, ascending, without repeats, and name records of the list; the document
    // checks them before it builds a command.
    static std::unique_ptr<RecordCommand> insert(DefinitionDocument& document, const RecordList& list,
                                                 int position, RecordBlock records, const QString& text = {});
    static std::unique_ptr<RecordCommand> remove(DefinitionDocument& document, const RecordList& list,
                                                 const std::vector<int>& positions);
    // Every record one place up (step -1) or down (+1); each contiguous run passes over its neighbour.
    static std::unique_ptr<RecordCommand> move(DefinitionDocument& document, const RecordList& list,
                                               const std::vector<int>& positions, int step);
    // The records gathered, in their order, in front of the record at `destination` (the count: at
    // the end), as a drag drops them; nothing when that leaves every record where it stands.
    static std::unique_ptr<RecordCommand> moveTo(DefinitionDocument& document, const RecordList& list,
                                                 const std::vector<int>& positions, int destination);
    // A copy of each contiguous run right below it, with the codes the original has after the step.
    static std::unique_ptr<RecordCommand> duplicate(DefinitionDocument& document, const RecordList& list,
                                                    const std::vector<int>& positions);

    void redo() override;
    void undo() override;

    // Where the records acted on stand after the step (ascending): those inserted, the moved ones,
    // the copies; after a removal, the first removed position.
    const std::vector<int>& placed() const { return placed_; }
    // How many codes the renumbering rewrote (known after the first redo).
    int renumberedCodes() const { return codes_; }

private:
    struct Step {
        RecordChange::Type type;
        int first;
        int count;
        int to = 0;
        RecordBlock records;
        // An insert whose records are copied, at its turn, from this position of the list.
        std::optional<int> copyFrom;
    };

    RecordCommand(DefinitionDocument& document, const RecordList& list, const QString& text);
    // The new number of every record the steps leave (0 for removed ones), numbered from 1.
    std::vector<int> numbering(int count) const;
    std::vector<TextChange> renumbering() const;

    DefinitionDocument& document_;
    RecordList list_;
    std::vector<Step> steps_;
    std::vector<int> placed_;
    std::vector<int> moved_; // a move's records where they stood before it; empty for other steps
    std::vector<TextChange> changes_;
    int codes_ = 0;
    bool done_ = false;
};

} // namespace vornak
