// Copying the editor's model into a compact definition, for a recovery copy written while the
// model goes on changing. The caller waits for the copy, so a large definition is copied in two
// halves at once: the first on the caller's thread, the second (with the results) beside it into
// blocks of its own, whose numbers then follow the first half's.
#include "CompactDefinition.h"
#include "TextPrefetch.h"

#include <array>
#include <cstring>
#include <exception>
#include <limits>
#include <new>
#include <thread>

namespace vornak {

namespace {

// Below this many value rows one thread copies quickly enough for a thread of its own not to pay.
constexpr std::size_t splitFromRows = 50'000;

std::array<const std::string*, 9> reportTexts(const ReportDefinition& d) {
    return {&d.title,          &d.documentFile, &d.input1Caption, &d.input2Caption, &d.surnameCaption,
            &d.author,         &d.source,       &d.organisation,  &d.date};
}

std::size_t cellsOf(const ParameterRecord& parameter) {
    return 2 + 3 * parameter.values.size();
}

} // namespace

class DefinitionCopier {
public:
    // The first parameter of the second half, or the number of parameters where one thread copies all.
    static std::size_t splitPoint(const ReportDefinition& definition) {
        std::size_t rows = 0;
        for (const ParameterRecord& parameter : definition.parameters) {
            rows += parameter.values.size();
        }
        if (rows < splitFromRows) {
            return definition.parameters.size();
        }
        std::size_t seen = 0;
        for (std::size_t p = 0; p < definition.parameters.size(); ++p) {
            if (seen >= rows / 2) {
                return p;
            }
            seen += definition.parameters[p].values.size();
        }
        return definition.parameters.size();
    }

    // Parameters [first, last), and the results after them when `withResults`, into the target's
    // cells from `cell` on, their texts into the blocks of `store` (numbered as store's). False at a
    // text longer than an entry can say.
    static bool copyPart(const ReportDefinition& definition, std::size_t first, std::size_t last, std::size_t cell,
                         bool withResults, CompactDefinition& store, CompactDefinition& target) {
        const auto put = [&](const std::string& text) {
            if (text.size() > maxLineBytes) {
                return false;
            }
            target.cells_[cell++] = store.storeText(text);
            return true;
        };
        for (std::size_t p = first; p < last; ++p) {
            const ParameterRecord& parameter = definition.parameters[p];
            // Kinds and flags as the model holds them, so the bytes written are the model's own.
            target.parameters_[p] = {static_cast<std::uint32_t>(cell), static_cast<std::uint32_t>(parameter.values.size()),
                                     parameter.kind, parameter.isNumber, parameter.hasFormula};
            if (!put(parameter.name) || !put(parameter.formula)) {
                return false;
            }
            const auto& rows = parameter.values;
            for (std::size_t v = 0; v < rows.size(); ++v) {
                if (v + detail::prefetchDistance < rows.size()) {
                    detail::prefetchTexts(rows[v + detail::prefetchDistance]);
                }
                const ValueRow& row = rows[v];
                if (!put(row.value) || !put(row.upperBound) || !put(row.result)) {
                    return false;
                }
            }
        }
        if (withResults) {
            for (const ResultRow& row : definition.results) {
                if (!put(row.name) || !put(row.result)) {
                    return false;
                }
            }
        }
        return true;
    }

