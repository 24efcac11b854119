// libFuzzer target for the definition reader. The first two bytes choose two block sizes for the
// reader's line source (from one byte to the default 256 KiB), the rest is the file. The same bytes
// must read the same way whatever the block size, and whatever load accepts must serialise into a
// file that reads back into an equal definition.
//
// Then the same bytes, repeated up to a few thousand times as records, follow a huge count of
// parameters, value rows or results at the start of a 3 GB input that is zeros beyond them (a
// damaged sparse file, held as untouched memory): the load must stay within a few blocks of memory
// beyond what those real bytes hold, whatever the count and the bytes left announce.
//
// The compact definition the command line reads into must read every input as the model does:
// the same success, error and layout, the same texts and findings, and the same bounded memory
// after a huge count (each input tries the huge count on one of the two readers, by the parity of
// its second byte). By the next bit of that byte, the compact definition reads the bytes in place
// (its texts pointing into them, as for a mapped file) instead of through blocks: the bytes then
// lie in memory of exactly their size, so a read past their end is caught.
#include "CompactDefinition.h"
#include "DefinitionChecks.h"
#include "LineSource.h"
#include "ReportDefinition.h"

#include <sanitizer/allocator_interface.h>
#include <sys/mman.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace {

// Small blocks, blocks around the longest line, page-sized blocks and the default.
std::size_t blockSizeFor(std::uint8_t code) {
    if (code < 128) {
        return std::size_t{1} + code;
    }
    if (code < 192) {
        return 2016 + (code - 128u);
    }
    if (code < 248) {
        return 4096u * (code - 191u);
    }
    return vornak::LineSource::defaultBlockSize;
}

// The input's bytes in memory of exactly their size, as a mapped file's would be held.
class ExactBytes final : public vornak::HeldBytes {
public:
    explicit ExactBytes(std::string_view bytes) : size_(bytes.size()), bytes_(new char[bytes.size()]) {
        std::memcpy(bytes_.get(), bytes.data(), bytes.size());
    }
    std::string_view bytes() const override { return {bytes_.get(), size_}; }

private:
    std::size_t size_;
    std::unique_ptr<char[]> bytes_;
};

[[noreturn]] void fail(const char* what, const vornak::ReportDefinition& model) {
    std::fprintf(stderr, "reader check failed: %s (load error: line %d, %s)\n", what, model.loadError().line,
                 model.loadError().reason.c_str());
    std::abort();
}

bool loadFrom(vornak::ReportDefinition& model, std::string_view bytes, std::size_t blockSize) {
    vornak::LineSource source(vornak::LineSource::InMemory{bytes}, blockSize);
    return model.load(source);
}

// The heap in use while `tracking` is set, and its highest point.
bool tracking = false;
long long live = 0;
long long peak = 0;

void onAllocation(const volatile void*, std::size_t size) {
    if (tracking) {
        live += static_cast<long long>(size);
        peak = std::max(peak, live);
    }
}

void onRelease(const volatile void* pointer) {
    if (tracking && pointer != nullptr) {
        live -= static_cast<long long>(__sanitizer_get_allocated_size(const_cast<const void*>(pointer)));
    }
}

// A 3 GB input of zeros, mapped without reserving memory: only the pages written hold any.
constexpr std::size_t hugeInputSize = std::size_t{3} << 30;

