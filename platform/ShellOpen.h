// Handing a file, folder or web address to the desktop to open, as the shell's "open" verb does,
// and the shell's error values a failure is reported with. QtShellOpener is what the user gets.
#pragma once

#include <QString>
#include <QtGlobal>

namespace vornak {

// The error numbers the link's messages are keyed by: each failure below is reported as one of them.
namespace shellerror {
inline constexpr int FileNotFound = 2;
inline constexpr int NoAssociation = 31;
} // namespace shellerror

// The ways opening fails.
enum class ShellFailure {
    NoApplication, // nothing on the desktop takes the address
    MissingFile,   // a local file or folder that does not exist
};

// The shell error value that stands for a failure of this platform; the one place where the two
// meet: no application gives 31, a missing file 2.
int shellErrorValue(ShellFailure failure);

struct ShellOpenRequest {
    QString target;      // file, folder or address
    QString arguments;   // command-line arguments for a program target
    QString directory;   // working directory; relative file targets are taken from it
    int showCommand = 1; // show mode for a program target (1: normal window)

    bool operator==(const ShellOpenRequest&) const = default;
};

struct ShellOpenResult {
    int errorCode = -1;    // -1 when opened, otherwise a shell error value (0 to 32)
    quintptr instance = 0; // on success a non-zero token from the opener; 0 on failure

    bool opened() const { return errorCode == -1; }
    static ShellOpenResult success(quintptr instance = 1) { return {-1, instance == 0 ? 1 : instance}; }
    static ShellOpenResult failure(int errorCode) { return {errorCode, 0}; }
    static ShellOpenResult failure(ShellFailure failure) { return {shellErrorValue(failure), 0}; }
};

class ShellOpener {
public:
    virtual ~ShellOpener() = default;
    virtual ShellOpenResult open(const ShellOpenRequest& request) = 0;
};

// Opens through QDesktopServices::openUrl. A target with a URL scheme (two letters or more, so
// that "C:" stays a path) is opened as that URL; anything else is a local path, relative ones
// taken from the request's directory (or the current folder). A local target that does not exist
// fails as a missing file before the desktop is asked; a refusal of the desktop, which only says
// yes or no, counts as no application. The arguments and show mode cannot be passed on through
// the desktop and are not used.
class QtShellOpener : public ShellOpener {
public:
    ShellOpenResult open(const ShellOpenRequest& request) override;
};

} // namespace vornak
