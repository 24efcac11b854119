#include "RecordCommands.h"

#include "DefinitionDocument.h"
#include "Renumbering.h"

#include <algorithm>
#include <utility>

namespace vornak {

namespace {

enum class Action { Add, Remove, Move, Copy };

// The Edit menu's name for a step, made to follow "Отменить: ".
QString describe(RecordKind kind, Action action, bool several) {
    QString what;
    switch (action) {
    case Action::Add:
        what = QStringLiteral("добавление ");
        break;
    case Action::Remove:
        what = QStringLiteral("удаление ");
        break;
    case Action::Move:
        what = QStringLiteral("перемещение ");
        break;
    case Action::Copy:
        what = QStringLiteral("копирование ");
        break;
    }
    switch (kind) {
    case RecordKind::Parameter:
        return what + (several ? QStringLiteral("параметров") : QStringLiteral("параметра"));
    case RecordKind::ValueRow:
        return what + (several ? QStringLiteral("значений") : QStringLiteral("значения"));
    case RecordKind::Result:
        break;
    }
    return what + (several ? QStringLiteral("результатов") : QStringLiteral("результата"));
}

struct Run {
    int first;
    int count;
};

// Ascending positions as contiguous runs, in ascending order.
std::vector<Run> runsOf(const std::vector<int>& positions) {
    std::vector<Run> runs;
    for (const int position : positions) {
        if (!runs.empty() && runs.back().first + runs.back().count == position) {
            ++runs.back().count;
        } else {
            runs.push_back({position, 1});
        }
    }
    return runs;
}

} // namespace

QString pasteUndoText(RecordKind kind) {
    switch (kind) {
    case RecordKind::Parameter:
        return QStringLiteral("вставка параметров");
    case RecordKind::ValueRow:
        return QStringLiteral("вставка значений");
    case RecordKind::Result:
        break;
    }
    return QStringLiteral("вставка результатов");
}

RecordCommand::RecordCommand(DefinitionDocument& document, const RecordList& list, const QString& text)
    : QUndoCommand(text), document_(document), list_(list) {
}

std::unique_ptr<RecordCommand> RecordCommand::insert(DefinitionDocument& document, const RecordList& list,
                                                     int position, RecordBlock records, const QString& text) {
    const int count = blockSize(records);
    std::unique_ptr<RecordCommand> command(new RecordCommand(
        document, list, text.isEmpty() ? describe(list.kind, Action::Add, count > 1) : text));
    command->steps_.push_back({RecordChange::Type::Insert, position, count, 0, std::move(records), {}});
    for (int i = 0; i < count; ++i) {
        command->placed_.push_back(position + i);
    }
    return command;
}

std::unique_ptr<RecordCommand> RecordCommand::remove(DefinitionDocument& document, const RecordList& list,
                                                     const std::vector<int>& positions) {
    std::unique_ptr<RecordCommand> command(
        new RecordCommand(document, list, describe(list.kind, Action::Remove, positions.size() > 1)));
    // From the last run up, so that the runs still to go keep their places.
    const std::vector<Run> runs = runsOf(positions);
    for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
        command->steps_.push_back(
            {RecordChange::Type::Remove, run->first, run->count, 0, emptyBlock(list.kind), {}});
    }
    command->placed_.push_back(positions.front());
    return command;
}

std::unique_ptr<RecordCommand> RecordCommand::move(DefinitionDocument& document, const RecordList& list,
                                                   const std::vector<int>& positions, int step) {
    std::unique_ptr<RecordCommand> command(
        new RecordCommand(document, list, describe(list.kind, Action::Move, positions.size() > 1)));
    // The leading run first, so that no run passes over one that has not moved yet.
    std::vector<Run> runs = runsOf(positions);
    if (step > 0) {
        std::reverse(runs.begin(), runs.end());
    }
    for (const Run& run : runs) {
        command->steps_.push_back(
            {RecordChange::Type::Move, run.first, run.count, run.first + step, emptyBlock(list.kind), {}});
    }
    for (const int position : positions) {
        command->placed_.push_back(position + step);
    }
    command->moved_ = positions;
    return command;
}

std::unique_ptr<RecordCommand> RecordCommand::moveTo(DefinitionDocument& document, const RecordList& list,
                                                     const std::vector<int>& positions, int destination) {
    std::unique_ptr<RecordCommand> command(
        new RecordCommand(document, list, describe(list.kind, Action::Move, positions.size() > 1)));
    // The records above the destination that go leave their places: the block starts that much higher.
    const auto above = std::lower_bound(positions.begin(), positions.end(), destination) - positions.begin();
    const int target = destination - static_cast<int>(above);
    const int count = document.recordCount(list);
    // The old positions in their new order: those staying, with the moved ones in at the target.
    std::vector<int> wanted;
    for (int position = 0; position < count; ++position) {
        if (!std::binary_search(positions.begin(), positions.end(), position)) {
            wanted.push_back(position);
        }
    }
    wanted.insert(wanted.begin() + target, positions.begin(), positions.end());
    // From the top, each place that does not hold its record yet takes it from below, together
    // with the records that follow it there in the wanted order: a step per block, not per record.
    std::vector<int> order(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        order[static_cast<std::size_t>(i)] = i;
    }
    const auto at = [](const std::vector<int>& items, int i) { return items[static_cast<std::size_t>(i)]; };
    for (int i = 0; i < count;) {
        if (at(order, i) == at(wanted, i)) {
            ++i;
            continue;
        }
        const auto from = static_cast<int>(std::find(order.begin() + i, order.end(), at(wanted, i)) - order.begin());
        int run = 1;
        while (from + run < count && at(order, from + run) == at(wanted, i + run)) {
            ++run;
        }
        command->steps_.push_back({RecordChange::Type::Move, from, run, i, emptyBlock(list.kind), {}});
        moveBlock(order, from, run, i);
        i += run;
    }
    const int placed = static_cast<int>(positions.size());
    if (command->steps_.empty()) {
        return nullptr;
    }
    for (int i = 0; i < placed; ++i) {
        command->placed_.push_back(target + i);
    }
    command->moved_ = positions;
    return command;
}