char* hugeInput() {
    static char* input = [] {
        __sanitizer_install_malloc_and_free_hooks(onAllocation, onRelease);
        void* p = ::mmap(nullptr, hugeInputSize, PROT_READ | PROT_WRITE,
                         MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
        if (p == MAP_FAILED) {
            std::fprintf(stderr, "cannot map the huge input\n");
            std::abort();
        }
        return static_cast<char*>(p);
    }();
    return input;
}

// The nine texts and a count that announces far more than the file holds, at one of three places.
std::string hugeCountStart(std::uint8_t choice) {
    const std::string start = "R2\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n";
    switch (choice % 3) {
    case 0:
        return start + "2147483647\r\n";
    case 1:
        return start + "1\r\np\r\n0\r\n0\r\n0\r\n2147483647\r\n";
    default:
        return start + "0\r\n2147483647\r\n";
    }
}

// `compact` chooses the reader: each input tries one of the two, which halves the cost of the
// longest step of an execution.
void loadAfterAHugeCount(std::uint8_t choice, std::string_view record, bool compactReader) {
    static std::size_t used = 0;
    char* input = hugeInput();
    std::memset(input, 0, used);
    const std::string start = hugeCountStart(choice);
    record = record.substr(0, 512);
    // A few thousand records of at most 64 KiB in all.
    const std::size_t repeats = record.empty() ? 0 : std::min<std::size_t>(4096, 65536 / record.size());
    std::memcpy(input, start.data(), start.size());
    used = start.size();
    for (std::size_t i = 0; i < repeats; ++i) {
        std::memcpy(input + used, record.data(), record.size());
        used += record.size();
    }
    // Room for the reader's block and line, and for the records those real bytes can hold: at
    // most a 96-byte value row for three line feeds (rows of empty texts), and a list that grows
    // by doubling holds up to three times its rows while it moves them.
    const long long limit =
        4 * static_cast<long long>(vornak::LineSource::defaultBlockSize) + 96 * static_cast<long long>(used);
    if (compactReader) {
        vornak::CompactDefinition compact;
        live = 0;
        peak = 0;
        tracking = true;
        {
            vornak::LineSource source(vornak::LineSource::InMemory{std::string_view(input, hugeInputSize)});
            compact.load(source);
        }
        tracking = false;
        if (peak > limit) {
            std::fprintf(stderr, "the compact reader held %lld bytes for %zu real bytes\n", peak, used);
            std::abort();
        }
        return;
    }
    {
        vornak::ReportDefinition model;
        live = 0;
        peak = 0;
        tracking = true;
        {
            vornak::LineSource source(vornak::LineSource::InMemory{std::string_view(input, hugeInputSize)});
            model.load(source);
        }
        tracking = false;
        if (peak > limit) {
            std::fprintf(stderr, "the reader held %lld bytes for %zu real bytes\n", peak, used);
            fail("a huge count made room the file never filled", model);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::size_t firstBlock = blockSizeFor(data[0]);
    const std::size_t secondBlock = blockSizeFor(data[1]);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);

    loadAfterAHugeCount(data[0], bytes, (data[1] & 1) != 0);

    vornak::ReportDefinition first;
    const bool ok = loadFrom(first, bytes, firstBlock);
    vornak::ReportDefinition other;
    const bool otherOk = loadFrom(other, bytes, secondBlock);
    if (ok != otherOk || first.loadError() != other.loadError() || !(first == other)) {
        fail("the block size changed what was read", first);
    }
    vornak::CompactDefinition compact;
    std::optional<vornak::LineSource> compactSource;
    if ((data[1] & 2) != 0) {
        compactSource.emplace(std::make_shared<ExactBytes>(bytes));
    } else {
        compactSource.emplace(vornak::LineSource::InMemory{bytes}, secondBlock);
    }
    if (compact.load(*compactSource) != ok || compact.loadError() != first.loadError() ||
        compact.loadedLayout() != first.loadedLayout()) {
        fail("the compact definition read otherwise than the model", first);
    }
    if (ok && (!(compact.toDefinition() == first) ||
               vornak::checkDefinition(compact) != vornak::checkDefinition(first))) {
        fail("the compact definition holds otherwise than the model", first);
    }
    if (!ok) {
        // A failure must say why, where and what kind; line 0 is only for inputs never opened.
        if (first.loadError().reason.empty() || first.loadError().line < 1 ||
            first.loadError().problem == vornak::FileProblem::None) {
            fail("load failed without a reason, line and kind", first);
        }
        return 0;
    }
    if (vornak::findUnwritableText(first)) {
        fail("a definition that was read cannot be written", first);
    }
    const std::string saved = vornak::serializeDefinition(first);
    vornak::ReportDefinition second;
    if (!loadFrom(second, saved, secondBlock)) {
        fail("the saved bytes do not load", second);
    }
    if (!(first == second)) {
        fail("the saved bytes load into a different definition", first);
    }
    if (vornak::serializeDefinition(second) != saved) {
        fail("serialising the reloaded definition gives other bytes", second);
    }
    return 0;
}
