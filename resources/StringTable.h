// The string table: the few numbered strings the editor loads by id.
#pragma once

#include <QString>

namespace vornak {

// The string with that id (101 the system-menu About entry, 128 the application title), or an
// empty string for an id the table does not hold, as loading a missing string gives nothing.
QString loadString(int id);

} // namespace vornak