std::unique_ptr<RecordCommand> RecordCommand::duplicate(DefinitionDocument& document, const RecordList& list,
                                                        const std::vector<int>& positions) {
    std::unique_ptr<RecordCommand> command(
        new RecordCommand(document, list, describe(list.kind, Action::Copy, positions.size() > 1)));
    int inserted = 0; // copies already placed above the run
    for (const Run& run : runsOf(positions)) {
        const int source = run.first + inserted;
        command->steps_.push_back(
            {RecordChange::Type::Insert, source + run.count, run.count, 0, emptyBlock(list.kind), source});
        for (int i = 0; i < run.count; ++i) {
            command->placed_.push_back(source + run.count + i);
        }
        inserted += run.count;
    }
    return command;
}

std::vector<int> RecordCommand::numbering(int count) const {
    // Play the steps on the records' old numbers (0 for new ones) and read off where each went.
    std::vector<int> numbers(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        numbers[static_cast<std::size_t>(i)] = i + 1;
    }
    for (const Step& step : steps_) {
        switch (step.type) {
        case RecordChange::Type::Insert:
            numbers.insert(numbers.begin() + step.first, static_cast<std::size_t>(step.count), 0);
            break;
        case RecordChange::Type::Remove:
            numbers.erase(numbers.begin() + step.first, numbers.begin() + step.first + step.count);
            break;
        case RecordChange::Type::Move:
            moveBlock(numbers, step.first, step.count, step.to);
            break;
        }
    }
    std::vector<int> newNumberOf(static_cast<std::size_t>(count), 0);
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (numbers[i] > 0) {
            newNumberOf[static_cast<std::size_t>(numbers[i] - 1)] = static_cast<int>(i) + 1;
        }
    }
    return newNumberOf;
}

std::vector<TextChange> RecordCommand::renumbering() const {
    if (list_.kind == RecordKind::ValueRow) {
        return {}; // value rows are not named by number
    }
    const ReportDefinition& definition = document_.definition();
    const bool parameters = list_.kind == RecordKind::Parameter;
    const auto count =
        static_cast<int>(parameters ? definition.parameters.size() : definition.results.size());
    const std::vector<int> newNumberOf = numbering(count);
    // Adding at the end renumbers nothing: no need to look at every text.
    bool same = true;
    for (int i = 0; i < count && same; ++i) {
        same = newNumberOf[static_cast<std::size_t>(i)] == i + 1;
    }
    if (same) {
        return {};
    }
    // Only the parameters with a code in their texts are read, and the results.
    const std::vector<int> withCodes = document_.parametersWithCodes();
    return parameters ? renumberParameterReferences(definition, newNumberOf, withCodes)
                      : renumberResultReferences(definition, newNumberOf, withCodes);
}

void RecordCommand::redo() {
    // The rewrites name texts where they stand before the records move: they go first.
    if (!done_) {
        changes_ = renumbering();
        codes_ = countChangedCodes(changes_);
        done_ = true;
    }
    document_.applyTextChanges(changes_, true);
    for (Step& step : steps_) {
        switch (step.type) {
        case RecordChange::Type::Insert:
            if (step.copyFrom) {
                // Taken once the original's codes are rewritten, so that both name the same records.
                step.records = document_.copyRecords(list_, *step.copyFrom, step.count);
                step.copyFrom.reset();
            }
            document_.applyInsert(list_, step.first, std::move(step.records));
            break;
        case RecordChange::Type::Remove:
            step.records = document_.applyRemove(list_, step.first, step.count);
            break;
        case RecordChange::Type::Move:
            document_.applyMove(list_, step.first, step.count, step.to);
            break;
        }
    }
    if (!moved_.empty()) {
        document_.applyPlaced(list_, placed_);
    }
}

void RecordCommand::undo() {
    for (auto step = steps_.rbegin(); step != steps_.rend(); ++step) {
        switch (step->type) {
        case RecordChange::Type::Insert:
            step->records = document_.applyRemove(list_, step->first, step->count);
            break;
        case RecordChange::Type::Remove:
            document_.applyInsert(list_, step->first, std::move(step->records));
            step->records = emptyBlock(list_.kind);
            break;
        case RecordChange::Type::Move:
            document_.applyMove(list_, step->to, step->count, step->first);
            break;
        }
    }
    document_.applyTextChanges(changes_, false);
    if (!moved_.empty()) {
        document_.applyPlaced(list_, moved_);
    }
}

} // namespace vornak
