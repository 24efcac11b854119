#include "DefinitionTextValidator.h"

#include "TextCodec.h"

namespace vornak {

DefinitionTextValidator::DefinitionTextValidator(QObject* parent)
    : TextChangeValidator(parent, &definitionTextChangeAllowed) {
}

} // namespace vornak
