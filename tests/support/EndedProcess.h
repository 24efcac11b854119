// What an editor that was killed looks like to the next start: the identity of a process of this
// user that has ended and been reaped.
#pragma once

#include "RecoveryFolder.h"

namespace vornak::test {

ProcessIdentity endedProcess();

} // namespace vornak::test
