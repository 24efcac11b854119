// The R2 writer and the tab-separated table export. Both build the file's bytes in memory and hand
// them to replaceFileContents, so a failure never leaves a half-written file in the target's place.
#include "AtomicFile.h"
#include "ReportDefinition.h"

#include <charconv>
#include <string_view>

namespace vornak {
namespace {

constexpr std::string_view lineEnd = "\r\n";

class ByteWriter {
public:
    explicit ByteWriter(std::string& out) : out_(out) {}

    void line(std::string_view text) {
        out_.append(text);
        out_.append(lineEnd);
    }
    void number(long long value) {
        char digits[24];
        const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, value);
        (void)ec; // 24 bytes hold any long long
        line(std::string_view(digits, static_cast<std::size_t>(end - digits)));
    }
    void text(std::string_view value) { out_.append(value); }
    void tab() { out_.push_back('\t'); }
    void end() { out_.append(lineEnd); }

private:
    std::string& out_;
};

std::size_t estimatedDefinitionSize(const ReportDefinition& d) {
    std::size_t size = 64 + d.title.size() + d.documentFile.size() + d.input1Caption.size() +
                       d.input2Caption.size() + d.surnameCaption.size() + d.author.size() + d.source.size() +
                       d.organisation.size() + d.date.size();
    for (const auto& p : d.parameters) {
        size += p.name.size() + p.formula.size() + 24;
        for (const auto& row : p.values) {
            size += row.value.size() + row.upperBound.size() + row.result.size() + 6;
        }
    }
    for (const auto& r : d.results) {
        size += r.name.size() + r.result.size() + 4;
    }
    return size;
}

} // namespace

std::string serializeDefinition(const ReportDefinition& d) {
    std::string bytes;
    bytes.reserve(estimatedDefinitionSize(d));
    ByteWriter out(bytes);
    out.line("R2");
    for (const std::string* text : {&d.title, &d.documentFile, &d.input1Caption, &d.input2Caption,
                                    &d.surnameCaption, &d.author, &d.source, &d.organisation, &d.date}) {
        out.line(*text);
    }
    out.number(static_cast<long long>(d.parameters.size()));
    for (const auto& p : d.parameters) {
        out.line(p.name);
        out.number(static_cast<std::uint8_t>(p.kind));
        out.number(p.isNumber);
        out.number(p.hasFormula);
        if (p.hasFormula != 0) {
            out.line(p.formula);
        }
        out.number(static_cast<long long>(p.values.size()));
        for (const auto& row : p.values) {
            out.line(row.value);
            out.line(row.upperBound);
            out.line(row.result);
        }
    }
    out.number(static_cast<long long>(d.results.size()));
    for (const auto& r : d.results) {
        out.line(r.name);
        out.line(r.result);
    }
    return bytes;
}

std::string serializeTable(const ReportDefinition& d) {
    std::string bytes;
    bytes.reserve(estimatedDefinitionSize(d));
    ByteWriter out(bytes);
    out.line(d.title);
    for (const auto& p : d.parameters) {
        out.text(p.name);
        if (p.hasFormula != 0) {
            out.tab();
            out.text(p.formula);
        }
        out.end();
        for (const auto& row : p.values) {
            out.text(row.value);
            out.tab();
            if (p.kind == ValueKind::Range) {
                out.text(row.upperBound);
                out.tab();
            }
            out.line(row.result);
        }
        out.end();
    }
    for (const auto& r : d.results) {
        out.text(r.name);
        out.tab();
        out.line(r.result);
    }
    return bytes;
}

bool ReportDefinition::writeFile(const std::string& path, const std::string& bytes) const {
    saveError_.clear();
    return replaceFileContents(path, bytes, saveError_);
}

bool ReportDefinition::save(const std::string& path) const {
    return writeFile(path, serializeDefinition(*this));
}

bool ReportDefinition::exportTable(const std::string& path) const {
    return writeFile(path, serializeTable(*this));
}

} // namespace vornak
