// The compact definition's storage and its reader. The reader follows the same layout and rules
// as ReportDefinition's (DefinitionReader.cpp), line by line, and words its errors through the
// same function; the tests hold the two to the same results on every file.
#include "CompactDefinition.h"

#include "LineSource.h"
#include "UnreadLine.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace vornak {

CompactDefinition::CompactDefinition() = default;
CompactDefinition::~CompactDefinition() = default;
CompactDefinition::CompactDefinition(CompactDefinition&&) noexcept = default;
CompactDefinition& CompactDefinition::operator=(CompactDefinition&&) noexcept = default;

CompactDefinition::Parameter CompactDefinition::parameter(std::size_t p) const {
    const ParameterEntry& entry = parameters_[p];
    return {
        cell(entry.firstCell), cell(entry.firstCell + 1), entry.kind,
        entry.isNumber,        entry.hasFormula,          Rows(*this, entry.firstCell + 2, entry.rowCount)};
}

std::uint64_t CompactDefinition::storeText(std::string_view text) {
    if (lastBlockUsed_ + text.size() > lastBlockSize_ || usedBlocks_ == 0) {
        lastBlockSize_ = blockSizeAt(usedBlocks_);
        if (usedBlocks_ == blocks_.size()) {
            blocks_.push_back(std::unique_ptr<char[]>(new char[lastBlockSize_])); // filled as cells come
            blockBytes_ += lastBlockSize_;
        }
        lastBlockStart_ = starts_.size();
        starts_.push_back(blocks_[usedBlocks_].get());
        ++usedBlocks_;
        lastBlockUsed_ = 0;
    }
    char* block = blocks_[usedBlocks_ - 1].get();
    if (!text.empty()) {
        std::memcpy(block + lastBlockUsed_, text.data(), text.size());
    }
    const std::uint64_t entry = (static_cast<std::uint64_t>(lastBlockStart_) << blockShift) |
                                (static_cast<std::uint64_t>(lastBlockUsed_) << lengthBits) | text.size();
    lastBlockUsed_ += text.size();
    return entry;
}

std::optional<std::size_t> CompactDefinition::cellAt(const TextLocation& where) const {
    const auto index = [](int number, std::size_t count) -> std::optional<std::size_t> {
        if (number < 1 || static_cast<std::size_t>(number) > count) {
            return std::nullopt;
        }
        return static_cast<std::size_t>(number - 1);
    };
    switch (where.field) {
    case TextField::ReportText:
        return cells_.size() >= 9 ? index(where.record, 9) : std::nullopt;
    case TextField::ResultName:
    case TextField::ResultText: {
        const std::optional<std::size_t> r = index(where.record, resultCount_);
        if (!r) {
            return std::nullopt;
        }
        return firstResultCell_ + 2 * *r + (where.field == TextField::ResultText ? 1 : 0);
    }
    default:
        break;
    }
    const std::optional<std::size_t> p = index(where.record, parameters_.size());
    if (!p) {
        return std::nullopt;
    }
    const ParameterEntry& entry = parameters_[*p];
    switch (where.field) {
    case TextField::ParameterName:
        return entry.firstCell;
    case TextField::ParameterFormula:
        return entry.firstCell + 1;
    default: {
        const std::optional<std::size_t> v = index(where.row, entry.rowCount);
        if (!v) {
            return std::nullopt;
        }
        const std::size_t column = where.field == TextField::Value ? 0 : where.field == TextField::UpperBound ? 1 : 2;
        return entry.firstCell + 2 + 3 * *v + column;
    }
    }
}

void CompactDefinition::holdBytes(std::shared_ptr<const HeldBytes> bytes) {
    const std::string_view all = bytes ? bytes->bytes() : std::string_view();
    if (all.empty()) {
        return;
    }
    // Numbered before any block of the definition's own, which come after them.
    for (std::size_t at = 0; at < all.size(); at += largestBlock) {
        starts_.push_back(all.data() + at);
    }
    heldBegin_ = reinterpret_cast<std::uintptr_t>(all.data());
    heldSize_ = all.size();
    held_ = std::move(bytes);
}

