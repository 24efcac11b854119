#include "DefinitionTextValidator.h"

#include "TextCodec.h"

namespace vornak {

DefinitionTextValidator::DefinitionTextValidator(QObject* parent) : QValidator(parent) {
}

QValidator::State DefinitionTextValidator::validate(QString& input, int& /*pos*/) const {
    return fitsDefinitionFile(input) ? Acceptable : Invalid;
}

} // namespace vornak
