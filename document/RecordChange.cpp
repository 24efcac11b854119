#include "RecordChange.h"

namespace vornak {

RecordBlock emptyBlock(RecordKind kind) {
    switch (kind) {
    case RecordKind::Parameter:
        return std::vector<ParameterRecord>();
    case RecordKind::ValueRow:
        return std::vector<ValueRow>();
    case RecordKind::Result:
        break;
    }
    return std::vector<ResultRow>();
}

int blockSize(const RecordBlock& block) {
    return std::visit([](const auto& records) { return static_cast<int>(records.size()); }, block);
}

int RecordChange::follow(int position) const {
    if (position < 0) {
        return position;
    }
    switch (type) {
    case Type::Insert:
        return position >= first ? position + count : position;
    case Type::Remove:
        if (position < first) {
            return position;
        }
        return position <= last() ? -1 : position - count;
    case Type::Move:
        if (position >= first && position <= last()) {
            return position - first + to;
        }
        if (to > first && position > last() && position < to + count) {
            return position - count; // passed over by a block moving down
        }
        if (to < first && position >= to && position < first) {
            return position + count; // passed over by a block moving up
        }
        return position;
    }
    return position;
}

} // namespace vornak
