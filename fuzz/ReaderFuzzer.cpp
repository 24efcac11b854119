// libFuzzer target for the definition reader. The first two bytes choose two block sizes for the
// reader's line source (from one byte to the default 256 KiB), the rest is the file. The same bytes
// must read the same way whatever the block size, and whatever load accepts must serialise into a
// file that reads back into an equal definition.
#include "LineSource.h"
#include "ReportDefinition.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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

[[noreturn]] void fail(const char* what, const vornak::ReportDefinition& model) {
    std::fprintf(stderr, "reader check failed: %s (load error: line %d, %s)\n", what, model.loadError().line,
                 model.loadError().reason.c_str());
    std::abort();
}

bool loadFrom(vornak::ReportDefinition& model, std::string_view bytes, std::size_t blockSize) {
    vornak::LineSource source(vornak::LineSource::InMemory{bytes}, blockSize);
    return model.load(source);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) {
        return 0;
    }
    const std::size_t firstBlock = blockSizeFor(data[0]);
    const std::size_t secondBlock = blockSizeFor(data[1]);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);

    vornak::ReportDefinition first;
    const bool ok = loadFrom(first, bytes, firstBlock);
    vornak::ReportDefinition other;
    const bool otherOk = loadFrom(other, bytes, secondBlock);
    if (ok != otherOk || first.loadError() != other.loadError() || !(first == other)) {
        fail("the block size changed what was read", first);
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
