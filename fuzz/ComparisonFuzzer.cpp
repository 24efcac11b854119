// libFuzzer target for the comparison of two definitions. The first byte says where the input is
// cut in two; each part is read as a definition (whatever a failing read left in the model counts
// too). A definition compared with itself has no difference; between two, every old record is
// either kept or removed and every new one kept or inserted, so the counts must add up; every
// difference names places that exist and words into a line.
#include "DefinitionComparison.h"
#include "DifferenceText.h"
#include "LineSource.h"
#include "ReportDefinition.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "comparison check failed: %s\n", what);
    std::abort();
}

vornak::ReportDefinition read(std::string_view bytes) {
    vornak::ReportDefinition model;
    vornak::LineSource source(vornak::LineSource::InMemory{bytes});
    model.load(source);
    return model;
}

void check(const vornak::ReportDefinition& a, const vornak::ReportDefinition& b) {
    long parameters = 0;
    long results = 0;
    for (const vornak::Difference& difference : vornak::compareDefinitions(a, b)) {
        const long step = difference.kind == vornak::DifferenceKind::Inserted  ? 1
                          : difference.kind == vornak::DifferenceKind::Removed ? -1
                                                                               : 0;
        if (difference.part == vornak::DifferencePart::Parameter) {
            parameters += step;
        } else if (difference.part == vornak::DifferencePart::Result) {
            results += step;
        }
        if (difference.oldRecord < 0 || difference.newRecord < 0 ||
            static_cast<std::size_t>(difference.newRecord) >
                std::max({b.parameters.size(), b.results.size(), std::size_t{9}}) ||
            static_cast<std::size_t>(difference.oldRecord) >
                std::max({a.parameters.size(), a.results.size(), std::size_t{9}})) {
            fail("a difference names a record that does not exist");
        }
        if (vornak::describeDifference(difference).empty()) {
            fail("a difference without words");
        }
    }
    if (parameters != static_cast<long>(b.parameters.size()) - static_cast<long>(a.parameters.size())) {
        fail("inserted and removed parameters do not add up");
    }
    if (results != static_cast<long>(b.results.size()) - static_cast<long>(a.results.size())) {
        fail("inserted and removed results do not add up");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t cut = bytes.size() * data[0] / 255;
    const vornak::ReportDefinition a = read(bytes.substr(0, cut));
    const vornak::ReportDefinition b = read(bytes.substr(cut));
    if (!vornak::compareDefinitions(a, a).empty() || !vornak::compareDefinitions(b, b).empty()) {
        fail("a definition differs from itself");
    }
    check(a, b);
    check(b, a);
    return 0;
}