    // Both halves at once; the second half's entries then number the blocks after the first's.
    static bool copyInTwo(const ReportDefinition& definition, std::size_t split, std::size_t splitCell,
                          CompactDefinition& copy) {
        if (!copy.secondPart_) {
            copy.secondPart_ = std::make_unique<CompactDefinition>();
        }
        CompactDefinition& second = *copy.secondPart_;
        bool secondCopied = false;
        std::exception_ptr secondFailure;
        std::thread beside([&] {
            try {
                secondCopied = copyPart(definition, split, definition.parameters.size(), splitCell, true, second, copy);
            } catch (...) {
                secondFailure = std::current_exception();
            }
        });
        bool firstCopied = false;
        try {
            firstCopied = copyPart(definition, 0, split, 9, false, copy, copy);
        } catch (...) {
            beside.join();
            throw;
        }
        beside.join();
        if (secondFailure) {
            std::rethrow_exception(secondFailure);
        }
        if (!firstCopied || !secondCopied) {
            return false;
        }
        const std::uint64_t shift = static_cast<std::uint64_t>(copy.starts_.size()) << CompactDefinition::blockShift;
        copy.starts_.insert(copy.starts_.end(), second.starts_.begin(), second.starts_.end());
        for (std::size_t c = splitCell; c < copy.cells_.size(); ++c) {
            copy.cells_[c] += shift;
        }
        return true;
    }
};

std::optional<CompactDefinition> CompactDefinition::copyOf(const ReportDefinition& definition, CompactDefinition reuse,
                                                            const std::vector<TextReplacement>& replacements) {
    CompactDefinition copy = std::move(reuse);
    copy.rewind();
    copy.loadError_ = {};
    copy.loadedLayout_ = 0;
    const std::size_t parameters = definition.parameters.size();
    const std::size_t split = DefinitionCopier::splitPoint(definition);
    std::size_t cells = 9;
    std::size_t splitCell = 0;
    for (std::size_t p = 0; p < parameters; ++p) {
        if (p == split) {
            splitCell = cells;
        }
        cells += cellsOf(definition.parameters[p]);
    }
    const std::size_t firstResultCell = cells;
    cells += 2 * definition.results.size();
    if (cells > std::numeric_limits<std::uint32_t>::max()) {
        throw std::bad_alloc(); // more cells than an entry can number
    }
    copy.cells_.growTo(cells);
    copy.parameters_.growTo(parameters);
    copy.firstResultCell_ = firstResultCell;
    copy.resultCount_ = definition.results.size();
    std::size_t cell = 0;
    for (const std::string* text : reportTexts(definition)) {
        if (text->size() > maxLineBytes) {
            return std::nullopt;
        }
        copy.cells_[cell++] = copy.storeText(*text);
    }
    const bool copied = split < parameters ? DefinitionCopier::copyInTwo(definition, split, splitCell, copy)
                                           : DefinitionCopier::copyPart(definition, 0, parameters, 9, true, copy, copy);
    if (!copied) {
        return std::nullopt;
    }
    for (const TextReplacement& replacement : replacements) {
        if (replacement.text.size() > maxLineBytes) {
            return std::nullopt;
        }
        if (const std::optional<std::size_t> at = copy.cellAt(replacement.where)) {
            copy.cells_[*at] = copy.storeText(replacement.text);
        }
    }
    return copy;
}

CompactDefinition::Room CompactDefinition::roomFor(const ReportDefinition& definition) {
    Room room;
    const std::size_t split = DefinitionCopier::splitPoint(definition);
    for (const std::string* text : reportTexts(definition)) {
        room.textBytes += text->size();
    }
    room.cells = 9;
    for (std::size_t p = 0; p < definition.parameters.size(); ++p) {
        const ParameterRecord& parameter = definition.parameters[p];
        std::size_t bytes = parameter.name.size() + parameter.formula.size();
        for (const ValueRow& row : parameter.values) {
            bytes += row.value.size() + row.upperBound.size() + row.result.size();
        }
        (p < split ? room.textBytes : room.secondPartTextBytes) += bytes;
        room.cells += cellsOf(parameter);
    }
    for (const ResultRow& row : definition.results) {
        (split < definition.parameters.size() ? room.secondPartTextBytes : room.textBytes) +=
            row.name.size() + row.result.size();
    }
    room.cells += 2 * definition.results.size();
    room.parameters = definition.parameters.size();
    return room;
}

namespace {

// Blocks for that many text bytes, touched so the system gives their pages now.
void makeBlocks(std::size_t textBytes, std::vector<std::unique_ptr<char[]>>& blocks, std::size_t& blockBytes,
                std::size_t (*sizeAt)(std::size_t)) {
    // A text never spans two blocks: the end of each block may stay unused, a line at most.
    const std::size_t wanted = textBytes + textBytes / 256 + 64 * 1024;
    for (std::size_t held = 0, i = blocks.size(); held < wanted; ++i) {
        const std::size_t size = sizeAt(i);
        blocks.push_back(std::unique_ptr<char[]>(new char[size]));
        std::memset(blocks.back().get(), 0, size);
        blockBytes += size;
        held += size;
    }
}

} // namespace

CompactDefinition CompactDefinition::withRoom(const Room& room) {
    CompactDefinition made;
    makeBlocks(room.textBytes, made.blocks_, made.blockBytes_, &CompactDefinition::blockSizeAt);
    std::size_t starts = made.blocks_.size();
    if (room.secondPartTextBytes > 0) {
        made.secondPart_ = std::make_unique<CompactDefinition>();
        CompactDefinition& second = *made.secondPart_;
        makeBlocks(room.secondPartTextBytes, second.blocks_, second.blockBytes_, &CompactDefinition::blockSizeAt);
        second.starts_.reserve(second.blocks_.size());
        starts += second.blocks_.size(); // the first part's numbers take the second's after them
    }
    made.starts_.reserve(starts);
    made.cells_.reserve(room.cells);
    made.parameters_.reserve(room.parameters);
    return made;
}

} // namespace vornak
