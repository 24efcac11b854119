// A definition held as compactly as its bytes, for work that reads a file once and writes or
// checks it (the command line): every text lies in a few large blocks, each cell is one 8-byte
// entry of an index, and counts, kinds and flags are numbers. It reads the same files as
// ReportDefinition, with the same errors, and can be saved, exported, checked and dumped through
// the same code (DefinitionAccess.h describes the view it offers). It cannot be edited.
#pragma once

#include "ChunkedArray.h"
#include "DefinitionText.h"
#include "FileProblem.h"
#include "HeldBytes.h"
#include "ReportDefinition.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vornak {

class LineSource;

class CompactDefinition {
public:
    struct Row {
        std::string_view value;
        std::string_view upperBound;
        std::string_view result;
    };
    // A parameter's value rows; valid while the definition is neither changed nor moved.
    class Rows {
    public:
        Rows(const CompactDefinition& owner, std::size_t firstCell, std::size_t count)
            : owner_(&owner), firstCell_(firstCell), count_(count) {}
        std::size_t size() const { return count_; }
        bool empty() const { return count_ == 0; }
        Row operator[](std::size_t v) const {
            const std::size_t cell = firstCell_ + 3 * v;
            return {owner_->cell(cell), owner_->cell(cell + 1), owner_->cell(cell + 2)};
        }

    private:
        const CompactDefinition* owner_;
        std::size_t firstCell_;
        std::size_t count_;
    };
    struct Parameter {
        std::string_view name;
        std::string_view formula; // empty in an R1 file, which has none
        ValueKind kind;
        std::uint8_t isNumber;
        std::uint8_t hasFormula;
        Rows values;
    };
    struct Result {
        std::string_view name;
        std::string_view result;
    };

    CompactDefinition();
    ~CompactDefinition();
    CompactDefinition(CompactDefinition&&) noexcept;
    CompactDefinition& operator=(CompactDefinition&&) noexcept;
    CompactDefinition(const CompactDefinition&) = delete;
    CompactDefinition& operator=(const CompactDefinition&) = delete;

    std::size_t parameterCount() const { return parameters_.size(); }
    Parameter parameter(std::size_t p) const;
    std::size_t resultCount() const { return resultCount_; }
    Result result(std::size_t r) const {
        return {cell(firstResultCell_ + 2 * r), cell(firstResultCell_ + 2 * r + 1)};
    }
    // The nine report texts in file order (title first, date last), i = 0..8.
    std::string_view reportText(std::size_t i) const { return cell(i); }

    // Reads an R1 or R2 file (or pipe) as ReportDefinition::load does, failing with the same
    // error at the same line; after a failure the definition is empty.
    bool load(const std::string& path);
    bool load(LineSource& source);
    // The same, but where the system maps the file its texts stay where they lie in it instead of
    // being copied: for a definition that is only read (checked, dumped). Another program may cut
    // the file short meanwhile; sourceChanged() then says that what was read is not the file.
    bool loadInPlace(const std::string& path);
    // True when the texts read in place are no longer the file's (see loadInPlace): whatever was
    // made of them is not the file's, and cutWhileReadError() says why. Asks the system.
    bool sourceChanged() const { return held_ && held_->changed(); }
    // The same, cheaply, for a cut that a read has met (asked as each result is made).
    bool sourceCutMet() const { return held_ && held_->cutMet(); }
    const LoadError& loadError() const { return loadError_; }
    // 1 or 2 after a successful load of an R1 or R2 file, 0 otherwise.
    int loadedLayout() const { return loadedLayout_; }

    // Write as ReportDefinition's save and exportTable do, with the same safety.
    bool save(const std::string& path) const;
    bool exportTable(const std::string& path) const;
    const SaveError& saveError() const { return saveError_; }