void CompactDefinition::rewind() {
    starts_.clear();
    held_.reset();
    heldBegin_ = 0;
    heldSize_ = 0;
    usedBlocks_ = 0;
    lastBlockStart_ = 0;
    lastBlockSize_ = 0;
    lastBlockUsed_ = 0;
    cells_.rewind();
    parameters_.rewind();
    firstResultCell_ = 0;
    resultCount_ = 0;
    if (secondPart_) {
        secondPart_->rewind();
    }
}

void CompactDefinition::clear() {
    blocks_.clear();
    blocks_.shrink_to_fit();
    starts_ = {};
    secondPart_.reset();
    blockBytes_ = 0;
    cells_.clear();
    parameters_.clear();
    rewind();
}

std::size_t CompactDefinition::heldBytes() const {
    return blockBytes_ + blocks_.capacity() * sizeof(std::unique_ptr<char[]>) +
           starts_.capacity() * sizeof(const char*) + cells_.heldBytes() + parameters_.heldBytes() +
           (secondPart_ ? secondPart_->heldBytes() : 0);
}

ReportDefinition CompactDefinition::toDefinition() const {
    ReportDefinition d;
    std::string* texts[] = {&d.title,  &d.documentFile, &d.input1Caption, &d.input2Caption, &d.surnameCaption,
                            &d.author, &d.source,       &d.organisation,  &d.date};
    if (cells_.size() >= 9) {
        for (std::size_t i = 0; i < 9; ++i) {
            texts[i]->assign(reportText(i));
        }
    }
    d.parameters.reserve(parameterCount());
    for (std::size_t p = 0; p < parameterCount(); ++p) {
        const Parameter view = parameter(p);
        ParameterRecord& record = d.parameters.emplace_back();
        record.name.assign(view.name);
        record.formula.assign(view.formula);
        record.kind = view.kind;
        record.isNumber = view.isNumber;
        record.hasFormula = view.hasFormula;
        record.values.reserve(view.values.size());
        for (std::size_t v = 0; v < view.values.size(); ++v) {
            const Row row = view.values[v];
            record.values.push_back(
                {std::string(row.value), std::string(row.upperBound), std::string(row.result)});
        }
    }
    d.results.reserve(resultCount());
    for (std::size_t r = 0; r < resultCount(); ++r) {
        const Result row = result(r);
        d.results.push_back({std::string(row.name), std::string(row.result)});
    }
    return d;
}

// Reads the body of a definition file into a CompactDefinition, as BodyReader does into the model.
class CompactReader {
public:
    CompactReader(LineSource& source, CompactDefinition& target, LoadError& error)
        : source_(source), target_(target), error_(error) {}

    // False with the error set when the file cannot be read whole.
    bool read() {
        part_ = DefinitionPart::Mark;
        std::string_view line;
        if (!next(line, LinePlace{"the file is empty"})) {
            return false;
        }
        if (line != "R1" && line != "R2") {
            error_ = {1, "line 1 is neither R1 nor R2", FileProblem::NotDefinition, DefinitionPart::Mark, 0};
            return false;
        }
        r1Layout_ = line == "R1";
        part_ = DefinitionPart::Texts;
        for (int i = 0; i < 9; ++i) {
            ++record_;
            if (!text(LinePlace{"inside the nine report texts"})) {
                return false;
            }
        }
        at(DefinitionPart::ParameterCount, 0);
        int parameterCount = 0;
        if (!number(parameterCount, LinePlace{"where the parameter count belongs"})) {
            return false;
        }
        for (int p = 0; p < parameterCount; ++p) {
            if (!readParameter(p + 1)) {
                return false;
            }
        }
        at(DefinitionPart::ResultCount, 0);
        int resultCount = 0;
        if (!number(resultCount, LinePlace{"where the result count belongs"})) {
            return false;
        }
        target_.firstResultCell_ = target_.cells_.size();
        for (int r = 0; r < resultCount; ++r) {
            at(DefinitionPart::Result, r + 1);
            const LinePlace where{"inside result", r + 1};
            if (!text(where) || !text(where)) {
                return false;
            }
            ++target_.resultCount_;
        }
        target_.loadedLayout_ = r1Layout_ ? 1 : 2;
        return true;
    }

