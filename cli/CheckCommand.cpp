#include "CheckCommand.h"

#include "Commands.h"
#include "CompactDefinition.h"
#include "DefinitionChecks.h"
#include "JsonDump.h"
#include "LineSource.h"
#include "ReportDefinition.h"
#include "Windows1251.h"

#include <nlohmann/json.hpp>

#include <cstddef>
#include <ostream>
#include <string_view>
#include <utility>

namespace vornak::cli {

namespace {

// "R1" or "R2", as the one read found it: the file may be a pipe, which cannot be read twice.
std::string layoutMark(const CompactDefinition& definition) {
    std::string mark(1, 'R'); // not "R" + ...: GCC's optimiser warns of overlapping copies there
    mark += std::to_string(definition.loadedLayout());
    return mark;
}

// "1 parameter", "2 parameters", "0 results".
std::string countText(std::size_t count, const char* singular, const char* plural) {
    return std::to_string(count) + " " + (count == 1 ? singular : plural);
}

std::string_view fieldName(TextField field) {
    switch (field) {
    case TextField::ParameterName:
        return "parameter-name";
    case TextField::ParameterFormula:
        return "parameter-formula";
    case TextField::Value:
        return "value";
    case TextField::UpperBound:
        return "upper-bound";
    case TextField::ValueResult:
        return "value-result";
    case TextField::ResultName:
        return "result-name";
    case TextField::ResultText:
        return "result-text";
    case TextField::ReportText:
        return "report-text";
    }
    return "unknown";
}

// Keys are kept sorted, as scripts reading the earlier output saw them.
nlohmann::json findingToJson(const Finding& finding) {
    nlohmann::json object = nlohmann::json::object();
    object["kind"] = std::string(findingKindName(finding.kind));
    // The place quotes no definition text today, but it is built from the definition's words.
    object["place"] = windows1251ToUtf8(describePlace(finding));
    object["field"] = std::string(fieldName(finding.where.field));
    object["record"] = finding.where.record;
    object["row"] = finding.where.row;
    object["number"] = finding.number;
    object["detail"] = windows1251ToUtf8(finding.detail);
    object["offset"] = finding.offset;
    object["message"] = windows1251ToUtf8(describeFinding(finding));
    return object;
}

} // namespace

int checkFiles(const std::vector<std::string>& files, const CheckOptions& options, std::ostream& out) {
    bool unreadable = false;
    bool anyFinding = false;
    nlohmann::json reports = nlohmann::json::array();
    for (const std::string& path : files) {
        // Held compactly and freed before the next file is read.
        CompactDefinition definition;
        nlohmann::json report = nlohmann::json::object();
        report["file"] = path;
        // Read in place: the checks only look at the texts.
        if (!definition.loadInPlace(path)) {
            unreadable = true;
            const std::string reason = describeLoadError(definition.loadError());
            if (options.json) {
                report["read"] = false;
                report["error"] = reason;
                reports.push_back(std::move(report));
            } else {
                out << path << ": error: " << reason << '\n';
                out.flush(); // each file's report is out before the next file is read
            }
            continue;
        }
        if (options.json) {
            const std::vector<Finding> findings = checkDefinition(definition);
            if (definition.sourceChanged()) {
                unreadable = true;
                report["read"] = false;
                report["error"] = describeLoadError(cutWhileReadError());
                reports.push_back(std::move(report));
                continue;
            }
            anyFinding = anyFinding || !findings.empty();
            report["read"] = true;
            report["layout"] = layoutMark(definition);
            report["parameters"] = definition.parameterCount();
            report["results"] = definition.resultCount();
            nlohmann::json list = nlohmann::json::array();
            for (const Finding& finding : findings) {
                list.push_back(findingToJson(finding));
            }
            report["findings"] = std::move(list);
            reports.push_back(std::move(report));
            continue;
        }
        out << path << ": ok (" << layoutMark(definition) << ", "
            << countText(definition.parameterCount(), "parameter", "parameters") << ", "
            << countText(definition.resultCount(), "result", "results") << ")\n";
        // Each finding is printed as it is found: a file with very many keeps none of them.
        std::string line;
        forEachFinding(definition, [&](Finding&& finding) {
            if (definition.sourceCutMet()) {
                return; // found in the zeros a cut left, not in the file
            }
            anyFinding = true;
            line.assign(path);
            line += ": warning: ";
            line += describePlace(finding);
            line += ": ";
            line += windows1251ToUtf8(describeFinding(finding));
            line += '\n';
            out.write(line.data(), static_cast<std::streamsize>(line.size()));
        });
        if (definition.sourceChanged()) {
            // The findings printed came before the cut; the report stops there and is not whole.
            unreadable = true;
            out << path << ": error: " << describeLoadError(cutWhileReadError()) << '\n';
        }
        out.flush();
    }
    if (options.json) {
        nlohmann::json document = nlohmann::json::object();
        document["files"] = std::move(reports);
        out << indentedJson(document);
    }
    if (unreadable) {
        return exitFailed;
    }
    return options.strict && anyFinding ? exitFindings : exitOk;
}

} // namespace vornak::cli
