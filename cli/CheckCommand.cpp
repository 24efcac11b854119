#include "CheckCommand.h"

#include "Commands.h"
#include "DefinitionChecks.h"
#include "ReportDefinition.h"
#include "TextCodec.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <cstddef>
#include <ostream>
#include <string_view>

namespace vornak::cli {

namespace {

// "R1" or "R2", as the one read found it: the file may be a pipe, which cannot be read twice.
std::string layoutMark(const ReportDefinition& definition) {
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

QString ascii(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QJsonObject findingToJson(const Finding& finding) {
    QJsonObject object;
    object["kind"] = ascii(findingKindName(finding.kind));
    object["place"] = ascii(describePlace(finding));
    object["field"] = ascii(fieldName(finding.where.field));
    object["record"] = finding.where.record;
    object["row"] = finding.where.row;
    object["number"] = static_cast<double>(finding.number);
    object["detail"] = vornak::TextCodec::decode(finding.detail);
    object["offset"] = static_cast<double>(finding.offset);
    object["message"] = vornak::TextCodec::decode(describeFinding(finding));
    return object;
}

} // namespace

int checkFiles(const std::vector<std::string>& files, const CheckOptions& options, std::ostream& out) {
    bool unreadable = false;
    bool anyFinding = false;
    QJsonArray reports;
    for (const std::string& path : files) {
        ReportDefinition definition;
        QJsonObject report;
        report["file"] = QFile::decodeName(QByteArray::fromStdString(path));
        if (!definition.load(path)) {
            unreadable = true;
            const std::string reason = describeLoadError(definition.loadError());
            if (options.json) {
                report["read"] = false;
                report["error"] = QString::fromStdString(reason);
                reports.append(report);
            } else {
                out << path << ": error: " << reason << '\n';
                out.flush(); // each file's report is out before the next file is read
            }
            continue;
        }
        const std::vector<Finding> findings = checkDefinition(definition);
        anyFinding = anyFinding || !findings.empty();
        if (options.json) {
            report["read"] = true;
            report["layout"] = QString::fromStdString(layoutMark(definition));
            report["parameters"] = static_cast<double>(definition.parameters.size());
            report["results"] = static_cast<double>(definition.results.size());
            QJsonArray list;
            for (const Finding& finding : findings) {
                list.append(findingToJson(finding));
            }
            report["findings"] = list;
            reports.append(report);
            continue;
        }
        out << path << ": ok (" << layoutMark(definition) << ", "
            << countText(definition.parameters.size(), "parameter", "parameters") << ", "
            << countText(definition.results.size(), "result", "results") << ")\n";
        for (const Finding& finding : findings) {
            out << path << ": warning: " << describePlace(finding) << ": "
                << vornak::TextCodec::toUtf8(describeFinding(finding)) << '\n';
        }
        out.flush();
    }
    if (options.json) {
        QJsonObject document;
        document["files"] = reports;
        out << QJsonDocument(document).toJson(QJsonDocument::Indented).toStdString();
    }
    if (unreadable) {
        return exitFailed;
    }
    return options.strict && anyFinding ? exitFindings : exitOk;
}

} // namespace vornak::cli
