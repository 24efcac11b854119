#include "ParameterTransfer.h"

#include "LineSource.h"

#include <charconv>
#include <new>

namespace vornak {

namespace {

constexpr std::string_view mark = "Vornak parameters ";

// The version in a first line, or -1 when the line is not this layout's mark.
int versionOf(std::string_view line) {
    if (line.substr(0, mark.size()) != mark) {
        return -1;
    }
    const std::string_view digits = line.substr(mark.size());
    int version = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), version);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.empty() || version < 1) {
        return -1;
    }
    return version;
}

} // namespace

std::string serializeParameters(const std::vector<ParameterRecord>& parameters) {
    ReportDefinition carrier;
    carrier.parameters = parameters;
    std::string bytes(mark);
    bytes += std::to_string(parameterTransferVersion);
    bytes += "\r\n";
    bytes += serializeDefinition(carrier);
    return bytes;
}

ParameterTransfer parseParameters(std::string_view bytes) {
    ParameterTransfer transfer;
    try {
        LineSource source(LineSource::InMemory{bytes});
        std::string first;
        if (source.next(first) != LineSource::Status::Line) {
            transfer.problem = ParameterTransferProblem::NotParameters;
            return transfer;
        }
        const int version = versionOf(first);
        if (version < 0) {
            transfer.problem = ParameterTransferProblem::NotParameters;
            return transfer;
        }
        if (version > parameterTransferVersion) {
            transfer.problem = ParameterTransferProblem::NewerVersion;
            return transfer;
        }
        ReportDefinition carrier;
        std::string rest;
        // Version 1 carries only parameters; results or anything after them means damage.
        if (!carrier.load(source) || carrier.loadedLayout() != 2 || !carrier.results.empty() ||
            source.next(rest) != LineSource::Status::End) {
            transfer.problem = ParameterTransferProblem::Damaged;
            return transfer;
        }
        transfer.parameters = std::move(carrier.parameters);
    } catch (const std::bad_alloc&) {
        transfer = {ParameterTransferProblem::Damaged, {}};
    }
    return transfer;
}

} // namespace vornak
