#include "ReportDefinition.h"

namespace vornak {

bool ReportDefinition::operator==(const ReportDefinition& other) const {
    return parameters == other.parameters && results == other.results && title == other.title &&
           documentFile == other.documentFile && input1Caption == other.input1Caption &&
           input2Caption == other.input2Caption && surnameCaption == other.surnameCaption &&
           author == other.author && source == other.source && organisation == other.organisation &&
           date == other.date;
}

} // namespace vornak
