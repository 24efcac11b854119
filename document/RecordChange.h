// What a change of the record lists says to those who follow the document: which list (the
// parameters, one parameter's value rows, the results), and which contiguous block of it was
// inserted, removed or moved. A command that touches several blocks reports each block in turn.
#pragma once

#include "ReportDefinition.h"

#include <algorithm>
#include <variant>
#include <vector>

namespace vornak {

enum class RecordKind : std::uint8_t { Parameter, ValueRow, Result };

// One list of records: for value rows, those of `parameter` (0-based); -1 otherwise.
struct RecordList {
    RecordKind kind = RecordKind::Parameter;
    int parameter = -1;

    bool operator==(const RecordList&) const = default;

    static RecordList parameters() { return {RecordKind::Parameter, -1}; }
    static RecordList valueRows(int parameter) { return {RecordKind::ValueRow, parameter}; }
    static RecordList results() { return {RecordKind::Result, -1}; }
};

// Records of one kind, in order: what is inserted, or what a removal took out.
using RecordBlock = std::variant<std::vector<ParameterRecord>, std::vector<ValueRow>, std::vector<ResultRow>>;

// An empty block of the kind a list holds.
RecordBlock emptyBlock(RecordKind kind);
int blockSize(const RecordBlock& block);

struct RecordChange {
    enum class Type : std::uint8_t { Insert, Remove, Move };

    Type type = Type::Insert;
    RecordList list;
    // Insert: the block's place after the change; Remove and Move: its place before.
    int first = 0;
    int count = 0;
    // Move: where the block's first record stands after the change.
    int to = 0;

    int last() const { return first + count - 1; }
    // Where a record that stood at `position` before the change stands after it; -1 once removed.
    int follow(int position) const;

    bool operator==(const RecordChange&) const = default;
};

// Moves the block [first, first + count) so that it starts at `to`; the records it passes over
// close up behind it.
template <class T> void moveBlock(std::vector<T>& items, int first, int count, int to) {
    const auto begin = items.begin();
    if (to > first) {
        std::rotate(begin + first, begin + first + count, begin + to + count);
    } else {
        std::rotate(begin + to, begin + first, begin + first + count);
    }
}

} // namespace vornak
