// libFuzzer target for the definition reader: any bytes go through load(); whatever load accepts
// must survive save() and a second load() unchanged.
#include "ReportDefinition.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// One input file and one round-trip file per process, in memory-backed /dev/shm when it exists.
struct Paths {
    std::string input;
    std::string output;

    Paths() {
        const std::string folder = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        const std::string stem = folder + "/vornak-fuzz-" + std::to_string(::getpid());
        input = stem + ".rpt";
        output = stem + "-saved.rpt";
    }
    ~Paths() {
        std::remove(input.c_str());
        std::remove(output.c_str());
    }
};

const Paths& paths() {
    static const Paths instance;
    return instance;
}

void writeInput(const std::string& path, const std::uint8_t* data, std::size_t size) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr || (size > 0 && std::fwrite(data, 1, size, file) != size) || std::fclose(file) != 0) {
        std::perror("cannot write the fuzz input file");
        std::abort();
    }
}

[[noreturn]] void fail(const char* what, const vornak::ReportDefinition& model) {
    std::fprintf(stderr, "round trip failed: %s (load error: line %d, %s; save error: %s)\n", what,
                 model.loadError().line, model.loadError().reason.c_str(), model.saveError().reason.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Paths& files = paths();
    writeInput(files.input, data, size);

    vornak::ReportDefinition first;
    if (!first.load(files.input)) {
        // A failure must say why; line 0 is kept for files that cannot be opened at all.
        if (first.loadError().reason.empty() || first.loadError().line < 1) {
            fail("load failed without a reason and line", first);
        }
        return 0;
    }
    if (!first.save(files.output)) {
        fail("save of a loaded definition failed", first);
    }
    vornak::ReportDefinition second;
    if (!second.load(files.output)) {
        fail("the saved file does not load", second);
    }
    if (!(first == second)) {
        fail("the saved file loads into a different definition", first);
    }
    // What was read in memory must be exactly what save put on disk.
    if (vornak::serializeDefinition(second) != vornak::serializeDefinition(first)) {
        fail("serialising the reloaded definition gives other bytes", second);
    }
    return 0;
}