    void outOfMemory() {
        error_ = {source_.lineNumber(), "not enough memory", FileProblem::NotEnoughMemory, part_, record_};
    }

private:
    void at(DefinitionPart part, int record) {
        part_ = part;
        record_ = record;
    }

    bool readParameter(int record) {
        at(DefinitionPart::Parameter, record);
        const LinePlace where{"inside parameter", record};
        if (target_.cells_.size() > std::numeric_limits<std::uint32_t>::max() - 2) {
            throw std::bad_alloc(); // more cells than an entry can number
        }
        CompactDefinition::ParameterEntry entry{static_cast<std::uint32_t>(target_.cells_.size()), 0,
                                                ValueKind::List, 0, 0};
        int kind = 0;
        int isNumber = 0;
        if (!text(where) || !number(kind, where) || !number(isNumber, where)) {
            return false;
        }
        entry.kind = static_cast<ValueKind>(static_cast<std::uint8_t>(static_cast<unsigned>(kind) & 0xFFu));
        entry.isNumber = isNumber != 0 ? 1 : 0;
        bool formulaRead = false;
        if (!r1Layout_) {
            int hasFormula = 0;
            if (!number(hasFormula, where)) {
                return false;
            }
            entry.hasFormula = hasFormula != 0 ? 1 : 0;
            if (entry.hasFormula != 0) {
                if (!text(where)) {
                    return false;
                }
                formulaRead = true;
            }
        }
        if (!formulaRead) {
            target_.addCell({});
        }
        int rowCount = 0;
        if (!number(rowCount, where)) {
            return false;
        }
        for (int v = 0; v < rowCount; ++v) {
            if (!text(where) || !text(where) || !text(where)) {
                return false;
            }
            ++entry.rowCount;
        }
        target_.parameters_.push_back(entry);
        return true;
    }

    bool next(std::string_view& line, const LinePlace& where) {
        const LineSource::Status status = source_.next(line);
        if (status == LineSource::Status::Line) [[likely]] {
            return true;
        }
        error_ = unreadLineError(source_, status, where, part_, record_);
        return false;
    }
    bool text(const LinePlace& where) {
        std::string_view line;
        if (!next(line, where)) {
            return false;
        }
        target_.addCell(line);
        return true;
    }
    bool number(int& value, const LinePlace& where) {
        std::string_view line;
        if (!next(line, where)) {
            return false;
        }
        value = parseLeadingInt(line);
        return true;
    }

    LineSource& source_;
    CompactDefinition& target_;
    LoadError& error_;
    DefinitionPart part_ = DefinitionPart::None;
    int record_ = 0;
    bool r1Layout_ = false;
};

bool CompactDefinition::load(const std::string& path) {
    return loadFile(path, false);
}

bool CompactDefinition::loadInPlace(const std::string& path) {
    return loadFile(path, true);
}

bool CompactDefinition::loadFile(const std::string& path, bool inPlace) {
    clear();
    loadError_ = {};
    loadedLayout_ = 0;
    try {
        std::optional<LineSource> source;
        if (inPlace) {
            source.emplace(path, LineSource::InPlace{});
        } else {
            source.emplace(path);
        }
        if (!source->isOpen()) {
            loadError_.reason = source->error();
            loadError_.problem = source->problem();
            return false;
        }
        return load(*source);
    } catch (const std::bad_alloc&) {
        clear();
        loadError_ = {0, "not enough memory", FileProblem::NotEnoughMemory};
        return false;
    }
}

bool CompactDefinition::load(LineSource& source) {
    clear();
    loadError_ = {};
    loadedLayout_ = 0;
    holdBytes(source.held());
    CompactReader reader(source, *this, loadError_);
    bool read = false;
    try {
        read = reader.read();
    } catch (const std::bad_alloc&) {
        reader.outOfMemory();
    }
    if (source.held() && source.held()->changed()) {
        // What was read (or failed on) is partly the zeros the cut left, not the file.
        loadError_ = cutWhileReadError();
        read = false;
    }
    if (!read) {
        clear();
    }
    return read;
}

} // namespace vornak