    // The same definition as the editor's model.
    ReportDefinition toDefinition() const;
    // The editor's model held compactly, for writing it elsewhere while the model goes on changing:
    // one pass over its texts with no allocation per text (a large definition's second half on a
    // thread of its own meanwhile). Nothing when a text is longer than a line of the file may be
    // (such a definition cannot be saved as it is). `reuse`, an earlier copy no longer needed,
    // lends its memory, so a copy as large as it takes no new memory. `replacements` stand in
    // place of the model's texts at their places (edits not yet taken); places the model does not
    // have are passed over.
    static std::optional<CompactDefinition> copyOf(const ReportDefinition& definition,
                                                   CompactDefinition reuse = {},
                                                   const std::vector<TextReplacement>& replacements = {});
    // What a copy of a definition takes: its texts' bytes (of the part copied on the caller's thread
    // and of the part copied beside it) and its numbers of cells and parameters.
    struct Room {
        std::size_t textBytes = 0;
        std::size_t secondPartTextBytes = 0;
        std::size_t cells = 0;
        std::size_t parameters = 0;
    };
    static Room roomFor(const ReportDefinition& definition);
    // An empty definition holding, already touched, the memory a copy of that room takes: made
    // ahead on another thread, it spares the first copy the system's work of giving it new pages.
    static CompactDefinition withRoom(const Room& room);
    // The memory the definition holds, its blocks and indexes counted whole.
    std::size_t heldBytes() const;

private:
    friend class CompactReader;
    friend class DefinitionCopier;
    struct ParameterEntry {
        std::uint32_t firstCell; // its name; the formula follows, then three cells a row
        std::uint32_t rowCount;
        ValueKind kind;
        std::uint8_t isNumber;
        std::uint8_t hasFormula;
    };

    std::string_view cell(std::size_t i) const {
        const std::uint64_t entry = cells_[i];
        const char* block = starts_[static_cast<std::size_t>(entry >> blockShift)];
        return {block + ((entry >> lengthBits) & offsetMask), static_cast<std::size_t>(entry & lengthMask)};
    }
    void addCell(std::string_view text) {
        // A text read in place points into the held bytes, numbered as 1 MiB pieces of them.
        const std::uintptr_t at = reinterpret_cast<std::uintptr_t>(text.data()) - heldBegin_;
        if (at < heldSize_) {
            cells_.push_back((static_cast<std::uint64_t>(at >> offsetBits) << blockShift) |
                             (static_cast<std::uint64_t>(at & offsetMask) << lengthBits) | text.size());
            return;
        }
        cells_.push_back(storeText(text));
    }
    // Copies the text into the definition's own blocks and gives the entry that points to it.
    std::uint64_t storeText(std::string_view text);
    // The cell a model's text location names, or nothing where the definition has no such text.
    std::optional<std::size_t> cellAt(const TextLocation& where) const;
    bool loadFile(const std::string& path, bool inPlace);
    // Texts that lie in `bytes` are kept where they are from now on.
    void holdBytes(std::shared_ptr<const HeldBytes> bytes);
    void clear();
    // Empties the definition but keeps its blocks and indexes for the next copy.
    void rewind();
    // Block i holds 64 KiB doubled i times, up to the largest an entry can point into: a small
    // definition takes little, and a block kept from an earlier copy has the size its place asks.
    static std::size_t blockSizeAt(std::size_t i) {
        return i >= 4 ? largestBlock : (std::size_t{64} * 1024) << i;
    }

    // A cell's entry: its block's number (in starts_), its offset in the block, its length (at most
    // maxLineBytes, which 11 bits hold).
    static constexpr unsigned lengthBits = 11;
    static constexpr unsigned offsetBits = 20;
    static constexpr unsigned blockShift = lengthBits + offsetBits;
    static constexpr std::uint64_t lengthMask = (1u << lengthBits) - 1;
    static constexpr std::uint64_t offsetMask = (1u << offsetBits) - 1;
    static constexpr std::size_t largestBlock = std::size_t{1} << offsetBits;
    static_assert(maxLineBytes <= lengthMask);

    std::vector<std::unique_ptr<char[]>> blocks_; // the first usedBlocks_ hold cells
    std::vector<const char*> starts_;             // every block cells point into, by number
    std::shared_ptr<const HeldBytes> held_;       // bytes read in place, numbered first in starts_
    std::uintptr_t heldBegin_ = 0;
    std::size_t heldSize_ = 0;
    std::size_t usedBlocks_ = 0;
    std::size_t lastBlockStart_ = 0; // the number in starts_ of the block being filled
    std::size_t lastBlockSize_ = 0;
    std::size_t lastBlockUsed_ = 0;
    std::size_t blockBytes_ = 0;
    ChunkedArray<std::uint64_t> cells_;
    ChunkedArray<ParameterEntry> parameters_;
    std::size_t firstResultCell_ = 0;
    std::size_t resultCount_ = 0;
    // The blocks a copy's second part was written into on another thread, kept for the next copy.
    std::unique_ptr<CompactDefinition> secondPart_;
    LoadError loadError_;
    int loadedLayout_ = 0;
    mutable SaveError saveError_;
};

} // namespace vornak
