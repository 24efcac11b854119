// vornak-cli: batch check, convert, export and dump of report definition files.
#include "AtomicFile.h"
#include "Commands.h"

#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include "Utf16.h"
#include "WindowsApi.h"

#include <fcntl.h>
#include <io.h>
#endif

namespace {

int runTool(const std::vector<std::string>& args) {
    // Ctrl+C, SIGTERM and SIGHUP during a convert or export leave no temporary file behind.
    vornak::installTemporaryFileCleanup();
    const int code = vornak::cli::run(args, std::cout, std::cerr);
    // A dump into a full disk or a closed pipe must not end as a success.
    if (!std::cout.flush()) {
        std::cerr << "vornak-cli: cannot write to standard output\n";
        return vornak::cli::exitFailed;
    }
    return code;
}

} // namespace

#ifdef _WIN32
// The arguments arrive as UTF-16 and go on as UTF-8, the form the file layer takes names in, so
// that messages name files as given. Output is UTF-8 with the same line ends as everywhere.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) {
        args.push_back(vornak::utf16ToUtf8(reinterpret_cast<const char16_t*>(argv[i])));
    }
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    const UINT consolePage = GetConsoleOutputCP();
    if (consolePage != 0) {
        SetConsoleOutputCP(CP_UTF8);
    }
    const int code = runTool(args);
    std::cerr.flush();
    if (consolePage != 0) {
        SetConsoleOutputCP(consolePage); // the console goes back to its user as it was
    }
    return code;
}
#else
int main(int argc, char** argv) {
    return runTool(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
