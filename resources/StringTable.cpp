#include "StringTable.h"

#include "CommandIds.h"
#include "Texts.h"

namespace vornak {

QString loadString(int id) {
    switch (id) {
    case ids::StringAboutEntry:
        return texts::aboutEntry;
    case ids::StringAppTitle:
        return texts::appTitle;
    default:
        return QString();
    }
}

} // namespace vornak
