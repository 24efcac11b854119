// libFuzzer target for the writer's refusal rules: the input is decoded into a definition with
// arbitrary texts (line breaks, lone CRs, texts around the longest line). save must refuse exactly
// the definitions holding a text that cannot be read back, name that text and leave the previous
// file untouched; whatever it accepts must load back equal (flags read as 0 or 1, a formula only
// with its flag).
#include "ReportDefinition.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

namespace {

class Decoder {
public:
    Decoder(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    std::uint8_t byte() { return pos_ < size_ ? data_[pos_++] : 0; }

    // A length byte, then the bytes; 255 announces a long text of one repeated byte.
    std::string text() {
        const std::uint8_t length = byte();
        if (length == 255) {
            const std::size_t longLength = 2040 + byte() % 16;
            return std::string(longLength, static_cast<char>(byte()));
        }
        std::string out;
        for (std::uint8_t i = 0; i < length && pos_ < size_; ++i) {
            out += static_cast<char>(byte());
        }
        return out;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
};

vornak::ReportDefinition decode(const std::uint8_t* data, std::size_t size) {
    Decoder in(data, size);
    vornak::ReportDefinition d;
    for (std::string* text : {&d.title, &d.documentFile, &d.input1Caption, &d.input2Caption,
                              &d.surnameCaption, &d.author, &d.source, &d.organisation, &d.date}) {
        *text = in.text();
    }
    const int parameters = in.byte() % 4;
    for (int p = 0; p < parameters; ++p) {
        vornak::ParameterRecord record;
        record.name = in.text();
        record.kind = static_cast<vornak::ValueKind>(in.byte());
        record.isNumber = in.byte() % 3;
        record.hasFormula = in.byte() % 3;
        record.formula = in.text();
        const int rows = in.byte() % 4;
        for (int r = 0; r < rows; ++r) {
            vornak::ValueRow row;
            row.value = in.text();
            row.upperBound = in.text();
            row.result = in.text();
            record.values.push_back(row);
        }
        d.parameters.push_back(record);
    }
    const int results = in.byte() % 4;
    for (int r = 0; r < results; ++r) {
        vornak::ResultRow row;
        row.name = in.text();
        row.result = in.text();
        d.results.push_back(row);
    }
    return d;
}

bool readsBack(const std::string& text) {
    return text.size() <= vornak::maxLineBytes && text.find('\n') == std::string::npos;
}

// Whether every text that save writes can be read back, judged independently of the writer.
bool writable(const vornak::ReportDefinition& d) {
    for (const std::string* text : {&d.title, &d.documentFile, &d.input1Caption, &d.input2Caption,
                                    &d.surnameCaption, &d.author, &d.source, &d.organisation, &d.date}) {
        if (!readsBack(*text)) {
            return false;
        }
    }
    for (const auto& p : d.parameters) {
        if (!readsBack(p.name) || (p.hasFormula != 0 && !readsBack(p.formula))) {
            return false;
        }
        for (const auto& row : p.values) {
            if (!readsBack(row.value) || !readsBack(row.upperBound) || !readsBack(row.result)) {
                return false;
            }
        }
    }
    for (const auto& r : d.results) {
        if (!readsBack(r.name) || !readsBack(r.result)) {
            return false;
        }
    }
    return true;
}

// What a file holding the definition reads back as.
vornak::ReportDefinition normalised(vornak::ReportDefinition d) {
    for (auto& p : d.parameters) {
        p.isNumber = p.isNumber != 0 ? 1 : 0;
        p.hasFormula = p.hasFormula != 0 ? 1 : 0;
        if (p.hasFormula == 0) {
            p.formula.clear();
        }
    }
    return d;
}

const std::string& refusedText(const vornak::ReportDefinition& d, const vornak::SaveError& e) {
    using vornak::DefinitionPart;
    if (e.part == DefinitionPart::Texts) {
        const std::string* texts[] = {&d.title,         &d.documentFile,   &d.input1Caption,
                                      &d.input2Caption, &d.surnameCaption, &d.author,
                                      &d.source,        &d.organisation,   &d.date};
        return *texts[e.record - 1];
    }
    if (e.part == DefinitionPart::Parameter) {
        const auto& p = d.parameters.at(static_cast<std::size_t>(e.record - 1));
        if (e.row == 0) {
            return e.field == "formula" ? p.formula : p.name;
        }
        const auto& row = p.values.at(static_cast<std::size_t>(e.row - 1));
        return e.field == "value" ? row.value : e.field == "upperBound" ? row.upperBound : row.result;
    }
    const auto& r = d.results.at(static_cast<std::size_t>(e.record - 1));
    return e.field == "name" ? r.name : r.result;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const std::string& outputPath() {
    static const std::string path = std::string(::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") +
                                    "/vornak-fuzz-writer-" + std::to_string(::getpid()) + ".rpt";
    return path;
}

[[noreturn]] void fail(const char* what, const vornak::ReportDefinition& d) {
    std::fprintf(stderr, "writer check failed: %s (save error: %s; load error: %s)\n", what,
                 d.saveError().reason.c_str(), d.loadError().reason.c_str());
    std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const vornak::ReportDefinition d = decode(data, size);
    const std::string& path = outputPath();
    const std::string previous = "previous content\r\n";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << previous;
    }
    const bool saved = d.save(path);
    if (saved != writable(d)) {
        fail(saved ? "save accepted a text that cannot be read back" : "save refused a writable definition",
             d);
    }
    if (!saved) {
        const vornak::SaveError& e = d.saveError();
        if (e.problem != vornak::FileProblem::UnwritableText || e.reason.empty() || e.field.empty() ||
            readsBack(refusedText(d, e))) {
            fail("the refusal does not name an unwritable text", d);
        }
        if (readFile(path) != previous) {
            fail("a refused save changed the file", d);
        }
        return 0;
    }
    vornak::ReportDefinition read;
    if (!read.load(path)) {
        fail("the saved file does not load", read);
    }
    if (!(read == normalised(d))) {
        fail("the saved file loads into a different definition", d);
    }
    std::remove(path.c_str());
    return 0;
}
