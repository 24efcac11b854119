// vornak-cli: batch check, convert, export and dump of report definition files.
#include "AtomicFile.h"
#include "Commands.h"

#include <iostream>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // Ctrl+C, SIGTERM and SIGHUP during a convert or export leave no temporary file behind.
    vornak::installTemporaryFileCleanup();
    const std::vector<std::string> args(argv + 1, argv + argc);
    const int code = vornak::cli::run(args, std::cout, std::cerr);
    // A dump into a full disk or a closed pipe must not end as a success.
    if (!std::cout.flush()) {
        std::cerr << "vornak-cli: cannot write to standard output\n";
        return vornak::cli::exitFailed;
    }
    return code;
}
