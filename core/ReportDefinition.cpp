#include "ReportDefinition.h"

#include <iterator>

namespace vornak {

void ReportDefinition::clear() {
    parameters.clear();
    results.clear();
}

void ReportDefinition::insertParameter(std::size_t position, const ParameterRecord& record) {
    parameters.insert(parameters.begin() + static_cast<std::ptrdiff_t>(position), record);
}

void ReportDefinition::eraseParameter(std::size_t position) {
    parameters.erase(parameters.begin() + static_cast<std::ptrdiff_t>(position));
}

void ReportDefinition::insertValueRow(std::size_t parameter, std::size_t position, const ValueRow& row) {
    auto& values = parameters[parameter].values;
    values.insert(values.begin() + static_cast<std::ptrdiff_t>(position), row);
}

void ReportDefinition::eraseValueRow(std::size_t parameter, std::size_t position) {
    auto& values = parameters[parameter].values;
    values.erase(values.begin() + static_cast<std::ptrdiff_t>(position));
}

void ReportDefinition::keepFirstValueRow(std::size_t parameter) {
    auto& values = parameters[parameter].values;
    if (values.size() > 1) {
        values.erase(std::next(values.begin()), values.end());
    }
}

void ReportDefinition::insertResult(std::size_t position, const ResultRow& row) {
    results.insert(results.begin() + static_cast<std::ptrdiff_t>(position), row);
}

void ReportDefinition::eraseResult(std::size_t position) {
    results.erase(results.begin() + static_cast<std::ptrdiff_t>(position));
}

bool ReportDefinition::operator==(const ReportDefinition& other) const {
    return parameters == other.parameters && results == other.results && title == other.title &&
           documentFile == other.documentFile && input1Caption == other.input1Caption &&
           input2Caption == other.input2Caption && surnameCaption == other.surnameCaption &&
           author == other.author && source == other.source && organisation == other.organisation &&
           date == other.date;
}

} // namespace vornak
