// The Russian words of recovery: why the copies' folder or a file in it is not used or cannot be
// written, why a copy cannot be read, and what a copy holds.
#pragma once

#include "RecoveryFolder.h"
#include "RecoveryStore.h"

#include <QString>

namespace vornak {

// A clause starting with a small letter, without the full stop, e.g. "в папку «…» могут
// записывать другие пользователи".
QString recoveryFaultText(const RecoveryFault& fault);
// The status line while copies cannot be written.
QString copyNotWrittenText(const RecoveryFault& fault);
// Why a copy's files cannot be read (for a copy whose own reading went wrong, see problemReason).
QString copyDamageText(CopyDamage damage);
// "параметров: 3, результатов: 2"
QString copyContentsText(const ReportDefinition& definition);

} // namespace vornak
