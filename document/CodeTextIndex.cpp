#include "CodeTextIndex.h"

#include "RecordChange.h"

#include <algorithm>

namespace vornak {

namespace {

int holds(const std::string& text) {
    return text.find('#') != std::string::npos ? 1 : 0;
}

int countOf(const std::vector<ValueRow>& rows) {
    int count = 0;
    for (const ValueRow& row : rows) {
        count += holds(row.result);
    }
    return count;
}

int countOf(const ParameterRecord& record) {
    return holds(record.formula) + countOf(record.values);
}

} // namespace

void CodeTextIndex::invalidate() {
    stale_ = true;
    counts_.clear();
}

void CodeTextIndex::rebuild(const ReportDefinition& definition) {
    stale_ = false;
    counts_.assign(definition.parameters.size(), 0);
    for (std::size_t p = 0; p < counts_.size(); ++p) {
        counts_[p] = countOf(definition.parameters[p]);
    }
}

void CodeTextIndex::textReplaced(const TextLocation& where, const std::string& before,
                                 const std::string& after) {
    if (stale_) {
        return;
    }
    if (where.field != TextField::ParameterFormula && where.field != TextField::ValueResult) {
        return;
    }
    counts_.at(static_cast<std::size_t>(where.record - 1)) += holds(after) - holds(before);
}

void CodeTextIndex::parametersInserted(int first, const std::vector<ParameterRecord>& records) {
    if (stale_) {
        return;
    }
    std::vector<int> added;
    added.reserve(records.size());
    for (const ParameterRecord& record : records) {
        added.push_back(countOf(record));
    }
    counts_.insert(counts_.begin() + first, added.begin(), added.end());
}

void CodeTextIndex::parametersRemoved(int first, int count) {
    if (stale_) {
        return;
    }
    counts_.erase(counts_.begin() + first, counts_.begin() + first + count);
}

void CodeTextIndex::parametersMoved(int first, int count, int to) {
    if (stale_) {
        return;
    }
    moveBlock(counts_, first, count, to);
}

void CodeTextIndex::valueRowsInserted(int parameter, const std::vector<ValueRow>& rows) {
    if (stale_) {
        return;
    }
    counts_.at(static_cast<std::size_t>(parameter)) += countOf(rows);
}

void CodeTextIndex::valueRowsRemoved(int parameter, const std::vector<ValueRow>& rows) {
    if (stale_) {
        return;
    }
    counts_.at(static_cast<std::size_t>(parameter)) -= countOf(rows);
}

void CodeTextIndex::parameterReplaced(int parameter, const ParameterRecord& record) {
    if (stale_) {
        return;
    }
    counts_.at(static_cast<std::size_t>(parameter)) = countOf(record);
}

std::vector<int> CodeTextIndex::parametersWithCodes(const ReportDefinition& definition) {
    if (stale_) {
        rebuild(definition);
    }
    std::vector<int> found;
    for (std::size_t p = 0; p < counts_.size(); ++p) {
        if (counts_[p] > 0) {
            found.push_back(static_cast<int>(p));
        }
    }
    return found;
}

} // namespace vornak
