#include "EndedProcess.h"

#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vornak::test {

ProcessIdentity endedProcess() {
    const pid_t child = ::fork();
    if (child == 0) {
        ::_exit(0);
    }
    ::waitpid(child, nullptr, 0);
    ProcessIdentity identity = ProcessIdentity::current();
    identity.pid = child;
    return identity;
}

} // namespace vornak::test
